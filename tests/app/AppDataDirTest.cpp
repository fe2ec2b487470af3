// Where the editor looks for its help pages and translations.
#include "velmar/app/AppDataDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

TEST(AppDataDir, finds_the_installed_folder_beside_the_program)
{
    // Beside this program, as in an installed tree.
    const QString share = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share");
    ASSERT_FALSE(QFileInfo::exists(share)) << "left over: " << share.toStdString();
    ASSERT_TRUE(QDir().mkpath(share + "/velmar/probe"));
    const CString found = VelmarDataDir(L"probe");
    QDir(share).removeRecursively();
    EXPECT_EQ(AfxToQString(found), share + "/velmar/probe");

    SetLastError(ERROR_SUCCESS);
    EXPECT_TRUE(VelmarDataDir(L"no-such-folder").IsEmpty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}
