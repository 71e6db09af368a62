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
    QTest::mouseClick(&control<ThumbnailView>(w, "picInner"), Qt::LeftButton, {},
        ThumbnailView::pictureRect(i).center());
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
    return QTest::qWaitForWindowActive(&w) && control<FolderListBox>(w, "Dir1").setPath(folder)
        && control<ThumbnailGrid>(w).cells().waitUntilBuilt();
}

bool PictureFolders::select(frmMain &w, const QStringList &files) const
{
    for (const QString &file : files) {
        const QString folder = path(file.section(QLatin1Char('/'), 0, -2));
        if (QDir(control<FolderListBox>(w, "Dir1").path()) != QDir(folder)) {
            if (!control<FolderListBox>(w, "Dir1").setPath(folder))
                return false;
            if (w.state().settings().thumbManual)
                QTest::mouseClick(&control<QPushButton>(w, "ButtonLoadThumbs"), Qt::LeftButton);
        }
        const qsizetype index
            = control<ThumbnailGrid>(w).cells().names().indexOf(file.section(QLatin1Char('/'), -1));
        if (index < 0)
            return false;
        clickThumbnail(w, static_cast<int>(index));
    }
    return true;
}
