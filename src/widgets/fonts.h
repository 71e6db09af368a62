#pragma once

// The windows ask for "Comic Sans MS" and "Trebuchet MS"; where they are not installed, a
// plain sans-serif stands in rather than whatever decorative face the system picks.
void installFontSubstitutes();
