#include "move/moverules.h"

#include <QTest>

// The move window's path rules, with Windows-style and Unix-style paths: where a file goes
// in a folder, and which folder a typed name makes.
class TestMoveRules : public QObject
{
    Q_OBJECT

private slots:
    void paths_data();
    void paths();
};

void TestMoveRules::paths_data()
{
    QTest::addColumn<bool>("newFolder");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("text"); // the file moved, or the name typed
    QTest::addColumn<QString>("expected");
    const auto row
        = [](bool newFolder, const char *folder, const QString &text, const char *expected) {
              QTest::addRow("%s + %s", folder, qPrintable(text))
                  << newFolder << QString(folder) << text << QString(expected);
          };
    row(false, "D:\\Out", "C:\\Pics\\a.jpg", "D:\\Out\\a.jpg");
    row(false, "D:\\", "C:\\Pics\\a.jpg", "D:\\a.jpg");
    row(false, "/home/u/out", "/home/u/pics/a.jpg", "/home/u/out/a.jpg");
    row(false, "/", "/home/u/pics/a.jpg", "/a.jpg");
    row(false, "/out", "/pics/a\\b.jpg", "/out/a\\b.jpg");
    row(true, "D:\\Out", "New", "D:\\Out\\New");
    row(true, "D:\\", "New", "D:\\New");
    row(true, "D:\\Out", "Old\\New", "D:\\Out\\Old\\New");
    row(true, "D:\\Out", "E:\\Else", "E:\\Else");
    row(true, "D:\\Out", "\\Top", "D:\\Top");
    row(true, "/out", "New", "/out/New");
    row(true, "/out", "old/New", "/out/old/New");
    row(true, "/out", "/else/New", "/else/New");
    row(true, "/out", "a:b", "/out/a:b");
    // Texts that cannot name a folder, or no folder to make it in.
    for (const char *typed : { "a?b", "a:b", "E:New" })
        row(true, "D:\\Out", typed, "");
    for (const QString &typed :
        { QString(), QString("   "), QString("a\tb"), QString::fromLatin1("a\0b", 3) })
        row(true, "/out", typed, "");
    row(true, "", "New", "");
}

void TestMoveRules::paths()
{
    QFETCH(bool, newFolder);
    QFETCH(QString, folder);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    // Paths of the form "/..." are Unix-style, all others Windows-style.
    const QChar separator = folder.isEmpty() || folder.startsWith('/') ? '/' : '\\';
    QCOMPARE(newFolder ? rules::newFolderPath(folder, text, separator)
                       : rules::destinationPath(folder, text, separator),
        expected);
}

QTEST_APPLESS_MAIN(TestMoveRules)
#include "tst_moverules.moc"
