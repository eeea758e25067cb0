#include "SingleWindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr char kRaise[] = "raise\n";
// "open ", the file's absolute path in UTF-8 as Base64, a line break.
constexpr char kOpen[] = "open ";
constexpr char kDone[] = "ok\n";

// Where the window of `folder` answers: a socket of the user's own (in the
// runtime folder, which only the user may enter), named after the folder as
// the file system finds it, whatever way it was named.
QString socketFor(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(
        (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toUtf8(),
        QCryptographicHash::Sha256);
    const QString name = QStringLiteral("chichotek-") + QString::fromLatin1(key.toHex().left(24));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime + u'/' + name;
    return QDir::tempPath() + QStringLiteral("/chichotek-%1-").arg(::getuid()) + name.mid(10);
}

} // namespace

SingleWindow::SingleWindow(QObject *parent) : QObject(parent)
{}

bool SingleWindow::handOver(const QString &folder, const QString &file, int waitMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketFor(folder));
    if (!socket.waitForConnected(waitMs))
        return false;
    if (file.isEmpty())
        socket.write(kRaise);
    else
        socket.write(kOpen + QFileInfo(file).absoluteFilePath().toUtf8().toBase64() + '\n');
    if (!socket.waitForBytesWritten(waitMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(waitMs))
            return false;
    }
    return socket.readLine() == kDone;
}

void SingleWindow::answerFor(const QString &folder, std::function<void(const QString &file)> raise)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = socketFor(folder);
    // A socket left by a program that ended without removing it answers no
    // one (handOver() found no window) and is replaced.
    if (!m_server->listen(name)) {
        QLocalServer::removeServer(name);
        if (!m_server->listen(name))
            return; // a second start then asks as the lock says
    }
    connect(m_server, &QLocalServer::newConnection, this, [this, raise] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [socket, raise] {
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine();
                if (line == kRaise || line.startsWith(kOpen)) {
                    const QByteArray file = line.startsWith(kOpen)
                                                ? QByteArray::fromBase64(line.mid(5).trimmed())
                                                : QByteArray();
                    socket->write(kDone);
                    socket->flush();
                    raise(QString::fromUtf8(file));
                }
                socket->disconnectFromServer();
            });
        }
    });
}
