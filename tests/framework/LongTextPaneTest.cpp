// The long text pane: how it breaks a text into rows, counting them a slice
// at a time, finding a row far down, and keeping its place across a resize.
#include "LongTextPane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QWidget>

#include <string>

namespace
{

struct PaneHost
{
    PaneHost(int width = 400)
    {
        host.resize(width, 300);
        pane = new CLongTextPane(&host);
        host.show();
        QApplication::processEvents();
    }
    void Show(const std::wstring& text)
    {
        shown = text; // the pane reads it in place
        pane->SetText(shown.data(), shown.size());
        while (!pane->IsCounted())
            pane->CountSome(50);
    }
    std::wstring shown;
    QWidget host;
    CLongTextPane* pane = nullptr;
};

// The rows put back together, with a line feed where a row ended at one, give
// the text again, and no row is wider than the pane.
void ExpectRowsMakeText(const CLongTextPane& pane, const std::wstring& source)
{
    const QString text = QString::fromStdWString(source);
    qsizetype pos = 0;
    for (qsizetype row = 0; row < pane.RowCount(); ++row)
    {
        const QString cells = pane.RowText(row);
        ASSERT_LE(cells.toStdWString().size(), (size_t)pane.Columns()) << "row " << row;
        ASSERT_EQ(text.mid(pos, cells.size()), cells) << "row " << row;
        pos += cells.size();
        if (pos < text.size() && text[pos] == QLatin1Char('\n'))
            ++pos;
    }
    EXPECT_EQ(pos, text.size());
}

} // namespace

TEST(LongTextPane, breaks_rows_at_line_feeds_and_at_the_width)
{
    PaneHost h;
    const int cols = h.pane->Columns();
    ASSERT_GT(cols, 16);
    const std::wstring line(cols, L'x');
    struct Case
    {
        std::wstring text;
        qsizetype rows;
    } cases[] = {
        {L"", 1},
        {L"a", 1},
        {L"a\nb", 2},
        {L"a\nb\n", 3}, // the end after a final line feed is a row of its own
        {L"\n\n", 3},
        {line, 1},
        {line + L"y", 2},
        {line + L"\n", 2},
        {line + line + line + L"z\nq", 5},
        // A character beyond the BMP on the boundary moves to the next row whole.
        {std::wstring(cols - 1, L'x') + L"\U0001F600" + L"b", 2},
    };
    for (const Case& c : cases)
    {
        h.Show(c.text);
        EXPECT_EQ(h.pane->RowCount(), c.rows) << c.text.size();
        ExpectRowsMakeText(*h.pane, c.text);
    }
    // Carriage returns of CR LF line ends are not shown.
    h.Show(L"one\r\ntwo");
    EXPECT_EQ(h.pane->RowText(0), QStringLiteral("one"));
}

TEST(LongTextPane, counts_in_slices_and_finds_rows_far_down)
{
    PaneHost h;
    std::wstring text;
    const int lines = 1500000;
    for (int i = 0; i < lines; ++i)
        text += std::to_wstring(i) + L"\n";
    h.pane->SetText(text.data(), text.size());
    // The first slice already shows a screenful; the rest comes from the event loop.
    EXPECT_GT(h.pane->RowCount(), 20);
    EXPECT_LT(h.pane->RowCount(), lines);
    for (int turns = 0; !h.pane->IsCounted() && turns < 100000; ++turns)
        QApplication::processEvents();
    ASSERT_TRUE(h.pane->IsCounted());
    EXPECT_EQ(h.pane->RowCount(), lines + 1);
    EXPECT_EQ(h.pane->RowText(lines - 1), QStringLiteral("1499999"));
    EXPECT_EQ(h.pane->RowText(123457), QStringLiteral("123457"));
    EXPECT_EQ(h.pane->RowText(lines + 5), QString());
    EXPECT_GE(h.pane->verticalScrollBar()->maximum(), lines - 40);
}

TEST(LongTextPane, keeps_the_top_row_across_a_resize)
{
    PaneHost h(600);
    std::wstring text;
    for (int i = 0; i < 20000; ++i)
        text += L"word" + std::to_wstring(i) + L" ";
    h.Show(text);
    const qsizetype top = h.pane->RowCount() / 2;
    h.pane->ScrollToRow(top);
    const QString before = h.pane->RowText(top);
    const int cols = h.pane->Columns();
    h.host.resize(300, 300);
    QApplication::processEvents();
    while (!h.pane->IsCounted())
        h.pane->CountSome(50);
    ASSERT_LT(h.pane->Columns(), cols);
    EXPECT_GT(h.pane->RowCount(), top * 2);
    ExpectRowsMakeText(*h.pane, text);
    // The row on top now begins where the old top row began, or just before.
    const QString now = h.pane->RowText(h.pane->TopRow()) + h.pane->RowText(h.pane->TopRow() + 1);
    EXPECT_TRUE(now.contains(before.left(h.pane->Columns() / 2)))
        << now.toStdString() << " / " << before.toStdString();
}
