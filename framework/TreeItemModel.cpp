#include "TreeItemModel.h"

#include "velmar/framework/ImageList.h"

#include <QFont>
#include <QIcon>

CTreeItemModel::CTreeItemModel(QObject* pParent) : QAbstractItemModel(pParent) {}

QModelIndex CTreeItemModel::IndexOf(Id id)
{
    if (id == CTreeItemStore::kRoot || id == CTreeItemStore::kNone || !m_store.IsItem(id))
        return QModelIndex();
    Id parent = m_store.At(id).parent;
    if (!IsRevealed(parent))
        return QModelIndex();
    return createIndex(m_store.RowOf(id), 0, (quintptr)id);
}

void CTreeItemModel::ItemChanged(Id id)
{
    QModelIndex index = IndexOf(id);
    if (index.isValid())
        emit dataChanged(index, index.siblingAtColumn(m_nColumns - 1));
}

void CTreeItemModel::SetTextColumn(std::function<QString(Id)> text, const QString& labelTitle,
                                   const QString& columnTitle)
{
    m_titles[0] = labelTitle;
    m_titles[1] = columnTitle;
    const bool bShow = text != nullptr;
    if (bShow == HasTextColumn())
    {
        m_columnText = std::move(text);
        emit headerDataChanged(Qt::Horizontal, 0, m_nColumns - 1);
        return;
    }
    // Only the top level's columns are announced: a tree view takes its columns from there.
    if (bShow)
    {
        beginInsertColumns(QModelIndex(), 1, 1);
        m_columnText = std::move(text);
        m_nColumns = 2;
        endInsertColumns();
    }
    else
    {
        beginRemoveColumns(QModelIndex(), 1, 1);
        m_columnText = nullptr;
        m_nColumns = 1;
        endRemoveColumns();
    }
}

QModelIndex CTreeItemModel::index(int row, int column, const QModelIndex& parent) const
{
    Id p = IdOf(parent);
    if (column < 0 || column >= m_nColumns || row < 0 || !IsRevealed(p))
        return QModelIndex();
    Id c = Mutable().ChildAt(p, row);
    return c == CTreeItemStore::kNone ? QModelIndex() : createIndex(row, column, (quintptr)c);
}

QModelIndex CTreeItemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    Id p = m_store.At(IdOf(child)).parent;
    if (p == CTreeItemStore::kRoot || p == CTreeItemStore::kNone)
        return QModelIndex();
    return createIndex(Mutable().RowOf(p), 0, (quintptr)p);
}

int CTreeItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    Id p = IdOf(parent);
    return IsRevealed(p) ? Mutable().RowCount(p) : 0;
}

int CTreeItemModel::columnCount(const QModelIndex&) const
{
    return m_nColumns;
}

bool CTreeItemModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    Id p = IdOf(parent);
    if (p == CTreeItemStore::kRoot)
        return m_store.At(p).first != CTreeItemStore::kNone;
    return m_store.HasChildren(p);
}

QVariant CTreeItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    Id id = IdOf(index);
    if (index.column() > 0)
        return role == Qt::DisplayRole && m_columnText ? QVariant(m_columnText(id)) : QVariant();
    const CTreeItemStore::Item& it = m_store.At(id);
    switch (role)
    {
    case Qt::DisplayRole:
    case Qt::EditRole:
    {
        const std::wstring& text = m_store.Text(id);
        return QString::fromWCharArray(text.data(), (qsizetype)text.size());
    }
    case Qt::FontRole:
        if (it.state & TVIS_BOLD)
        {
            QFont font;
            font.setBold(true);
            return font;
        }
        return QVariant();
    case Qt::DecorationRole:
        if (m_pImages)
        {
            int image = (it.state & TVIS_SELECTED) ? it.selImage : it.image;
            QPixmap pixmap = m_pImages->GetPixmap(image);
            if (!pixmap.isNull())
                return QIcon(pixmap);
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CTreeItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_nColumns)
        return QVariant();
    return m_titles[section];
}

Qt::ItemFlags CTreeItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
