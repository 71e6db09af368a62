#include "core/state/handover.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QTimer>

namespace handover
{

namespace
{
    // The message: this header, the path in UTF-8, and a NUL byte, which no path holds (a
    // file name may hold a line break).
    const QByteArray header = QByteArrayLiteral("ravelin-folder/1\n");
    constexpr char end = '\0';
    const QByteArray taken = QByteArrayLiteral("taken\n");
    // A start that connects and says nothing is not waited for longer than this.
    constexpr int silenceMs = 5 * answerMs;

    // The path a complete message carries; empty for anything else.
    QString pathOf(const QByteArray &message)
    {
        if (!message.startsWith(header) || message.indexOf(end) != message.size() - 1)
            return {};
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString path = utf8(message.mid(header.size(), message.size() - header.size() - 1));
        if (utf8.hasError() || !QDir::isAbsolutePath(path))
            return {};
        return path;
    }
} // namespace

QString socketBeside(const QString &lockPath)
{
    return QFileInfo(lockPath).dir().filePath(QStringLiteral("ravelin.socket"));
}

bool sendFolder(const QString &socketPath, const QString &folder, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    socket.write(header + folder.toUtf8() + end);
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() < taken.size()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
        answer += socket.readAll();
    }
    return answer == taken;
}

FolderServer::FolderServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &FolderServer::takeConnections);
}

FolderServer::~FolderServer() = default;

bool FolderServer::listen(const QString &path)
{
    // Made private in a folder of its own and then renamed to the path, the new socket takes
    // the place of any file there.
    return m_server->listen(path);
}

void FolderServer::close()
{
    m_server->close();
}

QString FolderServer::errorString() const
{
    return m_server->errorString();
}

void FolderServer::takeConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        QTimer::singleShot(silenceMs, socket, [socket] { socket->abort(); });
    }
}

void FolderServer::readMessage(QLocalSocket *socket)
{
    const QByteArray message = socket->peek(maxMessageBytes + 1);
    if (!message.contains(end)) {
        if (message.size() > maxMessageBytes)
            socket->abort();
        return;
    }
    const QString path = pathOf(socket->readAll());
    if (path.isEmpty()) {
        socket->abort();
        return;
    }
    // Answered before the folder opens, which may take a while.
    socket->write(taken);
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT folderAsked(path);
}

} // namespace handover
