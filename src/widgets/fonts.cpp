#include "widgets/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList installed = QFontDatabase::families();
    for (const char *family : { "Comic Sans MS", "Trebuchet MS" }) {
        const QString name = QString::fromLatin1(family);
        if (!installed.contains(name, Qt::CaseInsensitive))
            QFont::insertSubstitutions(name,
                { QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial") });
    }
}
