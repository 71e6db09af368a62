#include "browser/frmmain.h"
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

    void okAppliesTheCheckedFormats_data()
    {
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("all") << allFour << "*.jpeg;*.jpg;*.bmp;*.gif;*.ico;*.icon"
                             << QStringList { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico",
                                    "f.icon" };
        QTest::newRow("JPEG, GIF")
            << QList<bool> { true, false, true, false } << "*.jpeg;*.jpg;*.gif"
            << QStringList { "a.jpg", "b.jpeg", "d.gif" };
        QTest::newRow("BMP") << QList<bool> { false, true, false, false } << "*.bmp"
                             << QStringList { "c.bmp" };
        QTest::newRow("ICO") << QList<bool> { false, false, false, true } << "*.ico;*.icon"
                             << QStringList { "e.ico", "f.icon" };
    }

    void okAppliesTheCheckedFormats()
    {
        QFETCH(QList<bool>, checked);
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char *name : { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico", "f.icon", "g.txt" })
            QVERIFY(testpictures::writeBytes(dir.filePath(name), "only listed"));

        chooseFormats(checked);
        click(m_options->ManualThumb);
        ok();
        QCOMPARE(m_main->ImageFormat, pattern);
        QVERIFY(!m_options->isVisible() && m_main->isEnabled());
        QVERIFY(m_main->Dir1->setPath(dir.path()));
        QCOMPARE(m_main->File1->fileNames(), listed);

        open();
        QCOMPARE(formats(), checked);
        QCOMPARE(m_main->ImageFormat, pattern);
    }

    void deleteAndLoadingChoices()
    {
        QTemporaryDir dir;
        QVERIFY(testpictures::write(dir.filePath("a.jpg"), Qt::blue));
        click(m_options->PermDel);
        click(m_options->ManualThumb);
        ok();
        QVERIFY(!m_main->DeleteRecycle && !m_main->AutoThumbnails);
        QVERIFY(m_main->ButtonLoadThumbs->isVisible());
        QVERIFY(m_main->Dir1->setPath(dir.path()));
        QCOMPARE(m_loader.reads(), 0);

        open();
        QVERIFY(m_options->PermDel->isChecked() && m_options->ManualThumb->isChecked());
        click(m_options->ToRecycle);
        click(m_options->AutoThumb);
        ok();
        QVERIFY(m_main->DeleteRecycle && m_main->AutoThumbnails);
        QVERIFY(!m_main->ButtonLoadThumbs->isVisible());
    }

    void noFormatSaysSoAndAppliesNothing()
    {
        chooseFormats({ false, false, false, false });
        click(m_options->PermDel);
        click(m_options->ManualThumb);
        ok();
        QCOMPARE(m_services.boxesFake.texts(), QStringList { "You must select a Picture Format" });
        QVERIFY(m_options->isVisible() && !m_main->isEnabled());
        QCOMPARE(m_main->ImageFormat, startPattern);
        QVERIFY(m_main->DeleteRecycle && !m_main->ButtonLoadThumbs->isVisible());

        QVERIFY(m_options->close());
        QVERIFY(m_main->isEnabled());
        open();
        QCOMPARE(formats(), allFour);
        QVERIFY(m_options->ToRecycle->isChecked());
    }

    void closeBoxAppliesNothing()
    {
        chooseFormats({ false, false, true, false });
        ok();
        open();
        chooseFormats(allFour);
        click(m_options->PermDel);
        QVERIFY(m_options->close());
        QVERIFY(m_main->isEnabled());
        QCOMPARE(m_main->ImageFormat, QStringLiteral("*.gif"));
        QVERIFY(m_main->DeleteRecycle);
        open();
        QCOMPARE(formats(), (QList<bool> { false, false, true, false }));
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

    void everyCaptionShowsWhole()
    {
        for (const QAbstractButton *button : m_options->findChildren<QAbstractButton *>()) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
            QVERIFY2(button->parentWidget()->rect().contains(button->geometry()),
                qPrintable(button->text()));
        }
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
