// The GUI suites' main: Qt's offscreen platform (no display needed), one
// QApplication for the whole executable, and nothing of the user's touched.
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // One screen of a known size, so that window sizes derived from it are known too.
    QFile screens(home.filePath("screens.json"));
    if (!screens.open(QIODevice::WriteOnly) ||
        screens.write(
            "{\"screens\": [{\"name\": \"Screen\", \"x\": 0, \"y\": 0, \"width\": 1280, "
            "\"height\": 1024, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}") < 0)
        return 1;
    screens.close();
    setenv("QT_QPA_PLATFORM",
           ("offscreen:configfile=" + screens.fileName().toLocal8Bit()).constData(), 1);
    for (const auto& [name, value] : testsupport::PrivateHome(home.path()))
        setenv(name, value.toLocal8Bit().constData(), 1);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
