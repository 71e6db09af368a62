#include "rename/namerules.h"

#include <QtTest>
#include <limits>

using rules::NameProblem;
using rules::NameRules;

// The rename's name rules as plain functions, with Unix-style and Windows-style paths.
class TestNameRules : public QObject
{
    Q_OBJECT
private slots:
    void startCount_data();
    void startCount();
    void renamedPath_data();
    void renamedPath();
    void nameProblem_data();
    void nameProblem();
};

void TestNameRules::startCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");
    const std::pair<const char *, qint64> rows[] = { { "", 0 }, { " 5", 5 }, { "-7", -7 },
        { "ab", 0 }, { "--5", 0 }, { "12ab", 12 }, { ".5", 0 }, { "1.5", 2 }, { "2.5", 2 },
        { "1,5", 1 }, { "3D1", 30 }, { "1e2", 100 }, { "5.", 5 }, { "1 2", 12 },
        { "1e400", 9000000000000000000 }, { "-1e400", -9000000000000000000 } };
    for (const auto &[text, expected] : rows)
        QTest::addRow("\"%s\"", text) << QString::fromLatin1(text) << expected;
}

void TestNameRules::startCount()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(rules::startCount(text), expected);
}

void TestNameRules::renamedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<std::optional<qint64>>("counter");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const char *path, const char *prefix,
                         std::optional<qint64> counter, const char *expected) {
        QTest::newRow(tag) << QString::fromLatin1(path) << QString::fromLatin1(prefix) << counter
                           << QString::fromLatin1(expected);
    };
    row("windows", "C:\\Pics\\DSC01234.JPG", "Holiday", 7, "C:\\Pics\\Holiday 007.JPG");
    row("single file", "C:\\Pics\\DSC01234.JPG", "Holiday", {}, "C:\\Pics\\Holiday.JPG");
    row("posix", "/home/u/DSC01234.jpg", "Holiday", 42, "/home/u/Holiday 042.jpg");
    row("whole extension", "C:\\Pics\\x.jpeg", "H", 1, "C:\\Pics\\H 001.jpeg");
    row("last dot wins", "/p/a.b.icon", "H", 1, "/p/H 001.icon");
    row("dot in folder windows", "C:\\my.pics\\IMG", "H", 1, "C:\\my.pics\\H 001");
    row("dot in folder, slash on windows", "C:/my.pics/IMG", "H", {}, "C:/my.pics/H");
    row("name is only an extension", "/p/.jpg", "H", 3, "/p/H 003.jpg");
    row("empty prefix", "C:\\Pics\\a.jpg", "", 0, "C:\\Pics\\ 000.jpg");
    row("drive root", "C:\\a.gif", "H", 3, "C:\\H 003.gif");
    row("past 16 bits", "/p/a.jpg", "H", 32768, "/p/H 32768.jpg");
    row("negative", "/p/a.jpg", "H", -7, "/p/H -07.jpg");
    row("lowest", "/p/a", "H", std::numeric_limits<qint64>::min(), "/p/H -9223372036854775808");
}

void TestNameRules::renamedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, prefix);
    QFETCH(std::optional<qint64>, counter);
    QFETCH(QString, expected);
    const QChar separator = path.startsWith('/') ? '/' : '\\';
    QCOMPARE(rules::renamedPath(path, prefix, counter, separator), expected);
}

// What a prefix may hold, and where a file in /p or C:\P may be renamed to: it must stay in
// its folder, under a name the system can hold. The rules are those of the file system that
// holds the folder: Unix ones for ext4, Windows ones for the others here, on any system.
void TestNameRules::nameProblem_data()
{
    QTest::addColumn<bool>("newPath"); // a new path rather than a prefix
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<NameProblem>("expected");
    const auto rows = [](bool newPath, const char *fileSystem,
                          std::initializer_list<const char *> texts, NameProblem expected) {
        for (const char *text : texts)
            QTest::addRow("%s %s: %s", fileSystem, newPath ? "path" : "prefix", text)
                << newPath << QString::fromLatin1(text) << QString(fileSystem) << expected;
    };
    for (const char *system : { "ext4", "vfat" }) {
        rows(false, system, { "Trip to St. Ives ", "", "Paris..2024", "..", ".x" },
            NameProblem::None);
        rows(false, system, { "a/b", "a\\b", "../x" }, NameProblem::Separator);
        rows(false, system, { "a\tb", "a\x01" }, NameProblem::Character);
    }
    const char *posix = "ext4";
    const char *win = "vfat";
    rows(false, posix, { "a:b*", "CON" }, NameProblem::None);
    rows(false, win, { "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b" }, NameProblem::Character);
    rows(false, win, { "CON", "con", "aux", "NUL", "COM1", "lpt9", "CON.x", "nul " },
        NameProblem::ReservedName);
    rows(false, win, { "COM0", "CONSOLE", "LPT", "MY CON" }, NameProblem::None);
    // Cards and Windows disks, directly or through FUSE, with or without a named kind.
    for (const char *system : { "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "fuseblk.exfat" })
        rows(false, system, { "a:b" }, NameProblem::Character);
    for (const char *system : { "tmpfs", "fuseblk.ext4", "fuse.sshfs", "" })
        rows(false, system, { "a:b" }, NameProblem::None);
    rows(true, posix, { "/p/H 000.jpg", "", "/p/a\\b.", "/p/Paris..2024.jpg" }, NameProblem::None);
    rows(true, posix, { "/q/a.jpg", "/p/../a.jpg" }, NameProblem::OtherFolder);
    rows(true, posix, { "/p/" }, NameProblem::Empty);
    rows(true, posix, { "/p/.", "/p/.." }, NameProblem::DotName);
    rows(true, posix, { "/p/a\tb.jpg" }, NameProblem::Character);
    rows(true, win, { "C:\\P\\H 000.jpg", "C:\\P\\CON 001.jpg" }, NameProblem::None);
    rows(true, win, { "C:\\P\\x/y.jpg" }, NameProblem::OtherFolder);
    rows(true, win, { "C:\\P\\a:b.jpg" }, NameProblem::Character);
    rows(true, win, { "C:\\P\\H.", "C:\\P\\H " }, NameProblem::TrailingDotOrBlank);
    rows(true, win, { "C:\\P\\lpt1 .jpg" }, NameProblem::ReservedName);
#ifndef Q_OS_WIN
    // Unix hides such a file, whatever the volume.
    rows(true, posix, { "/p/.jpg", "/p/.x 001.jpg" }, NameProblem::Hidden);
    rows(true, win, { "C:\\P\\.jpg" }, NameProblem::Hidden);
#endif
}

void TestNameRules::nameProblem()
{
    QFETCH(bool, newPath);
    QFETCH(QString, text);
    QFETCH(QString, fileSystem);
    QFETCH(NameProblem, expected);
    const NameRules nameRules = rules::nameRulesFor(fileSystem);
    const bool posix = nameRules == NameRules::Unix;
    const QString from = posix ? QStringLiteral("/p/a.jpg") : QStringLiteral("C:\\P\\a.jpg");
    QCOMPARE(newPath ? rules::renameProblem(from, text, nameRules, posix ? '/' : '\\')
                     : rules::prefixProblem(text, nameRules),
        expected);
}

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
