#pragma once

#include <QString>

namespace FileNames {

// A file name made from a text, readable in any script: the text in NFC and
// lower case, its letters, marks and decimal digits kept and every other run
// of characters turned into one "-", with no "-" at either end, cut at a
// character to at most `maxChars` characters and `maxBytes` bytes of UTF-8.
// Empty when nothing is kept.
QString slugOf(const QString& text, qsizetype maxChars, qsizetype maxBytes);

// Whether Windows opens a device, not a file, for this name: CON, PRN, AUX,
// NUL, CONIN$, CONOUT$, COM1 to COM9 and LPT1 to LPT9 (the digit also ¹, ² or
// ³), in any letter case, with blanks after them and any extension.
bool isWindowsDeviceName(const QString& name);

// Whether Windows refuses this character in a file name: : * ? " < > |
bool isWindowsReservedCharacter(char16_t c);

} // namespace FileNames
