#include "ui/widgets/colours.h"

#include <QLabel>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace colours
{

namespace
{
    // Enough for ordinary text (the guidelines' level AA); a colour that has to change goes
    // on to the stronger level AAA, so it does not end as a pale grey just past the line.
    constexpr double readableContrast = 4.5;
    constexpr double adjustedContrast = 7;
    constexpr int blendSteps = 20;

    double luminance(const QColor &colour)
    {
        const auto linear = [](double channel) {
            return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
            + 0.0722 * linear(colour.blueF());
    }

    QColor blend(const QColor &from, const QColor &to, double share)
    {
        const auto mix
            = [share](float a, float b) { return std::clamp(a + (b - a) * share, 0.0, 1.0); };
        return QColor::fromRgbF(static_cast<float>(mix(from.redF(), to.redF())),
            static_cast<float>(mix(from.greenF(), to.greenF())),
            static_cast<float>(mix(from.blueF(), to.blueF())));
    }
} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &background)
{
    if (contrast(wanted, background) >= readableContrast)
        return wanted;
    // Away from the background: towards white on a dark one, towards black on a light one.
    const QColor away = luminance(background) < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step <= blendSteps; ++step) {
        const QColor candidate = blend(wanted, away, static_cast<double>(step) / blendSteps);
        if (contrast(candidate, background) >= adjustedContrast)
            return candidate;
    }
    return away;
}

QColor captionText(const QPalette &palette, bool marked)
{
    if (marked)
        return readableOn(QColor(Qt::black), markBack);
    return readableOn(palette.color(QPalette::WindowText), palette.color(QPalette::Window));
}

void setNavyText(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, readableOn(navy, palette.color(QPalette::Window)));
    label->setPalette(palette);
}

void setBaseColour(QWidget *widget, const QColor &back)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Text, readableOn(palette.color(QPalette::Text), back));
    widget->setPalette(palette);
}

} // namespace colours
