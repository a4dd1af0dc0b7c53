#include "ui/on_screen_table_view.h"

#include <QAccessible>

namespace zc {

void OnScreenTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                    const QList<int> &roles)
{
    // An open editor takes the new value and assistive tools hear of every change: those
    // cases keep the view's own handling, as does a view that is not shown.
    if (topLeft.isValid() && bottomRight.isValid() && topLeft != bottomRight && isVisible() &&
        state() != EditingState && !QAccessible::isActive()) {
        const int first = rowAt(0);
        int last = rowAt(viewport()->height() - 1);
        if (last < 0) last = model()->rowCount(rootIndex()) - 1;
        if (first >= 0 && (bottomRight.row() < first || topLeft.row() > last))
            return; // nothing shown changed
    }
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

} // namespace zc
