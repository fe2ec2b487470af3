// The file property sheet: what it reads through the I/O library, how it
// shows sizes and times, and the modeless sheet the Qt provider opens.
#include "velmar/framework/framework.h"
#include "velmar/io/Orvex.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

namespace
{

QString Text(QWidget* sheet, const char* name)
{
    auto* label = sheet->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

bool Checked(QWidget* sheet, const char* name)
{
    auto* box = sheet->findChild<QCheckBox*>(QLatin1String(name));
    return box && box->isChecked();
}

std::wstring MakeFile(const QTemporaryDir& dir, const char* name, qint64 size)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray(size, 'x'));
    return path.toStdWString();
}

Orvex::CDateTime Local(uint32_t y, uint32_t mo, uint32_t d, uint32_t h, uint32_t mi, uint32_t s)
{
    Orvex::CDateTime t;
    t.SetYear(y);
    t.SetMonth(mo);
    t.SetDay(d);
    t.SetHour(h);
    t.SetMinute(mi);
    t.SetSecond(s);
    return t;
}

} // namespace

TEST(FileProperties, sheet_shows_what_the_file_system_holds)
{
    QTemporaryDir dir;
    const std::wstring path = MakeFile(dir, "a b.xml", 1536);
    const Orvex::CDateTime written = Local(2001, 2, 3, 4, 5, 6);
    const Orvex::CDateTime accessed = Local(2002, 3, 4, 5, 6, 7);
    ASSERT_TRUE(Orvex::SetFileTimes(path.c_str(), nullptr, &written, &accessed));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));

    std::unique_ptr<QWidget> sheet(NewFilePropertiesSheet(path.c_str(), nullptr));
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("a b.xml Properties"));
    EXPECT_EQ(Text(sheet.get(), "name"), QStringLiteral("a b.xml"));
    EXPECT_EQ(Text(sheet.get(), "folder"), dir.path());
    EXPECT_EQ(Text(sheet.get(), "size"), QStringLiteral("1.50 KB (1,536 bytes)"));
    EXPECT_EQ(Text(sheet.get(), "modified"), QStringLiteral("2001-02-03 04:05:06"));
    EXPECT_EQ(Text(sheet.get(), "accessed"), QStringLiteral("2002-03-04 05:06:07"));
    EXPECT_NE(Text(sheet.get(), "created"), QStringLiteral("(unavailable)"));
    EXPECT_TRUE(Checked(sheet.get(), "readOnly"));
    EXPECT_FALSE(Checked(sheet.get(), "hidden"));
    // The sheet reports; it does not offer to change the file.
    EXPECT_FALSE(sheet->findChild<QCheckBox*>(QStringLiteral("readOnly"))->isEnabled());

    // Hidden lives in an extended attribute that not every file system keeps.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN))
    {
        CFileProperties props;
        ASSERT_TRUE(props.Read(path.c_str()));
        EXPECT_TRUE(props.bHidden);
        EXPECT_FALSE(props.bReadOnly);
        EXPECT_EQ(props.nSize, 1536u);
    }

    // A file that is gone still gets a sheet, with what the path tells.
    CFileProperties gone;
    EXPECT_FALSE(gone.Read((dir.path() + QStringLiteral("/gone.xml")).toStdWString().c_str()));
    EXPECT_EQ(gone.strName, L"gone.xml");
    std::unique_ptr<QWidget> missing(NewFilePropertiesSheet(
        (dir.path() + QStringLiteral("/gone.xml")).toStdWString().c_str(), nullptr));
    EXPECT_EQ(Text(missing.get(), "size"), QStringLiteral("(unavailable)"));
    EXPECT_EQ(Text(missing.get(), "modified"), QStringLiteral("(unavailable)"));
}

TEST(FileProperties, sizes_read_as_the_shell_shows_them)
{
    EXPECT_EQ(CFileProperties::FormatSize(0), L"0 bytes");
    EXPECT_EQ(CFileProperties::FormatSize(1), L"1 byte");
    EXPECT_EQ(CFileProperties::FormatSize(1023), L"1,023 bytes");
    EXPECT_EQ(CFileProperties::FormatSize(1024), L"1.00 KB (1,024 bytes)");
    EXPECT_EQ(CFileProperties::FormatSize(153600), L"150 KB (153,600 bytes)");
    EXPECT_EQ(CFileProperties::FormatSize(15728640), L"15.0 MB (15,728,640 bytes)");
    // Cut, not rounded up: 1.999 KB is not yet 2.00 KB.
    EXPECT_EQ(CFileProperties::FormatSize(2047), L"1.99 KB (2,047 bytes)");
    EXPECT_EQ(CFileProperties::FormatSize(3221225472ull), L"3.00 GB (3,221,225,472 bytes)");
    EXPECT_EQ(CFileProperties::FormatTime(Orvex::CDateTime()), L"");
    EXPECT_EQ(CFileProperties::FormatTime(Local(1999, 12, 31, 23, 59, 58)), L"1999-12-31 23:59:58");
}

TEST(FileProperties, qt_provider_opens_a_modeless_sheet_that_goes_when_closed)
{
    QTemporaryDir dir;
    const std::wstring path = MakeFile(dir, "doc.xml", 10);
    QWidget owner;
    CQtUiProvider provider;
    ASSERT_TRUE(provider.ShowFileProperties(reinterpret_cast<HWND>(&owner), path));
    QPointer<QDialog> sheet = owner.findChild<QDialog*>();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->isModal());
    EXPECT_EQ(Text(sheet, "size"), QStringLiteral("10 bytes"));
    sheet->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.isNull());
}
