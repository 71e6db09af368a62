#include "ui/widgets/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace
{
void install(const QLocale &locale, const QString &catalogue, const QString &folder)
{
    // Kept by the application for the rest of the run.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, catalogue, QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(translator);
    else
        translator->deleteLater();
}
} // namespace

void installTranslations(const QLocale &locale)
{
    install(locale, QStringLiteral("qt"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // Built into the program, so that an installed copy finds it wherever it is put.
    install(locale, QStringLiteral("ravelin"), QStringLiteral(":/i18n"));
}
