#include "ui/info/helpbrowser.h"

#include "ui/widgets/colours.h"

#include <QEvent>
#include <QRegularExpression>

namespace
{
// The page with each colour its style gives kept readable on the viewer's palette: a text
// colour against the page, a background against the text, in a dark scheme as in a light one.
QString withReadableColours(const QString &html, const QPalette &palette)
{
    static const QRegularExpression colour(
        QStringLiteral("(?<![-\\w])(background-color|color)(\\s*:\\s*)(#[0-9A-Fa-f]{3,6})\\b"));
    const QColor page = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : colour.globalMatch(html)) {
        const QColor wanted(match.captured(3));
        if (!wanted.isValid())
            continue;
        const bool background = match.captured(1) == QLatin1String("background-color");
        const QColor shown
            = background ? colours::readableOn(wanted, text) : colours::readableOn(wanted, page);
        result += html.mid(done, match.capturedStart(3) - done) + shown.name();
        done = match.capturedEnd(3);
    }
    return result + html.mid(done);
}
} // namespace

HelpBrowser::HelpBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    const QVariant found = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource)
        return found;
    // Links take the scheme's link colour, which many dark schemes leave dark blue.
    const QColor link
        = colours::readableOn(palette().color(QPalette::Link), palette().color(QPalette::Base));
    document()->setDefaultStyleSheet(QStringLiteral("a { color: %1; }").arg(link.name()));
    if (!found.toByteArray().isEmpty())
        return withReadableColours(QString::fromUtf8(found.toByteArray()), palette());
    return tr("<html><head><title>Page not found</title></head><body>"
              "<h2>The page cannot be found</h2>"
              "<p>The help page <b>%1</b> is missing or cannot be read. It is "
              "installed beside the program; installing Ravelin again puts it "
              "back.</p></body></html>")
        .arg(name.toDisplayString(QUrl::PreferLocalFile).toHtmlEscaped());
}

void HelpBrowser::changeEvent(QEvent *event)
{
    // The desktop's colour scheme changed: the page is shown again in colours that suit it.
    if (event->type() == QEvent::PaletteChange && !source().isEmpty())
        reload();
    QTextBrowser::changeEvent(event);
}
