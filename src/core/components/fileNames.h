#pragma once

#include <QString>

namespace FileNames {

// A file name made from a text, readable in any script: the text in NFC and
// lower case, its letters, marks and decimal digits kept and every other run
// of characters turned into one "-", with no "-" at either end, cut at a
// character to at most `maxChars` characters and `maxBytes` bytes of UTF-8.
// Empty when nothing is kept.
QString slugOf(const QString& text, qsizetype maxChars, qsizetype maxBytes);

} // namespace FileNames
