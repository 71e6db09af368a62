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
    void prefixProblem_data();
    void prefixProblem();
    void renameProblem_data();
    void renameProblem();
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

void TestNameRules::prefixProblem_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<NameRules>("nameRules");
    QTest::addColumn<NameProblem>("expected");
    const auto rows
        = [](NameRules system, std::initializer_list<const char *> prefixes, NameProblem expected) {
              for (const char *prefix : prefixes)
                  QTest::addRow("%s: %s", system == NameRules::Unix ? "posix" : "windows", prefix)
                      << QString::fromLatin1(prefix) << system << expected;
          };
    for (const NameRules system : { NameRules::Unix, NameRules::Windows }) {
        rows(system, { "Trip to St. Ives ", "" }, NameProblem::None);
        rows(system, { "a/b", "a\\b", "../x" }, NameProblem::Separator);
        rows(system, { "..", "a..b" }, NameProblem::ParentFolder);
        rows(system, { "a\tb", "a\x01" }, NameProblem::Character);
    }
    rows(NameRules::Unix, { "a:b*", "CON" }, NameProblem::None);
    rows(NameRules::Windows, { "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b" },
        NameProblem::Character);
    rows(NameRules::Windows, { "CON", "con", "aux", "NUL", "COM1", "lpt9", "CON.x", "nul " },
        NameProblem::ReservedName);
    rows(NameRules::Windows, { "COM0", "CONSOLE", "LPT", "MY CON" }, NameProblem::None);
}

void TestNameRules::prefixProblem()
{
    QFETCH(QString, prefix);
    QFETCH(NameRules, nameRules);
    QFETCH(NameProblem, expected);
    QCOMPARE(rules::prefixProblem(prefix, nameRules), expected);
}

// A file in /p or C:\P renamed to the given path: it must stay in its folder, under a name
// the system can hold.
void TestNameRules::renameProblem_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<NameRules>("nameRules");
    QTest::addColumn<NameProblem>("expected");
    const auto rows
        = [](NameRules system, std::initializer_list<const char *> paths, NameProblem expected) {
              for (const char *to : paths)
                  QTest::newRow(to) << QString::fromLatin1(to) << system << expected;
          };
    rows(NameRules::Unix, { "/p/H 000.jpg", "", "/p/a\\b." }, NameProblem::None);
    rows(NameRules::Unix, { "/q/a.jpg", "/p/../a.jpg" }, NameProblem::OtherFolder);
    rows(NameRules::Unix, { "/p/" }, NameProblem::Empty);
    rows(NameRules::Unix, { "/p/a\tb.jpg" }, NameProblem::Character);
    rows(NameRules::Windows, { "C:\\P\\H 000.jpg", "C:\\P\\CON 001.jpg" }, NameProblem::None);
    rows(NameRules::Windows, { "C:\\P\\x/y.jpg" }, NameProblem::OtherFolder);
    rows(NameRules::Windows, { "C:\\P\\a:b.jpg" }, NameProblem::Character);
    rows(NameRules::Windows, { "C:\\P\\H.", "C:\\P\\H " }, NameProblem::TrailingDotOrBlank);
    rows(NameRules::Windows, { "C:\\P\\lpt1 .jpg" }, NameProblem::ReservedName);
}

void TestNameRules::renameProblem()
{
    QFETCH(QString, to);
    QFETCH(NameRules, nameRules);
    QFETCH(NameProblem, expected);
    const bool posix = nameRules == NameRules::Unix;
    const QString from = posix ? QStringLiteral("/p/a.jpg") : QStringLiteral("C:\\P\\a.jpg");
    QCOMPARE(rules::renameProblem(from, to, nameRules, posix ? '/' : '\\'), expected);
}

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
