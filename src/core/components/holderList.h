#pragma once

#include <QString>
#include <QStringList>

// An ordered list of texts with a current item: the working storage that the
// windows keep behind the scenes (keywords of a batch, a folder listing, the
// lines of one record).
struct HolderList
{
    QStringList items;
    qsizetype current = -1;

    void clear()
    {
        items.clear();
        current = -1;
    }
    qsizetype count() const { return items.size(); }
    bool hasCurrent() const { return current >= 0 && current < items.size(); }

    // Makes item i current and returns its text; false when there is no item i.
    bool select(qsizetype i, QString* text = nullptr)
    {
        if (i < 0 || i >= items.size())
            return false;
        current = i;
        if (text)
            *text = items.at(i);
        return true;
    }
};
