#include "support/picturefolders.h"

#include "core/state/gridcells.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/folderlistbox.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

void clickThumbnail(frmMain &w, int i)
{
    QTest::mouseClick(w.picInner, Qt::LeftButton, {}, w.Image1(i)->geometry().center());
}

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QString shownTip(const QString &tip)
{
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument shown;
    shown.setHtml(tip);
    return shown.toPlainText();
}

PictureFolders::PictureFolders()
    : m_startFolder(QDir::currentPath())
{
}

PictureFolders::~PictureFolders()
{
    QDir::setCurrent(m_startFolder);
}

bool PictureFolders::open(frmMain &w, const QString &folder) const
{
    QDir::setCurrent(path());
    if (!w.Form_Load())
        return false;
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w) && w.Dir1->setPath(folder)
        && w.gridCells().waitUntilBuilt();
}

bool PictureFolders::select(frmMain &w, const QStringList &files) const
{
    for (const QString &file : files) {
        const QString folder = path(file.section(QLatin1Char('/'), 0, -2));
        if (QDir(w.Dir1->path()) != QDir(folder)) {
            if (!w.Dir1->setPath(folder))
                return false;
            if (w.ThumbManual)
                QTest::mouseClick(w.ButtonLoadThumbs, Qt::LeftButton);
        }
        const qsizetype index = w.gridNames().indexOf(file.section(QLatin1Char('/'), -1));
        if (index < 0)
            return false;
        clickThumbnail(w, static_cast<int>(index));
    }
    return true;
}
