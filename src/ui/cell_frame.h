// A frame around the current cell of a grid, drawn over whatever lies on the cell (a pick
// list, a date or time picker), so the current cell stays visible. Mouse clicks pass through.
#pragma once

#include <QWidget>

class QAbstractItemView;

namespace zc {

class CurrentCellFrame : public QWidget
{
    Q_OBJECT
public:
    explicit CurrentCellFrame(QAbstractItemView *view);
    // Lies over cell when show is true; hidden otherwise.
    void follow(const QModelIndex &cell, bool show);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QAbstractItemView *m_view;
};

} // namespace zc
