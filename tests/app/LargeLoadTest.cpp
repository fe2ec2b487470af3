// Large files load on a worker behind a progress dialog: the window keeps
// running its events, Cancel leaves nothing open (or the old tree in place),
// a refusal still names line and column, and the load time runs to the paint.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <string>

using namespace testsupport;

namespace
{

// Rows of about 200 bytes up to the background size: few tree items, many bytes.
std::string LargeDocument(const std::string& tail = "</big>\n", int* pLines = nullptr)
{
    const std::string text(180, 'x');
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<big>\n";
    int lines = 3; // the line the next row goes on
    for (int i = 0; doc.size() < CVelmarDoc::GetBackgroundLoadSize(); ++i, ++lines)
        doc += "<r i=\"" + std::to_string(i) + "\">" + text + "</r>\n";
    if (pLines)
        *pLines = lines;
    return doc + tail;
}

// Calls `act` with the progress dialog from the event loop while one runs;
// counts the calls and notes the last one's time on the clock.
class CWhileLoading
{
public:
    explicit CWhileLoading(std::function<void(CProgressDialog&)> act) : m_act(std::move(act))
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this]
                         {
                             if (CProgressDialog* pDialog = CProgressDialog::GetRunning())
                             {
                                 if (m_nCalls++ == 0)
                                     m_firstMs = m_clock.elapsed();
                                 m_lastMs = m_clock.elapsed();
                                 m_act(*pDialog);
                             }
                         });
        m_timer.start(1);
    }
    int Calls() const { return m_nCalls; }
    qint64 FirstMs() const { return m_firstMs; }
    qint64 LastMs() const { return m_lastMs; }
    qint64 Elapsed() const { return m_clock.elapsed(); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::function<void(CProgressDialog&)> m_act;
    int m_nCalls = 0;
    qint64 m_firstMs = 0;
    qint64 m_lastMs = 0;
};

} // namespace

TEST(LargeLoad, loads_on_a_worker_while_events_run_and_times_to_the_painted_tree)
{
    EditorFixture f;
    f.WriteFile("big.xml", LargeDocument());
    CWhileLoading watch([](CProgressDialog&) {});
    const qint64 beforeOpen = watch.Elapsed();
    CVelmarDoc* pDoc = f.Open("big.xml");
    ASSERT_NE(pDoc, nullptr);
    EXPECT_GT(watch.Calls(), 0); // the UI thread ran its timer during the load
    EXPECT_EQ(CProgressDialog::GetRunning(), nullptr);
    EXPECT_TRUE(f.user.boxes.empty());
    nkDS::CXmlFileW& xml = pDoc->GetXmlFile();
    ASSERT_EQ(xml.GetChildCount(), 2u);
    EXPECT_STREQ(xml.GetChild(1)->GetName(), L"big");
    EXPECT_GT(xml.GetChild(1)->GetChildCount(), 100000u);
    EXPECT_NE(ItemAt(*f.ActiveTree(), {L"big"}), nullptr);

    // The document's clock starts inside the open, before the progress
    // dialog's first turn, and stops at the painted tree, after its last turn
    // and maybe after the open returns; whole milliseconds may round either
    // way.
    f.Spin(200);
    EXPECT_GE(pDoc->GetLoadTime() + 2, static_cast<DWORD>(watch.LastMs() - watch.FirstMs()));
    EXPECT_LE(pDoc->GetLoadTime(), static_cast<DWORD>(watch.Elapsed() - beforeOpen + 2));
    CString shown = AfxTranslate(L"Loaded in %1 s.");
    CString seconds;
    seconds.Format(L"%u.%03u0", static_cast<unsigned>(pDoc->GetLoadTime() / 1000),
                   static_cast<unsigned>(pDoc->GetLoadTime() % 1000));
    shown.Replace(L"%1", seconds);
    EXPECT_EQ(f.Main()->GetStatusBar().GetPaneText(1), shown);
}

TEST(LargeLoad, cancel_leaves_no_document_and_a_reloaded_one_as_it_was)
{
    EditorFixture f;
    f.WriteFile("big.xml", LargeDocument());
    {
        CWhileLoading cancel([](CProgressDialog& dialog) { dialog.Cancel(); });
        EXPECT_EQ(f.Open("big.xml"), nullptr);
        EXPECT_EQ(cancel.Calls(), 1);
    }
    EXPECT_EQ(f.OpenDocumentCount(), 0);
    EXPECT_TRUE(f.user.boxes.empty());

    DocWindow w = f.OpenSample("<?xml version=\"1.0\"?>\n<a><b/></a>\n");
    ASSERT_TRUE(w.doc && w.tree);
    w.doc->SetModifiedFlag(TRUE);
    f.WriteFile("doc.xml", LargeDocument());
    f.user.answers = {IDYES};
    {
        CWhileLoading cancel([](CProgressDialog& dialog) { dialog.Cancel(); });
        EXPECT_FALSE(w.doc->CheckFileChanged(nullptr));
        EXPECT_EQ(cancel.Calls(), 1);
    }
    EXPECT_EQ(f.user.boxes.size(), 1u); // the question only
    ASSERT_EQ(w.root->GetChildCount(), 2u);
    EXPECT_STREQ(w.root->GetChild(1)->GetName(), L"a");
    EXPECT_NE(ItemAt(*w.tree, {L"a", L"Child Nodes", L"b"}), nullptr);
    EXPECT_TRUE(w.doc->IsModified());
    // Not asked again for the change the user turned down.
    EXPECT_FALSE(w.doc->CheckFileChanged(nullptr));
    EXPECT_EQ(f.user.boxes.size(), 1u);
}

TEST(LargeLoad, a_refused_large_file_names_line_and_column)
{
    EditorFixture f;
    int lines = 0;
    f.WriteFile("bad.xml", LargeDocument("  <r i=1/></big>\n", &lines));
    EXPECT_EQ(f.Open("bad.xml"), nullptr);
    EXPECT_EQ(f.OpenDocumentCount(), 0);
    ASSERT_EQ(f.user.boxes.size(), 1u);
    const std::wstring where = L"bad.xml: line " + std::to_wstring(lines) + L", column 8: ";
    EXPECT_NE(f.user.LastText().find(where), std::wstring::npos) << f.user.LastText();
}
