#include "core/state/handover.h"
#include "support/picturefolders.h"
#include "ui/main/startup.h"
#include "ui/main/thumbnailgrid.h"
#include "ui/options/frmoptions.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QTemporaryDir>
#include <QtTest>

// The folder the program starts with, and those later starts hand over: the first opens as the
// user's own choice would; the others at once, brought to the front, when the window is in use,
// and once Options closes while Options holds it.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    // The lists follow and, in automatic mode, the grid is built; the current folder opens so too.
    void theStartFolderOpensAsChosen()
    {
        PictureFolders dirs;
        const QString pictures = dirs.make("pictures", { "a.jpg", "b.png" });
        dirs.make("", { "top.bmp" });
        for (const QString &start : { pictures, dirs.path() }) {
            QVERIFY(QDir::setCurrent(dirs.path()));
            MainSession s;
            QVERIFY(s.w.Form_Load());
            ThumbnailGrid &grid = control<ThumbnailGrid>(s.w);
            QVERIFY(grid.cells().names().isEmpty());
            s.w.openFolder(start);
            QCOMPARE(control<FolderListBox>(s.w, "Dir1").path(), start);
            QCOMPARE(grid.cells().folder(), start);
            QVERIFY(!grid.cells().names().isEmpty());
            QCOMPARE(grid.cells().names(), control<FileListBox>(s.w, "File1").fileNames());
            QCOMPARE(QDir::currentPath(), start);
            QVERIFY(s.services.boxesFake.shown.empty());
        }
    }

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
