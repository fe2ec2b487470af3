// The GUI suites' main: Qt's offscreen platform (no display needed), one
// QApplication for the whole executable, and nothing of the user's touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QByteArray root = home.path().toLocal8Bit();
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
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", root.constData(), 1);
    setenv("VELMAR_REGISTRY", (root + "/registry.db").constData(), 1);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
