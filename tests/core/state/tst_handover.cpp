#include "core/state/handover.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A later start handing its folder to the running copy, through a real socket: what is taken,
// what is dropped unanswered, and a socket no copy answers at.
class TestHandover : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString socketPath() const { return m_dir.filePath("ravelin.socket"); }

private Q_SLOTS:
    void takesAFolder_data();
    void takesAFolder();
    void dropsWhatIsNoFolder_data();
    void dropsWhatIsNoFolder();
    void noCopyAnswers_data();
    void noCopyAnswers();
};

namespace
{
// Leaves a socket file as a copy that crashed leaves it: bound, then no one listens.
bool leaveDeadSocket(const QString &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound
        = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

// Sends from another thread, as another process would, while this one's event loop answers.
bool send(const QString &socketPath, const QString &folder, int timeoutMs = handover::answerMs)
{
    QFuture<bool> sent
        = QtConcurrent::run([=] { return handover::sendFolder(socketPath, folder, timeoutMs); });
    if (!QTest::qWaitFor([&] { return sent.isFinished(); }, 5 * handover::answerMs))
        return false;
    return sent.result();
}
} // namespace

void TestHandover::takesAFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("deadSocketBefore");
    QTest::newRow("a folder") << "/home/me/Pictures/2026" << false;
    QTest::newRow("its name as it is") << "/media/card/Ürlaub\nTag 1/ 日本 ;\"x\"" << false;
    QTest::newRow("over the socket a crashed copy left") << "/pictures" << true;
}

void TestHandover::takesAFolder()
{
    QFETCH(QString, folder);
    QFETCH(bool, deadSocketBefore);
    QVERIFY(!deadSocketBefore || leaveDeadSocket(socketPath()));
    handover::FolderServer server;
    QSignalSpy asked(&server, &handover::FolderServer::folderAsked);
    QVERIFY2(server.listen(socketPath()), qPrintable(server.errorString()));
    // The user alone reaches it.
    QCOMPARE(QFileInfo(socketPath()).permissions() & 0x00ff, QFile::Permissions());
    QVERIFY(send(socketPath(), folder));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().first().toString(), folder);
    // Once more on the same server; then closed, nothing is left behind.
    QVERIFY(send(socketPath(), "/b"));
    server.close();
    QVERIFY(!QFileInfo::exists(socketPath()));
}

void TestHandover::dropsWhatIsNoFolder_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("stillOpen");
    const QByteArray header = "ravelin-folder/1\n";
    QTest::newRow("another program's") << QByteArray("GET / HTTP/1.0\r\n\r\n", 19) << false;
    QTest::newRow("another version") << QByteArray("ravelin-folder/2\n/a\0", 20) << false;
    QTest::newRow("a relative path") << QByteArray(header + "pictures" + '\0') << false;
    QTest::newRow("no path") << QByteArray(header + '\0') << false;
    QTest::newRow("more after it") << QByteArray(header + "/a" + '\0' + "/b" + '\0') << false;
    QTest::newRow("not UTF-8") << QByteArray(header + "/a\xff\xfe" + '\0') << false;
    QTest::newRow("too long") << QByteArray(header + '/' + QByteArray(20 * 1024, 'a')) << false;
    QTest::newRow("not finished yet") << QByteArray(header + "/a") << true;
}

void TestHandover::dropsWhatIsNoFolder()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, stillOpen);
    handover::FolderServer server;
    QSignalSpy asked(&server, &handover::FolderServer::folderAsked);
    QVERIFY(server.listen(socketPath()));
    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(handover::answerMs));
    client.write(message);
    QVERIFY(client.flush() || client.bytesToWrite() == 0);
    if (!stillOpen)
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    // The server takes the next start's folder all the same; a message not finished yet waits
    // for the rest, without an answer.
    QVERIFY(send(socketPath(), "/next"));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().first().toString(), "/next");
    QCOMPARE(
        client.state(), stillOpen ? QLocalSocket::ConnectedState : QLocalSocket::UnconnectedState);
    QCOMPARE(client.readAll(), QByteArray());
}

void TestHandover::noCopyAnswers_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("no socket") << "none";
    QTest::newRow("a socket a crashed copy left") << "dead";
    QTest::newRow("a plain file") << "file";
    QTest::newRow("a copy that does not answer") << "silent";
    QTest::newRow("another program") << "other";
}

void TestHandover::noCopyAnswers()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    const QString path = dir.filePath("ravelin.socket");
    QLocalServer server;
    if (what == "dead")
        QVERIFY(leaveDeadSocket(path));
    if (what == "file")
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    if (what == "silent" || what == "other")
        QVERIFY(server.listen(path));
    if (what == "other") {
        connect(&server, &QLocalServer::newConnection, this,
            [&server] { server.nextPendingConnection()->write("HTTP/1.0 400 Bad request\n"); });
    }
    QVERIFY(!send(path, "/pictures", 200));
}

QTEST_GUILESS_MAIN(TestHandover)
#include "tst_handover.moc"
