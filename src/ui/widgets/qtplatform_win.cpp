#include "ui/widgets/qtplatform.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace platform
{

std::vector<Drive> QtDrives::drives() const
{
    std::vector<Drive> result;
    // Every drive letter, including removable drives that hold no medium: choosing one of
    // those is what fails.
    for (const QFileInfo &info : QDir::drives()) {
        const QString root = QDir::toNativeSeparators(info.absoluteFilePath());
        const QStorageInfo storage(root);
        QString text = root.left(2).toLower();
        if (storage.isValid() && storage.isReady() && !storage.name().isEmpty())
            text += QStringLiteral(" [%1]").arg(storage.name());
        result.push_back({ text, root.left(2) + QLatin1Char('\\') });
    }
    return result;
}

QString QtInstance::privateTempFolder(QString &)
{
    return QDir::tempPath();
}

} // namespace platform
