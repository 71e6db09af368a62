#include "app/safemove.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace
{
const QDateTime oldTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

QByteArray noise(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(oldTime, QFileDevice::FileModificationTime);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in a folder, hidden files included: a partial copy must not hide there.
QStringList contents(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

// The platform move: a rename on one volume, a checked copy across volumes, and never a
// lost or replaced file. Filling a real disk is tried through the move window.
class TestSafeMove : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void move_data();
    void move();
    void refused_data();
    void refused();
    void writeFails_data();
    void writeFails();
    void destinationAppearsDuringCopy();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_from;
    QString m_out;
};

void TestSafeMove::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pics")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("out")));
    m_from = m_dir->filePath(QStringLiteral("pics/a.jpg"));
    m_out = m_dir->filePath(QStringLiteral("out"));
}

void TestSafeMove::move_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("rename on one volume") << false << qsizetype(3000);
    QTest::newRow("copy, several blocks") << true << qsizetype(2500000);
    QTest::newRow("copy, empty file") << true << qsizetype(0);
}

void TestSafeMove::move()
{
    QFETCH(bool, copy);
    QFETCH(qsizetype, size);
    const QByteArray bytes = noise(size);
    QVERIFY(writeFile(m_from, bytes));
    const QFileDevice::Permissions permissions
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(m_from, permissions));
    const QString to = m_out + QStringLiteral("/a.jpg");

    platform::MoveHooks hooks;
    hooks.alwaysCopy = copy;
    const platform::FsResult result = platform::safeMoveFile(m_from, to, hooks);

    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(!QFileInfo::exists(m_from));
    QCOMPARE(readFile(to), bytes);
    QCOMPARE(QFileInfo(to).lastModified().toUTC(), oldTime);
    // Owner, group and others; the "user" bits depend on who runs the test.
    const int mask = 0x7077;
    QCOMPARE(QFileInfo(to).permissions() & mask, permissions & mask);
    QCOMPARE(contents(m_out), QStringList { QStringLiteral("a.jpg") });
}

void TestSafeMove::refused_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("sourceThere");
    QTest::addColumn<QString>("error");

    const QString there = QStringLiteral("A file of that name is already there.");
    for (const bool copy : { false, true }) {
        const char *way = copy ? "copy" : "rename";
        QTest::addRow("%s: destination exists", way) << copy << "out/taken.jpg" << true << there;
        QTest::addRow("%s: onto itself", way) << copy << "pics/a.jpg" << true << there;
        QTest::addRow("%s: source gone", way)
            << copy << "out/a.jpg" << false << "The file is no longer there.";
        QTest::addRow("%s: no destination", way)
            << copy << "" << true << "No destination was chosen.";
        QTest::addRow("%s: destination folder gone", way)
            << copy << "gone/a.jpg" << true << "The destination folder is not there.";
    }
}

void TestSafeMove::refused()
{
    QFETCH(bool, copy);
    QFETCH(QString, to);
    QFETCH(bool, sourceThere);
    QFETCH(QString, error);
    const QByteArray bytes = noise(1000);
    if (sourceThere)
        QVERIFY(writeFile(m_from, bytes));
    const QByteArray taken("someone else's file");
    QVERIFY(writeFile(m_out + QStringLiteral("/taken.jpg"), taken));
    const QString target = to.isEmpty() ? QString() : m_dir->filePath(to);

    platform::MoveHooks hooks;
    hooks.alwaysCopy = copy;
    const platform::FsResult result = platform::safeMoveFile(m_from, target, hooks);

    QVERIFY(!result.ok);
    QCOMPARE(result.error, error);
    if (sourceThere)
        QCOMPARE(readFile(m_from), bytes);
    QCOMPARE(readFile(m_out + QStringLiteral("/taken.jpg")), taken);
    QCOMPARE(contents(m_out), QStringList { QStringLiteral("taken.jpg") });
}

void TestSafeMove::writeFails_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<qsizetype>("failAt");
    QTest::addColumn<QString>("message");
    QTest::newRow("disk fills half-way")
        << ENOSPC << qsizetype(1500000) << "The destination disk is full.";
    QTest::newRow("disk fails at once")
        << EIO << qsizetype(0) << QString::fromLocal8Bit(std::strerror(EIO));
}

void TestSafeMove::writeFails()
{
    QFETCH(int, error);
    QFETCH(qsizetype, failAt);
    QFETCH(QString, message);
    const QByteArray bytes = noise(3000000);
    QVERIFY(writeFile(m_from, bytes));

    // The disk takes bytes up to failAt, then answers with the error.
    qint64 partialSize = -1;
    platform::MoveHooks hooks;
    hooks.alwaysCopy = true;
    hooks.writeFault = [&](qint64 offset, qint64 &length) {
        if (offset >= failAt) {
            const QStringList partial = contents(m_out);
            if (partial.size() == 1)
                partialSize = QFileInfo(m_out + QLatin1Char('/') + partial.first()).size();
            return error;
        }
        length = std::min(length, failAt - offset);
        return 0;
    };
    const platform::FsResult result
        = platform::safeMoveFile(m_from, m_out + QStringLiteral("/a.jpg"), hooks);

    QVERIFY(!result.ok);
    QCOMPARE(result.error, message);
    // The copy had really begun beside the destination, and is gone again.
    QCOMPARE(partialSize, qint64(failAt));
    QCOMPARE(contents(m_out), QStringList());
    QCOMPARE(readFile(m_from), bytes);
    QCOMPARE(QFileInfo(m_from).lastModified().toUTC(), oldTime);
}

void TestSafeMove::destinationAppearsDuringCopy()
{
    const QByteArray bytes = noise(5000);
    QVERIFY(writeFile(m_from, bytes));
    const QString to = m_out + QStringLiteral("/a.jpg");
    const QByteArray intruder("arrived while the copy was made");

    platform::MoveHooks hooks;
    hooks.alwaysCopy = true;
    hooks.beforePlace = [&] { QVERIFY(writeFile(to, intruder)); };
    const platform::FsResult result = platform::safeMoveFile(m_from, to, hooks);

    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("A file of that name is already there."));
    QCOMPARE(readFile(to), intruder);
    QCOMPARE(readFile(m_from), bytes);
    QCOMPARE(contents(m_out), QStringList { QStringLiteral("a.jpg") });
}

QTEST_GUILESS_MAIN(TestSafeMove)
#include "tst_safemove.moc"
