#pragma once

#include <QPixmap>

// The program's logo, a blue camera outline, at the size the splash and About windows show.
inline constexpr QSize logoSize(98, 91);

QPixmap logoPicture();
