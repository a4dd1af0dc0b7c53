#include "ui/page_tabs.h"

#include "ui/contrast.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <algorithm>

namespace zc {

PageTabs::PageTabs(QWidget *parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("pgc1_tabs"));
    setExpanding(false);
    setDrawBase(false);
}

QSize PageTabs::tabSizeHint(int) const
{
    return {TabWidth, TabHeight};
}

PageTabs::TabText PageTabs::tabText(int index, const QString &caption)
{
    switch (index) {
    case 0:
        return {QStringLiteral("Basic"), QStringLiteral("Settings")};
    case 1:
        return {QStringLiteral("Number"), QStringLiteral("List")};
    case 2:
        return {QStringLiteral("Historical"), QStringLiteral("Data")};
    default:
        return {caption, QString()};
    }
}

void PageTabs::pgc1DrawTab(QPainter &p, int index, const QRect &rect, bool active) const
{
    QFont f = font();
    f.setPointSize(11);
    f.setBold(active);
    // The lines were laid out for a narrow Windows font; with a wider desktop font the
    // size shrinks until the longest line fits the tab, and each line is centred.
    QFont bold = f;
    bold.setBold(true);
    while (f.pointSizeF() > 6 &&
           QFontMetrics(bold).horizontalAdvance(QStringLiteral("Historical")) > TabWidth - 8) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        bold.setPointSizeF(f.pointSizeF());
    }
    p.setFont(f);
    // The active tab's blue, lightened where a dark palette would swallow it.
    const QColor tab = palette().color(QPalette::Button).lighter(104);
    p.setPen(active ? Contrast::readableOn(QColor(0, 0, 255), tab) : palette().color(QPalette::WindowText));
    const int half = TabHeight / 2;
    const TabText t = tabText(index, QTabBar::tabText(index));
    const QFontMetrics fm(f);
    const auto left = [&](const QString &line) {
        return rect.left() + (rect.width() - fm.horizontalAdvance(line)) / 2;
    };
    // Lines are placed by their top-left corner.
    if (t.second.isEmpty()) {
        p.drawText(left(t.first), rect.top() + half - 10 + fm.ascent(), t.first);
        return;
    }
    const int lineGap = std::max(15, fm.height());
    p.drawText(left(t.first), rect.top() + half - lineGap + fm.ascent(), t.first);
    p.drawText(left(t.second), rect.top() + half + fm.ascent(), t.second);
}

void PageTabs::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        opt.text.clear();
        opt.shape = QTabBar::RoundedNorth; // plain frame; the text is ours, horizontal
        // The style joins a north tab to the pane below it: in this column that would paint
        // a block under the last tab. Each tab stays within its own place.
        p.save();
        p.setClipRect(opt.rect);
        p.drawControl(QStyle::CE_TabBarTabShape, opt);
        p.restore();
        pgc1DrawTab(p, i, tabRect(i), i == currentIndex());
    }
    // With the keyboard focus on the tabs, the active one is framed.
    if (hasFocus() && currentIndex() >= 0) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = tabRect(currentIndex()).adjusted(4, 4, -4, -4);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace zc
