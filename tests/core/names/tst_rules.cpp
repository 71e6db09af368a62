#include "core/names/moverules.h"
#include "core/names/namerules.h"
#include "core/names/rules.h"
#include "core/state/helpaddress.h"

#include <QTest>
#include <limits>

using rules::NameProblem;
using rules::NameRules;

// The rules behind full paths, the selection and the rename and move previews, as plain
// functions with Unix-style paths ("/...") and Windows-style ones (all others).
class TestRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paths_data();
    void paths();
    void startCount_data();
    void startCount();
    void nameProblem_data();
    void nameProblem();
};

void TestRules::paths_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text"); // the name, file moved, folder typed or prefix
    QTest::addColumn<QString>("expected");
    const auto row
        = [](const char *rule, const char *path, const QString &text, const char *expected) {
              QTest::addRow("%s %s + %s", rule, path, qPrintable(text))
                  << QString(rule) << QString(path) << text << QString(expected);
          };
    row("join", "C:\\Pictures", "a.jpg", "C:\\Pictures\\a.jpg");
    row("join", "C:\\", "a.jpg", "C:\\a.jpg");
    row("join", "D:/", "a.jpg", "D:/a.jpg");
    row("join", "/home/me/Pics", "a.jpg", "/home/me/Pics/a.jpg");
    row("join", "/", "a.jpg", "/a.jpg");
    row("join", "/p/a\\", "x.jpg", "/p/a\\/x.jpg");
    // The folder and file parts, as "folder|file".
    row("split", "C:\\Pics\\DSC01234.JPG", "", "C:\\Pics\\|DSC01234.JPG");
    row("split", "C:\\a.jpg", "", "C:\\|a.jpg");
    row("split", "C:\\my.pics\\IMG", "", "C:\\my.pics\\|IMG");
    row("split", "/p/a.b.icon", "", "/p/|a.b.icon");
    row("split", "/p/.hidden", "", "/p/|.hidden");
    row("split", "a.gif", "", "|a.gif");
    // Where a file goes in a folder, and which folder a typed name makes.
    row("destination", "D:\\Out", "C:\\Pics\\a.jpg", "D:\\Out\\a.jpg");
    row("destination", "D:\\", "C:\\Pics\\a.jpg", "D:\\a.jpg");
    row("destination", "/home/u/out", "/home/u/pics/a.jpg", "/home/u/out/a.jpg");
    row("destination", "/", "/home/u/pics/a.jpg", "/a.jpg");
    row("destination", "/out", "/pics/a\\b.jpg", "/out/a\\b.jpg");
    row("new folder", "D:\\Out", "New", "D:\\Out\\New");
    row("new folder", "D:\\", "New", "D:\\New");
    row("new folder", "D:\\Out", "Old\\New", "D:\\Out\\Old\\New");
    row("new folder", "D:\\Out", "E:\\Else", "E:\\Else");
    row("new folder", "D:\\Out", "\\Top", "D:\\Top");
    row("new folder", "/out", "old/New", "/out/old/New");
    row("new folder", "/out", "/else/New", "/else/New");
    row("new folder", "/out", "a:b", "/out/a:b");
    // Texts that cannot name a folder, or no folder to make it in.
    for (const char *typed : { "a?b", "a:b", "E:New" })
        row("new folder", "D:\\Out", typed, "");
    for (const QString &typed :
        { QString(), QString("   "), QString("a\tb"), QString::fromLatin1("a\0b", 3) })
        row("new folder", "/out", typed, "");
    row("new folder", "", "New", "");
    // The help page's address beside the program, and the address it opens.
    row("help", "/opt/ravelin", "", "/opt/ravelin/help.html file:///opt/ravelin/help.html");
    row("help", "/", "", "//help.html file:///help.html");
    row("help", "C:\\", "", "C:\\/help.html file:///C:/help.html");
    row("help", "\\\\server\\share", "",
        "\\\\server\\share/help.html file://server/share/help.html");
    // The new name of a file: prefix, and counter when there is one ("prefix|counter").
    row("rename", "C:\\Pics\\DSC01234.JPG", "Holiday|7", "C:\\Pics\\Holiday 007.JPG");
    row("rename", "C:\\Pics\\DSC01234.JPG", "Holiday", "C:\\Pics\\Holiday.JPG");
    row("rename", "/home/u/DSC01234.jpg", "Holiday|42", "/home/u/Holiday 042.jpg");
    row("rename", "C:\\Pics\\x.jpeg", "H|1", "C:\\Pics\\H 001.jpeg");
    row("rename", "/p/a.b.icon", "H|1", "/p/H 001.icon");
    row("rename", "C:\\my.pics\\IMG", "H|1", "C:\\my.pics\\H 001");
    row("rename", "C:/my.pics/IMG", "H", "C:/my.pics/H");
    row("rename", "/p/.jpg", "H|3", "/p/H 003.jpg");
    row("rename", "C:\\Pics\\a.jpg", "|0", "C:\\Pics\\ 000.jpg");
    row("rename", "/p/a.jpg", "H|32768", "/p/H 32768.jpg");
    row("rename", "/p/a.jpg", "H|-7", "/p/H -07.jpg");
    row("rename", "/p/a", "H|-9223372036854775808", "/p/H -9223372036854775808");
    // The date a new name begins with: the camera's day (its clock's reading, in any zone), or
    // else the day the file was last changed here ("prefix|modified").
    row("dated", "2024-06-01T23:30:00Z", "Trip|2025-01-02T10:00:00", "2024-06-01 Trip");
    row("dated", "", "Trip|2023-12-31T23:59:00", "2023-12-31 Trip");
    row("dated", "2024-06-01T08:00:00.250Z", "|2025-01-02T10:00:00", "2024-06-01");
    row("dated", "", "Trip|", "Trip");
}

void TestRules::paths()
{
    QFETCH(QString, rule);
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QChar separator = path.isEmpty() || path.startsWith('/') ? '/' : '\\';
    QString result;
    if (rule == "join")
        result = rules::joinPath(path, text, separator);
    else if (rule == "split")
        result = rules::folderPart(path, separator) + '|' + rules::filePart(path, separator);
    else if (rule == "destination")
        result = rules::destinationPath(path, text, separator);
    else if (rule == "help")
        result = rules::helpAddress(path) + ' '
            + rules::helpUrl(rules::helpAddress(path), separator).toString();
    else if (rule == "new folder")
        result = rules::newFolderPath(path, text, separator);
    else if (rule == "dated") {
        result
            = rules::datedPrefix(text.section('|', 0, 0), QDateTime::fromString(path, Qt::ISODate),
                QDateTime::fromString(text.section('|', 1), Qt::ISODate));
        // A name with the date stays one that FAT and exFAT cards take.
        QCOMPARE(
            rules::fileNameProblem(result + " 001.jpg", NameRules::Windows), NameProblem::None);
    } else {
        const QString counter = text.section('|', 1);
        result = rules::renamedPath(path, text.section('|', 0, 0),
            counter.isEmpty() ? std::nullopt : std::optional(counter.toLongLong()), separator);
    }
    QCOMPARE(result, expected);
}

void TestRules::startCount_data()
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

void TestRules::startCount()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(rules::startCount(text), expected);
}

// What a prefix may hold, and where a file in /p or C:\P may be renamed to: it must stay in
// its folder, under a name the system can hold. The rules are those of the file system that
// holds the folder: Unix ones for ext4, Windows ones for the others here, on any system.
void TestRules::nameProblem_data()
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
    // Unix hides such a file, whatever the volume.
    rows(true, posix, { "/p/.jpg", "/p/.x 001.jpg" }, NameProblem::Hidden);
    rows(true, win, { "C:\\P\\.jpg" }, NameProblem::Hidden);
}

void TestRules::nameProblem()
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

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
