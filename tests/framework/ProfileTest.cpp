// Settings and the recent-file list in the registry store (a temporary
// VELMAR_REGISTRY, set by the suite's main).
#include "TestApp.h"
#include "support/EnvGuard.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

using namespace testsupport;

namespace
{

const wchar_t kMruKey[] = L"Software\\Brandvik Test\\TestApp\\Recent File List";

using Names = std::vector<std::wstring>;

// File1, File2... of the stored list, up to the first one missing.
Names StoredRecent()
{
    Names names;
    while (auto name =
               RegistryString(kMruKey, (L"File" + std::to_wstring(names.size() + 1)).c_str()))
        names.push_back(*name);
    return names;
}

// The File menu's recent-file entries as the user sees them when it opens.
std::vector<QString> RecentEntries(CTestMainFrame* pMain)
{
    std::vector<QString> texts;
    QMenu* pFile = MenuPopup(pMain, "&File");
    if (!pFile)
        return texts;
    OpenPopup(pFile);
    for (QAction* a : pFile->actions())
    {
        UINT id = AfxGetActionID(a);
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16 && a->isVisible())
            texts.push_back(a->isEnabled() ? a->text() : "(grayed) " + a->text());
    }
    pFile->hide();
    return texts;
}

} // namespace

TEST(Profile, settings_round_trip_through_the_registry)
{
    AppFixture f;
    // Before a company key there is nowhere to write.
    EXPECT_FALSE(f.app.WriteProfileInt(L"Settings", L"PreviewPages", 3));
    EXPECT_EQ(f.app.GetProfileInt(L"Settings", L"PreviewPages", 9), 9u);
    f.app.SetRegistryKey(L"Brandvik Test");
    EXPECT_STREQ(f.app.m_pszProfileName, L"TestApp");
    EXPECT_TRUE(f.app.WriteProfileInt(L"Settings", L"PreviewPages", 3));
    EXPECT_TRUE(f.app.WriteProfileString(L"Settings", L"Name", L"Wörter 字"));
    EXPECT_EQ(f.app.GetProfileInt(L"Settings", L"PreviewPages", 9), 3u);
    EXPECT_EQ(f.app.GetProfileString(L"Settings", L"Name"), CString(L"Wörter 字"));
    EXPECT_EQ(RegistryString(L"Software\\Brandvik Test\\TestApp\\Settings", L"Name"),
              std::wstring(L"Wörter 字"));
    // Missing entries and entries of another type give the default.
    EXPECT_EQ(f.app.GetProfileString(L"Settings", L"Missing", L"dflt"), CString(L"dflt"));
    EXPECT_EQ(f.app.GetProfileInt(L"Settings", L"Name", 5), 5u);
    EXPECT_EQ(f.app.GetProfileInt(L"Nowhere", L"PreviewPages", 5), 5u);
    // A null value removes the entry.
    EXPECT_TRUE(f.app.WriteProfileString(L"Settings", L"Name", nullptr));
    EXPECT_EQ(f.app.GetProfileString(L"Settings", L"Name", L"gone"), CString(L"gone"));
    f.app.LoadStdProfileSettings(2);
    EXPECT_EQ(f.app.m_nNumPreviewPages, 3);
}

TEST(Profile, recent_files_capped_reordered_written_and_read_back)
{
    std::wstring a, b, c, d;
    {
        AppFixture f;
        f.app.SetRegistryKey(L"Brandvik Test");
        f.app.LoadStdProfileSettings(3);
        EXPECT_EQ(RecentEntries(f.Main()), (std::vector<QString>{"(grayed) Recent files"}));
        for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"})
            f.WriteFile(name, std::string(4, '\0'));
        a = f.Path("a.xml"), b = f.Path("b.xml"), c = f.Path("c.xml"), d = f.Path("d.xml");
        for (const std::wstring& p : {a, b, c, d})
            ASSERT_NE(f.app.OpenDocumentFile(p.c_str()), nullptr);
        // Capped at three, most recent first, and in the registry at once.
        EXPECT_EQ(StoredRecent(), (Names{d, c, b}));
        // Opening b again moves it to the top.
        f.app.OpenDocumentFile(b.c_str());
        EXPECT_EQ(StoredRecent(), (Names{b, d, c}));
        std::vector<QString> entries = RecentEntries(f.Main());
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_TRUE(entries[0].startsWith("&1 ") && entries[0].endsWith("b.xml"));
        EXPECT_TRUE(entries[2].startsWith("&3 ") && entries[2].endsWith("c.xml"));
        f.app.ExitInstance();
    }
    {
        // The next run reads the list back; an entry whose file is gone leaves when chosen.
        AppFixture f;
        f.app.SetRegistryKey(L"Brandvik Test");
        f.app.LoadStdProfileSettings(3);
        ASSERT_NE(f.app.m_pRecentFileList, nullptr);
        EXPECT_EQ((*f.app.m_pRecentFileList)[0], CString(b.c_str()));
        EXPECT_EQ((*f.app.m_pRecentFileList)[1], CString(d.c_str()));
        // The first run's folder is gone with it: b and c are made again, d stays missing.
        QString folder = QFileInfo(QString::fromStdWString(c)).path();
        QDir().mkpath(folder);
        for (const std::wstring& p : {b, c})
        {
            QFile file(QString::fromStdWString(p));
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(4, '\0'));
        }
        f.Main()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1);
        EXPECT_EQ(f.user.LastText(), d + L" was not found.");
        EXPECT_EQ(StoredRecent(), (Names{b, c}));
        // Choosing an entry opens it and it stays on top.
        f.Main()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1);
        EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);
        EXPECT_EQ(StoredRecent().front(), c);
        f.app.CloseAllDocuments(TRUE);
        QDir(folder).removeRecursively();
    }
}

TEST(Profile, a_damaged_store_is_moved_aside_once_and_a_fresh_one_begins)
{
    AppFixture f;
    EnvGuard env;
    const std::string damaged = QDir(f.dir.path()).filePath("registry.db").toStdString();
    QFile junk(QString::fromStdString(damaged));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'x'));
    junk.close();
    env.set("VELMAR_REGISTRY", damaged);

    f.app.SetRegistryKey(L"Brandvik Test");
    ASSERT_EQ(f.user.boxes.size(), 1u);
    const QStringList aside = QDir(f.dir.path()).entryList({"registry.db.damaged-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_NE(f.user.LastText().find(aside[0].toStdWString()), std::wstring::npos);
    EXPECT_TRUE(f.app.WriteProfileInt(L"Settings", L"PreviewPages", 3));
    f.app.SetRegistryKey(L"Brandvik Test"); // sound now: nothing more to say
    EXPECT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.app.GetProfileInt(L"Settings", L"PreviewPages", 9), 3u);
}
