// One running editor per display, with real programs: a later start hands
// its files to the running one and ends; --new-instance starts its own; a
// socket left by a killed editor does not stop the next one.
#include "support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace
{

class TwoEditors
{
public:
    TwoEditors()
    {
        env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const auto& [name, value] : testsupport::PrivateHome(dir.path()))
            env.insert(name, value);
        QFile bad(Path("bad.xml"));
        if (bad.open(QIODevice::WriteOnly))
            bad.write("<?xml version=\"1.0\"?>\n<root><item>1</root>\n");
    }
    QString Path(const char* name) const { return QDir(dir.path()).filePath(name); }

    // Started in the scratch folder, or in `cwd`.
    std::unique_ptr<QProcess> Start(const QStringList& args, const QString& cwd = {})
    {
        auto velmar = std::make_unique<QProcess>();
        velmar->setProcessEnvironment(env);
        velmar->setWorkingDirectory(cwd.isEmpty() ? dir.path() : cwd);
        velmar->setReadChannel(QProcess::StandardError);
        velmar->start(QStringLiteral(VELMAR_EXE), args);
        velmar->waitForStarted(10000);
        return velmar;
    }
    // Whether the running editor answers on its socket within 20 s.
    bool Listening() const
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000)
        {
            for (const QString& name : QDir(dir.path()).entryList({"velmar-*.sock"}, QDir::System))
            {
                QLocalSocket probe;
                probe.connectToServer(QDir(dir.path()).filePath(name));
                if (probe.waitForConnected(500))
                    return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
};

// The "Error open XML file!" lines the program wrote on standard error by
// now, waiting up to 20 s for `expected` of them.
int Refusals(QProcess& velmar, QByteArray& seen, int expected)
{
    QElapsedTimer clock;
    clock.start();
    while (seen.count("Error open XML file!") < expected && clock.elapsed() < 20000)
    {
        velmar.waitForReadyRead(100);
        seen += velmar.readAllStandardError();
    }
    return static_cast<int>(seen.count("Error open XML file!"));
}

} // namespace

TEST(SingleInstance, a_later_start_hands_its_files_to_the_running_editor)
{
    TwoEditors t;
    ASSERT_TRUE(t.dir.isValid());
    for (const char* round : {"first editor", "after a killed one"})
    {
        SCOPED_TRACE(round);
        std::unique_ptr<QProcess> running = t.Start({}, QDir::rootPath());
        ASSERT_TRUE(t.Listening());

        // Both files (the relative name made absolute) reach the running editor,
        // which refuses each; the later start ends at once, successfully and
        // silently.
        std::unique_ptr<QProcess> later = t.Start({t.Path("bad.xml"), "bad.xml"});
        ASSERT_TRUE(later->waitForFinished(20000));
        EXPECT_EQ(later->exitCode(), 0);
        EXPECT_EQ(later->readAllStandardError(), QByteArray());
        QByteArray seen;
        EXPECT_EQ(Refusals(*running, seen, 2), 2) << seen.toStdString();

        // --new-instance runs on its own and leaves the channel to the first.
        std::unique_ptr<QProcess> second = t.Start({"--new-instance"});
        second->waitForReadyRead(10000); // the window is up (Qt remarks on it)
        std::unique_ptr<QProcess> third = t.Start({"bad.xml"});
        ASSERT_TRUE(third->waitForFinished(20000));
        EXPECT_EQ(third->exitCode(), 0);
        EXPECT_EQ(Refusals(*running, seen, 3), 3) << seen.toStdString();
        second->kill();
        second->waitForFinished(10000);
        // It opens a file itself, and fails on this one.
        std::unique_ptr<QProcess> own = t.Start({"--new-instance", t.Path("bad.xml")});
        ASSERT_TRUE(own->waitForFinished(20000));
        EXPECT_NE(own->exitCode(), 0);
        EXPECT_TRUE(own->readAllStandardError().contains("Error open XML file!"));

        running->kill();
        running->waitForFinished(10000);
    }
}
