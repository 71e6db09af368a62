#include "move/moverules.h"

#include <QTest>

// The move window's path rules, with Windows-style and Unix-style paths.
class TestMoveRules : public QObject
{
    Q_OBJECT

private slots:
    void destinationPath_data();
    void destinationPath();
    void newFolderPath_data();
    void newFolderPath();
};

void TestMoveRules::destinationPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const QChar backslash('\\');
    const QChar slash('/');
    QTest::newRow("windows folder") << "D:\\Out"
                                    << "C:\\Pics\\a.jpg" << backslash << "D:\\Out\\a.jpg";
    QTest::newRow("windows drive root") << "D:\\"
                                        << "C:\\Pics\\a.jpg" << backslash << "D:\\a.jpg";
    QTest::newRow("unix folder") << "/home/u/out"
                                 << "/home/u/pics/a.jpg" << slash << "/home/u/out/a.jpg";
    QTest::newRow("unix root") << "/"
                               << "/home/u/pics/a.jpg" << slash << "/a.jpg";
    QTest::newRow("unix: a backslash is part of a name")
        << "/out"
        << "/pics/a\\b.jpg" << slash << "/out/a\\b.jpg";
}

void TestMoveRules::destinationPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, source);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(rules::destinationPath(folder, source, separator), expected);
}

void TestMoveRules::newFolderPath_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const QChar backslash('\\');
    const QChar slash('/');
    QTest::newRow("windows plain name") << "D:\\Out"
                                        << "New" << backslash << "D:\\Out\\New";
    QTest::newRow("windows at a root") << "D:\\"
                                       << "New" << backslash << "D:\\New";
    QTest::newRow("windows nested") << "D:\\Out"
                                    << "Old\\New" << backslash << "D:\\Out\\Old\\New";
    QTest::newRow("windows full path") << "D:\\Out"
                                       << "E:\\Else" << backslash << "E:\\Else";
    QTest::newRow("windows from the drive's root") << "D:\\Out"
                                                   << "\\Top" << backslash << "D:\\Top";
    QTest::newRow("windows forbidden character") << "D:\\Out"
                                                 << "a?b" << backslash << "";
    QTest::newRow("windows colon inside") << "D:\\Out"
                                          << "a:b" << backslash << "";
    QTest::newRow("windows drive without root") << "D:\\Out"
                                                << "E:New" << backslash << "";
    QTest::newRow("unix plain name") << "/out"
                                     << "New" << slash << "/out/New";
    QTest::newRow("unix nested") << "/out"
                                 << "old/New" << slash << "/out/old/New";
    QTest::newRow("unix full path") << "/out"
                                    << "/else/New" << slash << "/else/New";
    QTest::newRow("unix colon is a name character") << "/out"
                                                    << "a:b" << slash << "/out/a:b";
    QTest::newRow("empty") << "/out"
                           << "" << slash << "";
    QTest::newRow("blanks only") << "/out"
                                 << "   " << slash << "";
    QTest::newRow("control character") << "/out"
                                       << "a\tb" << slash << "";
    QTest::newRow("nul") << "/out" << QString("a") + QChar(u'\0') + "b" << slash << "";
    QTest::newRow("no destination") << ""
                                    << "New" << slash << "";
}

void TestMoveRules::newFolderPath()
{
    QFETCH(QString, destination);
    QFETCH(QString, typed);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(rules::newFolderPath(destination, typed, separator), expected);
}

QTEST_APPLESS_MAIN(TestMoveRules)
#include "tst_moverules.moc"
