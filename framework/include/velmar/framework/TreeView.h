#pragma once
// CTreeView: a view that is a tree control. The control's operations are
// reached through GetTreeCtrl(); its notifications are reflected to the view.
#include "velmar/framework/TreeCtrl.h"
#include "velmar/framework/View.h"

#include <memory>

class CTreeView : public CView
{
    DECLARE_DYNCREATE(CTreeView)
public:
    CTreeView();
    ~CTreeView() override;

    // The tree control this view is; valid for the view's whole life (its
    // operations fail until the window exists).
    CTreeCtrl& GetTreeCtrl() const;

    // The view's style is the control's: TVS_ bits take effect at once.
    DWORD GetStyle() const { return GetTreeCtrl().GetStyle(); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0)
    {
        return GetTreeCtrl().ModifyStyle(dwRemove, dwAdd, nFlags);
    }

    void OnDraw(CDC* pDC) override; // the control draws itself
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    // The object GetTreeCtrl returns, made once on first use. A view whose
    // control has operations of its own (a class derived from CTreeCtrl with no
    // data of its own) returns one of that class, so a cast to it is sound.
    virtual CTreeCtrl* NewTreeCtrl();

private:
    mutable std::unique_ptr<CTreeCtrl> m_pTreeCtrl;

    DECLARE_MESSAGE_MAP()
};
