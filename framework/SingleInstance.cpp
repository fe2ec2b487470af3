#include "velmar/framework/SingleInstance.h"

#include "velmar/framework/WinApp.h"
#include "velmar/framework/Wnd.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QWidget>

namespace
{

// A request is a QDataStream of the magic number and the list of absolute
// paths; the answer is one byte once the list is taken.
constexpr quint32 kMagic = 0x564C4D31; // "VLM1"
constexpr char kTaken = 'k';
// Larger requests are no start of ours; the connection is dropped.
constexpr qint64 kMaxRequest = 1 << 20;
// A client that says nothing within this time is dropped.
constexpr int kClientTimeoutMs = 5000;

// The channels this process listens on: a start never waits for itself.
QSet<QString>& OwnChannels()
{
    static QSet<QString> channels;
    return channels;
}

QString DisplayKey()
{
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb"))
        display = qEnvironmentVariable("DISPLAY");
    else if (platform == QLatin1String("wayland"))
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    QString key = platform.isEmpty() ? QStringLiteral("none") : platform;
    if (!display.isEmpty())
        key += QLatin1Char('-') + display;
    key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return key;
}

QString UserKey()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    user.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return user;
}

QString ChannelPath(const QString& name)
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath();
    return QDir(dir).filePath(name + QLatin1Char('-') + UserKey() + QLatin1Char('-') +
                              DisplayKey() + QStringLiteral(".sock"));
}

// Opens what a later start asked for, as the shell's open request would.
void OpenRequested(const QStringList& files)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !pApp->m_pMainWnd)
        return;
    if (QWidget* pMain = pApp->m_pMainWnd->GetWidget())
    {
        pMain->setWindowState(pMain->windowState() & ~Qt::WindowMinimized);
        pMain->show();
        pMain->raise();
        pMain->activateWindow();
    }
    for (const QString& file : files)
        pApp->OpenDocumentFile(AfxFromQString(file));
}

// Reads one request from a client, answers it and hands the files on.
void Serve(QLocalSocket* pClient)
{
    auto buffer = std::make_shared<QByteArray>();
    QTimer::singleShot(kClientTimeoutMs, pClient, [pClient] { pClient->abort(); });
    QObject::connect(pClient, &QLocalSocket::disconnected, pClient, &QObject::deleteLater);
    QObject::connect(pClient, &QLocalSocket::readyRead, pClient,
                     [pClient, buffer]
                     {
                         *buffer += pClient->readAll();
                         if (buffer->size() > kMaxRequest)
                         {
                             pClient->abort();
                             return;
                         }
                         QDataStream in(*buffer);
                         in.setVersion(QDataStream::Qt_6_0);
                         quint32 magic = 0;
                         QStringList files;
                         in >> magic >> files;
                         if (in.status() != QDataStream::Ok)
                             return; // not all there yet
                         if (magic != kMagic)
                         {
                             pClient->abort();
                             return;
                         }
                         buffer->clear();
                         pClient->write(&kTaken, 1);
                         pClient->flush();
                         pClient->disconnectFromServer();
                         // Opening may ask the user something: the client is answered first.
                         QTimer::singleShot(0, [files] { OpenRequested(files); });
                     });
}

} // namespace

struct CSingleInstance::Impl
{
    std::unique_ptr<QLocalServer> server;
};

CSingleInstance::CSingleInstance(LPCWSTR lpszName)
    : m_strChannel(AfxFromQString(ChannelPath(AfxToQString(lpszName)))),
      m_pImpl(std::make_unique<Impl>())
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_pImpl->server)
        OwnChannels().remove(AfxToQString(m_strChannel));
}

BOOL CSingleInstance::Forward(const std::vector<std::wstring>& files, DWORD dwTimeoutMs)
{
    const QString channel = AfxToQString(m_strChannel);
    if (OwnChannels().contains(channel))
        return FALSE;
    QStringList absolute;
    for (const std::wstring& file : files)
        absolute << QFileInfo(QString::fromStdWString(file)).absoluteFilePath();
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << absolute;
    }
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(static_cast<int>(dwTimeoutMs)))
        return FALSE;
    socket.write(request);
    if (!socket.waitForBytesWritten(static_cast<int>(dwTimeoutMs)))
        return FALSE;
    char answer = 0;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(static_cast<int>(dwTimeoutMs)))
            return FALSE;
    return socket.read(&answer, 1) == 1 && answer == kTaken;
}

BOOL CSingleInstance::Listen()
{
    if (m_pImpl->server)
        return TRUE;
    const QString channel = AfxToQString(m_strChannel);
    // Someone answering there runs already; a socket nobody answers was left
    // behind by a program that died. Asked first: listening with access
    // options replaces whatever file is there.
    QLocalSocket probe;
    probe.connectToServer(channel);
    if (probe.waitForConnected(1000))
    {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    QLocalServer::removeServer(channel);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(channel))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    QLocalServer* pServer = server.get();
    QObject::connect(pServer, &QLocalServer::newConnection, pServer,
                     [pServer]
                     {
                         while (QLocalSocket* pClient = pServer->nextPendingConnection())
                             Serve(pClient);
                     });
    m_pImpl->server = std::move(server);
    OwnChannels().insert(channel);
    return TRUE;
}

BOOL CSingleInstance::IsListening() const
{
    return m_pImpl->server != nullptr;
}
