// Start-up of the editor: the application object in this process with its
// command line set, and the built program as a process of its own.
#include "EditorTestApp.h"

#include "velmar/app/AboutDlg.h"
#include "velmar/app/Resource.h"
#include "velmar/app/VelmarApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <vector>

using namespace testsupport;

namespace
{

const char kValid[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><item>1</item></root>\n";
const char kMalformed[] = "<?xml version=\"1.0\"?>\n<root>\n <item>1\n </root>\n";

// One start of the editor with its own registry file and a scripted user.
class StartFixture : public GuiFixture
{
public:
    explicit StartFixture(const std::vector<std::string>& files = {})
    {
        if (const char* old = std::getenv("VELMAR_REGISTRY"))
            savedRegistry = old;
        setenv("VELMAR_REGISTRY",
               QDir(dir.path()).filePath("registry.db").toLocal8Bit().constData(), 1);
        for (const std::string& name : files)
            WriteFile(name.c_str(), kValid);
    }
    ~StartFixture()
    {
        Stop();
        setenv("VELMAR_REGISTRY", savedRegistry.c_str(), 1);
    }

    // Starts the application with `args` as its command line; InitInstance's answer.
    BOOL Start(const std::vector<std::wstring>& args)
    {
        Stop();
        app = std::make_unique<CVelmarApp>();
        app->SetCommandLine(args);
        const BOOL started = app->InitInstance();
        SpinEvents(0);
        return started;
    }
    // Ends it as the framework does, closing documents without asking.
    int Stop()
    {
        if (!app)
            return 0;
        CloseApplication(*app);
        const int result = app->ExitInstance();
        app.reset();
        return result;
    }

    CMainFrame* Main() const { return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr; }
    int Documents() const { return app->GetOpenDocumentCount(); }

    std::string savedRegistry;
    std::unique_ptr<CVelmarApp> app;
};

// A value under HKEY_CURRENT_USER\Software\Brandvik Corp.\Velmar\Recent File List.
std::optional<std::wstring> RecentFile(LPCWSTR name)
{
    return RegistryString(L"Software\\Brandvik Corp.\\Velmar\\Recent File List", name);
}

} // namespace

TEST(Startup, without_arguments_shows_the_main_window_with_no_document)
{
    StartFixture f;
    ASSERT_TRUE(f.Start({}));
    CMainFrame* pMain = f.Main();
    ASSERT_NE(pMain, nullptr);
    EXPECT_EQ(f.Documents(), 0);
    EXPECT_EQ(pMain->MDIGetActive(), nullptr);
    EXPECT_TRUE(pMain->IsWindowVisible());
    EXPECT_EQ(pMain->GetWindowText(), CString(L"Velmar"));
    EXPECT_EQ(CString(f.app->m_pszAppName), CString(L"Velmar"));
    EXPECT_TRUE(pMain->GetExStyle() & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(f.app->IsShellOpenEnabled());
    ASSERT_NE(pMain->GetMenu(), nullptr);
    EXPECT_EQ(pMain->GetMenu()->nID, static_cast<UINT>(IDR_MAINFRAME));
    EXPECT_TRUE(f.user.boxes.empty());
    EXPECT_EQ(f.Stop(), 0);
}

TEST(Startup, with_a_file_opens_it_in_a_document_window)
{
    StartFixture f({"doc.xml"});
    ASSERT_TRUE(f.Start({f.Path("doc.xml")}));
    ASSERT_EQ(f.Documents(), 1);
    CMainFrame* pMain = f.Main();
    auto* pChild = dynamic_cast<CChildFrame*>(pMain->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    auto* pDoc = dynamic_cast<CVelmarDoc*>(pChild->GetActiveDocument());
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"doc.xml"));
    ASSERT_NE(pMain->GetMenu(), nullptr);
    EXPECT_EQ(pMain->GetMenu()->nID, static_cast<UINT>(IDR_XMLTYPE));
    EXPECT_TRUE(f.user.boxes.empty());
}

TEST(Startup, with_a_malformed_file_says_so_and_fails)
{
    StartFixture f;
    f.WriteFile("bad.xml", kMalformed);
    EXPECT_FALSE(f.Start({f.Path("bad.xml")}));
    ASSERT_FALSE(f.user.boxes.empty());
    EXPECT_EQ(f.user.boxes.front().text,
              L"Error open XML file!\n\nbad.xml: line 4, column 2: expected </item>");
    EXPECT_EQ(f.Documents(), 0);
    // A missing file fails as well, with the framework's own message.
    StartFixture g;
    EXPECT_FALSE(g.Start({g.Path("missing.xml")}));
    EXPECT_FALSE(g.user.boxes.empty());
}

TEST(Startup, recent_files_keep_the_five_latest_in_the_settings)
{
    StartFixture f({"1.xml", "2.xml", "3.xml", "4.xml", "5.xml", "6.xml"});
    ASSERT_TRUE(f.Start({}));
    for (const char* name : {"1.xml", "2.xml", "3.xml", "4.xml", "5.xml", "6.xml"})
        ASSERT_NE(f.app->OpenDocumentFile(f.Path(name).c_str()), nullptr) << name;
    ASSERT_NE(f.app->m_pRecentFileList, nullptr);
    EXPECT_EQ(f.app->m_pRecentFileList->GetSize(), 5);
    EXPECT_EQ(f.Stop(), 0);

    // Written at exit under the company's key, read back at the next start.
    EXPECT_EQ(RecentFile(L"File1"), f.Path("6.xml"));
    EXPECT_EQ(RecentFile(L"File5"), f.Path("2.xml"));
    EXPECT_EQ(RecentFile(L"File6"), std::nullopt);
    ASSERT_TRUE(f.Start({}));
    ASSERT_EQ(f.app->m_pRecentFileList->GetSize(), 5);
    EXPECT_EQ((*f.app->m_pRecentFileList)[0], CString(f.Path("6.xml")));
    EXPECT_EQ((*f.app->m_pRecentFileList)[4], CString(f.Path("2.xml")));
}

TEST(AboutBox, shows_the_credit_at_once_and_the_build_line_once_shown)
{
    // The compiler's forms, with no blank after the comma.
    EXPECT_EQ(CAboutDlg::BuildLine("Jun 12 2009", "00:16:47"),
              CString(L"Built: Jun 12 2009,00:16:47."));
    EXPECT_EQ(CAboutDlg::BuildLine("Jan  2 2026", "23:59:59"),
              CString(L"Built: Jan  2 2026,23:59:59."));

    StartFixture f;
    ASSERT_TRUE(f.Start({}));
    CAboutDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ABOUTBOX, f.Main()));
    CString info, build;
    dlg.GetDlgItemText(IDC_ABOUT_INFO, info);
    EXPECT_TRUE(info.Find(L"Orvex") >= 0);
    dlg.GetDlgItemText(IDC_ABOUT_BUILD, build);
    EXPECT_EQ(build, CString(L"")); // not shown yet
    dlg.ShowWindow(SW_SHOW);
    dlg.GetDlgItemText(IDC_ABOUT_BUILD, build);
    const QRegularExpression form(
        "^Built: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4},[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\\.$");
    EXPECT_TRUE(form.match(AfxToQString(build)).hasMatch()) << AfxToQString(build).toStdString();
    EXPECT_EQ(dlg.GetWindowText(), CString(L"About Velmar"));
    dlg.DestroyWindow();

    // Help > About runs it modally; OK ends it.
    QString seen;
    QTimer::singleShot(50,
                       [&]
                       {
                           if (QWidget* pBox = QApplication::activeModalWidget())
                           {
                               seen = pBox->windowTitle();
                               if (CWnd* pWnd = CWnd::FromHandlePermanent(CWnd::HandleOf(pBox)))
                                   pWnd->SendMessage(WM_COMMAND, IDOK);
                           }
                       });
    f.Main()->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(seen, QString("About Velmar"));
}

TEST(Startup, the_program_ends_with_a_failure_status_on_a_malformed_file)
{
    GuiFixture f;
    f.WriteFile("bad.xml", kMalformed);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const auto& [name, value] : PrivateHome(f.dir.path()))
        env.insert(name, value);
    QProcess velmar;
    velmar.setProcessEnvironment(env);
    velmar.start(QStringLiteral(VELMAR_EXE), {QString::fromStdWString(f.Path("bad.xml"))});
    // No person sees an offscreen screen: the message goes to standard error.
    ASSERT_TRUE(velmar.waitForFinished(30000))
        << "the program waited for an answer nobody can give";
    EXPECT_EQ(velmar.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(velmar.exitCode(), 0);
    const QByteArray said = velmar.readAllStandardError();
    EXPECT_TRUE(said.contains("Error open XML file!"));
    EXPECT_TRUE(said.contains("bad.xml: line 4, column 2: expected </item>")) << said.constData();
}
