#pragma once

#include <QRect>

// The secondary windows are laid out in twips: 15 to a pixel at 96 dots per inch.
inline constexpr int twipsPerPixel = 15;

constexpr int twips(int value)
{
    return (value + twipsPerPixel / 2) / twipsPerPixel;
}

constexpr QRect twips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
