#include "browser/frmmain.h"
#include "info/about.h"
#include "info/frmsplash.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QLabel>
#include <QtTest>

namespace
{
// Every text of the window shows whole: its label is as wide as the text and lies inside
// the window, whichever font stands in for the design's.
void checkTextsShowWhole(const QWidget *window)
{
    const QRect inside = window->rect();
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        const QRect place(label->mapTo(window, QPoint(0, 0)), label->size());
        QVERIFY2(inside.contains(place), qPrintable(label->text()));
    }
}

QStringList texts(const QWidget *window)
{
    QStringList found;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            found.append(label->text());
    }
    return found;
}

// The logo is drawn: some of it is the camera's blue.
bool showsLogo(const QLabel *picture)
{
    const QImage image = picture->pixmap().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && c.blue() > 150 && c.red() < 80)
                return true;
        }
    }
    return false;
}
} // namespace

// The splash and About windows: what they show, and that they do nothing of their own.
class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void splashShowsNameVersionAndLogoAndIgnoresTheUser()
    {
        frmSplash splash;
        splash.show();
        QVERIFY(texts(&splash).contains("Loading ..."));
        QVERIFY(texts(&splash).contains("Ravelin"));
        QVERIFY(texts(&splash).contains("Version 3.0"));
        QVERIFY(showsLogo(splash.picLogo));
        checkTextsShowWhole(&splash);

        QTest::mouseClick(&splash, Qt::LeftButton);
        QTest::mouseClick(splash.lblProductName, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QTest::keyClick(&splash, Qt::Key_Return);
        QVERIFY(splash.isVisible());
    }

    void aboutShowsNameVersionAndLogoBesideAUsableMainWindow()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.show();

        w.mnuHelpAbout->trigger();
        About *about = w.aboutWindow();
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(w.isEnabled());
        QCOMPARE(about->Label1->text(), QStringLiteral("Ravelin"));
        QCOMPARE(about->Label2->text(), QStringLiteral("Version 3.0"));
        QVERIFY(showsLogo(about->Picture1));
        checkTextsShowWhole(about);

        QVERIFY(about->close());
        QVERIFY(!about->isVisible());
        w.mnuHelpAbout->trigger();
        QVERIFY(about->isVisible());
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
