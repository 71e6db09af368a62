#include "core/state/commandline.h"

#include "core/buildinfo.h"
#include "core/files/platform.h"
#include "core/pictures/pictureformats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace
{
// The options Qt's application object reads for itself.
constexpr const char *qtOptionsWithValue[] = { "platform", "platformpluginpath", "platformtheme",
    "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "style", "stylesheet",
    "display", "geometry", "name", "title", "visual" };
constexpr const char *qtSwitches[] = { "reverse", "widgetcount", "nograb", "dograb" };

// The text with its control characters written as escapes ("\x1b"): a name given on the
// command line may hold some, which the terminal would obey.
QString printable(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

StartRequest refuse(const QString &text)
{
    return { false, 1,
        QCoreApplication::applicationName().toLower() + QStringLiteral(": ") + printable(text)
            + QLatin1Char('\n'),
        {} };
}

// The folder to open for the argument, or a refusal saying why there is none.
StartRequest startFolder(const QString &argument)
{
    const auto refuseArgument = [&argument](const QString &why) {
        return refuse(QStringLiteral("'%1': %2").arg(argument, why));
    };
    const QFileInfo info(argument);
    if (!info.exists())
        return refuseArgument(
            QCoreApplication::translate("commandline", "no such folder or picture"));
    if (info.isDir()) {
        if (!info.isReadable() || !QDir(info.absoluteFilePath()).isReadable())
            return refuseArgument(
                QCoreApplication::translate("commandline", "the folder cannot be read"));
        return { true, 0, {}, QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath())) };
    }
    if (!info.isFile() || !pictureformats::pictureExtensions().contains(info.suffix().toLower()))
        return refuseArgument(QCoreApplication::translate(
            "commandline", "not a folder or a picture Ravelin can show"));
    if (!info.isReadable())
        return refuseArgument(
            QCoreApplication::translate("commandline", "the picture cannot be read"));
    if (!QDir(info.absolutePath()).isReadable())
        return refuseArgument(
            QCoreApplication::translate("commandline", "its folder cannot be read"));
    return { true, 0, {}, QDir::toNativeSeparators(QDir::cleanPath(info.absolutePath())) };
}
} // namespace

void setProgramIdentity()
{
    QCoreApplication::setApplicationName(platform::programTitle);
    QCoreApplication::setApplicationVersion(QStringLiteral(RAVELIN_VERSION));
    // Matches the window to its launcher on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral(RAVELIN_APP_ID));
}

StartRequest readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("commandline",
        "Sorts the pictures from your camera: a grid of thumbnails to select "
        "from, then rename, move or delete."));
    // Qt's own options (-platform, -style, -session from a session manager and the like) are
    // taken by the application object later; here they are accepted and left alone.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : qtSwitches) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") },
        QCoreApplication::translate("commandline", "Shows this help and ends."));
    const QCommandLineOption version({ QStringLiteral("v"), QStringLiteral("version") },
        QCoreApplication::translate("commandline", "Shows the version and ends."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QCoreApplication::translate("commandline", "folder"),
        QCoreApplication::translate("commandline",
            "The folder to open, or a picture to open its folder (the current "
            "folder when none is given)."),
        QCoreApplication::translate("commandline", "[folder|picture]"));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return { false, 0, parser.helpText(), {} };
    if (parser.isSet(version)) {
        return { false, 0,
            QStringLiteral("%1 %2\n").arg(
                QCoreApplication::applicationName(), QCoreApplication::applicationVersion()),
            {} };
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return refuse(
            QCoreApplication::translate("commandline", "give at most one folder or picture"));
    if (positional.isEmpty())
        return {};
    return startFolder(positional.first());
}
