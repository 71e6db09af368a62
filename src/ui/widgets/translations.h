#pragma once

class QLocale;

// Puts the program's texts and Qt's own (the buttons of message boxes, the menus of text
// fields) into the language of the locale, where a catalogue for it exists. The program's
// English texts are its source texts: English needs no catalogue.
void installTranslations(const QLocale &locale);
