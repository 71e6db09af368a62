#include "support/picturefolders.h"

#include "app/folderlistbox.h"
#include "browser/frmmain.h"
#include "support/testpictures.h"

#include <QDir>
#include <QTest>

namespace
{
constexpr int hueStep = 47;
} // namespace

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

QString PictureFolders::make(const QString &name, const QStringList &files)
{
    const QString folder = path(name);
    QDir().mkpath(folder);
    for (const QString &file : files) {
        testpictures::write(QDir(folder).filePath(file), QColor::fromHsv(m_hue, 200, 220));
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
    return QTest::qWaitForWindowActive(&w) && w.Dir1->setPath(folder);
}
