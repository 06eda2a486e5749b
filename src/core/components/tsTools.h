#pragma once

#include "holderList.h"

#include <QString>

// General text tools.
class tsTools
{
public:
    // Appends one item to `list` per line of `text`. Lines end at CR LF, at a
    // lone LF or at a lone CR, because text typed into a box or pasted from
    // another program may use any of them, and at the line and paragraph
    // separators (U+2028, U+2029) that a text box's document holds its lines
    // with. A line of no characters adds no item; a line of blanks is kept.
    void SplitToList(const QString& text, HolderList& list) const;

    // The same split as a plain list, for callers without a holder.
    static QStringList splitLines(const QString& text);
};
