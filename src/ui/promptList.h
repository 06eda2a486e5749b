#pragma once

#include <QListView>

// The prompt list. Entries are picked by the user only: taking the focus does
// not quietly make the first entry current, so the first Down picks it.
class PromptList final : public QListView
{
    Q_OBJECT
public:
    using QListView::QListView;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        const bool hadCurrent = currentIndex().isValid();
        QListView::focusInEvent(event);
        if (!hadCurrent && currentIndex().isValid()
            && !selectionModel()->isSelected(currentIndex()))
            selectionModel()->clearCurrentIndex();
    }
};
