#include "ui/cell_frame.h"

#include <QAbstractItemView>
#include <QPainter>

namespace zc {

CurrentCellFrame::CurrentCellFrame(QAbstractItemView *view) : QWidget(view->viewport()), m_view(view)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void CurrentCellFrame::follow(const QModelIndex &cell, bool show)
{
    const QRect r = cell.isValid() ? m_view->visualRect(cell) : QRect();
    if (!show || r.isEmpty()) {
        hide();
        return;
    }
    setGeometry(r);
    raise();
    QWidget::show();
    update();
}

void CurrentCellFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QPen pen(palette().color(QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

} // namespace zc
