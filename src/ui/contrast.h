// Colours that stay readable whatever the desktop's palette: text on the fixed colours the
// window paints (the header's sky blue, the warning green, the find yellow), the active
// tab's blue on a dark palette, and a check box's edge on a dark cell.
#pragma once

#include <QColor>
#include <QPalette>

class QPainter;
class QRect;

namespace zc::Contrast {

// The contrast ratio of two colours, 1 to 21 (4.5 is what running text needs).
double ratio(const QColor &a, const QColor &b);
// Black or white, whichever reads better on background.
QColor textOn(const QColor &background);
// palette for a cell painted in a fixed colour: background as its base, window and button
// colours, and text that reads on it; the highlight colours stay, so selected cells look
// as ever.
QPalette onFixedColour(QPalette palette, const QColor &background);
// colour, or a lighter form of it that reads on background with a ratio of at least 4.5.
QColor readableOn(const QColor &colour, const QColor &background);
// After the style drew a check box indicator at rect over a dark background, where its own
// edge is lost: a frame in a blend of the text colour that shows where the box is.
void frameIndicatorOnDark(QPainter &painter, const QRect &rect, const QPalette &palette,
                          const QColor &background);

} // namespace zc::Contrast
