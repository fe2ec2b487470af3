#include "LongTextPane.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cwchar>

namespace
{

constexpr qsizetype kStride = 64; // rows between two marks
constexpr int kSliceMs = 10;      // counting time per event loop turn
constexpr int kMinColumns = 16;

// The characters of a row as Qt takes them, carriage returns left out.
QString RowString(const wchar_t* p, qsizetype n)
{
    QString text = QString::fromWCharArray(p, n);
    text.remove(QLatin1Char('\r'));
    return text;
}

} // namespace

CLongTextPane::CLongTextPane(QWidget* pParent) : QAbstractScrollArea(pParent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pBar = new QWidget(this);
    m_pBar->setAutoFillBackground(true);
    m_pBar->setBackgroundRole(QPalette::ToolTipBase);
    auto* pLayout = new QHBoxLayout(m_pBar);
    pLayout->setContentsMargins(6, 3, 6, 3);
    m_pMessage = new QLabel(m_pBar);
    m_pMessage->setWordWrap(true);
    m_pMessage->setForegroundRole(QPalette::ToolTipText);
    m_pMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pAction = new QPushButton(m_pBar);
    pLayout->addWidget(m_pMessage, 1);
    pLayout->addWidget(m_pAction, 0);
    QObject::connect(m_pAction, &QPushButton::clicked, this,
                     [this]()
                     {
                         // The action may replace the notice and with it this function.
                         std::function<void()> onAction = m_onAction;
                         if (onAction)
                             onAction();
                     });
    m_pBar->hide();
    if (pParent)
    {
        setGeometry(pParent->rect());
        pParent->installEventFilter(this);
    }
    m_counter.setInterval(0);
    QObject::connect(&m_counter, &QTimer::timeout, this,
                     [this]()
                     {
                         if (CountSome(kSliceMs))
                             m_counter.stop();
                     });
}

bool CLongTextPane::eventFilter(QObject* pObject, QEvent* e)
{
    if (pObject == parent() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QAbstractScrollArea::eventFilter(pObject, e);
}

void CLongTextPane::SetText(const wchar_t* text, size_t length)
{
    m_pText = text && length ? text : L"";
    m_nSize = text ? (qsizetype)length : 0;
    m_nAnchor = m_nAnchorRow = -1;
    m_nWidest = 0;
    horizontalScrollBar()->setValue(0);
    Recount();
}

void CLongTextPane::SetNotice(const QString& message, const QString& action,
                              std::function<void()> onAction)
{
    m_pMessage->setText(message);
    m_pAction->setText(action);
    m_pAction->setVisible(!action.isEmpty());
    m_onAction = std::move(onAction);
    m_pBar->setVisible(!message.isEmpty());
    PlaceBar();
}

QString CLongTextPane::Notice() const
{
    return m_pBar->isVisible() ? m_pMessage->text() : QString();
}

void CLongTextPane::PlaceBar()
{
    const int height = m_pBar->isVisible() ? m_pBar->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    const QRect area = contentsRect();
    m_pBar->setGeometry(area.left(), area.top(), area.width(), height);
}

qsizetype CLongTextPane::NextRow(qsizetype pos, qsizetype* end) const
{
    const qsizetype size = m_nSize;
    qsizetype limit = std::min(size, pos + m_nColumns);
    // One past the width, so that a line feed right after a full row ends that row.
    const qsizetype look = std::min(size, limit + 1) - pos;
    if (const wchar_t* feed = wmemchr(m_pText + pos, L'\n', (size_t)look))
    {
        *end = feed - m_pText;
        return *end + 1;
    }
    // A surrogate pair stays on one row.
    if (sizeof(wchar_t) == 2 && limit < size && limit > pos + 1 &&
        QChar::isHighSurrogate((char32_t)m_pText[limit - 1]))
        --limit;
    *end = limit;
    return limit;
}

qsizetype CLongTextPane::RowStart(qsizetype row) const
{
    const size_t mark = (size_t)(row / kStride);
    if (mark >= m_marks.size())
        return m_nSize;
    qsizetype pos = m_marks[mark], end = 0;
    for (qsizetype r = (qsizetype)mark * kStride; r < row; ++r)
        pos = NextRow(pos, &end);
    return pos;
}

QString CLongTextPane::RowText(qsizetype row) const
{
    if (row < 0 || row >= m_nRows)
        return QString();
    qsizetype end = 0;
    const qsizetype start = RowStart(row);
    if (start >= m_nSize)
        return QString();
    NextRow(start, &end);
    return RowString(m_pText + start, end - start);
}

void CLongTextPane::Recount()
{
    m_marks.clear();
    m_nRows = 0;
    m_nCounted = 0;
    m_bLastRowDone = false;
    verticalScrollBar()->setValue(0);
    if (m_nAnchor <= 0)
        m_nAnchor = -1;
    // The first screen now, the rest from the event loop.
    if (!CountSome(kSliceMs))
        m_counter.start();
    else
        m_counter.stop();
    viewport()->update();
}

bool CLongTextPane::CountSome(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    const qsizetype size = m_nSize;
    qsizetype end = 0;
    int n = 0;
    while (m_nCounted < size)
    {
        if (m_nRows % kStride == 0)
            m_marks.push_back(m_nCounted);
        const qsizetype start = m_nCounted;
        m_nCounted = NextRow(m_nCounted, &end);
        if (m_nAnchor >= 0 && m_nAnchorRow < 0 && m_nAnchor < std::max(m_nCounted, start + 1))
            m_nAnchorRow = m_nRows;
        ++m_nRows;
        if (++n % 4096 == 0 && clock.elapsed() >= milliseconds)
            break;
    }
    if (m_nCounted >= size && !m_bLastRowDone)
    {
        // An empty text is one empty row, and so is the end after a final line feed.
        if (size == 0 || m_pText[size - 1] == L'\n')
        {
            if (m_nRows % kStride == 0)
                m_marks.push_back(size);
            ++m_nRows;
        }
        m_bLastRowDone = true;
    }
    UpdateRange();
    // The anchored row goes on top once the range reaches it.
    if (m_nAnchorRow >= 0 && (m_nAnchorRow <= verticalScrollBar()->maximum() || IsCounted()))
    {
        ScrollToRow(m_nAnchorRow);
        m_nAnchor = m_nAnchorRow = -1;
    }
    else if (IsCounted())
        m_nAnchor = -1;
    return IsCounted();
}

void CLongTextPane::UpdateRange()
{
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const qsizetype page = std::max(1, viewport()->height() / lineHeight);
    const qsizetype last = std::max<qsizetype>(0, m_nRows - page);
    verticalScrollBar()->setRange(0, (int)std::min<qsizetype>(last, INT_MAX));
    verticalScrollBar()->setPageStep((int)page);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, m_nWidest - viewport()->width() + 8));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 4);
}

qsizetype CLongTextPane::TopRow() const
{
    return verticalScrollBar()->value();
}

void CLongTextPane::ScrollToRow(qsizetype row)
{
    verticalScrollBar()->setValue((int)std::clamp<qsizetype>(row, 0, INT_MAX));
}

void CLongTextPane::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int x = 4 - horizontalScrollBar()->value();
    qsizetype row = TopRow();
    if (row >= m_nRows)
        return;
    qsizetype pos = RowStart(row), end = 0;
    int widest = m_nWidest;
    for (int y = 0; y < viewport()->height() && row < m_nRows; y += lineHeight, ++row)
    {
        const qsizetype next = NextRow(pos, &end);
        const QString text = RowString(m_pText + pos, end - pos);
        painter.drawText(x, y + metrics.ascent(), text);
        widest = std::max(widest, metrics.horizontalAdvance(text) + 8);
        pos = next;
    }
    if (widest != m_nWidest)
    {
        m_nWidest = widest;
        UpdateRange();
    }
}

void CLongTextPane::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    PlaceBar();
    const int charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M')));
    const int columns = std::max(kMinColumns, (viewport()->width() - 8) / charWidth);
    if (columns == m_nColumns)
    {
        UpdateRange();
        return;
    }
    // The row on top stays on top once the rows are counted again to the new width.
    m_nAnchor = m_nRows ? RowStart(TopRow()) : -1;
    m_nAnchorRow = -1;
    m_nColumns = columns;
    m_nWidest = 0;
    Recount();
}

void CLongTextPane::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::MoveToStartOfDocument))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (e->matches(QKeySequence::MoveToEndOfDocument))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(e);
}
