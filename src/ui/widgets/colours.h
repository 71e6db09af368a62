#pragma once

#include <QColor>

class QLabel;
class QPalette;
class QWidget;

// The few fixed colours of the design, kept readable whatever palette the desktop gives:
// light and dark colour schemes alike.
namespace colours
{

// The light yellow behind the caption of a marked thumbnail.
inline constexpr QColor markBack(255, 255, 192);
// The navy of titles and product names.
inline constexpr QColor navy(0, 0, 128);

// The contrast of two colours as the web's accessibility guidelines measure it: 1 to 21.
[[nodiscard]] double contrast(const QColor &a, const QColor &b);
// The colour itself when it stands out well enough on the background; otherwise the same
// hue blended towards white or black until it stands out clearly.
[[nodiscard]] QColor readableOn(const QColor &wanted, const QColor &background);
// The text of a thumbnail's caption: the palette's text on its window, dark on the light
// yellow of a marked one.
[[nodiscard]] QColor captionText(const QPalette &palette, bool marked);
// Gives a label the navy of the design, lightened on a dark window.
void setNavyText(QLabel *label);
// Gives an input or a list a fixed background, with text that can be read on it.
void setBaseColour(QWidget *widget, const QColor &back);

} // namespace colours
