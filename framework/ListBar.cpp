#include "velmar/framework/ListBar.h"

#include "velmar/framework/FrameWnd.h"

#include <QHeaderView>
#include <QTreeWidget>

IMPLEMENT_DYNAMIC(CListBar, CControlBar)

BEGIN_MESSAGE_MAP(CListBar, CControlBar)
END_MESSAGE_MAP()

namespace
{

QTreeWidget* ListOf(const CListBar& bar)
{
    return qobject_cast<QTreeWidget*>(bar.GetWidget());
}

} // namespace

BOOL CListBar::Create(CWnd* pParentWnd, UINT nID, UINT nActivateCmd, int nHeight,
                      const std::vector<CString>& headers, DWORD dwStyle)
{
    m_nActivateCmd = nActivateCmd;
    m_nHeight = nHeight;
    m_headers = headers;
    if (!CreateBar(dwStyle | WS_VISIBLE, pParentWnd, nID))
        return FALSE;
    if (CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, pParentWnd))
        pFrame->RecalcLayout();
    return TRUE;
}

QWidget* CListBar::CreateBarWidget(QWidget* pParentWidget)
{
    auto* pList = new QTreeWidget(pParentWidget);
    pList->setRootIsDecorated(false);
    pList->setUniformRowHeights(true);
    pList->setSelectionMode(QAbstractItemView::SingleSelection);
    pList->setAllColumnsShowFocus(true);
    QStringList labels;
    for (const CString& header : m_headers)
        labels << AfxToQString(header);
    pList->setColumnCount(static_cast<int>(m_headers.size()));
    pList->setHeaderLabels(labels);
    // The first column (the message) takes the room the others leave; they
    // are as wide as their texts.
    QHeaderView* pHeader = pList->header();
    pHeader->setStretchLastSection(false);
    pHeader->setSectionResizeMode(QHeaderView::ResizeToContents);
    pHeader->setSectionResizeMode(0, QHeaderView::Stretch);
    // Double-click and Enter both activate.
    QObject::connect(pList, &QTreeWidget::itemActivated, pList,
                     [this, pList](QTreeWidgetItem* pItem, int)
                     { ActivateRow(pList->indexOfTopLevelItem(pItem)); });
    return pList;
}

int CListBar::AddRow(const std::vector<CString>& cells)
{
    QTreeWidget* pList = ListOf(*this);
    if (!pList)
        return -1;
    auto* pItem = new QTreeWidgetItem();
    for (size_t i = 0; i < cells.size() && i < m_headers.size(); ++i)
        pItem->setText(static_cast<int>(i), AfxToQString(cells[i]));
    pList->addTopLevelItem(pItem);
    return pList->topLevelItemCount() - 1;
}

void CListBar::DeleteAllRows()
{
    if (QTreeWidget* pList = ListOf(*this))
        pList->clear();
}

int CListBar::GetRowCount() const
{
    QTreeWidget* pList = ListOf(*this);
    return pList ? pList->topLevelItemCount() : 0;
}

CString CListBar::GetCellText(int nRow, int nColumn) const
{
    QTreeWidget* pList = ListOf(*this);
    QTreeWidgetItem* pItem = pList ? pList->topLevelItem(nRow) : nullptr;
    return pItem ? AfxFromQString(pItem->text(nColumn)) : CString();
}

int CListBar::GetCurSel() const
{
    QTreeWidget* pList = ListOf(*this);
    QTreeWidgetItem* pItem = pList ? pList->currentItem() : nullptr;
    return pItem ? pList->indexOfTopLevelItem(pItem) : -1;
}

void CListBar::SetCurSel(int nRow)
{
    QTreeWidget* pList = ListOf(*this);
    if (pList)
        pList->setCurrentItem(pList->topLevelItem(nRow));
}

void CListBar::ActivateRow(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount())
        return;
    SetCurSel(nRow);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->OnCmdMsg(m_nActivateCmd, 0, nullptr, nullptr);
}

CSize CListBar::CalcFixedLayout(BOOL, BOOL bHorz)
{
    return bHorz ? CSize(32767, m_nHeight) : CSize(m_nHeight, 32767);
}
