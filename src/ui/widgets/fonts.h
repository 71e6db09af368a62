#pragma once

// The windows ask for "Comic Sans MS" and "Trebuchet MS"; where they are not installed, a
// plain sans-serif stands in rather than whatever decorative face the system picks.
void installFontSubstitutes();

class QWidget;

// The design's sizes were made for a smaller font than many desktops use: a control grows to
// its text (and its indicator), right and down from where the design puts it, never shrinks.
void growToText(QWidget *control);
