#pragma once
// CLongTextPane: a read-only view of a text too long for the edit control to
// lay out. It reads the caller's characters in place, with no copy, and
// breaks them into rows, at
// line feeds and at the pane's width in characters of a fixed-pitch font;
// only the rows on screen are shaped and painted. The rows are counted a
// slice at a time from the event loop, so the first screen shows at once and
// the window stays responsive while the scroll range grows to the whole text.
// A bar above the text says why the text is shown this way and offers one action.
#include <QAbstractScrollArea>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

class CLongTextPane : public QAbstractScrollArea
{
    Q_OBJECT
public:
    // Covers pParent whole, and follows its size.
    explicit CLongTextPane(QWidget* pParent);

    // Shows `length` characters of `text` from the top; wchar_t of either
    // width. The characters are read where they are: they must stay as they
    // are until the next SetText.
    void SetText(const wchar_t* text, size_t length);
    qsizetype Size() const { return m_nSize; }
    // The bar's message and its button; an empty action hides the button.
    void SetNotice(const QString& message, const QString& action, std::function<void()> onAction);
    QString Notice() const;
    QPushButton* ActionButton() const { return m_pAction; }

    // Characters per row, from the width of the pane.
    int Columns() const { return m_nColumns; }
    // Rows counted so far, and whether they cover the whole text.
    qsizetype RowCount() const { return m_nRows; }
    bool IsCounted() const { return m_nCounted >= m_nSize && m_bLastRowDone; }
    // Counts rows for at most `milliseconds`; whether the count is complete.
    bool CountSome(int milliseconds);
    // The text of a counted row (line feeds and carriage returns left out).
    QString RowText(qsizetype row) const;
    qsizetype TopRow() const;
    void ScrollToRow(qsizetype row);

protected:
    bool eventFilter(QObject* pObject, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The start of the row after the one starting at `pos`, and the row's end in `end`.
    qsizetype NextRow(qsizetype pos, qsizetype* end) const;
    qsizetype RowStart(qsizetype row) const;
    void Recount();
    void UpdateRange();
    void PlaceBar();

    const wchar_t* m_pText = L"";
    qsizetype m_nSize = 0;
    int m_nColumns = 80;
    // The start of every kStride-th row: a row is found from the nearest one.
    std::vector<qsizetype> m_marks;
    qsizetype m_nRows = 0;
    qsizetype m_nCounted = 0;    // where the next row to count starts
    bool m_bLastRowDone = false; // the row after a final line feed (or of an empty text)
    qsizetype m_nAnchor = -1;    // text position the top row keeps across a recount
    qsizetype m_nAnchorRow = -1; // its row, once counted
    int m_nWidest = 0;           // widest row painted, for the horizontal range
    QTimer m_counter;
    QWidget* m_pBar = nullptr;
    QLabel* m_pMessage = nullptr;
    QPushButton* m_pAction = nullptr;
    std::function<void()> m_onAction;
};
