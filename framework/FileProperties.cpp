#include "velmar/framework/FileProperties.h"

#include "velmar/framework/Translation.h"
#include "velmar/io/Orvex.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>
#include <string>

BOOL CFileProperties::Read(LPCWSTR lpszPath)
{
    const std::wstring path = lpszPath ? lpszPath : L"";
    const size_t slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
    {
        strName = path.c_str();
        strFolder = L"";
    }
    else
    {
        strName = path.substr(slash + 1).c_str();
        // The root keeps its separator.
        strFolder = path.substr(0, slash == 0 ? 1 : slash).c_str();
    }
    bRead = FALSE;
    Orvex::CFileWin file;
    // Every share bit: looking at a file must not stand in anyone's way.
    const uint32_t mode =
        Orvex::kModeRead | Orvex::kModeShareRead | Orvex::kModeShareWrite | Orvex::kModeShareDelete;
    if (path.empty() || !file.Open(path.c_str(), mode, false))
        return FALSE;
    nSize = file.GetLength64();
    file.GetTimes(&created, &modified, &accessed);
    SetLastError(ERROR_SUCCESS);
    const uint32_t attributes = file.GetAttributes();
    // All bits set with an error means the attributes could not be read.
    const BOOL bAttributesRead = GetLastError() == ERROR_SUCCESS;
    bReadOnly = bAttributesRead && (attributes & Orvex::kAttrReadOnly) != 0;
    bHidden = bAttributesRead && (attributes & Orvex::kAttrHidden) != 0;
    file.Close();
    bRead = TRUE;
    return TRUE;
}

static CString GroupedDigits(uint64_t n)
{
    std::wstring digits = std::to_wstring(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<size_t>(i), 1, L',');
    return CString(digits.c_str());
}

CString CFileProperties::FormatSize(uint64_t nBytes)
{
    if (nBytes < 1024)
        return GroupedDigits(nBytes) + L" " + AfxTranslate(nBytes == 1 ? L"byte" : L"bytes");
    static const wchar_t* const units[] = {L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    double value = static_cast<double>(nBytes) / 1024.0;
    size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof units / sizeof units[0])
    {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, cut rather than rounded up, as the shell shows them.
    wchar_t text[64];
    if (value < 10.0)
        std::swprintf(text, 64, L"%.2f",
                      static_cast<double>(static_cast<uint64_t>(value * 100.0)) / 100.0);
    else if (value < 100.0)
        std::swprintf(text, 64, L"%.1f",
                      static_cast<double>(static_cast<uint64_t>(value * 10.0)) / 10.0);
    else
        std::swprintf(text, 64, L"%llu", static_cast<unsigned long long>(value));
    return CString(text) + L" " + units[unit] + L" (" + GroupedDigits(nBytes) + L" " +
           AfxTranslate(L"bytes") + L")";
}

CString CFileProperties::FormatTime(const Orvex::CDateTime& time)
{
    if (time.GetYear() == 0 && time.GetMonth() == 0 && time.GetDay() == 0)
        return CString();
    wchar_t text[64];
    std::swprintf(text, 64, L"%04u-%02u-%02u %02u:%02u:%02u", time.GetYear(), time.GetMonth(),
                  time.GetDay(), time.GetHour(), time.GetMinute(), time.GetSecond());
    return CString(text);
}

static QString Q(const CString& s)
{
    return QString::fromWCharArray(s.GetString(), s.GetLength());
}

// A label of the sheet in the interface's language.
static QString T(const char* text)
{
    return Q(AfxTranslate(QString::fromUtf8(text).toStdWString().c_str()));
}

static QLabel* Field(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QWidget* NewFilePropertiesSheet(LPCWSTR lpszPath, QWidget* pParent)
{
    CFileProperties props;
    props.Read(lpszPath);
    const QString unknown = T("(unavailable)");

    auto* sheet = new QDialog(pParent);
    sheet->setWindowTitle(T("%1 Properties").arg(Q(props.strName)));
    auto* form = new QFormLayout;
    form->addRow(T("Name:"), Field(sheet, "name", Q(props.strName)));
    form->addRow(T("Location:"), Field(sheet, "folder", Q(props.strFolder)));
    form->addRow(
        T("Size:"),
        Field(sheet, "size", props.bRead ? Q(CFileProperties::FormatSize(props.nSize)) : unknown));
    const auto time = [&](const Orvex::CDateTime& t)
    {
        const CString text = CFileProperties::FormatTime(t);
        return props.bRead && !text.IsEmpty() ? Q(text) : unknown;
    };
    form->addRow(T("Created:"), Field(sheet, "created", time(props.created)));
    form->addRow(T("Modified:"), Field(sheet, "modified", time(props.modified)));
    form->addRow(T("Accessed:"), Field(sheet, "accessed", time(props.accessed)));

    // Shown, not changed: the sheet reports the file as it is.
    auto* attributes = new QHBoxLayout;
    auto* readOnly = new QCheckBox(T("&Read-only"), sheet);
    readOnly->setObjectName(QStringLiteral("readOnly"));
    readOnly->setChecked(props.bReadOnly);
    readOnly->setEnabled(false);
    auto* hidden = new QCheckBox(T("&Hidden"), sheet);
    hidden->setObjectName(QStringLiteral("hidden"));
    hidden->setChecked(props.bHidden);
    hidden->setEnabled(false);
    attributes->addWidget(readOnly);
    attributes->addWidget(hidden);
    attributes->addStretch();
    form->addRow(T("Attributes:"), attributes);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, sheet);
    QObject::connect(buttons, &QDialogButtonBox::accepted, sheet, &QDialog::accept);
    auto* layout = new QVBoxLayout(sheet);
    layout->addLayout(form);
    layout->addWidget(buttons);
    return sheet;
}
