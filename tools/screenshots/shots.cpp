// Renders every window of the program offscreen to PNG files in $SHOTS_OUT, showing the
// pictures of $SHOTS_PICS and the help pages of $SHOTS_HELP.
#include "ui/main/frmmain.h"
#include "ui/info/about.h"
#include "ui/info/frmsplash.h"
#include "ui/info/help.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"
#if __has_include("ui/widgets/folderlistbox.h")
#include "ui/widgets/folderlistbox.h"
#else
#include "app/folderlistbox.h"
#endif
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The controls by their object names; before the windows named them, by their members.
#if __has_include("ui/main/thumbnailgrid.h")
#define CONTROL(type, name) (*w.findChild<type *>(QStringLiteral(#name)))
#else
#define CONTROL(type, name) (*w.name)
#endif

class Shots : public QObject
{
    Q_OBJECT
    QString out = qEnvironmentVariable("SHOTS_OUT");
    void save(QWidget *w, const char *name)
    {
        QCoreApplication::processEvents();
        QTest::qWait(200);
        QVERIFY(w->grab().save(out + "/" + name + ".png"));
    }
    // The first picture shown large, by a double-click as the window system sends it.
    void preview(frmMain &w, const char *name)
    {
        QWidget &grid = CONTROL(QWidget, picInner);
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, grid.mapTo(&w, QPoint(50, 50)));
        QTest::qWait(500);
        save(&w, name);
        QWidget *large = w.findChild<QWidget *>(QStringLiteral("Image4"));
        if (large)
            QTest::keyClick(large, Qt::Key_Escape);
    }
private slots:
    void all()
    {
        FakeServices services;
        services.fsFake.programFolderPath = qEnvironmentVariable("SHOTS_HELP");
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(CONTROL(FolderListBox, Dir1).setPath(qEnvironmentVariable("SHOTS_PICS")));
        save(&w, "main");
        CONTROL(QAction, mnuEditSelectAll).trigger();
        save(&w, "main-selected");
        CONTROL(QAction, mnuRename).trigger();
        save(w.renameWindow(), "rename");
        // Where there is the box, the preview of names that begin with the date taken.
        for (QCheckBox *box : w.renameWindow()->findChildren<QCheckBox *>()) {
            if (box->text() != "Begin each name with the date taken")
                continue;
            box->setChecked(true);
            w.renameWindow()->Text2->setText("Trip");
            w.renameWindow()->Command1->click();
            save(w.renameWindow(), "rename-dated");
        }
        w.renameWindow()->close();
        CONTROL(QAction, mnuMovePictures).trigger();
        save(w.moveWindow(), "move");
        w.moveWindow()->close();
        CONTROL(QAction, mnuToolsOptions).trigger();
        save(w.optionsWindow(), "options");
        w.optionsWindow()->close();
        CONTROL(QAction, mnuEditSelectNone).trigger();
        preview(w, "preview");
        // Where there is the option, the grid and the preview in the pictures' own proportions.
        CONTROL(QAction, mnuToolsOptions).trigger();
        for (QCheckBox *box : w.optionsWindow()->findChildren<QCheckBox *>()) {
            if (box->text() != "Keep each picture's proportions")
                continue;
            box->setChecked(true);
            w.optionsWindow()->Command3->click();
            save(&w, "main-proportions");
            preview(w, "preview-proportions");
        }
        w.optionsWindow()->close();
        // Where there is the option, the grid in the order the pictures were taken.
        CONTROL(QAction, mnuToolsOptions).trigger();
        for (QCheckBox *box : w.optionsWindow()->findChildren<QCheckBox *>()) {
            if (box->text() != "Order pictures by the time they were taken")
                continue;
            box->setChecked(true);
            w.optionsWindow()->Command3->click();
            QTest::qWait(500);
            save(&w, "main-taken");
        }
        w.optionsWindow()->close();
        CONTROL(QAction, mnuHelpContents).trigger();
        save(w.helpWindow(), "help");
        CONTROL(QAction, mnuHelpAbout).trigger();
        save(w.aboutWindow(), "about");
        frmSplash splash;
        splash.show();
        save(&splash, "splash");
        QTimer::singleShot(300, [this] {
            QWidget *box = QApplication::activeModalWidget();
            if (box) {
                box->grab().save(out + "/messagebox.png");
                qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
            }
        });
        platform::QtMessageBoxes().MsgBox(
            "These files could not be deleted:\n\n/home/me/<b>pics</b>/a.jpg\nThe file is no "
            "longer there.",
            platform::box::OkOnly, {});
    }
};
QTEST_MAIN(Shots)
#include "shots.moc"
