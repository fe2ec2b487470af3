#include "velmar/framework/QtUiProvider.h"

#include "velmar/framework/AfxString.h"
#include "velmar/framework/FileProperties.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

static CQtUiProvider s_qtProvider;

BOOL CQtUiProvider::InstallIfNone()
{
    if (w32::CurrentUiProvider())
        return FALSE;
    w32::InstallUiProvider(&s_qtProvider);
    return TRUE;
}

void CQtUiProvider::Uninstall()
{
    w32::UninstallUiProvider(&s_qtProvider);
}

static QMessageBox::StandardButton QtButton(int id)
{
    switch (id)
    {
    case IDOK:
        return QMessageBox::Ok;
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDABORT:
        return QMessageBox::Abort;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDIGNORE:
        return QMessageBox::Ignore;
    case IDYES:
        return QMessageBox::Yes;
    case IDNO:
        return QMessageBox::No;
    case IDTRYAGAIN:
        return QMessageBox::Retry;
    case IDCONTINUE:
        return QMessageBox::Ignore;
    default:
        return QMessageBox::NoButton;
    }
}

int CQtUiProvider::ShowMessageBox(const w32::MessageBoxRequest& request)
{
    QMessageBox box(request.owner ? reinterpret_cast<QWidget*>(request.owner) : nullptr);
    box.setWindowTitle(QString::fromStdWString(request.caption));
    box.setText(QString::fromStdWString(request.text));
    switch (request.style & MB_ICONMASK)
    {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONASTERISK:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons all;
    for (int i = 0; i < request.buttonCount; ++i)
        all |= QtButton(request.buttons[i]);
    box.setStandardButtons(all);
    if (QtButton(request.defaultButton) != QMessageBox::NoButton)
        box.setDefaultButton(QtButton(request.defaultButton));
    // Escape answers Cancel where there is one, and closes a lone OK, as on Windows.
    for (int i = 0; i < request.buttonCount; ++i)
        if (request.buttons[i] == IDCANCEL || request.buttonCount == 1)
            box.setEscapeButton(QtButton(request.buttons[i]));
    int result = box.exec();
    for (int i = 0; i < request.buttonCount; ++i)
        if (QtButton(request.buttons[i]) == result)
            return request.buttons[i];
    return request.buttonCount == 1 ? request.buttons[0] : IDCANCEL;
}

bool CQtUiProvider::ShowFileDialog(const w32::FileDialogRequest& request,
                                   w32::FileDialogAnswer& answer)
{
    QStringList filters;
    for (const auto& f : request.filters)
    {
        // Windows' "*.*" matches every file; Qt reads it as "names with a dot".
        QString patterns =
            QString::fromStdWString(f.second).replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QLatin1String("*.*"), QLatin1String("*"));
        QString display = QString::fromStdWString(f.first);
        int paren = (int)display.indexOf(QLatin1Char('('));
        if (paren > 0)
            display = display.left(paren).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(display, patterns.trimmed());
    }
    QFileDialog dlg(request.owner ? reinterpret_cast<QWidget*>(request.owner) : nullptr,
                    QString::fromStdWString(request.title));
    dlg.setNameFilters(filters);
    if (request.filterIndex >= 1 && (qsizetype)request.filterIndex <= filters.size())
        dlg.selectNameFilter(filters[request.filterIndex - 1]);
    dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The win32 layer asks the overwrite and must-exist questions and adds the extension itself.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.initialDir.empty())
        dlg.setDirectory(QString::fromStdWString(request.initialDir));
    if (!request.fileName.empty())
        dlg.selectFile(QString::fromStdWString(request.fileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    answer.path = QFileInfo(dlg.selectedFiles().first()).absoluteFilePath().toStdWString();
    answer.filterIndex = (DWORD)(filters.indexOf(dlg.selectedNameFilter()) + 1);
    return true;
}

bool CQtUiProvider::ShowFileProperties(HWND owner, const std::wstring& path)
{
    QWidget* sheet =
        NewFilePropertiesSheet(path.c_str(), owner ? reinterpret_cast<QWidget*>(owner) : nullptr);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->show();
    return true;
}
