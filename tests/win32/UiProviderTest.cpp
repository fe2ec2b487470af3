#include "Win32TestSupport.h"

namespace
{

using testsupport::ScriptedUi;
using testsupport::Wide;

struct SaveDialog
{
    wchar_t file[261] = {};
    wchar_t title[64] = {};
    OPENFILENAMEW ofn = {};
    SaveDialog()
    {
        ofn.lStructSize = sizeof(ofn);
        ofn.lpstrFilter = L"XML Files (*.xml)\0*.xml\0All Files\0*.*\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = 261;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = 64;
        ofn.lpstrTitle = L"Export node";
        ofn.lpstrDefExt = L"xml";
        ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    }
};

} // namespace

TEST(MessageBox, ButtonSetsAndDefaultButtons)
{
    int ids[3];
    EXPECT_EQ(1, w32::MessageBoxButtons(MB_OK, ids));
    EXPECT_EQ(3, w32::MessageBoxButtons(MB_YESNOCANCEL, ids));
    EXPECT_EQ(IDYES, ids[0]);
    EXPECT_EQ(IDCANCEL, ids[2]);
    EXPECT_EQ(0, w32::MessageBoxButtons(7, ids));

    EXPECT_EQ(IDOK, w32::MessageBoxDefaultButton(MB_OK | MB_DEFBUTTON3));
    EXPECT_EQ(IDIGNORE, w32::MessageBoxDefaultButton(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3));
    // A default button the box lacks falls back to the first.
    EXPECT_EQ(IDRETRY, w32::MessageBoxDefaultButton(MB_RETRYCANCEL | MB_DEFBUTTON3));
    EXPECT_EQ(IDCANCEL, w32::MessageBoxDefaultButton(MB_CANCELTRYCONTINUE));
}

TEST(MessageBox, ScriptedProviderSeesTheRequestAndAnswers)
{
    ScriptedUi ui;
    w32::ScopedUiProvider scope(&ui);
    HWND owner = reinterpret_cast<HWND>(0x1234);
    ui.boxAnswers = {IDNO};
    // The delete confirmation: Yes/No, question icon, No by default.
    const wchar_t text[] = {0x786E, 0x8BA4, 0x5220, 0x9664, 0x8282, 0x70B9, 0xFF1F, 0};
    const wchar_t caption[] = {0x786E, 0x8BA4, 0};
    EXPECT_EQ(IDNO, MessageBoxW(owner, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    ASSERT_EQ(1u, ui.boxes.size());
    const w32::MessageBoxRequest& r = ui.boxes[0];
    EXPECT_EQ(owner, r.owner);
    EXPECT_EQ(std::wstring(text), r.text);
    EXPECT_EQ(std::wstring(caption), r.caption);
    EXPECT_EQ(MB_ICONQUESTION, r.style & MB_ICONMASK);
    EXPECT_EQ(2, r.buttonCount);
    EXPECT_EQ(IDNO, r.defaultButton);

    // A null caption reads "Error"; the narrow form converts from the ANSI page.
    ui.boxAnswers = {IDOK};
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Error open XML file!", nullptr, MB_OK));
    EXPECT_EQ(L"Error", ui.boxes[1].caption);
    EXPECT_EQ(L"Error open XML file!", ui.boxes[1].text);

    // An unknown button set is refused before anyone is asked.
    EXPECT_EQ(ERROR_INVALID_MSGBOX_STYLE, LAST_ERROR_IF(0, MessageBoxW(nullptr, L"x", L"y", 9)));
    EXPECT_EQ(2u, ui.boxes.size());
}

TEST(MessageBox, WithoutProviderWritesToStandardErrorAndAnswersDefault)
{
    ASSERT_EQ(nullptr, w32::CurrentUiProvider());
    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK,
              MessageBoxW(nullptr, L"Error save to xml file.", L"Velmar", MB_OK | MB_ICONERROR));
    EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"Delete?", L"Confirm", MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "Save changes?", "Velmar", MB_YESNOCANCEL));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("Velmar: Error save to xml file.\n"));
    EXPECT_NE(std::string::npos, err.find("Confirm: Delete?\n"));
    EXPECT_NE(std::string::npos, err.find("Velmar: Save changes?\n"));
}

TEST(UiProvider, InstallAndUninstall)
{
    ScriptedUi a, b;
    EXPECT_EQ(nullptr, w32::InstallUiProvider(&a));
    EXPECT_EQ(&a, w32::InstallUiProvider(&b));
    EXPECT_FALSE(w32::UninstallUiProvider(&a)); // not the one installed
    EXPECT_EQ(&b, w32::CurrentUiProvider());
    EXPECT_TRUE(w32::UninstallUiProvider(&b));
    EXPECT_EQ(nullptr, w32::CurrentUiProvider());
    {
        w32::ScopedUiProvider scope(&a);
        EXPECT_EQ(&a, w32::CurrentUiProvider());
    }
    EXPECT_EQ(nullptr, w32::CurrentUiProvider());
}

TEST(FileDialog, SaveDecodesTheRequestAndFillsTheResult)
{
    testsupport::TempDir dir;
    ScriptedUi ui;
    w32::ScopedUiProvider scope(&ui);
    SaveDialog d;
    HWND owner = reinterpret_cast<HWND>(0x42);
    d.ofn.hwndOwner = owner;
    ui.fileAnswers = {Wide(dir.file("node"))}; // typed without extension
    ui.chosenFilter = 2;
    ASSERT_TRUE(GetSaveFileNameW(&d.ofn));
    EXPECT_EQ(0u, CommDlgExtendedError());

    ASSERT_EQ(1u, ui.dialogs.size());
    const w32::FileDialogRequest& r = ui.dialogs[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(owner, r.owner);
    EXPECT_EQ(L"Export node", r.title);
    ASSERT_EQ(2u, r.filters.size());
    EXPECT_EQ(L"XML Files (*.xml)", r.filters[0].first);
    EXPECT_EQ(L"*.xml", r.filters[0].second);
    EXPECT_EQ(L"*.*", r.filters[1].second);
    EXPECT_EQ(1u, r.filterIndex);
    EXPECT_EQ(L"xml", r.defaultExt);
    EXPECT_EQ(L"", r.fileName);

    // The default extension is appended; offsets point into the path.
    const std::wstring path = Wide(dir.file("node.xml"));
    EXPECT_EQ(path, std::wstring(d.file));
    EXPECT_EQ(L"node.xml", std::wstring(d.title));
    EXPECT_EQ(path.size() - 8, d.ofn.nFileOffset);
    EXPECT_EQ(path.size() - 3, d.ofn.nFileExtension);
    EXPECT_EQ(2u, d.ofn.nFilterIndex);
    EXPECT_FALSE(d.ofn.Flags & OFN_EXTENSIONDIFFERENT);
    EXPECT_TRUE(ui.boxes.empty()); // nothing to overwrite

    // Another extension is kept and flagged.
    ui.fileAnswers = {Wide(dir.file("node.txt"))};
    ASSERT_TRUE(GetSaveFileNameW(&d.ofn));
    EXPECT_EQ(Wide(dir.file("node.txt")), std::wstring(d.file));
    EXPECT_TRUE(d.ofn.Flags & OFN_EXTENSIONDIFFERENT);
}

TEST(FileDialog, OverwritePromptAsksAndNoReturnsToTheDialog)
{
    testsupport::TempDir dir;
    std::ofstream(dir.file("old.xml")) << "<a/>";
    ScriptedUi ui;
    w32::ScopedUiProvider scope(&ui);
    SaveDialog d;

    // No: the dialog comes back with the name; then the user cancels.
    ui.fileAnswers = {Wide(dir.file("old.xml")), L""};
    ui.boxAnswers = {IDNO};
    EXPECT_FALSE(GetSaveFileNameW(&d.ofn));
    EXPECT_EQ(0u, CommDlgExtendedError());
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(L"old.xml already exists.\nDo you want to replace it?", ui.boxes[0].text);
    EXPECT_EQ(L"Confirm Save As", ui.boxes[0].caption);
    EXPECT_EQ(IDNO, ui.boxes[0].defaultButton);
    ASSERT_EQ(2u, ui.dialogs.size());
    EXPECT_EQ(Wide(dir.file("old.xml")), ui.dialogs[1].fileName);

    // Yes: the choice stands.
    ui.fileAnswers = {Wide(dir.file("old"))};
    ui.boxAnswers = {IDYES};
    EXPECT_TRUE(GetSaveFileNameW(&d.ofn));
    EXPECT_EQ(Wide(dir.file("old.xml")), std::wstring(d.file));

    // Without the flag nobody is asked.
    ui.boxes.clear();
    d.ofn.Flags &= ~OFN_OVERWRITEPROMPT;
    ui.fileAnswers = {Wide(dir.file("old.xml"))};
    EXPECT_TRUE(GetSaveFileNameW(&d.ofn));
    EXPECT_TRUE(ui.boxes.empty());

    // A provider that keeps choosing a file the user keeps rejecting ends.
    d.ofn.Flags |= OFN_OVERWRITEPROMPT;
    ui.fileAnswers.assign(1000, Wide(dir.file("old.xml")));
    ui.boxAnswers.assign(1000, IDNO);
    EXPECT_FALSE(GetSaveFileNameW(&d.ofn));
    EXPECT_LT(ui.fileAnswers.size(), 1000u);
}

TEST(FileDialog, OpenChecksExistenceAndErrors)
{
    testsupport::TempDir dir;
    std::ofstream(dir.file("here.xml")) << "<a/>";
    ScriptedUi ui;
    w32::ScopedUiProvider scope(&ui);
    SaveDialog d;
    d.ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;

    ui.fileAnswers = {Wide(dir.file("missing.xml")), Wide(dir.file("here.xml"))};
    ASSERT_TRUE(GetOpenFileNameW(&d.ofn));
    EXPECT_EQ(Wide(dir.file("here.xml")), std::wstring(d.file));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(L"missing.xml\nFile not found.\nCheck the file name and try again.",
              ui.boxes[0].text);
    EXPECT_FALSE(ui.dialogs[0].save);

    // A buffer too small for the answer: the size needed is in its first character.
    wchar_t small[8] = {};
    d.ofn.lpstrFile = small;
    d.ofn.nMaxFile = 8;
    ui.fileAnswers = {Wide(dir.file("here.xml"))};
    EXPECT_FALSE(GetOpenFileNameW(&d.ofn));
    EXPECT_EQ(static_cast<DWORD>(FNERR_BUFFERTOOSMALL), CommDlgExtendedError());
    EXPECT_EQ(Wide(dir.file("here.xml")).size() + 1, static_cast<size_t>(small[0]));

    // A wrong structure size is refused without asking.
    d.ofn.lStructSize = 12;
    const size_t asked = ui.dialogs.size();
    EXPECT_FALSE(GetOpenFileNameW(&d.ofn));
    EXPECT_EQ(static_cast<DWORD>(CDERR_STRUCTSIZE), CommDlgExtendedError());
    EXPECT_EQ(asked, ui.dialogs.size());
}

TEST(FileDialog, WithoutProviderIsCancelled)
{
    ASSERT_EQ(nullptr, w32::CurrentUiProvider());
    SaveDialog d;
    EXPECT_FALSE(GetSaveFileNameW(&d.ofn));
    EXPECT_EQ(0u, CommDlgExtendedError());
    EXPECT_FALSE(GetOpenFileNameW(&d.ofn));
    EXPECT_EQ(0u, CommDlgExtendedError());
    EXPECT_EQ(L'\0', d.file[0]);
}
