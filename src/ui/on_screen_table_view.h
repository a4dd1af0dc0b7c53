// A table view that repaints a change of several cells only when some of them are on
// screen. QTableView repaints its whole viewport for any change wider than one cell, so a
// transfer filling the table a page at a time would repaint every visible row once per page,
// wherever in the table that page lies.
#pragma once

#include <QTableView>

namespace zc {

class OnScreenTableView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

    // Editors laid over cells (pickers, pick lists) follow them: called after the view's
    // geometry changed (scrolled false) or its contents scrolled (scrolled true).
    virtual void placeOverlays(bool scrolled) { (void)scrolled; }
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        placeOverlays(false);
    }
    void scrollContentsBy(int dx, int dy) override
    {
        QTableView::scrollContentsBy(dx, dy);
        placeOverlays(true);
    }
};

} // namespace zc
