#pragma once

#include <QHash>
#include <QString>

// The file names of the articles of one input: one per keyword, made from the
// keyword so that a folder of articles reads like the keyword list, and made
// again the same way by a later run over the same input, which is how a run
// that stopped is resumed.
class ArticleNames
{
public:
    static constexpr qsizetype MaxChars = 80;
    static constexpr qsizetype MaxBytes =
        200; // UTF-8, leaving room for "-N.md" and a temporary name

    // The keyword in NFC and lower case, its letters, marks and digits of any
    // script kept and every other run of characters turned into one "-", with
    // no "-" at either end, cut at a character to MaxChars and MaxBytes.
    // "article" when nothing is left; a Windows device name (con, nul, com1...)
    // gets a trailing "-".
    static QString baseName(const QString& keyword);

    // The file name, with ".md", of the next keyword: its base name, or when
    // an earlier keyword took that name, the name with "-2", "-3"... added.
    QString take(const QString& keyword);

private:
    // Every name taken, with the next number to try after it.
    QHash<QString, int> m_taken;
};
