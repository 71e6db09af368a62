#include "core/pictures/picturecache.h"
#include "core/pictures/pictureformats.h"
#include "core/pictures/sharedthumbnails.h"
#include "core/state/gridcells.h"
#include "core/state/savedsettings.h"
#include "support/picturefolders.h"
#include "ui/main/frmmain.h"
#include "ui/main/imagebox.h"
#include "ui/move/movefilewindow.h"
#include "ui/options/frmoptions.h"
#include "ui/widgets/filelistbox.h"
#include "ui/widgets/folderlistbox.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QWindow>
#include <QtTest>

namespace
{
const QString startPattern = QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico");

// Clicks a check box or option button on its indicator, as a user does.
void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}
} // namespace

// The options window driven through its controls, checked by what the main window then does.
class TestOptions : public QObject
{
    Q_OBJECT

    std::optional<MainSession> m_s;
    frmOptions *m_options = nullptr;

    void open()
    {
        control<QAction>(m_s->w, "mnuToolsOptions").trigger();
        m_options = m_s->w.optionsWindow();
    }
    void ok() { QTest::mouseClick(m_options->Command3, Qt::LeftButton); }
    // The format boxes as "1" and "0", the delete and thumbnail choices as "P" (permanent)
    // and "M" (by hand) when they are made, the order by the time taken as "T".
    QString choices() const
    {
        QString shown;
        for (int i = 0; i < frmOptions::formatCount; ++i)
            shown += m_options->Check1(i)->isChecked() ? '1' : '0';
        return shown + (m_options->PermDel->isChecked() ? "P" : "")
            + (m_options->ManualThumb->isChecked() ? "M" : "")
            + (m_options->OrderByTaken->isChecked() ? "T" : "");
    }
    void choose(const QString &wanted)
    {
        for (int i = 0; i < frmOptions::formatCount; ++i) {
            if (m_options->Check1(i)->isChecked() != (wanted[i] == '1'))
                click(m_options->Check1(i));
        }
        click(wanted.contains('P') ? m_options->PermDel : m_options->ToRecycle);
        click(wanted.contains('M') ? m_options->ManualThumb : m_options->AutoThumb);
        if (m_options->OrderByTaken->isChecked() != wanted.contains('T'))
            click(m_options->OrderByTaken);
    }

private slots:
    void initTestCase()
    {
        // The choices kept go to a test folder, never to the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(savedsettings::standardFile().contains("/.qttest/"));
        QDir(QFileInfo(savedsettings::standardFile()).path()).removeRecursively();
    }
    void init()
    {
        m_s.emplace();
        QVERIFY(m_s->w.Form_Load());
        m_s->w.show();
        open();
    }
    void cleanup() { m_s.reset(); }

    void okAppliesEveryChoice_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("JPEG, GIF; permanent, by hand")
            << "1010PM"
            << "*.jpeg;*.jpg;*.gif" << QStringList { "a.jpg", "b.jpeg", "d.gif" };
        QTest::newRow("BMP; to the trash, by hand") << "0100M"
                                                    << "*.bmp" << QStringList { "c.bmp" };
        QTest::newRow("ICO; permanent, at once")
            << "0001P"
            << "*.ico;*.icon" << QStringList { "e.ico", "f.icon" };
        // No picture here says when it was taken: the grid follows the modification times.
        QTest::newRow("JPEG; by the time taken")
            << "1000T"
            << "*.jpeg;*.jpg" << QStringList { "a.jpg", "b.jpeg" };
    }
    void okAppliesEveryChoice()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char *name : { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico", "f.icon", "g.txt" })
            QVERIFY(testpictures::writeBytes(dir.filePath(name), "only listed"));
        QVERIFY(testpictures::setModified(
            dir.filePath("a.jpg"), QDateTime::currentDateTime().addSecs(3600)));
        frmMain &w = m_s->w;
        QVERIFY(control<FolderListBox>(w, "Dir1").setPath(dir.path())
            && control<ThumbnailGrid>(w).cells().waitUntilBuilt());
        const QStringList before = control<ThumbnailGrid>(w).cells().names();
        // The order changed alone orders the grid shown again.
        choose(QString(chosen).remove('T'));
        ok();
        open();
        choose(chosen);
        ok();
        QVERIFY(!m_options->isVisible() && w.isEnabled());
        QCOMPARE(w.state().settings().imageFormat, pattern);
        QCOMPARE(w.state().settings().deleteRecycle, !chosen.contains('P'));
        QCOMPARE(control<QPushButton>(w, "ButtonLoadThumbs").isVisible(), chosen.contains('M'));
        // The folder on screen follows at once: its list, and its grid unless built by hand.
        QCOMPARE(control<FileListBox>(w, "File1").fileNames(), listed);
        GridCells &cells = control<ThumbnailGrid>(w).cells();
        QVERIFY(cells.waitUntilBuilt());
        const QStringList grid = chosen.contains('T') ? QStringList { "b.jpeg", "a.jpg" } : listed;
        QCOMPARE(cells.names(), chosen.contains('M') ? before : grid);
        // Select All takes the pictures in the grid's order.
        control<QAction>(w, "mnuEditSelectAll").trigger();
        QCOMPARE(w.state().selection().first(), cells.path(0));
        open();
        QCOMPARE(choices(), chosen);
        if (chosen.contains('T')) {
            // Read again in their own proportions, the pictures keep their order; without the
            // order taken they are in name order again.
            click(m_options->KeepProportions);
            ok();
            QVERIFY(cells.waitUntilBuilt());
            QCOMPARE(cells.names(), grid);
            open();
            choose(QString(chosen).remove('T'));
            ok();
            QVERIFY(cells.waitUntilBuilt());
            QCOMPARE(cells.names(), listed);
            open();
        }
        // Not asked to keep them, it writes nothing.
        QVERIFY(!QFileInfo::exists(savedsettings::standardFile()));
    }

    // Kept for the next start when asked, forgotten when no longer; where they cannot be kept
    // the user is told, and they apply all the same.
    void keepsTheChoicesWhenAsked()
    {
        const QString file = savedsettings::standardFile();
        choose("0100PMT");
        click(m_options->RememberChoices);
        ok();
        const BrowserSettings kept = savedsettings::load(file);
        QVERIFY(kept.rememberChoices && kept == m_s->w.state().settings());
        QCOMPARE(kept.imageFormat, "*.bmp");
        // The next start begins with them, as the window shows.
        m_s.emplace();
        m_s->w.state().setSettings(savedsettings::load(file));
        QVERIFY(m_s->w.Form_Load());
        m_s->w.show();
        open();
        QVERIFY(m_options->RememberChoices->isChecked() && choices() == "0100PMT");
        click(m_options->RememberChoices);
        ok();
        QVERIFY(savedsettings::load(file) == BrowserSettings {});
        QVERIFY(QFile::remove(file) && QDir().mkpath(file));
        open();
        click(m_options->RememberChoices);
        choose("0010");
        ok();
        QCOMPARE(m_s->services.boxesFake.texts().size(), 1);
        QVERIFY(m_s->services.boxesFake.texts().first().startsWith("Your choices apply now"));
        QVERIFY(!m_options->isVisible() && m_s->w.state().settings().imageFormat == "*.gif");
        QVERIFY(QDir(QFileInfo(file).path()).removeRecursively());
    }

    // With no format, OK says so and applies nothing; opening it again while it is open keeps
    // the user's changes, and Esc, the close box, applies nothing either.
    void noFormatOrCloseBoxAppliesNothing()
    {
        QCOMPARE(choices(), "1111");
        QVERIFY(!m_s->w.isEnabled());
        choose("0000PM");
        ok();
        QCOMPARE(
            m_s->services.boxesFake.texts(), QStringList { "You must select a Picture Format" });
        QVERIFY(m_options->isVisible() && !m_s->w.isEnabled());
        choose("0010PM");
        open();
        QCOMPARE(choices(), "0010PM");
        QTest::keyClick(m_options, Qt::Key_Escape);
        QVERIFY(!m_options->isVisible() && m_s->w.isEnabled());
        QCOMPARE(m_s->w.state().settings().imageFormat, startPattern);
        QVERIFY(m_s->w.state().settings().deleteRecycle
            && !control<QPushButton>(m_s->w, "ButtonLoadThumbs").isVisible());
        open();
        QCOMPARE(choices(), "1111");
    }

    // Every kind of file the program can show is offered; the kinds beyond the classic four
    // and keeping pairs start off. With the four off and the others on, a folder as a camera
    // owner has it lists the new kinds alone, and a reason noted by another program is shown
    // as the text it is.
    void newFormatsAndPairs()
    {
        QStringList offered;
        for (const QString &pattern :
            QStringList(m_options->FormatPattern.begin(), m_options->FormatPattern.end())
                + QStringList(
                    m_options->MoreFormatPattern.begin(), m_options->MoreFormatPattern.end()))
            offered += pattern.split(';').replaceInStrings("*.", "");
        QStringList known = pictureformats::pictureExtensions();
        offered.sort();
        known.sort();
        QCOMPARE(offered, known);
        QTemporaryDir dir;
        for (const char *sample : { "orientation/Landscape_6.jpg", "camera/IMG_2927.HEIC" })
            QVERIFY(QFile::copy(testpictures::data(sample),
                dir.filePath(QString::fromLatin1(sample).section('/', -1))));
        QVERIFY(testpictures::write(dir.filePath("noted.png"), Qt::darkCyan));
        const auto shared = std::make_shared<SharedThumbnails>(dir.filePath("thumbnails"));
        QVERIFY(shared->writeFailure(SharedThumbnails::keyOf(dir.filePath("noted.png")), "<b>x"));
        m_s->w.pictureCache().useShared(shared);
        QVERIFY(!m_options->KeepPairs->isChecked());
        for (int i = 0; i < frmOptions::moreFormatCount; ++i) {
            QVERIFY(!m_options->Check2(i)->isChecked());
            click(m_options->Check2(i));
        }
        choose("0000");
        click(m_options->KeepPairs);
        ok();
        QVERIFY(m_s->w.state().settings().keepPairs);
        open();
        QVERIFY(m_options->Check2(4)->isChecked() && m_options->KeepPairs->isChecked());
        ok();
        frmMain &w = m_s->w;
        QVERIFY(control<FolderListBox>(w, "Dir1").setPath(dir.path())
            && control<ThumbnailGrid>(w).cells().waitUntilBuilt());
        QCOMPARE(control<FileListBox>(w, "File1").fileNames(),
            QStringList({ "IMG_2927.HEIC", "noted.png" }));
        const GridCells &cells = control<ThumbnailGrid>(w).cells();
        QVERIFY(cells.cell(0).shown == GridCells::Shown::Picture
            && cells.cell(1).shown == GridCells::Shown::Broken);
        QCOMPARE(shownTip(control<ThumbnailView>(w, "picInner").pictureTip(1)), "<b>x");
    }

    // Off at start, the pictures fill their boxes; on, a portrait picture stands in the middle
    // of its thumbnail's box and of the large preview, the box's background either side.
    void keepsEachPicturesProportions()
    {
        QTemporaryDir dir;
        QVERIFY(testpictures::write(dir.filePath("tall.bmp"), Qt::blue, QSize(300, 600)));
        frmMain &w = m_s->w;
        ok();
        QVERIFY(control<FolderListBox>(w, "Dir1").setPath(dir.path())
            && control<ThumbnailGrid>(w).cells().waitUntilBuilt());
        const auto blueAt = [](QWidget &widget, const QRect &box, QPoint at) {
            return testpictures::near(widget.grab(box).toImage().pixelColor(at), Qt::blue);
        };
        const QRect thumbnail = ThumbnailView::pictureRect(0);
        auto &grid = control<ThumbnailView>(w, "picInner");
        QVERIFY(blueAt(grid, thumbnail, QPoint(5, 50)));
        open();
        QVERIFY(!m_options->KeepProportions->isChecked());
        click(m_options->KeepProportions);
        ok();
        QVERIFY(w.state().settings().keepProportions
            && control<ThumbnailGrid>(w).cells().waitUntilBuilt());
        QVERIFY(!blueAt(grid, thumbnail, QPoint(5, 50)) && blueAt(grid, thumbnail, QPoint(50, 50)));
        auto &large = control<ImageBox>(w, "Image4");
        control<PicturePreview>(w).Image1_DblClick(0);
        // Read again at the box's size in the picture's own shape, not stretched to the box.
        QTRY_COMPARE(large.picture().size(), QSize(288, 577));
        QVERIFY(!blueAt(large, large.rect(), QPoint(20, 250))
            && blueAt(large, large.rect(), QPoint(288, 250)));
    }

    void holdsTheMainWindowUntilItCloses()
    {
        // The window system keeps it in front of the main window, which a click there would
        // otherwise bring over it; and the main window cannot be closed meanwhile.
        frmMain &w = m_s->w;
        QCOMPARE(m_options->windowHandle()->transientParent(), w.windowHandle());
        QVERIFY(!w.close() && w.isVisible());
        // Cancel in a move window opened before does not put the main window back in use.
        ok();
        PictureFolders dir;
        QVERIFY(control<FolderListBox>(w, "Dir1").setPath(dir.make("p", { "a.jpg" })));
        clickThumbnail(w, 0);
        control<QAction>(w, "mnuMovePictures").trigger();
        open();
        QTest::mouseClick(w.moveWindow()->Command1, Qt::LeftButton);
        QVERIFY(!w.moveWindow()->isVisible() && !w.isEnabled());
        ok();
        QVERIFY(w.isEnabled());
    }

    void opensWithoutAMainWindow()
    {
        // It shows the start settings and applies them to the state alone.
        m_s.reset();
        FakeServices services;
        BrowserState state;
        frmOptions options(services, state);
        options.showWindow();
        QVERIFY(options.isVisible() && options.ToRecycle->isChecked());
        QTest::mouseClick(options.Command3, Qt::LeftButton);
        QVERIFY(!options.isLoaded());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
