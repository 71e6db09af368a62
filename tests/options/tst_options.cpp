#include "browser/frmmain.h"
#include "browser/gridcells.h"
#include "browser/imagebox.h"
#include "move/movefilewindow.h"
#include "options/frmoptions.h"
#include "support/fakeservices.h"
#include "support/picturefolders.h"
#include "support/testpictures.h"
#include "widgets/filelistbox.h"
#include "widgets/folderlistbox.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

namespace
{
const QString startPattern = QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico");
const QList<bool> allFour { true, true, true, true };

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

private:
    FakeServices m_services;
    CountingLoader m_loader;
    std::unique_ptr<frmMain> m_main;
    frmOptions *m_options = nullptr;

    void open()
    {
        m_main->mnuToolsOptions->trigger();
        m_options = m_main->optionsWindow();
    }
    void ok() { QTest::mouseClick(m_options->Command3, Qt::LeftButton); }
    QList<bool> formats() const
    {
        QList<bool> shown;
        for (int i = 0; i < frmOptions::formatCount; ++i)
            shown.append(m_options->Check1(i)->isChecked());
        return shown;
    }
    void chooseFormats(const QList<bool> &wanted)
    {
        for (int i = 0; i < frmOptions::formatCount; ++i) {
            if (m_options->Check1(i)->isChecked() != wanted[i])
                click(m_options->Check1(i));
        }
    }

private slots:
    void init()
    {
        m_services.boxesFake.shown.clear();
        m_loader.reset();
        m_main = std::make_unique<frmMain>(m_services, m_loader);
        QVERIFY(m_main->Form_Load());
        m_main->show();
        open();
    }
    void cleanup() { m_main.reset(); }

    void firstOpeningShowsTheSettingsInEffect()
    {
        QCOMPARE(formats(), allFour);
        QVERIFY(m_options->ToRecycle->isChecked() && m_options->AutoThumb->isChecked());
        QVERIFY(!m_main->isEnabled());
        QCOMPARE(m_main->ImageFormat, startPattern);
        // Choosing Options again while it is open only shows it, keeping the user's changes.
        click(m_options->Check1(1));
        open();
        QCOMPARE(formats(), (QList<bool> { true, false, true, true }));
    }

    void okAppliesEveryChoice_data()
    {
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<bool>("permanent");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("JPEG, GIF; permanent, by hand")
            << QList<bool> { true, false, true, false } << true << true << "*.jpeg;*.jpg;*.gif"
            << QStringList { "a.jpg", "b.jpeg", "d.gif" };
        QTest::newRow("BMP; to the trash, by hand") << QList<bool> { false, true, false,
            false } << false << true << "*.bmp" << QStringList { "c.bmp" };
        QTest::newRow("ICO; permanent, at once")
            << QList<bool> { false, false, false, true } << true << false << "*.ico;*.icon"
            << QStringList { "e.ico", "f.icon" };
    }

    void okAppliesEveryChoice()
    {
        QFETCH(QList<bool>, checked);
        QFETCH(bool, permanent);
        QFETCH(bool, manual);
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char *name : { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico", "f.icon", "g.txt" })
            QVERIFY(testpictures::writeBytes(dir.filePath(name), "only listed"));
        chooseFormats(checked);
        click(permanent ? m_options->PermDel : m_options->ToRecycle);
        click(manual ? m_options->ManualThumb : m_options->AutoThumb);
        ok();
        QVERIFY(!m_options->isVisible() && m_main->isEnabled());
        QCOMPARE(m_main->ImageFormat, pattern);
        QCOMPARE(m_main->DeleteRecycle, !permanent);
        QCOMPARE(m_main->AutoThumbnails, !manual);
        QCOMPARE(m_main->ButtonLoadThumbs->isVisible(), manual);
        QVERIFY(m_main->Dir1->setPath(dir.path()));
        QCOMPARE(m_main->File1->fileNames(), listed);
        QVERIFY(m_main->gridCells().waitUntilBuilt());
        QCOMPARE(m_loader.reads(), manual ? 0 : int(listed.size()));

        open();
        QCOMPARE(formats(), checked);
        QCOMPARE(m_options->PermDel->isChecked(), permanent);
        QCOMPARE(m_options->ManualThumb->isChecked(), manual);
    }

    // With no format, OK says so and applies nothing; the close box applies nothing either.
    void noFormatOrCloseBoxAppliesNothing()
    {
        chooseFormats({ false, false, false, false });
        click(m_options->PermDel);
        click(m_options->ManualThumb);
        ok();
        QCOMPARE(m_services.boxesFake.texts(), QStringList { "You must select a Picture Format" });
        QVERIFY(m_options->isVisible() && !m_main->isEnabled());
        chooseFormats({ false, false, true, false });
        QVERIFY(m_options->close());
        QVERIFY(m_main->isEnabled());
        QCOMPARE(m_main->ImageFormat, startPattern);
        QVERIFY(m_main->DeleteRecycle && !m_main->ButtonLoadThumbs->isVisible());
        open();
        QCOMPARE(formats(), allFour);
        QVERIFY(m_options->ToRecycle->isChecked() && m_options->AutoThumb->isChecked());
    }

    void holdsTheMainWindowUntilItCloses()
    {
        // The window system keeps it in front of the main window, which a click there would
        // otherwise bring over it; and the main window cannot be closed meanwhile.
        QVERIFY(m_main->windowHandle() != nullptr);
        QCOMPARE(m_options->windowHandle()->transientParent(), m_main->windowHandle());
        QVERIFY(!m_main->close());
        QVERIFY(m_main->isVisible());

        // Cancel in a move window opened before does not put the main window back in use.
        ok();
        QTemporaryDir dir;
        QVERIFY(testpictures::write(dir.filePath("a.jpg"), Qt::blue));
        QVERIFY(m_main->Dir1->setPath(dir.path()));
        clickThumbnail(*m_main, 0);
        m_main->mnuMovePictures->trigger();
        open();
        QTest::mouseClick(m_main->moveWindow()->Command1, Qt::LeftButton);
        QVERIFY(!m_main->moveWindow()->isVisible());
        QVERIFY(!m_main->isEnabled());
        ok();
        QVERIFY(m_main->isEnabled());
    }

    void opensWithoutAMainWindow()
    {
        // It shows the start settings and applies them to nothing.
        m_main.reset();
        frmOptions options(m_services);
        options.showWindow();
        QVERIFY(options.isVisible());
        QVERIFY(options.ToRecycle->isChecked() && options.AutoThumb->isChecked());
        QTest::mouseClick(options.Command3, Qt::LeftButton);
        QVERIFY(!options.isLoaded());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
