#include "browser/frmmain.h"
#include "info/about.h"
#include "info/frmsplash.h"
#include "support/fakeservices.h"
#include "support/testpictures.h"

#include <QLabel>
#include <QtTest>

namespace
{
// Every text shows whole and inside the window, whichever font stands in for the design's;
// the logo is drawn in the camera's blue. Gives the texts shown.
QStringList checkShown(const QWidget *window, const QLabel *logo)
{
    QStringList texts;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        texts.append(label->text());
        const QRect place(label->mapTo(window, QPoint(0, 0)), label->size());
        if (label->width() < label->sizeHint().width() || !window->rect().contains(place))
            texts.append("cut off: " + label->text());
    }
    const QImage image = logo->pixmap().toImage();
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            blue += testpictures::near(image.pixelColor(x, y), QColor("#1f4fbf")) ? 1 : 0;
    }
    if (blue < image.width())
        texts.append("no logo");
    return texts;
}
} // namespace

// The splash and About windows: what they show, and that they do nothing of their own.
class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void splashShowsItsTextsAndIgnoresTheUser()
    {
        frmSplash splash;
        splash.show();
        QCOMPARE(checkShown(&splash, splash.picLogo),
            (QStringList { "Loading ...", "Ravelin", "Version 3.0" }));
        QTest::mouseClick(splash.lblProductName, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
    }

    void aboutShowsItsTextsBesideAUsableMainWindow()
    {
        FakeServices services;
        CountingLoader loader;
        frmMain w(services, loader);
        QVERIFY(w.Form_Load());
        w.mnuHelpAbout->trigger();
        About *about = w.aboutWindow();
        QVERIFY(about->isVisible() && w.isEnabled());
        QCOMPARE(about->minimumSize(), about->maximumSize());
        const QStringList texts = checkShown(about, about->Picture1);
        QCOMPARE(texts.mid(0, 2), (QStringList { "Ravelin", "Version 3.0" }));
        QVERIFY2(texts.filter("cut off").isEmpty() && !texts.contains("no logo"),
            qPrintable(texts.join(", ")));
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
