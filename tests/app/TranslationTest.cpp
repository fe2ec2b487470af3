// The interface in English (the default) and in Simplified Chinese: every
// text of the resources and the editor's own messages, as the user sees them.
#include "EditorTestApp.h"

#include "velmar/app/AppDataDir.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ShellActions.h"
#include "velmar/app/VelmarResources.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QString>

#include <set>

using namespace testsupport;

namespace
{

// Loads the language for one test and goes back to English after it.
class Language
{
public:
    explicit Language(LPCWSTR language)
    {
        loaded = AfxLoadTranslation(L"velmar", VelmarDataDirs(L"translations"), language);
    }
    ~Language() { AfxLoadTranslation(L"velmar", {}, L"en"); }
    std::wstring loaded;
};

// Every text of a menu, pop-ups within pop-ups.
std::vector<std::wstring> MenuTexts(UINT nID)
{
    std::vector<std::wstring> texts;
    CMenu menu;
    if (!menu.LoadMenu(nID))
        return texts;
    std::vector<CMenu*> pending{&menu};
    while (!pending.empty())
    {
        CMenu* pCur = pending.back();
        pending.pop_back();
        for (int i = 0; i < pCur->GetMenuItemCount(); ++i)
        {
            CString text;
            if (pCur->GetMenuString(i, text, MF_BYPOSITION) > 0)
                texts.push_back(text.Str());
            if (pCur->GetMenuItemID(i) == static_cast<UINT>(-1))
                pending.push_back(pCur->GetSubMenu(i));
        }
    }
    return texts;
}

bool HasChinese(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c >= 0x4E00 && c <= 0x9FFF)
            return true;
    return false;
}

} // namespace

TEST(Translation, every_menu_and_string_of_the_editor_has_its_chinese_text)
{
    VelmarRegisterResources();
    const std::vector<std::wstring> english = MenuTexts(IDR_XMLTYPE);
    ASSERT_FALSE(english.empty());
    for (const std::wstring& text : english)
        EXPECT_FALSE(HasChinese(text)) << QString::fromStdWString(text).toStdString();
    Language zh(L"zh_CN");
    ASSERT_EQ(zh.loaded, L"zh_CN");
    // Menu texts that stay as they are in Chinese: the XML menu's name.
    const std::set<std::wstring> same = {L"&XML"};
    for (UINT nID : {IDR_MAINFRAME, IDR_XMLTYPE})
        for (const std::wstring& text : MenuTexts(nID))
            EXPECT_TRUE(HasChinese(text) || same.count(text))
                << QString::fromStdWString(text).toStdString();
    for (UINT nID : {ID_XML_ADD_HEADER, ID_XML_DELETE, ID_XML_PREVIEW, ID_FILE_PROPERTY,
                     ID_VIEW_PATHBAR, IDS_ABOUT_INFO, AFX_IDS_IDLEMESSAGE, AFX_IDP_ASK_TO_SAVE})
    {
        CString text;
        ASSERT_TRUE(text.LoadString(nID)) << nID;
        EXPECT_TRUE(HasChinese(text.Str())) << nID;
    }
    EXPECT_EQ(AfxTranslate(L"Delete the selected node?"),
              CString(L"\u786E\u8BA4\u5220\u9664\u8282\u70B9\uFF1F"));
}

TEST(Translation, the_editors_windows_and_messages_speak_the_chosen_language)
{
    for (LPCWSTR language : {L"en", L"zh_CN"})
    {
        Language lang(language);
        const bool zh = lang.loaded == L"zh_CN";
        EditorFixture f;
        DocWindow w = f.OpenSample("<?xml version=\"1.0\"?>\n<a><b/></a>\n");
        ASSERT_TRUE(w.tree);
        // The tree's groups, the modified mark and the delete confirmation.
        EXPECT_TRUE(w.Select({L"a", zh ? L"\u5B50\u8282\u70B9" : L"Child Nodes", L"b"}));
        w.doc->SetModifiedFlag(TRUE);
        EXPECT_EQ(w.frame->GetWindowText(),
                  CString(L"doc.xml") + (zh ? L" - [\u5DF2\u4FEE\u6539]" : L" - [Modified]"));
        f.user.answers = {IDNO};
        f.Main()->SendMessage(WM_COMMAND, ID_XML_DELETE);
        ASSERT_EQ(f.user.boxes.size(), 1u);
        EXPECT_EQ(f.user.boxes[0].text, zh ? L"\u786E\u8BA4\u5220\u9664\u8282\u70B9\uFF1F"
                                           : L"Delete the selected node?");
        EXPECT_EQ(f.user.boxes[0].caption, zh ? L"\u786E\u8BA4" : L"Confirm");
        // Preview of a document never saved, and the export dialog's title.
        ASSERT_NE(f.NewDocument(), nullptr);
        f.Main()->SendMessage(WM_COMMAND, ID_XML_PREVIEW);
        ASSERT_EQ(f.user.boxes.size(), 2u);
        EXPECT_EQ(f.user.boxes[1].text, zh ? L"\u6587\u6863\u5C1A\u672A\u4FDD\u5B58\uFF01"
                                           : L"The document has not been saved yet!");
        EXPECT_EQ(f.user.boxes[1].caption, zh ? L"\u5931\u8D25" : L"Failed");
        f.user.fileNames.push_back(L""); // cancelled
        EXPECT_FALSE(ExportNodeToFile(w.frame, *w.root, w.root->GetChild(1)));
        ASSERT_EQ(f.user.prompts.size(), 1u);
        EXPECT_EQ(f.user.prompts[0].title, zh ? L"\u5BFC\u51FA\u8282\u70B9" : L"Export node");
        // The shell's property sheet of the file.
        QWidget* pSheet = NewFilePropertiesSheet(f.Path("doc.xml").c_str(), nullptr);
        EXPECT_EQ(pSheet->windowTitle().toStdWString(),
                  zh ? L"doc.xml \u5C5E\u6027" : L"doc.xml Properties");
        delete pSheet;
    }
}

TEST(Translation, the_find_dialog_and_file_sizes_have_their_chinese_text)
{
    Language zh(L"zh_CN");
    ASSERT_EQ(zh.loaded, L"zh_CN");
    auto* pDialog = new CFindReplaceDialog; // deletes itself when destroyed
    ASSERT_TRUE(pDialog->Create(FALSE, L"x", L"y", FR_DOWN, nullptr));
    QWidget* pWidget = pDialog->GetWidget();
    EXPECT_TRUE(HasChinese(pWidget->windowTitle().toStdWString()));
    for (const QAbstractButton* pButton : pWidget->findChildren<QAbstractButton*>())
        EXPECT_TRUE(HasChinese(pButton->text().toStdWString()))
            << pButton->objectName().toStdString();
    for (const QLabel* pLabel : pWidget->findChildren<QLabel*>())
        EXPECT_TRUE(HasChinese(pLabel->text().toStdWString())) << pLabel->text().toStdString();
    pDialog->DestroyWindow();
    EXPECT_EQ(CFileProperties::FormatSize(1024), CString(L"1.00 KB (1,024 \u5B57\u8282)"));
}
