#include "core/buildinfo.h"
#include "support/fakeservices.h"
#include "support/faultsupport.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "ui/info/help.h"
#include "ui/info/helpbrowser.h"
#include "ui/main/frmmain.h"

#include <QAction>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString appId = QStringLiteral(RAVELIN_APP_ID);

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to its end. Without a window system: no display and no Qt platform, so a
// program that reached for one would fail.
Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return { -1, {}, process.errorString() };
    return { process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError()) };
}

} // namespace

// The build installed into a temporary prefix and packaged as a Debian package, as a packager
// and a user would: what lands where, the desktop validators' verdict, the installed program's
// command line and help page, and the package's contents.
class TestInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QTemporaryDir m_packages;

    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }
    static QStringList expectedFiles()
    {
        QStringList files = { "bin/ravelin", "libexec/ravelin/ravelin-decoder",
            "share/ravelin/help.html", "share/ravelin/help.de.html",
            "share/applications/" + appId + ".desktop", "share/metainfo/" + appId + ".metainfo.xml",
            "share/icons/hicolor/scalable/apps/" + appId + ".svg", "share/man/man1/ravelin.1.gz",
            "share/doc/ravelin/copyright", "share/doc/ravelin/changelog.Debian.gz" };
        for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
            files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(appId);
        files.sort();
        return files;
    }
    // Runs a validator when it is there; a missing one fails the test, since the set-up
    // installs it.
    void validate(const QString &tool, const QStringList &arguments)
    {
        const QString program = QStandardPaths::findExecutable(tool);
        QVERIFY2(!program.isEmpty(), qPrintable(tool + " is not installed (scripts/setup.sh)"));
        const Run result = run(program, arguments);
        qInfo().noquote() << tool << "said:" << (result.out + result.err).trimmed();
        QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    }

private Q_SLOTS:
    void initTestCase()
    {
        const Run install = run(QStringLiteral(RAVELIN_CMAKE),
            { "--install", RAVELIN_BUILD_DIR, "--prefix", m_prefix.path() });
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
    }

    // What lands where, the desktop validators' verdict, and the installed program's answers
    // without a window system.
    void installsEachFileInItsPlace()
    {
        QCOMPARE(faults::filesUnder(m_prefix.path()), expectedFiles());
        QVERIFY(QFileInfo(installed("bin/ravelin")).isExecutable());
        QCOMPARE(QImage(installed("share/icons/hicolor/48x48/apps/" + appId + ".png")).size(),
            QSize(48, 48));
        validate(
            "desktop-file-validate", { installed("share/applications/" + appId + ".desktop") });
        validate("appstreamcli",
            { "validate", "--no-net", installed("share/metainfo/" + appId + ".metainfo.xml") });
        const Run version = run(installed("bin/ravelin"), { "--version" });
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("Ravelin " RAVELIN_VERSION "\n"));
        const Run missing = run(installed("bin/ravelin"), { m_prefix.filePath("gone") });
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(
            missing.out.isEmpty() && missing.err.endsWith("gone': no such folder or picture\n"),
            qPrintable(missing.err));
    }

    // The program finds the help page beside itself in the build tree, and in the data
    // folder once installed.
    void theHelpPageIsFoundFromTheBuildTreeAndTheInstalledDataFolder()
    {
        for (const auto &[programFolder, page] :
            { std::pair { QStringLiteral(RAVELIN_BUILD_DIR),
                  QStringLiteral(RAVELIN_BUILD_DIR "/help.html") },
                std::pair { installed("bin"), installed("share/ravelin/help.html") } }) {
            FakeServices services;
            services.fsFake.programFolderPath = programFolder;
            CountingLoader loader;
            frmMain window(services, loader);
            QVERIFY(window.Form_Load());
            control<QAction>(window, "mnuHelpContents").trigger();
            HelpBrowser *browser = window.helpWindow()->WebBrowser1;
            QCOMPARE(browser->source(), QUrl::fromLocalFile(page));
            QVERIFY(browser->toPlainText().contains("Ravelin Help"));
        }
    }

    void theDebianPackageHoldsTheProgramAndItsDesktopFiles()
    {
        const Run pack = run(QStringLiteral(RAVELIN_CPACK),
            { "-G", "DEB", "--config", RAVELIN_BUILD_DIR "/CPackConfig.cmake", "-B",
                m_packages.path() });
        QVERIFY2(pack.exitCode == 0, qPrintable(pack.out + pack.err));
        const QStringList debs = QDir(m_packages.path()).entryList({ "ravelin_*.deb" });
        QCOMPARE(debs.size(), 1);
        const QString deb = m_packages.filePath(debs.first());

        const Run contents = run("dpkg-deb", { "--contents", deb });
        QCOMPARE(contents.exitCode, 0);
        qInfo().noquote() << "package contents:\n" << contents.out.trimmed();
        for (const QString &file : expectedFiles())
            QVERIFY2(contents.out.contains(" ./usr/" + file + "\n"), qPrintable(file));

        // Shared-library dependencies come from the program itself.
        const Run depends = run("dpkg-deb", { "--field", deb, "Depends" });
        for (const char *library :
            { "libqt6widgets6", "libexif12", "qt6-qpa-plugins", "qt6-image-formats-plugins" })
            QVERIFY2(depends.out.contains(QLatin1String(library)), qPrintable(depends.out));
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
