#include "framework/QtUIProvider.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

static IAfxUIProvider* s_pProvider = nullptr;

IAfxUIProvider* AfxSetUIProvider(IAfxUIProvider* pProvider)
{
    IAfxUIProvider* pOld = AfxGetUIProvider();
    s_pProvider = pProvider;
    return pOld;
}

IAfxUIProvider* AfxGetUIProvider()
{
    static CQtUIProvider qtProvider;
    return s_pProvider ? s_pProvider : &qtProvider;
}

static QWidget* OwnerWidget(HWND hWnd)
{
    return hWnd ? reinterpret_cast<QWidget*>(hWnd) : nullptr;
}

int CQtUIProvider::MessageBox(HWND hWndOwner, LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType)
{
    QMessageBox box(OwnerWidget(hWndOwner));
    box.setWindowTitle(AfxToQString(lpszCaption));
    box.setText(AfxToQString(lpszText));
    switch (nType & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct Btn { QMessageBox::StandardButton qt; int id; };
    std::vector<Btn> buttons;
    switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const Btn& b : buttons)
        all |= b.qt;
    box.setStandardButtons(all);
    size_t def = (nType & MB_DEFMASK) >> 8;
    if (def < buttons.size())
        box.setDefaultButton(buttons[def].qt);
    // Escape answers Cancel where there is one, as Windows does; a lone OK also closes on Escape.
    for (const Btn& b : buttons)
        if (b.id == IDCANCEL || buttons.size() == 1)
            box.setEscapeButton(b.qt);
    int result = box.exec();
    for (const Btn& b : buttons)
        if (b.qt == result)
            return b.id;
    return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}

BOOL CQtUIProvider::PromptFileName(AFX_FILE_PROMPT& prompt)
{
    QStringList filters;
    for (const auto& f : prompt.filters) {
        // Windows' "*.*" matches every file; Qt reads it as "names with a dot".
        QString patterns = AfxToQString(f.second).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        QString display = AfxToQString(f.first);
        int paren = display.indexOf(QLatin1Char('('));
        if (paren > 0)
            display = display.left(paren).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(display, patterns);
    }
    QFileDialog dlg(OwnerWidget(prompt.hWndOwner), AfxToQString(prompt.strTitle));
    dlg.setNameFilters(filters);
    if (prompt.nFilterIndex >= 1 && prompt.nFilterIndex <= filters.size())
        dlg.selectNameFilter(filters[prompt.nFilterIndex - 1]);
    dlg.setAcceptMode(prompt.bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(prompt.bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!prompt.strDefExt.IsEmpty())
        dlg.setDefaultSuffix(AfxToQString(prompt.strDefExt));
    if (!(prompt.dwFlags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!prompt.strFileName.IsEmpty())
        dlg.selectFile(AfxToQString(prompt.strFileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return FALSE;
    prompt.strFileName = AfxFromQString(QFileInfo(dlg.selectedFiles().first()).absoluteFilePath());
    prompt.nFilterIndex = (int)filters.indexOf(dlg.selectedNameFilter()) + 1;
    return TRUE;
}
