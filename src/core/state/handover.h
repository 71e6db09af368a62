#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// A start asked for a folder while a copy of the program runs hands the folder to that copy,
// through a local socket beside its single-instance lock, which only the user can reach. The
// message is the folder's absolute path as plain data; the running copy answers once it takes
// it.
namespace handover
{

// How long a start waits for the running copy to answer before it goes on as if none ran.
inline constexpr int answerMs = 1000;
// The longest message taken: far more than the longest path the system allows.
inline constexpr qsizetype maxMessageBytes = 16 * 1024;

// The socket's path beside a lock file.
QString socketBeside(const QString &lockPath);

// Gives the copy listening at the socket a folder, an absolute path. True when it answered
// that it takes it within the time allowed; false for a socket no copy listens at (one left by
// a copy that ended), a file that is no socket, or no answer in time.
[[nodiscard]] bool sendFolder(
    const QString &socketPath, const QString &folder, int timeoutMs = answerMs);

// The running copy's end: takes the folders later starts send, and drops whatever else
// reaches it without an answer.
class FolderServer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderServer)
public:
    explicit FolderServer(QObject *parent = nullptr);
    ~FolderServer() override;

    // Listens at the path, reachable by this user alone. A socket file already there is
    // replaced, so only the holder of the lock beside it may listen: no copy is left there to
    // answer. False, with errorString(), when it cannot listen.
    [[nodiscard]] bool listen(const QString &path);
    QString errorString() const;
    // Stops listening, and removes the socket file.
    void close();

Q_SIGNALS:
    // A later start asked for this folder (an absolute path) and was told it was taken.
    void folderAsked(const QString &folder);

private:
    void takeConnections();
    void readMessage(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
};

} // namespace handover
