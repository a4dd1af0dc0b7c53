// Shows the whole text of a grid cell in a tooltip when the cell is too narrow for it, and
// a note the view gives for a cell (why it is drawn as it is), when it gives one.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QModelIndex;

class QAbstractItemView;

namespace zc {

class WholeTextTips : public QObject
{
    Q_OBJECT
public:
    using Note = std::function<QString(const QModelIndex &)>;
    // Watches the view's cells; the filter belongs to the view.
    static void install(QAbstractItemView *view, Note note = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WholeTextTips(QAbstractItemView *view, Note note);
    QAbstractItemView *m_view;
    Note m_note;
};

} // namespace zc
