#include "ui/widgets/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

#include <algorithm>

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

void growToText(QWidget *control)
{
    const QSize wanted = control->sizeHint();
    control->resize(
        std::max(control->width(), wanted.width()), std::max(control->height(), wanted.height()));
}
