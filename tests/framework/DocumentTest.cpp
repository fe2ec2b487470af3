// The document protocol: new, open, save, save as, close, the framework's
// prompts and messages, titles and windows.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace testsupport;

namespace
{

using Filters = std::vector<std::pair<std::wstring, std::wstring>>;

CTestDoc* Doc(CDocument* p)
{
    return static_cast<CTestDoc*>(p);
}

std::string Serialized(const std::wstring& text)
{
    // A CString in an archive: a 32-bit count, then UTF-16LE units.
    std::string out;
    const auto put = [&out](uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out += (char)((value >> (8 * i)) & 0xFF);
    };
    put((uint32_t)text.size(), 4);
    for (wchar_t c : text)
        put((uint32_t)c, 2);
    return out;
}

} // namespace

TEST(Document, new_documents_are_numbered_from_the_template_name)
{
    AppFixture f;
    CDocument* p1 = f.NewDocument();
    CDocument* p2 = f.NewDocument();
    ASSERT_TRUE(p1 && p2);
    EXPECT_EQ(p1->GetTitle(), CString(L"XML1"));
    EXPECT_EQ(p2->GetTitle(), CString(L"XML2"));
    EXPECT_TRUE(p1->GetPathName().IsEmpty());
    EXPECT_FALSE(p1->IsModified());
    auto* pChild = f.Main()->MDIGetActive();
    ASSERT_NE(pChild, nullptr);
    EXPECT_EQ(pChild->GetWindowText(), CString(L"XML2"));
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp - XML2"));
    EXPECT_EQ(pChild->GetActiveDocument(), p2);
    // The view is the frame's active view and was initially updated.
    auto* pView = static_cast<CTestView*>(pChild->GetActiveView());
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(pView->GetDocument(), p2);
    EXPECT_EQ(pView->m_nUpdates, 1);
    // Broadcasts reach every view but the sender, with the hint.
    p2->UpdateAllViews(nullptr, 77);
    EXPECT_EQ(pView->m_lLastHint, 77);
    p2->UpdateAllViews(pView, 78);
    EXPECT_EQ(pView->m_lLastHint, 77);
}

TEST(Document, save_as_writes_the_file_and_retitles)
{
    AppFixture f;
    CTestDoc* pDoc = Doc(f.NewDocument());
    ASSERT_NE(pDoc, nullptr);
    pDoc->m_content = L"hello";
    pDoc->SetModifiedFlag();
    f.user.fileNames.push_back(f.Path("out.xml"));
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_SAVE); // untitled: Save asks for a name
    ASSERT_EQ(f.user.prompts.size(), 1u);
    const w32::FileDialogRequest& prompt = f.user.prompts[0];
    EXPECT_TRUE(prompt.save);
    EXPECT_EQ(prompt.fileName, L"XML1.xml");
    EXPECT_EQ(prompt.defaultExt, L"xml");
    EXPECT_TRUE(prompt.flags & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(prompt.filters,
              (Filters{{L"XML Files (*.xml)", L"*.xml"}, {L"All Files (*.*)", L"*.*"}}));
    EXPECT_EQ(f.ReadFile("out.xml"), Serialized(L"hello"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetTitle(), CString(L"out.xml"));
    EXPECT_EQ(pDoc->GetPathName(), CString(f.Path("out.xml").c_str()));
    EXPECT_EQ(f.Main()->MDIGetActive()->GetWindowText(), CString(L"out.xml"));

    // Save again: no question, the file is replaced by the new content.
    pDoc->m_content = L"again";
    pDoc->SetModifiedFlag();
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_SAVE);
    EXPECT_EQ(f.user.prompts.size(), 1u);
    EXPECT_EQ(f.ReadFile("out.xml"), Serialized(L"again"));
    EXPECT_TRUE(f.user.boxes.empty());

    // Save As cancelled changes nothing.
    f.user.fileNames.push_back(L"");
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS);
    EXPECT_EQ(pDoc->GetTitle(), CString(L"out.xml"));
}

TEST(Document, saving_never_destroys_an_existing_file)
{
    AppFixture f;
    f.WriteFile("keep.xml", "precious");
    CTestDoc* pDoc = Doc(f.NewDocument());
    ASSERT_NE(pDoc, nullptr);
    // A document with its own writer serializes nothing: the framework leaves the file to it.
    pDoc->m_bWriteNothing = true;
    EXPECT_TRUE(pDoc->OnSaveDocument(f.Path("keep.xml").c_str()));
    EXPECT_EQ(f.ReadFile("keep.xml"), "precious");
    // Its own write fails during Save As over an existing file: the file stays.
    pDoc->m_bOwnWriteFails = true;
    pDoc->SetModifiedFlag();
    f.user.fileNames.push_back(f.Path("keep.xml"));
    f.user.answers.push_back(IDYES); // "keep.xml already exists. Do you want to replace it?"
    EXPECT_FALSE(pDoc->DoSave(nullptr));
    EXPECT_EQ(f.ReadFile("keep.xml"), "precious");
    EXPECT_EQ(f.user.LastText(), L"Error save to xml file.");
    // ... onto a new name: the half-made file is removed.
    f.user.fileNames.push_back(f.Path("new.xml"));
    EXPECT_FALSE(pDoc->DoSave(nullptr));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdWString(f.Path("new.xml"))));
    EXPECT_EQ(pDoc->GetTitle(), CString(L"XML1"));
    // A folder that does not exist cannot be written: the framework says so.
    pDoc->m_bOwnWriteFails = false;
    pDoc->m_bWriteNothing = false;
    EXPECT_FALSE(pDoc->OnSaveDocument(f.Path("no/such/dir/x.xml").c_str()));
    EXPECT_EQ(f.user.LastText(), L"Failed to save document.");
}

TEST(Document, close_asks_to_save_and_cancel_keeps_it_open)
{
    AppFixture f;
    CTestDoc* pDoc = Doc(f.NewDocument());
    ASSERT_NE(pDoc, nullptr);
    pDoc->SetModifiedFlag();
    f.user.answers.push_back(IDCANCEL);
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    EXPECT_EQ(f.user.boxes[0].text, L"Save changes to XML1?");
    EXPECT_EQ(f.user.boxes[0].caption, L"TestApp");
    EXPECT_EQ(f.user.boxes[0].style & MB_TYPEMASK, (UINT)MB_YESNOCANCEL);
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);
    EXPECT_NE(f.Main()->MDIGetActive(), nullptr);

    // Closing the child window asks the same; Yes with a cancelled file name keeps it too.
    f.user.answers.push_back(IDYES);
    f.user.fileNames.push_back(L"");
    f.Main()->MDIGetActive()->SendMessage(WM_CLOSE);
    EXPECT_EQ(f.user.boxes.size(), 2u);
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 1);

    // No closes without saving; the main menu comes back.
    f.user.answers.push_back(IDNO);
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 0);
    EXPECT_EQ(f.Main()->MDIGetActive(), nullptr);
    EXPECT_EQ(f.Main()->GetMenu()->nID, (UINT)IDR_MAINFRAME);
    EXPECT_EQ(f.Main()->GetWindowText(), CString(L"TestApp"));
}

TEST(Document, open_reads_the_file_and_reports_failures)
{
    AppFixture f;
    f.WriteFile("a.xml", Serialized(L"content"));
    f.user.fileNames.push_back(f.Path("a.xml"));
    f.Main()->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    ASSERT_EQ(f.user.prompts.size(), 1u);
    EXPECT_FALSE(f.user.prompts[0].save);
    EXPECT_EQ(f.user.prompts[0].filters.back().second, L"*.*");
    ASSERT_EQ(f.app.GetOpenDocumentCount(), 1);
    CTestDoc* pDoc = Doc(f.Main()->MDIGetActive()->GetActiveDocument());
    EXPECT_EQ(pDoc->m_content, CString(L"content"));
    EXPECT_EQ(pDoc->GetTitle(), CString(L"a.xml"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(f.Main()->GetMenu()->nID, (UINT)IDR_XMLTYPE);

    // The same file again: its window comes forward, no second document.
    f.NewDocument();
    EXPECT_EQ(f.app.OpenDocumentFile(f.Path("a.xml").c_str()), pDoc);
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 2);
    EXPECT_EQ(f.Main()->MDIGetActive()->GetActiveDocument(), pDoc);

    // A missing file and an unreadable one: the framework's messages, no window left behind.
    size_t windows = f.Main()->GetMDIChildren().size();
    EXPECT_EQ(f.app.OpenDocumentFile(f.Path("missing.xml").c_str()), nullptr);
    EXPECT_EQ(f.user.LastText(), f.Path("missing.xml") + L" was not found.");
    f.WriteFile("broken.xml", "\x05");
    EXPECT_EQ(f.app.OpenDocumentFile(f.Path("broken.xml").c_str()), nullptr);
    EXPECT_EQ(f.user.LastText(), L"Failed to open document.");
    AppFixture::Spin(0);
    EXPECT_EQ(f.Main()->GetMDIChildren().size(), windows);
    EXPECT_EQ(f.app.GetOpenDocumentCount(), 2);
}
