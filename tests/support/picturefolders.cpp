#include "support/picturefolders.h"

#include "core/state/gridcells.h"
#include "support/testpictures.h"
#include "ui/main/frmmain.h"
#include "ui/widgets/folderlistbox.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

namespace
{
constexpr int hueStep = 47;
} // namespace

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

QString PictureFolders::path(const QString &relative) const
{
    return QDir::toNativeSeparators(relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative));
}

QStringList PictureFolders::paths(const QStringList &relative) const
{
    QStringList result;
    for (const QString &file : relative)
        result.append(path(file));
    return result;
}

QString PictureFolders::make(const QString &name, const QStringList &files, QSize size)
{
    const QString folder = path(name);
    QDir().mkpath(folder);
    for (const QString &file : files) {
        testpictures::write(QDir(folder).filePath(file), QColor::fromHsv(m_hue, 200, 220), size);
        m_hue = (m_hue + hueStep) % 360;
    }
    return folder;
}

bool PictureFolders::open(frmMain &w, const QString &folder) const
{
    QDir::setCurrent(m_dir.path());
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

QStringList PictureFolders::files() const
{
    QStringList result;
    QDirIterator it(
        m_dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(m_dir.path()).relativeFilePath(it.next()));
    result.sort();
    return result;
}

QByteArrayList PictureFolders::bytes(const QStringList &files) const
{
    QByteArrayList result;
    for (const QString &relative : files)
        result.append(testpictures::bytes(m_dir.filePath(relative)));
    return result;
}
