#include "info/helpbrowser.h"

HelpBrowser::HelpBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    const QVariant found = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || !found.toByteArray().isEmpty())
        return found;
    return tr("<html><head><title>Page not found</title></head><body>"
              "<h2>The page cannot be found</h2>"
              "<p>The help page <b>%1</b> is missing or cannot be read. It is "
              "installed beside the program; installing Ravelin again puts it "
              "back.</p></body></html>")
        .arg(name.toDisplayString(QUrl::PreferLocalFile).toHtmlEscaped());
}
