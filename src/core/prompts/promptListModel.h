#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The entries of the prompt list: one per keyword of the batch, shown as the
// keyword followed by " (click to see the prompt)". The entry text is made when
// a row is drawn, so a batch of any size costs no more than its keyword list.
class PromptListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setKeywords(const QStringList& keywords);
    void clear() { setKeywords(QStringList()); }
    const QStringList& keywords() const { return m_keywords; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    static QString entryText(const QString& keyword);

private:
    QStringList m_keywords;
};
