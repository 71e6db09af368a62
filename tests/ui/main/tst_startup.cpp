#include "core/state/handover.h"
#include "support/picturefolders.h"
#include "ui/main/startup.h"
#include "ui/options/frmoptions.h"
#include "ui/widgets/folderlistbox.h"

#include <QTemporaryDir>
#include <QtTest>

// The main window following the folders later starts hand over: at once, brought to the front,
// when it is in use; once Options closes while Options holds it.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void showsTheFoldersHandedOver()
    {
        PictureFolders dirs;
        MainSession s;
        const QString a = dirs.make("a", { "a.jpg" });
        const QString b = dirs.make("b", { "b.jpg" });
        QVERIFY(dirs.open(s.w, a));
        handover::FolderServer server;
        takeHandedFolders(server, s.w);
        s.w.showMinimized();
        Q_EMIT server.folderAsked(b);
        QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), b);
        QVERIFY(!s.w.isMinimized() && s.w.isVisible());
        control<QAction>(s.w, "mnuToolsOptions").trigger();
        Q_EMIT server.folderAsked(a);
        QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), b);
        // Options keeps the keys, so that Esc closes it.
        QTRY_COMPARE(QApplication::activeWindow(), s.w.optionsWindow());
        QTest::keyClick(s.w.optionsWindow(), Qt::Key_Escape);
        QTRY_COMPARE(control<FolderListBox>(s.w, "Dir1").path(), a);
        QVERIFY(s.services.boxesFake.texts().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
