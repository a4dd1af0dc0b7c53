// Shows the whole text of a grid cell in a tooltip when the cell is too narrow for it.
#pragma once

#include <QObject>

class QAbstractItemView;

namespace zc {

class WholeTextTips : public QObject
{
    Q_OBJECT
public:
    // Watches the view's cells; the filter belongs to the view.
    static void install(QAbstractItemView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WholeTextTips(QAbstractItemView *view);
    QAbstractItemView *m_view;
};

} // namespace zc
