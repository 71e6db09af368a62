#include "rename/namerules.h"

#include <QtTest>

using rules::NameProblem;
using rules::NameRules;

class TestNameRules : public QObject
{
    Q_OBJECT
private slots:
    void startCount_data();
    void startCount();
    void counterText_data();
    void counterText();
    void renamedPath_data();
    void renamedPath();
    void prefixProblem_data();
    void prefixProblem();
    void fileNameProblem_data();
    void fileNameProblem();
    void renameProblem_data();
    void renameProblem();
};

void TestNameRules::startCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("digit") << "5" << qint64(5);
    QTest::newRow("leading blank") << " 5" << qint64(5);
    QTest::newRow("trailing blank") << "5 " << qint64(5);
    QTest::newRow("blank inside") << "1 2" << qint64(12);
    QTest::newRow("minus") << "-7" << qint64(-7);
    QTest::newRow("sign alone") << "-" << qint64(0);
    QTest::newRow("two signs") << "--5" << qint64(0);
    QTest::newRow("letters") << "ab" << qint64(0);
    QTest::newRow("number then letters") << "12ab" << qint64(12);
    QTest::newRow("half rounds to even 0") << ".5" << qint64(0);
    QTest::newRow("half rounds to even 2") << "1.5" << qint64(2);
    QTest::newRow("half rounds down to even") << "2.5" << qint64(2);
    QTest::newRow("negative half") << "-.5" << qint64(0);
    QTest::newRow("point alone") << "." << qint64(0);
    QTest::newRow("trailing point") << "5." << qint64(5);
    QTest::newRow("comma ends it") << "1,5" << qint64(1);
    QTest::newRow("exponent") << "1e2" << qint64(100);
    QTest::newRow("D exponent") << "3D1" << qint64(30);
    QTest::newRow("exponent without digits") << "1e" << qint64(1);
    QTest::newRow("huge") << "1e400" << qint64(9000000000000000000);
    QTest::newRow("huge negative") << "-1e400" << qint64(-9000000000000000000);
}

void TestNameRules::startCount()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(rules::startCount(text), expected);
}

void TestNameRules::counterText_data()
{
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << qint64(0) << " 000";
    QTest::newRow("one digit") << qint64(7) << " 007";
    QTest::newRow("two digits") << qint64(42) << " 042";
    QTest::newRow("four digits") << qint64(1000) << " 1000";
    QTest::newRow("16-bit limit") << qint64(32767) << " 32767";
    QTest::newRow("past the 16-bit limit") << qint64(32768) << " 32768";
    QTest::newRow("minus one digit") << qint64(-7) << " -07";
    QTest::newRow("minus three digits") << qint64(-123) << " -123";
    QTest::newRow("lowest") << std::numeric_limits<qint64>::min() << " -9223372036854775808";
}

void TestNameRules::counterText()
{
    QFETCH(qint64, counter);
    QFETCH(QString, expected);
    QCOMPARE(rules::counterText(counter), expected);
}

void TestNameRules::renamedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    const QChar win('\\');
    const QChar posix('/');
    QTest::newRow("windows") << "C:\\Pics\\DSC01234.JPG"
                             << "Holiday" << true << qint64(7) << win
                             << "C:\\Pics\\Holiday 007.JPG";
    QTest::newRow("windows single file")
        << "C:\\Pics\\DSC01234.JPG"
        << "Holiday" << false << qint64(7) << win << "C:\\Pics\\Holiday.JPG";
    QTest::newRow("posix") << "/home/u/DSC01234.jpg"
                           << "Holiday" << true << qint64(42) << posix << "/home/u/Holiday 042.jpg";
    QTest::newRow("whole jpeg extension")
        << "C:\\Pics\\x.jpeg"
        << "Holiday" << true << qint64(1) << win << "C:\\Pics\\Holiday 001.jpeg";
    QTest::newRow("last dot wins") << "/p/a.b.icon"
                                   << "H" << true << qint64(1) << posix << "/p/H 001.icon";
    QTest::newRow("dot in folder windows")
        << "C:\\my.pics\\IMG"
        << "Holiday" << true << qint64(1) << win << "C:\\my.pics\\Holiday 001";
    QTest::newRow("dot in folder posix")
        << "/my.pics/IMG"
        << "Holiday" << true << qint64(1) << posix << "/my.pics/Holiday 001";
    QTest::newRow("dot in folder, forward slash on windows")
        << "C:/my.pics/IMG"
        << "H" << false << qint64(0) << win << "C:/my.pics/H";
    QTest::newRow("name is only an extension")
        << "/p/.jpg"
        << "H" << true << qint64(3) << posix << "/p/H 003.jpg";
    QTest::newRow("empty prefix") << "C:\\Pics\\a.jpg"
                                  << "" << true << qint64(0) << win << "C:\\Pics\\ 000.jpg";
    QTest::newRow("drive root") << "C:\\a.gif"
                                << "H" << true << qint64(3) << win << "C:\\H 003.gif";
    QTest::newRow("negative counter") << "/p/a.jpg"
                                      << "H" << true << qint64(-7) << posix << "/p/H -07.jpg";
}

void TestNameRules::renamedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, prefix);
    QFETCH(bool, numbered);
    QFETCH(qint64, counter);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    const std::optional<rules::NameCount> count
        = numbered ? std::optional<rules::NameCount>(counter) : std::nullopt;
    QCOMPARE(rules::renamedPath(path, prefix, count, separator), expected);
}

void TestNameRules::prefixProblem_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<NameRules>("nameRules");
    QTest::addColumn<NameProblem>("expected");
    for (const NameRules system : { NameRules::Unix, NameRules::Windows }) {
        const char *tag = system == NameRules::Unix ? "posix" : "windows";
        const auto row = [&](const char *name) {
            return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(tag, name)));
        };
        *row("plain") << "Holiday" << system << NameProblem::None;
        *row("empty") << "" << system << NameProblem::None;
        *row("blanks and dots") << "Trip to St. Ives " << system << NameProblem::None;
        *row("slash") << "a/b" << system << NameProblem::Separator;
        *row("backslash") << "a\\b" << system << NameProblem::Separator;
        *row("up and out") << "../x" << system << NameProblem::Separator;
        *row("root") << "/etc/x" << system << NameProblem::Separator;
        *row("two dots") << ".." << system << NameProblem::ParentFolder;
        *row("two dots inside") << "a..b" << system << NameProblem::ParentFolder;
        *row("control") << "a\x01" << system << NameProblem::Character;
        *row("line feed") << "a\nb" << system << NameProblem::Character;
    }
    const auto posix = NameRules::Unix;
    const auto win = NameRules::Windows;
    QTest::newRow("posix: colon") << "a:b" << posix << NameProblem::None;
    QTest::newRow("posix: star") << "a*b" << posix << NameProblem::None;
    QTest::newRow("posix: device name") << "CON" << posix << NameProblem::None;
    for (const char *bad : { "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b" })
        QTest::newRow(qPrintable(QStringLiteral("windows: %1").arg(QLatin1String(bad))))
            << QString::fromLatin1(bad) << win << NameProblem::Character;
    for (const char *device : { "CON", "con", "PRN", "aux", "NUL", "COM1", "com9", "LPT1", "lpt9",
             "CON.x", "nul ", "CONIN$" })
        QTest::newRow(qPrintable(QStringLiteral("windows device: %1").arg(QLatin1String(device))))
            << QString::fromLatin1(device) << win << NameProblem::ReservedName;
    QTest::newRow("windows: superscript port")
        << QString::fromUtf8("COM\u00b9") << win << NameProblem::ReservedName;
    QTest::newRow("windows: COM0") << "COM0" << win << NameProblem::None;
    QTest::newRow("windows: CONSOLE") << "CONSOLE" << win << NameProblem::None;
    QTest::newRow("windows: LPT") << "LPT" << win << NameProblem::None;
    QTest::newRow("windows: CON in a longer name") << "MY CON" << win << NameProblem::None;
}

void TestNameRules::prefixProblem()
{
    QFETCH(QString, prefix);
    QFETCH(NameRules, nameRules);
    QFETCH(NameProblem, expected);
    QCOMPARE(rules::prefixProblem(prefix, nameRules), expected);
}

void TestNameRules::fileNameProblem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<NameRules>("nameRules");
    QTest::addColumn<NameProblem>("expected");
    const auto posix = NameRules::Unix;
    const auto win = NameRules::Windows;
    QTest::newRow("posix: plain") << "Holiday 001.jpg" << posix << NameProblem::None;
    QTest::newRow("posix: empty") << "" << posix << NameProblem::Empty;
    QTest::newRow("posix: dot") << "." << posix << NameProblem::Empty;
    QTest::newRow("posix: slash") << "a/b.jpg" << posix << NameProblem::Separator;
    QTest::newRow("posix: backslash is a letter") << "a\\b.jpg" << posix << NameProblem::None;
    QTest::newRow("posix: trailing dot") << "Holiday." << posix << NameProblem::None;
    QTest::newRow("posix: control") << "a\tb.jpg" << posix << NameProblem::Character;
    QTest::newRow("posix: device name") << "CON.jpg" << posix << NameProblem::None;
    QTest::newRow("windows: backslash") << "a\\b.jpg" << win << NameProblem::Separator;
    QTest::newRow("windows: colon") << "a:b.jpg" << win << NameProblem::Character;
    QTest::newRow("windows: trailing dot") << "Holiday." << win << NameProblem::TrailingDotOrBlank;
    QTest::newRow("windows: trailing blank")
        << "Holiday " << win << NameProblem::TrailingDotOrBlank;
    QTest::newRow("windows: device with extension")
        << "CON.jpg" << win << NameProblem::ReservedName;
    QTest::newRow("windows: device and blank") << "lpt1 .jpg" << win << NameProblem::ReservedName;
    QTest::newRow("windows: device and number") << "CON 001.jpg" << win << NameProblem::None;
}

void TestNameRules::fileNameProblem()
{
    QFETCH(QString, name);
    QFETCH(NameRules, nameRules);
    QFETCH(NameProblem, expected);
    QCOMPARE(rules::fileNameProblem(name, nameRules), expected);
}

void TestNameRules::renameProblem_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<NameRules>("nameRules");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<NameProblem>("expected");
    const auto posix = NameRules::Unix;
    const auto win = NameRules::Windows;
    QTest::newRow("posix: same folder")
        << "/p/a.jpg"
        << "/p/H 000.jpg" << posix << QChar('/') << NameProblem::None;
    QTest::newRow("posix: no new name") << "/p/a.jpg"
                                        << "" << posix << QChar('/') << NameProblem::None;
    QTest::newRow("posix: other folder")
        << "/p/a.jpg"
        << "/q/a.jpg" << posix << QChar('/') << NameProblem::OtherFolder;
    QTest::newRow("posix: up a folder")
        << "/p/a.jpg"
        << "/p/../a.jpg" << posix << QChar('/') << NameProblem::OtherFolder;
    QTest::newRow("posix: folder itself") << "/p/a"
                                          << "/p/" << posix << QChar('/') << NameProblem::Empty;
    QTest::newRow("windows: same folder")
        << "C:\\P\\a.jpg"
        << "C:\\P\\H 000.jpg" << win << QChar('\\') << NameProblem::None;
    QTest::newRow("windows: forward slash")
        << "C:\\P\\a.jpg"
        << "C:\\P\\x/y.jpg" << win << QChar('\\') << NameProblem::OtherFolder;
    QTest::newRow("windows: trailing dot")
        << "C:\\P\\a"
        << "C:\\P\\H." << win << QChar('\\') << NameProblem::TrailingDotOrBlank;
    QTest::newRow("windows: device")
        << "C:\\P\\a.jpg"
        << "C:\\P\\CON.jpg" << win << QChar('\\') << NameProblem::ReservedName;
}

void TestNameRules::renameProblem()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(NameRules, nameRules);
    QFETCH(QChar, separator);
    QFETCH(NameProblem, expected);
    QCOMPARE(rules::renameProblem(from, to, nameRules, separator), expected);
}

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
