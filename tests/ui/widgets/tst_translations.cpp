#include "core/flows/undo.h"
#include "core/state/commandline.h"
#include "support/picturefolders.h"
#include "ui/info/about.h"
#include "ui/info/help.h"
#include "ui/info/helpbrowser.h"
#include "ui/main/frmmain.h"
#include "ui/options/frmoptions.h"
#include "ui/rename/rename.h"
#include "ui/widgets/translations.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QtTest>

// The windows in German: the program's own catalogue and Qt's are both found and used.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::German, QLocale::Germany)); }

    void captionsInGerman()
    {
        MainSession s;
        QCOMPARE(control<QMenu>(s.w, "mnuFile").title(), "&Datei");
        QCOMPARE(s.w.renameWindow()->windowTitle(), "Umbenennen");
        QCOMPARE(s.w.optionsWindow()->KeepPairs->text(), "RAW- und JPEG-Paare zusammenhalten");
        QCOMPARE(undo::batchName(journal::Kind::Rename, 300), "Umbenennen von 300 Bildern");

        // A message box's text, and Qt's own buttons.
        s.services.boxesFake.answer = platform::Answer::Cancel;
        s.w.state().select({ QStringLiteral("/nowhere/a.jpg") });
        control<QAction>(s.w, "mnuEditDelete").trigger();
        QCOMPARE(s.services.boxesFake.texts(),
            QStringList { "Möchten Sie die ausgewählten Dateien wirklich LÖSCHEN?" });
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");

        // The longer German texts keep clear of the About window's edge.
        About *about = s.w.aboutWindow();
        if (qEnvironmentVariableIsSet("RAVELIN_SHOTS"))
            about->grab().save(qEnvironmentVariable("RAVELIN_SHOTS") + "/about-de.png");
        for (const QLabel *label : { about->Label3, about->Label4 }) {
            QVERIFY2(label->x() + label->sizeHint().width() <= about->width() - label->x(),
                qPrintable(label->text()));
        }

        // The help page in German, and the command line's help.
        s.services.fsFake.programFolderPath = RAVELIN_TEST_DATA "/../../resources";
        control<QAction>(s.w, "mnuHelpContents").trigger();
        QCOMPARE(s.w.helpWindow()->windowTitle(), "Hilfe");
        QVERIFY(s.w.helpWindow()->WebBrowser1->toPlainText().startsWith("Ravelin-Hilfe"));
        const QString usage = readCommandLine({ "ravelin", "--help" }).message;
        QVERIFY2(usage.contains("[Ordner|Bild]") && usage.contains("  Ordner "), qPrintable(usage));

        // Every text the catalogue holds has its German words: none is left unfinished.
        QFile catalogue(RAVELIN_TEST_DATA "/../../translations/ravelin_de.ts");
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        const QByteArray entries = catalogue.readAll();
        const qsizetype unfinished = entries.indexOf("type=\"unfinished\"");
        QVERIFY2(unfinished < 0, entries.mid(qMax(0, unfinished - 120), 200).constData());
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
