// Some widgets repaint at once when a property changes (QProgressBar's value and text
// visibility), and a repaint paints every dirty part of the window with it. During a
// transfer that would come between a reply and the next request: the change is made with
// the widget's updates held back, and the widget is painted with the rest of the window on
// the next pass of the event loop.
#pragma once

#include <QWidget>

namespace zc {

template <typename Change> void withDeferredPaint(QWidget *widget, Change &&change)
{
    if (!widget->updatesEnabled()) {
        change();
        return;
    }
    widget->setUpdatesEnabled(false);
    change();
    widget->setUpdatesEnabled(true);
}

} // namespace zc
