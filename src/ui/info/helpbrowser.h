#pragma once

#include <QTextBrowser>

// The help window's page viewer: a text browser that shows a short notice in place of a
// page that cannot be read, as a web browser does, instead of an empty page. The colours a
// page's style gives are kept readable on the desktop's colour scheme, light or dark.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpBrowser)
public:
    explicit HelpBrowser(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void changeEvent(QEvent *event) override;
};
