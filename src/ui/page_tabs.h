// The page control's column of tabs: 80 x 75 pixels each, drawn by the window with two
// lines of text; the active tab in bold blue.
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace zc {

class PageTabs : public QTabBar
{
    Q_OBJECT
public:
    explicit PageTabs(QWidget *parent = nullptr);
    static constexpr int TabWidth = 80;
    static constexpr int TabHeight = 75;

    // The lines a tab shows (the help tab has one).
    struct TabText
    {
        QString first;
        QString second;
    };
    static TabText tabText(int index, const QString &caption);

    // Draws one tab into rect (pgc1DrawTab).
    void pgc1DrawTab(QPainter &p, int index, const QRect &rect, bool active) const;

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *) override;
};

// The page control pgc1 with its tab column.
class PageControl : public QTabWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr) : QTabWidget(parent), m_tabs(new PageTabs(this))
    {
        setTabBar(m_tabs);
    }
    PageTabs *tabs() const { return m_tabs; }

private:
    PageTabs *m_tabs;
};

} // namespace zc
