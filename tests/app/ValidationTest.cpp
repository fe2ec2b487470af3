// XML > Validate on a document as it stands: the error list, the status
// bar, and an activated row selecting the node or parameter in the tree.
#include "EditorTestApp.h"
#include "velmar/app/ItemKind.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValidationBar.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <string>

using namespace testsupport;

namespace
{

const char kSchema[] = "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>"
                       "<xs:element name='shelf'><xs:complexType><xs:sequence>"
                       "<xs:element name='book' maxOccurs='unbounded'><xs:complexType><xs:sequence>"
                       "<xs:element name='title' type='xs:string'/></xs:sequence>"
                       "<xs:attribute name='year' type='xs:gYear'/></xs:complexType></xs:element>"
                       "</xs:sequence></xs:complexType></xs:element></xs:schema>";

// The second book has a bad year, the third an unexpected child.
const char kDoc[] = "<?xml version=\"1.0\"?>\n"
                    "<shelf>\n"
                    "<book year=\"1963\"><title>Cat's Cradle</title></book>\n"
                    "<book year=\"soon\"><title>Dune</title></book>\n"
                    "<book><title>Emma</title><price>3</price></book>\n"
                    "</shelf>\n";

std::string Narrow(const CString& text)
{
    return QString::fromWCharArray(text.GetString()).toStdString();
}

std::string StatusText(EditorFixture& f)
{
    return Narrow(f.Main()->GetStatusBar().GetPaneText(0));
}

std::string Rows(CValidationBar& bar)
{
    std::string out;
    for (int i = 0; i < bar.GetRowCount(); ++i)
        out += Narrow(bar.GetCellText(i, 0)) + " | " + Narrow(bar.GetCellText(i, 1)) + " | " +
               Narrow(bar.GetCellText(i, 2)) + "\n";
    return out;
}

int FindRow(CValidationBar& bar, LPCWSTR what)
{
    for (int i = 0; i < bar.GetRowCount(); ++i)
        if (bar.GetCellText(i, 0).Find(what) >= 0)
            return i;
    return -1;
}

// What input is followed by: the idle pass, then the validation it started
// (off the UI thread) to its end.
void Settle(EditorFixture& f, CValidationBar& bar)
{
    f.app.OnIdle(0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (bar.IsValidating() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(bar.IsValidating());
}

// Typing into the pane of the selected item, as a keystroke does.
void Type(CXMLContentView* pView, LPCWSTR text)
{
    CEdit& edit = pView->GetEditCtrl();
    const int end = edit.GetWindowText().GetLength();
    edit.SetSel(end, end);
    edit.ReplaceSel(text, TRUE);
}

// A shelf of `books` valid books, large enough that validating it takes a
// while but below the size that waits for a pause in typing.
std::string Shelf(int books)
{
    std::string doc = "<?xml version=\"1.0\"?>\n<shelf>\n";
    for (int i = 0; i < books; ++i)
        doc += "<book year=\"1963\"><title>Cat's Cradle</title></book>\n";
    return doc + "</shelf>\n";
}

// A document with as-you-edit on, its list made, and the first book's year
// in the pane.
struct AsYouEdit
{
    EditorFixture f;
    DocWindow w;
    CValidationBar* bar = nullptr;

    explicit AsYouEdit(const std::string& doc)
    {
        f.app.SetRegistryKey(L"Velmar Tests");
        f.WriteFile("shelf.xsd", kSchema);
        f.app.WriteProfileString(L"Validation", f.Path("doc.xml").c_str(),
                                 (L"xsd|" + f.Path("shelf.xsd")).c_str());
        w = f.OpenSample(doc);
        bar = f.Main()->GetValidationBar();
        // On in the bar itself: the stored setting is shared with other
        // programs using the same settings.
        bar->SetAsYouEdit(true);
        f.Main()->ShowControlBar(bar, TRUE, FALSE); // it follows edits while shown
        w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
        Settle(f, *bar);
        Select();
    }
    bool Select() const
    {
        return w.Select({L"shelf", L"Child Nodes", L"book", L"Child Vars", L"year"});
    }
    // Starts validating the last edit and waits until the worker has it.
    bool StartWorker()
    {
        f.app.OnIdle(0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bar->IsWaitingForPause() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        return !bar->IsWaitingForPause() && bar->IsValidating();
    }
};

} // namespace

TEST(Validation, errors_are_listed_and_lead_to_the_node_or_parameter)
{
    EditorFixture f;
    f.app.SetRegistryKey(L"Velmar Tests"); // settings kept in the test's registry
    f.WriteFile("shelf.xsd", kSchema);
    const std::wstring xsd = f.Path("shelf.xsd");
    f.app.WriteProfileString(L"Validation", f.Path("doc.xml").c_str(), (L"xsd|" + xsd).c_str());
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    CValidationBar& bar = *f.Main()->GetValidationBar();
    EXPECT_FALSE(bar.IsVisible());

    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
    ASSERT_EQ(2, bar.GetRowCount()) << Rows(bar);
    EXPECT_TRUE(bar.IsVisible());
    EXPECT_EQ(Narrow(L"Not valid: 2 errors"), StatusText(f));
    const int yearRow = FindRow(bar, L"'soon'");
    const int priceRow = FindRow(bar, L"price");
    ASSERT_GE(yearRow, 0);
    ASSERT_GE(priceRow, 0);
    EXPECT_EQ(CString(L"shelf/book=1 @year"), bar.GetCellText(yearRow, 1));
    EXPECT_EQ(CString(L"shelf/book=2/price"), bar.GetCellText(priceRow, 1));
    EXPECT_EQ(CString(L"11"), bar.GetCellText(priceRow, 2)); // in the document as written

    // Activating a row selects the parameter, or the node, in the tree.
    bar.ActivateRow(yearRow);
    HTREEITEM hSel = w.tree->GetSelectedItem();
    EXPECT_EQ(ikParam, w.tree->GetItemKind(hSel));
    EXPECT_EQ(CString(L"year"), w.tree->GetItemText(hSel));
    EXPECT_EQ(w.root->GetChild(1)->GetChild(1), w.tree->GetItemNode(hSel));
    bar.ActivateRow(priceRow);
    hSel = w.tree->GetSelectedItem();
    EXPECT_EQ(ikElement, w.tree->GetItemKind(hSel));
    EXPECT_EQ(CString(L"price"), w.tree->GetItemText(hSel));

    // The document as it stands is validated: the nodes change, the file not.
    nkDS::CXmlNodeW* shelf = w.root->GetChild(1);
    ASSERT_TRUE(shelf->GetChild(1)->SetParam(L"year", L"1965"));
    nkDS::CXmlNodeW* third = shelf->GetChild(2);
    nkDS::CXmlNodeW* price = third->GetChild(1);
    third->DetachChild(1);
    nkDS::DestroyXmlNode(price);
    w.view->RefreshItem(TVI_ROOT);
    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
    EXPECT_EQ(0, bar.GetRowCount());
    EXPECT_EQ(Narrow(L"Valid"), StatusText(f));
    EXPECT_EQ(kDoc, f.ReadFile("doc.xml"));
    // A row of the old list, were one activated, leads nowhere stale.
    bar.ActivateRow(0);
}

TEST(Validation, a_chosen_schema_is_remembered_for_the_document)
{
    EditorFixture f;
    f.app.SetRegistryKey(L"Velmar Tests"); // settings kept in the test's registry
    f.WriteFile("other.rng", "<element name='library' "
                             "xmlns='http://relaxng.org/ns/structure/1.0'><empty/></element>");
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    f.user.fileNames.push_back(f.Path("other.rng"));
    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE_SCHEMA);
    EXPECT_EQ(Narrow(L"Not valid: 1 error"), StatusText(f));

    // Opened again, the document keeps its choice; going back to the
    // schema it names forgets it.
    f.app.CloseAllDocuments(FALSE);
    ASSERT_TRUE(f.Open("doc.xml"));
    CTestChildFrame* pChild = f.ActiveChild();
    ASSERT_TRUE(pChild);
    pChild->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
    EXPECT_EQ(Narrow(L"Not valid: 1 error"), StatusText(f));
    const CString nothing = L"Not validated: the document names no schema and has no document type";
    pChild->SendMessage(WM_COMMAND, ID_XML_VALIDATE_AUTO_SCHEMA);
    EXPECT_EQ(Narrow(nothing), StatusText(f));
    f.app.CloseAllDocuments(FALSE);
    ASSERT_TRUE(f.Open("doc.xml"));
    f.ActiveChild()->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
    EXPECT_EQ(Narrow(nothing), StatusText(f));
}

TEST(Validation, validate_as_i_edit_refreshes_the_list_after_an_edit_only_when_on)
{
    EditorFixture f;
    f.app.SetRegistryKey(L"Velmar Tests");
    f.WriteFile("shelf.xsd", kSchema);
    f.app.WriteProfileString(L"Validation", f.Path("doc.xml").c_str(),
                             (L"xsd|" + f.Path("shelf.xsd")).c_str());
    DocWindow w = f.OpenSample(kDoc);
    ASSERT_TRUE(w.tree);
    CValidationBar& bar = *f.Main()->GetValidationBar();
    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE);
    ASSERT_EQ(2, bar.GetRowCount()) << Rows(bar);

    // Off (the default): an edit leaves the list as it was.
    ASSERT_TRUE(w.Select({L"shelf", L"Child Nodes", L"book"}));
    f.user.answers = {IDYES};
    w.frame->SendMessage(WM_COMMAND, ID_XML_DELETE);
    f.app.OnIdle(0); // what input is followed by
    EXPECT_EQ(2, bar.GetRowCount()) << Rows(bar);

    // On: the list follows each edit, and undoing it brings the errors back.
    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE_AS_YOU_EDIT);
    EXPECT_TRUE(IsValidateAsYouEdit());
    f.app.OnIdle(0); // what input is followed by
    EXPECT_EQ(2, bar.GetRowCount()) << Rows(bar);
    ASSERT_TRUE(w.Select({L"shelf", L"Child Nodes", L"book"})); // the bad year's book now
    f.user.answers = {IDYES};
    w.frame->SendMessage(WM_COMMAND, ID_XML_DELETE);
    Settle(f, bar);
    EXPECT_EQ(1, bar.GetRowCount()) << Rows(bar);
    w.frame->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    Settle(f, bar);
    EXPECT_EQ(2, bar.GetRowCount()) << Rows(bar);
    EXPECT_EQ(Narrow(L"Not valid: 2 errors"), StatusText(f));
    w.frame->SendMessage(WM_COMMAND, ID_XML_VALIDATE_AS_YOU_EDIT);
    EXPECT_FALSE(IsValidateAsYouEdit());
}

TEST(Validation, validate_as_i_edit_follows_keystrokes_the_history_folds_into_one_step)
{
    AsYouEdit t(kDoc);
    ASSERT_TRUE(t.Select());
    ASSERT_EQ(2, t.bar->GetRowCount()) << Rows(*t.bar);
    CXMLContentView* pane = t.w.frame->Content();
    Type(pane, L"x"); // 1963x: not a year
    Settle(t.f, *t.bar);
    EXPECT_EQ(3, t.bar->GetRowCount()) << Rows(*t.bar);
    const int steps = t.w.doc->GetHistory().GetCount();
    // The next keystrokes on the same value join the same step: the history
    // looks the same, the document is not.
    pane->GetEditCtrl().SetWindowText(L"19635");
    pane->OnChange();
    EXPECT_EQ(steps, t.w.doc->GetHistory().GetCount());
    Settle(t.f, *t.bar);
    EXPECT_EQ(2, t.bar->GetRowCount()) << Rows(*t.bar);
    Type(pane, L"y");
    Settle(t.f, *t.bar);
    EXPECT_EQ(3, t.bar->GetRowCount()) << Rows(*t.bar);
    EXPECT_EQ(Narrow(L"Not valid: 3 errors"), StatusText(t.f));
}

TEST(Validation, a_validation_of_a_state_edited_since_never_shows)
{
    AsYouEdit t(Shelf(12000));
    ASSERT_TRUE(t.Select());
    ASSERT_EQ(0, t.bar->GetRowCount()) << Rows(*t.bar);
    CXMLContentView* pane = t.w.frame->Content();
    Type(pane, L"x");
    ASSERT_TRUE(t.StartWorker());
    // Changed while the worker validates "1963x", with no idle pass between:
    // its end must not list that state's error, but validate again.
    pane->GetEditCtrl().SetWindowText(L"19630");
    pane->OnChange();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (t.bar->IsValidating() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(0, t.bar->GetRowCount()) << Rows(*t.bar);
    EXPECT_EQ(Narrow(L"Valid"), StatusText(t.f));
}

TEST(Validation, closing_the_document_while_it_is_validated_is_safe)
{
    for (const bool started : {false, true})
    {
        SCOPED_TRACE(started ? "worker running" : "waiting to start");
        AsYouEdit t(Shelf(12000));
        ASSERT_TRUE(t.Select());
        Type(t.w.frame->Content(), L"x");
        if (started)
            ASSERT_TRUE(t.StartWorker());
        else
            t.f.app.OnIdle(0);
        EXPECT_TRUE(t.bar->IsValidating());
        t.f.app.CloseAllDocuments(FALSE);
        Settle(t.f, *t.bar);
        EXPECT_EQ(0, t.f.OpenDocumentCount());
    }
    // The window going away with a worker running drops its end too.
    AsYouEdit t(Shelf(12000));
    ASSERT_TRUE(t.Select());
    Type(t.w.frame->Content(), L"x");
    ASSERT_TRUE(t.StartWorker());
}
