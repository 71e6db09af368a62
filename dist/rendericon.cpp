// Renders the program's SVG icon to PNG files of the given sizes, for desktops that show
// only bitmap icons: rendericon icon.svg out-folder 16 32 48 ...
// Writes out-folder/<size>x<size>.png for each size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: rendericon icon.svg out-folder size...\n", stderr);
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid() || !QDir().mkpath(args.at(2))) {
        std::fprintf(stderr, "rendericon: cannot render %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (const QString &text : args.mid(3)) {
        const int size = text.toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        const QString out = QStringLiteral("%1/%2x%2.png").arg(args.at(2)).arg(size);
        if (size <= 0 || !image.save(out)) {
            std::fprintf(stderr, "rendericon: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
