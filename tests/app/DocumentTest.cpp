// The document: new, open, save (never harming the file on a failure),
// close, the modified mark, and its template strings.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include "SysCalls.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

const char kSample[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<a x=\"1\"><b>one</b><!--note--><b>two</b></a>\n";

std::wstring Params(nkDS::CXmlNodeW* node)
{
    std::wstring out;
    for (uint32_t i = 0; i < node->GetParamCount(); ++i)
        out += std::wstring(node->GetParamName(i)) + L"=" + node->GetParamValue(i) + L";";
    return out;
}

mode_t ModeOf(const std::wstring& path)
{
    struct stat st
    {
    };
    stat(QString::fromStdWString(path).toLocal8Bit().constData(), &st);
    return st.st_mode & 07777;
}

// A clock that jumps by a fixed step at every reading, for load times.
timespec g_clockNow;
long g_clockStepMs = 0;
int SteppingClock(clockid_t, struct timespec* ts)
{
    *ts = g_clockNow;
    long long ns = g_clockNow.tv_nsec + g_clockStepMs * 1000000LL;
    g_clockNow.tv_sec += static_cast<time_t>(ns / 1000000000LL);
    g_clockNow.tv_nsec = static_cast<long>(ns % 1000000000LL);
    return 0;
}

class SysCallsGuard
{
public:
    ~SysCallsGuard()
    {
        w32::ClearInjectedFaults();
        w32::ResetSysCalls();
    }
};

} // namespace

TEST(Document, new_document_holds_one_declaration_and_no_load_time)
{
    EditorFixture f;
    CVelmarDoc* pDoc = f.NewDocument();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetTitle(), CString(L"XML1"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetLoadTime(), 0u);
    nkDS::CXmlFileW& xml = pDoc->GetXmlFile();
    ASSERT_EQ(xml.GetChildCount(), 1u);
    nkDS::CXmlNodeW* header = xml.GetChild(0);
    EXPECT_STREQ(header->GetName(), L"xml");
    EXPECT_EQ(header->GetKind(), static_cast<uint32_t>(nkDS::xnkHeader));
    EXPECT_EQ(Params(header),
              L"version=1.0;encoding=" +
                  QString::fromStdString(nkDS::EncodingNameOfCodePage(GetACP())).toStdWString() +
                  L";");
    EXPECT_EQ(header->GetChildCount(), 0u);

    EXPECT_EQ(f.NewDocument()->GetTitle(), CString(L"XML2"));
}

TEST(Document, a_new_document_declares_the_ansi_code_page)
{
    const QByteArray saved = qgetenv("VELMAR_ACP");
    const struct
    {
        const char* acp;
        LPCWSTR declared;
    } cases[] = {{"65001", L"UTF-8"}, {"936", L"GBK"}, {"1252", L"windows-1252"}};
    for (const auto& c : cases)
    {
        qputenv("VELMAR_ACP", c.acp);
        w32::ReloadAnsiCodePage();
        EditorFixture f;
        CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
        CVelmarDoc* pDoc = f.NewDocument();
        ASSERT_NE(pDoc, nullptr);
        EXPECT_STREQ(pDoc->GetXmlFile().GetChild(0)->GetParamValue(1), c.declared) << c.acp;
    }
    if (saved.isNull())
        qunsetenv("VELMAR_ACP");
    else
        qputenv("VELMAR_ACP", saved);
    w32::ReloadAnsiCodePage();
}

TEST(Document, open_of_a_valid_a_malformed_and_a_missing_file)
{
    EditorFixture f;
    SysCallsGuard guard;
    f.WriteFile("good.xml", kSample);
    f.WriteFile("bad.xml", "<?xml version=\"1.0\"?>\n<a><b></a>\n");

    // The load is timed between two readings of the clock.
    w32::SysCallTable table = w32::DefaultSysCalls();
    table.clock_gettime = SteppingClock;
    g_clockNow = {1000, 0};
    g_clockStepMs = 1234;
    w32::SetSysCalls(table);
    CVelmarDoc* pDoc = f.Open("good.xml");
    w32::ResetSysCalls();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetLoadTime(), 1234u);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_TRUE(f.user.boxes.empty());
    nkDS::CXmlFileW& xml = pDoc->GetXmlFile();
    ASSERT_EQ(xml.GetChildCount(), 2u);
    EXPECT_STREQ(xml.GetChild(1)->GetName(), L"a");
    EXPECT_EQ(xml.GetChild(1)->GetChildCount(), 3u);

    // A timer that wraps during the load still gives the elapsed time.
    f.WriteFile("good2.xml", kSample);
    g_clockNow = {4294967, 292000000}; // 0xFFFFFFFC ms: the 32-bit count wraps 4 ms on
    g_clockStepMs = 7;
    w32::SetSysCalls(table);
    CVelmarDoc* pWrapped = f.Open("good2.xml");
    w32::ResetSysCalls();
    ASSERT_NE(pWrapped, nullptr);
    EXPECT_EQ(pWrapped->GetLoadTime(), 7u);

    const int before = f.OpenDocumentCount();
    CMDIChildWnd* pActive = f.Main()->MDIGetActive();
    EXPECT_EQ(f.Open("bad.xml"), nullptr);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(),
              L"Error open XML file!\n\nbad.xml: line 2, column 7: expected </b>");
    EXPECT_EQ(f.user.boxes.back().caption, L"Velmar");
    EXPECT_EQ(f.OpenDocumentCount(), before);
    f.Spin(0);
    EXPECT_EQ(f.Main()->MDIGetActive(), pActive); // no window of the failed document is left

    // A missing file is the framework's to report; the engine is never asked.
    EXPECT_EQ(f.Open("missing.xml"), nullptr);
    ASSERT_EQ(f.user.boxes.size(), 2u);
    EXPECT_NE(f.user.LastText().find(L"missing.xml"), std::wstring::npos);
    EXPECT_EQ(f.OpenDocumentCount(), before);
}

TEST(Document, save_round_trip_keeps_the_files_permissions)
{
    EditorFixture f;
    f.WriteFile("doc.xml", kSample);
    chmod(QString::fromStdWString(f.Path("doc.xml")).toLocal8Bit().constData(), 0640);
    CVelmarDoc* pDoc = f.Open("doc.xml");
    ASSERT_NE(pDoc, nullptr);
    nkDS::CXmlNodeW* a = pDoc->GetXmlFile().GetChild(1);
    a->GetChild(0)->SetValue(L"uno");
    ASSERT_TRUE(a->AddParam(L"y", L"2"));
    pDoc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(pDoc->DoFileSave());
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_TRUE(f.user.boxes.empty());
    EXPECT_EQ(ModeOf(f.Path("doc.xml")), 0640u);
    EXPECT_EQ(f.FileNames(), std::vector<std::string>{"doc.xml"}); // no temporary file stays
    const std::string saved = f.ReadFile("doc.xml");
    EXPECT_NE(saved.find("<b>uno</b>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("y='2'"), std::string::npos) << saved;

    // Read back, the tree is what was saved; and a new document saved as a new file.
    pDoc->OnCloseDocument();
    CVelmarDoc* pAgain = f.Open("doc.xml");
    ASSERT_NE(pAgain, nullptr);
    EXPECT_STREQ(pAgain->GetXmlFile().GetChild(1)->GetChild(0)->GetValue(), L"uno");
    EXPECT_EQ(Params(pAgain->GetXmlFile().GetChild(1)), L"x=1;y=2;");

    CVelmarDoc* pNew = f.NewDocument();
    ASSERT_NE(pNew, nullptr);
    f.user.fileNames.push_back(f.Path("new.xml"));
    ASSERT_TRUE(pNew->DoFileSave());
    // The prompt offers what the document template names: its filter, its extension.
    ASSERT_EQ(f.user.prompts.size(), 1u);
    EXPECT_EQ(f.user.prompts[0].fileName, L"XML1.xml");
    EXPECT_EQ(f.user.prompts[0].defaultExt, L"xml");
    ASSERT_FALSE(f.user.prompts[0].filters.empty());
    EXPECT_EQ(f.user.prompts[0].filters[0],
              std::make_pair(std::wstring(L"XML Files (*.xml)"), std::wstring(L"*.xml")));
    EXPECT_EQ(pNew->GetTitle(), CString(L"new.xml"));
    const std::string fresh = f.ReadFile("new.xml");
    const std::string declared =
        "<?xml  version='1.0'  encoding='" + nkDS::EncodingNameOfCodePage(GetACP()) + "'?>";
    EXPECT_EQ(fresh.rfind(declared, 0), 0u) << fresh;
}

TEST(Document, a_failed_save_never_harms_the_file_and_keeps_the_document_modified)
{
    EditorFixture f;
    SysCallsGuard guard;
    CVelmarDoc* pDoc = f.OpenWith("doc.xml", kSample);
    ASSERT_NE(pDoc, nullptr);
    pDoc->GetXmlFile().GetChild(1)->GetChild(0)->SetValue(L"changed");

    // The disk fills at the first write; what is on disk stays, the user hears of it once.
    pDoc->SetModifiedFlag(TRUE);
    w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
    EXPECT_FALSE(pDoc->DoFileSave());
    w32::ClearInjectedFaults();
    EXPECT_EQ(f.ReadFile("doc.xml"), kSample);
    EXPECT_EQ(f.FileNames(), std::vector<std::string>{"doc.xml"});
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(), L"Error save to xml file.");
    EXPECT_TRUE(pDoc->IsModified());

    // Save As to a new name that fails leaves no file of that name.
    f.user.boxes.clear();
    f.user.fileNames.push_back(f.Path("other.xml"));
    w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
    EXPECT_FALSE(pDoc->DoSave(nullptr));
    w32::ClearInjectedFaults();
    EXPECT_EQ(f.FileNames(), std::vector<std::string>{"doc.xml"});
    EXPECT_EQ(f.user.LastText(), L"Error save to xml file.");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetTitle(), CString(L"doc.xml"));

    // With the fault gone the same document saves.
    EXPECT_TRUE(pDoc->DoFileSave());
    EXPECT_NE(f.ReadFile("doc.xml").find("changed"), std::string::npos);
}

TEST(Document, a_file_in_a_read_only_folder_is_saved_in_place_or_left_as_it_was)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    SysCallsGuard guard;
    CVelmarDoc* pDoc = f.OpenWith("doc.xml", kSample);
    ASSERT_NE(pDoc, nullptr);
    pDoc->GetXmlFile().GetChild(1)->SetName(L"renamed");
    const QByteArray folder = QFile::encodeName(f.dir.path());
    const QByteArray file = QFile::encodeName(QString::fromStdWString(f.Path("doc.xml")));
    ASSERT_EQ(chmod(file.constData(), 0640), 0);
    ASSERT_EQ(chmod(folder.constData(), 0555), 0);
    const auto save = [&](bool diskFull)
    {
        pDoc->SetModifiedFlag(TRUE);
        // The superuser writes into any folder; give it the refusal others get.
        if (geteuid() == 0)
            w32::FailNthCall(w32::SysCall::Open, 1, EACCES);
        if (diskFull)
            w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
        const BOOL saved = pDoc->DoFileSave();
        w32::ClearInjectedFaults();
        return saved;
    };

    // Even the in-place write fails: the old bytes are put back, and the user is told.
    EXPECT_FALSE(save(true));
    EXPECT_EQ(f.ReadFile("doc.xml"), kSample);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.LastText(), L"Error save to xml file.");
    EXPECT_TRUE(pDoc->IsModified());

    EXPECT_TRUE(save(false));
    chmod(folder.constData(), 0755);
    const std::string saved = f.ReadFile("doc.xml");
    EXPECT_EQ(saved.substr(saved.find("<renamed")),
              "<renamed  x='1'>\r\n <b>one</b>\r\n <!--note-->\r\n "
              "<b>two</b>\r\n</renamed>\r\n");
    EXPECT_EQ(f.FileNames(), std::vector<std::string>{"doc.xml"});
    EXPECT_EQ(ModeOf(f.Path("doc.xml")), 0640u);
    EXPECT_EQ(f.user.boxes.size(), 1u);
    EXPECT_FALSE(pDoc->IsModified());
}

TEST(Document, modified_mark_reaches_only_the_active_child_caption)
{
    EditorFixture f;
    CVelmarDoc* pDoc = f.NewDocument();
    ASSERT_NE(pDoc, nullptr);
    f.Spin(0);
    auto* pChild = static_cast<CTestChildFrame*>(f.Main()->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    if (CWnd::GetActiveWindow() != f.Main())
        GTEST_SKIP() << "this platform gives no window the activation";

    pDoc->SetModifiedFlag(FALSE);
    const int before = pChild->m_nTitleUpdates; // activation asks too
    pDoc->SetModifiedFlag(2);                   // true, but not TRUE
    EXPECT_EQ(pChild->m_nTitleUpdates, before);
    EXPECT_TRUE(pDoc->IsModified());
    pDoc->SetModifiedFlag(TRUE);
    EXPECT_EQ(pChild->m_nTitleUpdates, before + 1);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"XML1") + kModifiedMark);

    // Another window in front (a dialog, a message box) keeps every caption.
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    f.Spin(0);
    if (CWnd::GetActiveWindow() != f.Main())
    {
        pDoc->SetModifiedFlag(TRUE);
        EXPECT_EQ(pChild->m_nTitleUpdates, before + 1);
    }
}

TEST(Document, close_empties_the_tree_and_the_load_time_before_the_object_goes)
{
    EditorFixture f;
    CVelmarDoc* pDoc = f.OpenWith("doc.xml", kSample);
    ASSERT_NE(pDoc, nullptr);
    pDoc->m_bAutoDelete = FALSE;
    pDoc->OnCloseDocument();
    EXPECT_EQ(pDoc->GetLoadTime(), 0u);
    EXPECT_EQ(pDoc->GetXmlFile().GetChildCount(), 0u);
    EXPECT_EQ(f.OpenDocumentCount(), 1);
    delete pDoc;
    EXPECT_EQ(f.OpenDocumentCount(), 0);
}

TEST(Document, another_programs_change_is_offered_for_reload_and_not_saved_over_unasked)
{
    EditorFixture f;
    DocWindow w = f.OpenSample(kSample);
    ASSERT_TRUE(w.doc && w.tree);
    const std::string theirs = "<?xml version=\"1.0\"?>\n<theirs/>\n";
    const std::string again = "<?xml version=\"1.0\"?>\n<again x=\"1\"/>\n";

    // Kept: asked once for that change, with the unsaved changes named.
    w.doc->SetModifiedFlag(TRUE);
    f.WriteFile("doc.xml", theirs);
    f.user.answers = {IDNO};
    w.view->OnSetFocus(nullptr); // as coming back to the window does
    EXPECT_FALSE(w.doc->CheckFileChanged(nullptr));
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_NE(f.user.LastText().find(L"unsaved changes"), std::wstring::npos);
    EXPECT_STREQ(w.root->GetChild(1)->GetName(), L"a");

    // Saving over it asks first; declined, their file stays.
    f.user.answers = {IDNO};
    EXPECT_FALSE(w.doc->DoFileSave());
    EXPECT_EQ(f.ReadFile("doc.xml"), theirs);
    EXPECT_EQ(f.user.boxes.size(), 2u);

    // Another change: reloaded into every tree, clean.
    f.WriteFile("doc.xml", again);
    f.user.answers = {IDYES};
    EXPECT_TRUE(w.doc->CheckFileChanged(nullptr));
    EXPECT_EQ(f.user.boxes.size(), 3u);
    EXPECT_STREQ(w.root->GetChild(1)->GetName(), L"again");
    EXPECT_NE(ItemAt(*w.tree, {L"again", L"Child Vars", L"x"}), nullptr);
    EXPECT_FALSE(w.doc->IsModified());
    EXPECT_FALSE(w.doc->CheckFileChanged(nullptr));

    // Saved by the editor: no question, nor after.
    w.doc->SetModifiedFlag(TRUE);
    EXPECT_TRUE(w.doc->DoFileSave());
    EXPECT_FALSE(w.doc->CheckFileChanged(nullptr));
    EXPECT_EQ(f.user.boxes.size(), 3u);
}
