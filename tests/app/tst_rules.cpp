#include "core/rules.h"

#include <QTest>

// The path rules behind full paths, the selection and the rename and move previews.
class TestRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinPath_data();
    void joinPath();
    void splitPath_data();
    void splitPath();
};

void TestRules::joinPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    const QChar win('\\');
    const QChar posix('/');
    QTest::newRow("windows folder") << "C:\\Pictures"
                                    << "a.jpg" << win << "C:\\Pictures\\a.jpg";
    QTest::newRow("windows drive root") << "C:\\"
                                        << "a.jpg" << win << "C:\\a.jpg";
    QTest::newRow("windows root with slash") << "D:/"
                                             << "a.jpg" << win << "D:/a.jpg";
    QTest::newRow("posix folder") << "/home/me/Pics"
                                  << "a.jpg" << posix << "/home/me/Pics/a.jpg";
    QTest::newRow("posix root") << "/"
                                << "a.jpg" << posix << "/a.jpg";
    QTest::newRow("posix mount point") << "/media/card"
                                       << "b.JPG" << posix << "/media/card/b.JPG";
    QTest::newRow("backslash is a name character on posix") << "/p/a\\"
                                                            << "x.jpg" << posix << "/p/a\\/x.jpg";
}

void TestRules::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(rules::joinPath(folder, name, separator), expected);
}

void TestRules::splitPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");

    const QChar win('\\');
    const QChar posix('/');
    QTest::newRow("windows") << "C:\\Pics\\DSC01234.JPG" << win << "C:\\Pics\\"
                             << "DSC01234.JPG";
    QTest::newRow("windows root") << "C:\\a.jpg" << win << "C:\\"
                                  << "a.jpg";
    QTest::newRow("whole extension") << "C:\\Pics\\x.jpeg" << win << "C:\\Pics\\"
                                     << "x.jpeg";
    QTest::newRow("dot in folder") << "C:\\my.pics\\IMG" << win << "C:\\my.pics\\"
                                   << "IMG";
    QTest::newRow("two dots") << "/p/a.b.icon" << posix << "/p/"
                              << "a.b.icon";
    QTest::newRow("posix dot in folder") << "/my.pics/IMG" << posix << "/my.pics/"
                                         << "IMG";
    QTest::newRow("hidden file") << "/p/.hidden" << posix << "/p/"
                                 << ".hidden";
    QTest::newRow("no separator") << "a.gif" << posix << ""
                                  << "a.gif";
}

void TestRules::splitPath()
{
    QFETCH(QString, path);
    QFETCH(QChar, separator);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QCOMPARE(rules::folderPart(path, separator), folder);
    QCOMPARE(rules::filePart(path, separator), file);
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
