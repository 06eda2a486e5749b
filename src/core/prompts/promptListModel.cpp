#include "promptListModel.h"

#include "composition.h"

#include <limits>

void PromptListModel::setKeywords(const QStringList& keywords)
{
    beginResetModel();
    m_keywords = keywords;
    endResetModel();
}

int PromptListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // Qt's item views count rows in int.
    return int(qMin<qsizetype>(m_keywords.size(), std::numeric_limits<int>::max()));
}

QVariant PromptListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_keywords.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return entryText(m_keywords.at(index.row()));
    return QVariant();
}

QString PromptListModel::entryText(const QString& keyword)
{
    return keyword + Prompts::EntrySuffix;
}
