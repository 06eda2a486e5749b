#pragma once

#include <QString>

// Text replacement service.
class tsParser
{
public:
    // Every non-overlapping occurrence of `search` in `text`, scanned from left
    // to right, replaced by `replacement`. Letter case matters. An empty search
    // text finds nothing, so the text comes back unchanged.
    QString Replace(const QString& text, const QString& search, const QString& replacement) const;
};
