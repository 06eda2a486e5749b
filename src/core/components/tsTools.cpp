#include "tsTools.h"

#include "lineScan.h"

QStringList tsTools::splitLines(const QString& text)
{
    QStringList lines;
    forEachLine<true>(text, [&lines](const QChar* start, qsizetype length) {
        if (length > 0)
            lines.append(QString(start, length));
    });
    return lines;
}

void tsTools::SplitToList(const QString& text, HolderList& list) const
{
    if (list.items.isEmpty())
        list.items = splitLines(text);
    else
        list.items.append(splitLines(text));
}
