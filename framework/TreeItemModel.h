#pragma once
// The item model a tree control's QTreeView reads: a thin view of the
// control's item store. An item's children are shown to the view only while
// the item is expanded on a shown path ("revealed"), so nothing is announced,
// laid out or asked for below collapsed items.
#include "TreeItemStore.h"

#include <QAbstractItemModel>

#include <functional>
#include <vector>

class CImageList;

class CTreeItemModel : public QAbstractItemModel
{
public:
    using Id = CTreeItemStore::Id;

    explicit CTreeItemModel(QObject* pParent = nullptr);

    CTreeItemStore& Store() { return m_store; }
    const CTreeItemStore& Store() const { return m_store; }
    void SetImageList(CImageList* pImages) { m_pImages = pImages; }
    // A second column whose texts come from `text` when a row is painted
    // (nothing is kept per item); null takes the column away.
    void SetTextColumn(std::function<QString(Id)> text, const QString& labelTitle,
                       const QString& columnTitle);
    bool HasTextColumn() const { return m_nColumns > 1; }

    Id IdOf(const QModelIndex& index) const
    {
        return index.isValid() ? (Id)index.internalId() : CTreeItemStore::kRoot;
    }
    QModelIndex IndexOf(Id id); // invalid for the root and for items whose parent is not revealed
    bool IsRevealed(Id id) const { return (m_store.At(id).state & CTreeItemStore::kRevealed) != 0; }

    // Change brackets for the control, which mutates the store between them.
    void BeginInsert(Id parent, int first, int last)
    {
        beginInsertRows(IndexOf(parent), first, last);
    }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(Id parent, int first, int last)
    {
        beginRemoveRows(IndexOf(parent), first, last);
    }
    void EndRemove() { endRemoveRows(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void ItemChanged(Id id);
    // Reorders children in place (mutate), keeping the view's persistent indexes on their items.
    template <class F> void ChangeLayout(F mutate)
    {
        emit layoutAboutToBeChanged();
        QModelIndexList before = persistentIndexList();
        std::vector<Id> ids;
        for (const QModelIndex& index : before)
            ids.push_back(IdOf(index));
        mutate();
        QModelIndexList after;
        for (Id id : ids)
            after.push_back(IndexOf(id));
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Row tables are a cache; building one does not change what the model shows.
    CTreeItemStore& Mutable() const { return const_cast<CTreeItemStore&>(m_store); }

    CTreeItemStore m_store;
    CImageList* m_pImages = nullptr;
    int m_nColumns = 1;
    std::function<QString(Id)> m_columnText;
    QString m_titles[2];
};
