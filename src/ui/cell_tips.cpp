#include "ui/cell_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyleOptionViewItem>
#include <QToolTip>

#include <utility>

namespace zc {

WholeTextTips::WholeTextTips(QAbstractItemView *view, Note note)
    : QObject(view), m_view(view), m_note(std::move(note))
{
}

void WholeTextTips::install(QAbstractItemView *view, Note note)
{
    view->viewport()->installEventFilter(new WholeTextTips(view, std::move(note)));
}

bool WholeTextTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = m_view->indexAt(help->pos());
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect cell = m_view->visualRect(index);
    QAbstractItemDelegate *delegate = index.isValid() ? m_view->itemDelegateForIndex(index) : nullptr;
    const QString note = index.isValid() && m_note ? m_note(index) : QString();
    if (!note.isEmpty()) {
        QToolTip::showText(help->globalPos(), note, m_view->viewport(), cell);
        return true;
    }
    if (!delegate || text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    // The width the cell's painter needs for the text, in the cell's own font (bold for a
    // changed cell), margins included.
    QStyleOptionViewItem option;
    option.initFrom(m_view->viewport());
    option.font = m_view->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.rect = cell;
    if (delegate->sizeHint(option, index).width() > cell.width())
        QToolTip::showText(help->globalPos(), text, m_view->viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}

} // namespace zc
