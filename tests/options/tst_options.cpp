#include "app/filelistbox.h"
#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "options/frmoptions.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString startPattern = QStringLiteral("*.jpg;*.jpeg;*.bmp;*.gif;*.ico");
const QString allFormats = QStringLiteral("*.jpeg;*.jpg;*.bmp;*.gif;*.ico;*.icon");

// Clicks a check box or option button on its indicator, as a user does.
void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

frmOptions *openOptions(frmMain &w)
{
    w.mnuToolsOptions->trigger();
    return w.optionsWindow();
}

// Sets the four format boxes by clicking the ones that differ.
void chooseFormats(frmOptions *options, const QList<bool> &wanted)
{
    for (int i = 0; i < frmOptions::formatCount; ++i) {
        if (options->Check1(i)->isChecked() != wanted[i])
            click(options->Check1(i));
    }
}

QList<bool> shownFormats(const frmOptions *options)
{
    QList<bool> shown;
    for (int i = 0; i < frmOptions::formatCount; ++i)
        shown.append(options->Check1(i)->isChecked());
    return shown;
}

const QList<bool> allChecked { true, true, true, true };
} // namespace

// The options window driven through its controls, checked by what the main window then does.
class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void firstOpeningShowsStartSettingsAndTakesMainOutOfUse()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();

        frmOptions *options = openOptions(w);
        QVERIFY(options->isVisible());
        QCOMPARE(options->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(shownFormats(options), allChecked);
        QVERIFY(options->ToRecycle->isChecked());
        QVERIFY(options->AutoThumb->isChecked());
        QVERIFY(!w.isEnabled());
        // Only looking changes nothing: the pattern in effect stays.
        QCOMPARE(w.ImageFormat, startPattern);

        // Choosing Options again while it is open only shows it: the boxes keep what the user
        // has changed so far.
        click(options->Check1(1));
        click(options->PermDel);
        openOptions(w);
        QCOMPARE(shownFormats(options), (QList<bool> { true, false, true, true }));
        QVERIFY(options->PermDel->isChecked());
    }

    void everyCaptionShowsWhole()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        frmOptions *options = openOptions(w);

        const QRect inside = options->rect();
        for (const QAbstractButton *button : options->findChildren<QAbstractButton *>()) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
            const QRect place(button->mapTo(options, QPoint(0, 0)), button->size());
            QVERIFY2(inside.contains(place), qPrintable(button->text()));
            const QRect frame = button->parentWidget()->rect();
            QVERIFY2(frame.contains(button->geometry()), qPrintable(button->text()));
        }
    }

    void okAppliesTheCheckedFormats_data()
    {
        QTest::addColumn<QList<bool>>("formats");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");

        const QStringList all { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico", "f.icon" };
        QTest::newRow("all four") << allChecked << allFormats << all;
        QTest::newRow("JPEG and GIF")
            << QList<bool> { true, false, true, false } << QStringLiteral("*.jpeg;*.jpg;*.gif")
            << QStringList { "a.jpg", "b.jpeg", "d.gif" };
        QTest::newRow("BMP only") << QList<bool> { false, true, false, false }
                                  << QStringLiteral("*.bmp") << QStringList { "c.bmp" };
        QTest::newRow("ICO only") << QList<bool> { false, false, false, true }
                                  << QStringLiteral("*.ico;*.icon")
                                  << QStringList { "e.ico", "f.icon" };
        QTest::newRow("all but JPEG")
            << QList<bool> { false, true, true, true } << QStringLiteral("*.bmp;*.gif;*.ico;*.icon")
            << QStringList { "c.bmp", "d.gif", "e.ico", "f.icon" };
    }

    void okAppliesTheCheckedFormats()
    {
        QFETCH(QList<bool>, formats);
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Only the listing matters here: loading is manual, so no picture is read.
        for (const char *name : { "a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.ico", "f.icon", "g.txt" })
            QVERIFY(testpictures::writeBytes(dir.filePath(name), "not read"));

        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();
        w.setThumbnailsManual(true);

        frmOptions *options = openOptions(w);
        chooseFormats(options, formats);
        click(options->ManualThumb);
        QTest::mouseClick(options->Command3, Qt::LeftButton);

        QVERIFY(services.boxesFake.shown.empty());
        QCOMPARE(w.ImageFormat, pattern);
        QVERIFY(!options->isVisible());
        QVERIFY(w.isEnabled());

        // The new pattern lists the folder opened next.
        QVERIFY(w.Dir1->setPath(dir.path()));
        QCOMPARE(w.File1->fileNames(), listed);

        // The next opening shows the choice, and opening it again does not undo it.
        openOptions(w);
        QCOMPARE(shownFormats(options), formats);
        QCOMPARE(w.ImageFormat, pattern);
        QTest::mouseClick(options->Command3, Qt::LeftButton);
        QCOMPARE(w.ImageFormat, pattern);
    }

    void deleteAndLoadingChoicesApplyAndShowAgain()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        QVERIFY(first.isValid() && second.isValid());
        QVERIFY(testpictures::write(first.filePath("a.jpg"), Qt::blue));
        QVERIFY(testpictures::write(second.filePath("b.jpg"), Qt::green));

        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(!w.ButtonLoadThumbs->isVisible());

        frmOptions *options = openOptions(w);
        click(options->PermDel);
        click(options->ManualThumb);
        QTest::mouseClick(options->Command3, Qt::LeftButton);
        QVERIFY(!w.DeleteRecycle);
        QVERIFY(!w.AutoThumbnails);
        QVERIFY(w.ButtonLoadThumbs->isVisible());

        // Manual loading: opening a folder reads no picture until the button is pressed.
        QVERIFY(w.Dir1->setPath(first.path()));
        QCOMPARE(loader.reads(), 0);
        QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
        QCOMPARE(w.gridNames(), QStringList { "a.jpg" });

        openOptions(w);
        QVERIFY(options->PermDel->isChecked());
        QVERIFY(options->ManualThumb->isChecked());
        click(options->ToRecycle);
        click(options->AutoThumb);
        QTest::mouseClick(options->Command3, Qt::LeftButton);
        QVERIFY(w.DeleteRecycle);
        QVERIFY(w.AutoThumbnails);
        QVERIFY(!w.ButtonLoadThumbs->isVisible());

        // Automatic loading again: the next folder shows at once.
        QVERIFY(w.Dir1->setPath(second.path()));
        QCOMPARE(w.gridNames(), QStringList { "b.jpg" });
    }

    void noFormatChosenSaysSoAndAppliesNothing()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();

        frmOptions *options = openOptions(w);
        chooseFormats(options, { false, false, false, false });
        click(options->PermDel);
        click(options->ManualThumb);
        QTest::mouseClick(options->Command3, Qt::LeftButton);

        QCOMPARE(services.boxesFake.texts(),
            QStringList { QStringLiteral("You must select a Picture Format") });
        QCOMPARE(services.boxesFake.shown.front().code & 0x7, platform::box::OkOnly);
        QVERIFY(options->isVisible());
        QVERIFY(!w.isEnabled());
        QCOMPARE(w.ImageFormat, startPattern);
        QVERIFY(w.DeleteRecycle);
        QVERIFY(w.AutoThumbnails);
        QVERIFY(!w.ButtonLoadThumbs->isVisible());

        // Leaving by the close box keeps what was in effect, and shows it next time.
        QVERIFY(options->close());
        QVERIFY(w.isEnabled());
        QCOMPARE(w.ImageFormat, startPattern);
        openOptions(w);
        QCOMPARE(shownFormats(options), allChecked);
        QVERIFY(options->ToRecycle->isChecked());
        QVERIFY(options->AutoThumb->isChecked());
    }

    void closeBoxAppliesNothing()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();

        frmOptions *options = openOptions(w);
        chooseFormats(options, { false, false, true, false });
        QTest::mouseClick(options->Command3, Qt::LeftButton);
        QCOMPARE(w.ImageFormat, QStringLiteral("*.gif"));

        openOptions(w);
        chooseFormats(options, allChecked);
        click(options->PermDel);
        click(options->ManualThumb);
        QVERIFY(options->close());

        QVERIFY(!options->isVisible());
        QVERIFY(w.isEnabled());
        QCOMPARE(w.ImageFormat, QStringLiteral("*.gif"));
        QVERIFY(w.DeleteRecycle);
        QVERIFY(!w.ButtonLoadThumbs->isVisible());

        openOptions(w);
        QCOMPARE(shownFormats(options), (QList<bool> { false, false, true, false }));
        QVERIFY(options->ToRecycle->isChecked());
        QVERIFY(options->AutoThumb->isChecked());
        QVERIFY(!w.isEnabled());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
