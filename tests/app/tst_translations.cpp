#include "browser/frmmain.h"
#include "core/undo.h"
#include "options/frmoptions.h"
#include "rename/rename.h"
#include "support/picturefolders.h"
#include "widgets/translations.h"

#include <QAction>
#include <QCheckBox>
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
        QCOMPARE(s.w.mnuFile->title(), "&Datei");
        QCOMPARE(s.w.renameWindow()->windowTitle(), "Umbenennen");
        QCOMPARE(s.w.optionsWindow()->KeepPairs->text(), "RAW- und JPEG-Paare zusammenhalten");
        QCOMPARE(undo::batchName(journal::Kind::Rename, 300), "Umbenennen von 300 Bildern");

        // A message box's text, and Qt's own buttons.
        s.services.boxesFake.answer = platform::Answer::Cancel;
        s.w.state().select({ QStringLiteral("/nowhere/a.jpg") });
        s.w.mnuEditDelete->trigger();
        QCOMPARE(s.services.boxesFake.texts(),
            QStringList { "Möchten Sie die ausgewählten Dateien wirklich LÖSCHEN?" });
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
