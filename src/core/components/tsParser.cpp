#include "tsParser.h"

QString tsParser::Replace(const QString& text, const QString& search,
                          const QString& replacement) const
{
    if (search.isEmpty() || text.size() < search.size())
        return text;
    QString result = text;
    result.replace(search, replacement, Qt::CaseSensitive);
    return result;
}
