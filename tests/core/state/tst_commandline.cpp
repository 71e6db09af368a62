#include "core/state/commandline.h"
#include "support/faultsupport.h"
#include "support/testpictures.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The command line: which starts run, in which folder, and which print and end.
class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    QString path(const QString &name) const { return m_temp.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        setProgramIdentity();
        QVERIFY(QDir().mkpath(path("pictures")) && QDir().mkpath(path("locked")));
        QVERIFY(testpictures::write(path("pictures/a.jpg"), Qt::red));
        QVERIFY(testpictures::write(path("pictures/B.GIF"), Qt::blue));
        QVERIFY(testpictures::writeBytes(path("pictures/notes.txt"), "text"));
        for (const char *name : { "pictures/IMG_2927.HEIC", "pictures/DSC_0001.nef" })
            QVERIFY(testpictures::writeBytes(path(name), "x"));
        QVERIFY(testpictures::write(path("locked/c.jpg"), Qt::green));
        QVERIFY(testpictures::write(path("top.bmp"), Qt::yellow));
        QVERIFY(faults::openToEveryone(m_temp.path()) && faults::openToEveryone(path("pictures")));
        // Its files can be reached but not listed.
        QVERIFY(QFile::setPermissions(
            path("locked"), QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther));
    }
    void cleanupTestCase() { QVERIFY(faults::openToEveryone(path("locked"))); }

    void readCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("run");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("folder");
        // A part of the printed text, or of the message on standard error.
        QTest::addColumn<QString>("message");

        const QString pictures = path("pictures");
        const auto row = [](const char *tag, const QStringList &arguments, int exitCode,
                             const QString &folder, const char *message) {
            QTest::newRow(tag) << arguments << (exitCode == -1) << qMax(exitCode, 0) << folder
                               << QString(message);
        };
        // Exit code -1: the program runs.
        row("nothing", {}, -1, "", "");
        row("folder", { pictures }, -1, pictures, "");
        row("folder, untidy", { pictures + "/../pictures/" }, -1, pictures, "");
        row("picture", { path("pictures/B.GIF") }, -1, pictures, "");
        row("HEIC picture", { path("pictures/IMG_2927.HEIC") }, -1, pictures, "");
        row("RAW picture", { path("pictures/DSC_0001.nef") }, -1, pictures, "");
        row("session manager's option", { "-session", "1234", pictures }, -1, pictures, "");
        row("help", { "--help" }, 0, "", "[folder|picture]");
        row("-h", { "-h", pictures }, 0, "", "--version");
        row("version", { "--version" }, 0, "", "Ravelin 3.0\n");
        row("missing", { path("gone") }, 1, "", "gone': no such folder or picture");
        row("not a picture", { path("pictures/notes.txt") }, 1, "",
            "notes.txt': not a folder or a picture");
        row("unreadable folder", { path("locked") }, 1, "", "locked': the folder cannot be read");
        row("picture in an unreadable folder", { path("locked/c.jpg") }, 1, "",
            "c.jpg': its folder cannot be read");
        row("two", { pictures, pictures }, 1, "", "at most one folder or picture");
        row("unknown option", { "--delete-all" }, 1, "", "delete-all");
        // The terminal would obey them: they are shown as escapes.
        row("control characters in the name",
            { path(QString::fromUtf16(u"\x1b]0;x\x07\x7f\u009b.jpg")) }, 1, "",
            "\\x1b]0;x\\x07\\x7f\\x9b.jpg': no such");
    }

    void readCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, run);
        QFETCH(int, exitCode);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        const faults::Unprivileged user;
        const StartRequest request = ::readCommandLine(QStringList { "ravelin" } + arguments);
        QCOMPARE(request.run, run);
        QCOMPARE(request.exitCode, exitCode);
        QCOMPARE(request.folder, folder);
        QVERIFY2(request.message.contains(message), qPrintable(request.message));
        if (exitCode != 0) {
            QVERIFY(request.message.startsWith("ravelin: "));
            QVERIFY(!request.message.chopped(1).contains(
                QRegularExpression("[\\x00-\\x1f\\x7f-\\x9f]")));
        }
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
