// The shell actions: preview in the browser, export of one node, the text
// editor and the property sheet. Every process start goes to a recorder and
// every dialog to a scripted user, so nothing outside the test's folder is
// touched or started.
#include "EditorTestApp.h"

#include "velmar/app/Resource.h"
#include "velmar/app/ShellActions.h"
#include "velmar/app/XMLContentView.h"
#include "support/EnvGuard.h"
#include "velmar/io/Orvex.h"
#include "SysCalls.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <cerrno>
#include <cstdlib>

using namespace testsupport;

namespace
{

using Argv = std::vector<std::string>;

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<?xml-stylesheet href=\"s.css\"?>\n"
                    "<a x=\"1\"><b>one</b><!--note--><c y=\"2\">two</c></a>\n";

class ShellFixture : public EditorFixture
{
public:
    // The browser and the text editor are named, and launched into the recorder only.
    ShellFixture()
    {
        setenv("BROWSER", "/bin/true", 1);
        setenv("VISUAL", "velmar-test-editor", 1);
        CoInitialize(nullptr);
        w32::SetLauncher(
            [this](const w32::LaunchRequest& request, int* processId)
            {
                launches.push_back(request.argv);
                if (processId)
                    *processId = 0;
                return launchResult;
            });
    }
    ~ShellFixture()
    {
        w32::SetLauncher({});
        CoUninitialize();
        unsetenv("BROWSER");
        unsetenv("VISUAL");
    }

    CTestChildFrame* Frame() const { return ActiveChild(); }
    HWND FrameHwnd() const { return Frame()->GetSafeHwnd(); }

    // As a menu or key does it: through the main frame's routing, after the update pass.
    bool Enabled(UINT nID)
    {
        CTestCmdUI ui;
        ui.m_nID = nID;
        ui.DoUpdate(Frame(), TRUE);
        return ui.m_bEnabled;
    }
    void Run(UINT nID)
    {
        if (Enabled(nID))
            Main()->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    }
    static std::string Utf8(const std::wstring& s)
    {
        return QString::fromStdWString(s).toStdString();
    }
    std::string Url(const char* name) const { return w32::FileUrl(Utf8(Path(name))); }

    std::vector<Argv> launches;
    DWORD launchResult = ERROR_SUCCESS; // what a launch answers
};

// The English texts; TranslationTest checks the Chinese.
const wchar_t kNotSaved[] = L"The document has not been saved yet!";
const wchar_t kNotSavedCaption[] = L"Failed";
const wchar_t kExportFailed[] = L"Node export failed!";

} // namespace

TEST(ShellActions, preview_shows_the_saved_file_and_never_the_tree)
{
    ShellFixture f;
    CVelmarDoc* pDoc = f.NewDocument();
    ASSERT_TRUE(pDoc && f.Frame());

    // Never saved: the message, owned by the document's window, and no browser.
    EXPECT_TRUE(f.Enabled(ID_XML_PREVIEW));
    f.Run(ID_XML_PREVIEW);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.boxes[0].text, kNotSaved);
    EXPECT_EQ(f.user.boxes[0].caption, kNotSavedCaption);
    EXPECT_EQ(f.user.boxes[0].style & (MB_ICONMASK | MB_TYPEMASK), MB_ICONINFORMATION | MB_OK);
    EXPECT_EQ(f.user.boxes[0].owner, f.FrameHwnd());
    EXPECT_TRUE(f.launches.empty());

    // Saved: the browser gets the file's address, and nothing is asked.
    ASSERT_TRUE(pDoc->DoSave(f.Path("saved.xml").c_str()));
    const std::string saved = f.ReadFile("saved.xml");
    f.Run(ID_XML_PREVIEW);
    ASSERT_EQ(f.launches.size(), 1u);
    EXPECT_EQ(f.launches[0], (Argv{"/bin/true", f.Url("saved.xml")}));
    EXPECT_EQ(f.user.boxes.size(), 1u);
    // From the content pane too: the preview takes the tree pane's document.
    f.Frame()->SetActiveView(f.Frame()->Content());
    EXPECT_TRUE(f.Enabled(ID_XML_PREVIEW));
    f.Run(ID_XML_PREVIEW);
    ASSERT_EQ(f.launches.size(), 2u);
    EXPECT_EQ(f.launches[1].back(), f.Url("saved.xml"));
    f.Frame()->SetActiveView(f.Frame()->Tree());
    f.launches.pop_back();

    // Edited, not saved: still the file as saved, which the preview leaves alone.
    nkDS::CXmlNodeW* pNode = nkDS::CreateXmlNodeW();
    pNode->SetName(L"fresh");
    ASSERT_TRUE(pDoc->GetXmlFile().AddChild(pNode));
    pDoc->SetModifiedFlag(TRUE);
    f.Run(ID_XML_PREVIEW);
    ASSERT_EQ(f.launches.size(), 2u);
    EXPECT_EQ(f.launches[1].back(), f.Url("saved.xml"));
    EXPECT_EQ(f.ReadFile("saved.xml"), saved);
    EXPECT_TRUE(pDoc->IsModified());

    // Without the browser's class (COM not set up), or when the browser cannot be
    // started, the user hears of it, with the file named.
    CoUninitialize();
    f.Run(ID_XML_PREVIEW);
    CoInitialize(nullptr);
    f.launchResult = ERROR_FILE_NOT_FOUND;
    f.Run(ID_XML_PREVIEW);
    f.launchResult = ERROR_SUCCESS;
    EXPECT_EQ(f.launches.size(), 3u);
    ASSERT_EQ(f.user.boxes.size(), 3u);
    for (size_t i : {1u, 2u})
        EXPECT_NE(f.user.boxes[i].text.find(f.Path("saved.xml")), std::wstring::npos)
            << f.user.boxes[i].text;

    // The file deleted behind the editor's back: not saved, as far as the preview knows.
    ASSERT_TRUE(QFile::remove(QString::fromStdWString(f.Path("saved.xml"))));
    f.Run(ID_XML_PREVIEW);
    EXPECT_EQ(f.launches.size(), 3u);
    ASSERT_EQ(f.user.boxes.size(), 4u);
    EXPECT_EQ(f.user.boxes[3].text, kNotSaved);
}

TEST(ShellActions, export_writes_the_headers_then_the_selected_node)
{
    ShellFixture f;
    CVelmarDoc::SetStrictDialect(true);
    CVelmarDoc* pDoc = f.OpenWith("doc.xml", kDoc);
    ASSERT_TRUE(pDoc && f.Frame());
    // In the writer's own layout: CR LF, single quotes, nested nodes indented.
    const std::string headers =
        "<?xml  version='1.0'  encoding='UTF-8'?>\r\n<?xml-stylesheet  href='s.css'?>\r\n";

    // An element: the save prompt as the user sees it, then headers in order and the element.
    ASSERT_TRUE(f.Select({L"a", L"Child Nodes", L"c"}));
    EXPECT_TRUE(f.Enabled(ID_XML_EXPORT_NODE));
    f.user.fileNames.push_back(f.Path("c.xml"));
    f.Run(ID_XML_EXPORT_NODE);
    ASSERT_EQ(f.user.prompts.size(), 1u);
    const w32::FileDialogRequest& prompt = f.user.prompts[0];
    EXPECT_TRUE(prompt.save);
    EXPECT_EQ(prompt.owner, f.FrameHwnd());
    EXPECT_EQ(prompt.title, L"Export node");
    ASSERT_EQ(prompt.filters.size(), 1u);
    EXPECT_EQ(prompt.filters[0].first, L"XML Documents (*.xml)");
    EXPECT_EQ(prompt.filters[0].second, L"*.xml");
    EXPECT_EQ(prompt.defaultExt, L"xml");
    EXPECT_EQ(prompt.fileName, L"");
    EXPECT_EQ(prompt.flags,
              static_cast<DWORD>(OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(f.ReadFile("c.xml"), headers + "<c  y='2'>two</c>\r\n");
    EXPECT_TRUE(f.user.boxes.empty());

    // A parameter's item exports the element that owns it, subtree and all.
    ASSERT_TRUE(f.Select({L"a", L"Child Vars", L"x"}));
    f.user.fileNames.push_back(f.Path("a.xml"));
    f.Run(ID_XML_EXPORT_NODE);
    EXPECT_EQ(f.ReadFile("a.xml"),
              headers +
                  "<a  x='1'>\r\n <b>one</b>\r\n <!--note-->\r\n <c  y='2'>two</c>\r\n</a>\r\n");

    // Onto a longer file: replaced after the overwrite question, nothing of the old left.
    f.WriteFile("long.xml", std::string(5000, 'z'));
    ASSERT_TRUE(f.Select({L"a", L"Child Nodes", L"Remark"}));
    EXPECT_TRUE(f.Enabled(ID_XML_EXPORT_NODE));
    f.user.fileNames.push_back(f.Path("long.xml"));
    f.user.answers.push_back(IDYES);
    f.Run(ID_XML_EXPORT_NODE);
    ASSERT_EQ(f.user.boxes.size(), 1u); // the dialog's own question
    EXPECT_EQ(f.ReadFile("long.xml"), headers + "<!--note-->\r\n");

    // Cancelled: no file, no message. The document is never touched by an export.
    f.user.fileNames.push_back(L"");
    f.Run(ID_XML_EXPORT_NODE);
    EXPECT_EQ(f.FileNames(), (std::vector<std::string>{"a.xml", "c.xml", "doc.xml", "long.xml"}));
    EXPECT_EQ(f.user.boxes.size(), 1u);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(f.ReadFile("doc.xml"), kDoc);
}

TEST(ShellActions, export_that_cannot_write_its_file_says_so)
{
    ShellFixture f;
    ASSERT_TRUE(f.OpenWith("doc.xml", kDoc));
    ASSERT_TRUE(f.Select({L"a", L"Child Nodes", L"b"}));

    // A read-only file cannot be replaced: the user hears of it, the file keeps its bytes.
    f.WriteFile("locked.xml", "old");
    ASSERT_TRUE(SetFileAttributesW(f.Path("locked.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    f.user.fileNames.push_back(f.Path("locked.xml"));
    f.user.answers.push_back(IDYES);
    f.Run(ID_XML_EXPORT_NODE);
    ASSERT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(f.user.boxes[1].text, kExportFailed);
    EXPECT_EQ(f.user.boxes[1].style & MB_TYPEMASK, MB_OK);
    EXPECT_EQ(f.ReadFile("locked.xml"), "old");
    SetFileAttributesW(f.Path("locked.xml").c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that does not exist: the same.
    f.user.fileNames.push_back(f.Path("nowhere/b.xml"));
    f.Run(ID_XML_EXPORT_NODE);
    ASSERT_EQ(f.user.boxes.size(), 3u);
    EXPECT_EQ(f.user.boxes[2].text, kExportFailed);

    // The disk fills during the write: the file that was there stays whole.
    f.user.fileNames.push_back(f.Path("locked.xml"));
    f.user.answers.push_back(IDYES);
    w32::FailNthCall(w32::SysCall::Pwrite, 1, ENOSPC);
    f.Run(ID_XML_EXPORT_NODE);
    w32::ClearInjectedFaults();
    ASSERT_EQ(f.user.boxes.size(), 5u);
    EXPECT_EQ(f.user.boxes[4].text, kExportFailed);
    EXPECT_EQ(f.ReadFile("locked.xml"), "old");
    EXPECT_EQ(f.FileNames(), (std::vector<std::string>{"doc.xml", "locked.xml"}));
}

TEST(ShellActions, export_is_offered_for_nodes_of_the_tree_pane_only)
{
    ShellFixture f;
    ASSERT_TRUE(f.OpenWith("doc.xml", kDoc));
    const std::vector<std::vector<std::wstring>> refused = {
        {L"xml"},
        {L"xml-stylesheet"},
        {L"xml", L"Child Vars"},
        {L"xml", L"Child Vars", L"version"},
        {L"a", L"Child Vars"},
        {L"a", L"Child Nodes"},
        {L"a", L"Node Value"},
        {L"a", L"Child Nodes", L"b", L"Node Value"}};
    for (const auto& labels : refused)
    {
        ASSERT_TRUE(f.Select(labels)) << f.Utf8(labels.back());
        EXPECT_FALSE(f.Enabled(ID_XML_EXPORT_NODE)) << f.Utf8(labels.back());
    }
    // Run as if enabled: nothing is asked.
    f.Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_XML_EXPORT_NODE, 0), 0);
    EXPECT_TRUE(f.user.prompts.empty());

    for (const auto& labels : std::vector<std::vector<std::wstring>>{
             {L"a"}, {L"a", L"Child Vars", L"x"}, {L"a", L"Child Nodes", L"Remark"}})
    {
        ASSERT_TRUE(f.Select(labels));
        EXPECT_TRUE(f.Enabled(ID_XML_EXPORT_NODE)) << f.Utf8(labels.back());
    }
    // The content pane in front: its selection is text, not a node.
    f.Frame()->SetActiveView(f.Frame()->Content());
    EXPECT_FALSE(f.Enabled(ID_XML_EXPORT_NODE));
    f.Frame()->SetActiveView(f.Frame()->Tree());
    EXPECT_TRUE(f.Enabled(ID_XML_EXPORT_NODE));
    // Nothing selected.
    f.ActiveTree()->SelectItem(nullptr);
    EXPECT_FALSE(f.Enabled(ID_XML_EXPORT_NODE));
}

TEST(ShellActions, notepad_and_properties_open_the_file_on_disk_as_one_name)
{
    ShellFixture f;
    CVelmarDoc* pDoc = f.NewDocument();
    ASSERT_TRUE(pDoc);
    EXPECT_FALSE(f.Enabled(ID_EDIT_NOTEPAD));
    EXPECT_FALSE(f.Enabled(ID_FILE_PROPERTY));
    // Run even so: there is no file to hand over.
    f.Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_NOTEPAD, 0), 0);
    f.Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_PROPERTY, 0), 0);
    EXPECT_TRUE(f.launches.empty());
    EXPECT_TRUE(f.user.sheets.empty());

    // Saved under a name with blanks: the editor gets it as one argument.
    QDir(QString::fromStdWString(f.Path(""))).mkdir(QStringLiteral("my docs"));
    const std::wstring path = f.Path("my docs/a b.xml");
    ASSERT_TRUE(pDoc->DoSave(path.c_str()));
    EXPECT_TRUE(f.Enabled(ID_EDIT_NOTEPAD));
    EXPECT_TRUE(f.Enabled(ID_FILE_PROPERTY));
    f.Run(ID_EDIT_NOTEPAD);
    ASSERT_EQ(f.launches.size(), 1u);
    EXPECT_EQ(f.launches[0], (Argv{"velmar-test-editor", f.Utf8(path)}));
    // Windows splits a command line at blanks outside quotes: the path stays whole there too.
    EXPECT_EQ(w32::SplitCommandLine(f.Utf8(CommandLineArgument(path.c_str()))), Argv{f.Utf8(path)});
    EXPECT_EQ(w32::SplitCommandLine(f.Utf8(CommandLineArgument(L"C:\\My Files\\x y.xml"))),
              Argv{"C:\\My Files\\x y.xml"});
    f.Run(ID_FILE_PROPERTY);
    ASSERT_EQ(f.user.sheets.size(), 1u);
    EXPECT_EQ(f.user.sheets[0].first, f.FrameHwnd());
    EXPECT_EQ(f.user.sheets[0].second, path);
    EXPECT_TRUE(f.user.boxes.empty());

    // With the content pane in front, Notepad still has the document; the sheet wants the tree.
    f.Frame()->SetActiveView(f.Frame()->Content());
    EXPECT_TRUE(f.Enabled(ID_EDIT_NOTEPAD));
    EXPECT_FALSE(f.Enabled(ID_FILE_PROPERTY));
    f.Frame()->SetActiveView(f.Frame()->Tree());

    // The file deleted after opening: neither is offered any more.
    ASSERT_TRUE(QFile::remove(QString::fromStdWString(path)));
    EXPECT_FALSE(f.Enabled(ID_EDIT_NOTEPAD));
    EXPECT_FALSE(f.Enabled(ID_FILE_PROPERTY));
    f.Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_NOTEPAD, 0), 0);
    EXPECT_EQ(f.launches.size(), 1u);
}

TEST(ShellActions, file_exists_means_a_file_not_a_folder)
{
    ShellFixture f;
    f.WriteFile("file.xml", "x");
    QDir(QString::fromStdWString(f.Path(""))).mkdir(QStringLiteral("folder.xml"));
    EXPECT_TRUE(FileExists(f.Path("file.xml").c_str()));
    EXPECT_FALSE(FileExists(f.Path("folder.xml").c_str()));
    EXPECT_FALSE(FileExists(f.Path("missing.xml").c_str()));
    EXPECT_FALSE(FileExists(f.Path("file.xml/").c_str()));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_FALSE(FileExists(nullptr));
    ASSERT_TRUE(SetFileAttributesW(f.Path("file.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileExists(f.Path("file.xml").c_str()));

    // A file past the 32-bit run-time's size limit still exists (sparse: no blocks written).
    {
        Orvex::CFileStream big(f.Path("big.xml").c_str(), Orvex::kModeWrite, true);
        ASSERT_TRUE(big.IsOpen());
        ASSERT_TRUE(big.GetFile().SetLength64(0x80000000u, 0));
    }
    EXPECT_TRUE(FileExists(f.Path("big.xml").c_str()));
}

TEST(ShellActions, a_long_text_is_read_only_and_offered_to_the_text_editor)
{
    ShellFixture f;
    EnvGuard env;
    env.set("TMPDIR", f.Utf8(f.Path("")));
    const size_t n = CXMLContentView::kLongText;
    const std::string value = std::string(n, 'v') + "\xE4\xB8\xAD"; // one CJK character past it
    DocWindow w = f.OpenSample("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a><b>" + value +
                               "</b><c>" + std::string(n, 'c') + "</c></a>");
    ASSERT_TRUE(w.doc);
    CXMLContentView* pPane = w.frame->Content();
    const auto button = [&]() -> QPushButton*
    {
        QWidget* pLong = pPane->GetLongTextPane();
        return pLong ? pLong->findChild<QPushButton*>() : nullptr;
    };

    // As long as the limit: still the edit control.
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"c", L"Node Value"}));
    EXPECT_FALSE(pPane->IsShowingLongText());
    EXPECT_EQ(pPane->GetWindowTextLength(), (int)n);

    // Past it: read-only, the control empty, so no keystroke reaches the node.
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b", L"Node Value"}));
    ASSERT_TRUE(pPane->IsShowingLongText() && button());
    EXPECT_EQ(pPane->GetWindowTextLength(), 0);
    EXPECT_TRUE(pPane->GetEditCtrl().IsReadOnly());
    EXPECT_EQ(button()->text(), QStringLiteral("Edit in Text Editor"));

    // No editor starts: said so, and no file is left.
    f.launchResult = ERROR_FILE_NOT_FOUND;
    button()->click();
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.FileNames(), (std::vector<std::string>{"doc.xml"}));
    EXPECT_TRUE(pPane->GetOutsideFile().empty());

    f.launchResult = ERROR_SUCCESS;
    button()->click();
    const std::wstring file = pPane->GetOutsideFile();
    ASSERT_EQ(f.launches.size(), 2u);
    EXPECT_EQ(f.launches[1], (Argv{"velmar-test-editor", f.Utf8(file)}));
    EXPECT_EQ(button()->text(), QStringLiteral("Load Edited Text"));
    const std::string name = f.Utf8(file).substr(f.Utf8(f.Path("")).size() + 1);
    EXPECT_EQ(f.ReadFile(name.c_str()), value);

    // What the editor saved is loaded back: a file that is not UTF-8 is
    // refused and kept, a good one stored as one step and removed.
    f.WriteFile(name.c_str(), "fish \xFF chips");
    button()->click();
    ASSERT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(f.ReadFile(name.c_str()), "fish \xFF chips");
    EXPECT_TRUE(pPane->IsShowingLongText());
    f.WriteFile(name.c_str(), "\xEF\xBB\xBF"
                              "fish & chips");
    button()->click();
    EXPECT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(f.FileNames(), (std::vector<std::string>{"doc.xml"}));
    EXPECT_FALSE(pPane->IsShowingLongText());
    EXPECT_EQ(pPane->GetWindowText(), CString(L"fish & chips"));
    ASSERT_TRUE(w.doc->DoSave(f.Path("doc.xml").c_str()));
    EXPECT_NE(f.ReadFile("doc.xml").find("<b>fish &amp; chips</b>"), std::string::npos);

    // Undone, the long text is back, and the pane offers the editor again.
    f.Main()->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    ASSERT_TRUE(w.Select({L"a", L"Child Nodes", L"b", L"Node Value"}));
    ASSERT_TRUE(pPane->IsShowingLongText() && button());
    EXPECT_EQ(button()->text(), QStringLiteral("Edit in Text Editor"));
}
