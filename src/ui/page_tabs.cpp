#include "page_tabs.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

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
        return {QStringLiteral("Basic"), 19, QStringLiteral("Settings"), 12};
    case 1:
        return {QStringLiteral("Number"), 12, QStringLiteral("List"), 22};
    case 2:
        return {QStringLiteral("Historical"), 9, QStringLiteral("Data"), 22};
    default:
        return {caption, 20, QString(), 0};
    }
}

void PageTabs::pgc1DrawTab(QPainter &p, int index, const QRect &rect, bool active) const
{
    QFont f = font();
    f.setPointSize(11);
    f.setBold(active);
    p.setFont(f);
    p.setPen(active ? QColor(0, 0, 255) : palette().color(QPalette::WindowText));
    const int half = TabHeight / 2;
    const TabText t = tabText(index, QTabBar::tabText(index));
    const QFontMetrics fm(f);
    // Lines are placed by their top-left corner.
    if (t.second.isEmpty()) {
        p.drawText(rect.left() + t.firstOffset, rect.top() + half - 10 + fm.ascent(), t.first);
        return;
    }
    p.drawText(rect.left() + t.firstOffset, rect.top() + half - 15 + fm.ascent(), t.first);
    p.drawText(rect.left() + t.secondOffset, rect.top() + half + fm.ascent(), t.second);
}

void PageTabs::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        opt.text.clear();
        opt.shape = QTabBar::RoundedNorth; // plain frame; the text is ours, horizontal
        p.drawControl(QStyle::CE_TabBarTabShape, opt);
        pgc1DrawTab(p, i, tabRect(i), i == currentIndex());
    }
}

} // namespace zc
