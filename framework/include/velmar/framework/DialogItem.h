#pragma once
// The controls of a dialog template (static text, icon, edit, button, group
// box) as framework windows, laid out from dialog units. "MS Shell Dlg" in a
// template means the system's dialog font at the template's point size.
#include "velmar/framework/ControlStyles.h"
#include "velmar/framework/Resources.h"
#include "velmar/framework/Wnd.h"

#include <QFont>
#include <QRect>
#include <QSize>

// The font of a template and its dialog base units (average character width
// and height in pixels); one horizontal dialog unit is a quarter of the width,
// one vertical unit an eighth of the height.
struct AFX_DIALOG_METRICS
{
    QFont font;
    QSize baseUnits;
    QRect ToPixels(int x, int y, int cx, int cy) const;
};
AFX_DIALOG_METRICS AfxDialogMetrics(const AFX_DIALOG_RESOURCE* pTemplate);

class CDialogItem : public CWnd
{
    DECLARE_DYNAMIC(CDialogItem)
public:
    enum Kind
    {
        kOther,
        kStatic,
        kIcon,
        kEdit,
        kMultiLineEdit,
        kPushButton,
        kCheckBox,
        kRadioButton,
        kGroupBox
    };

    using CWnd::Create;
    BOOL Create(const AFX_DIALOG_ITEM& item, CWnd* pParentWnd, const AFX_DIALOG_METRICS& metrics);
    Kind GetKind() const { return m_kind; }
    // A push button; the default one answers Enter in its dialog.
    BOOL IsDefaultButton() const;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    Kind m_kind = kOther;
    UINT m_nIconID = 0;
    void PostNcDestroy() override { delete this; } // created by the dialog, gone with it
    void ApplyText(const QString& text);
    void Notify(UINT nCode);

    DECLARE_MESSAGE_MAP()
};

// Creates every item of pTemplate in pParentWnd, which already has its widget.
// FALSE if one of them cannot be created (those made so far stay).
BOOL AfxCreateDialogItems(CWnd* pParentWnd, const AFX_DIALOG_RESOURCE* pTemplate,
                          const AFX_DIALOG_METRICS& metrics);
