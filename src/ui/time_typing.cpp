#include "ui/time_typing.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimeEdit>

namespace zc {

namespace {

// The time typed so far, its missing parts 0: hours, minutes and seconds either apart by
// ":" or as pairs of digits. Invalid when the text cannot begin a time.
QTime typedTime(const QString &typed)
{
    QStringList parts;
    if (typed.contains(u':')) {
        parts = typed.split(u':');
    } else {
        for (qsizetype i = 0; i < typed.size(); i += 2)
            parts << typed.mid(i, 2);
    }
    if (parts.isEmpty() || parts.size() > 3) return {};
    int values[3] = {0, 0, 0};
    const int limits[3] = {23, 59, 59};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &p = parts[i];
        if (p.size() > 2 || (i == 0 && p.isEmpty())) return {};
        for (const QChar c : p)
            if (!c.isDigit()) return {};
        values[i] = p.isEmpty() ? 0 : p.toInt();
        if (values[i] > limits[i]) return {};
    }
    return QTime(values[0], values[1], values[2]);
}

} // namespace

WholeTimeTyping::WholeTimeTyping(QTimeEdit *edit) : QObject(edit), m_edit(edit) {}

void WholeTimeTyping::install(QTimeEdit *edit)
{
    edit->installEventFilter(new WholeTimeTyping(edit));
}

bool WholeTimeTyping::take(const QString &typed)
{
    const QTime t = typedTime(typed);
    if (!t.isValid()) return false;
    m_typed = typed;
    m_edit->setTime(t);
    return true;
}

bool WholeTimeTyping::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) m_replacing = false;
    if (watched != m_edit || event->type() != QEvent::KeyPress) return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    const bool digit = text.size() == 1 && text.at(0).isDigit();
    if (!m_replacing) {
        const QLineEdit *line = m_edit->findChild<QLineEdit *>();
        if (!digit || !line || line->text().isEmpty() || line->selectedText() != line->text()) return false;
        m_replacing = take(text);
        return m_replacing;
    }
    if (key->key() == Qt::Key_Backspace) {
        if (m_typed.size() > 1) take(m_typed.chopped(1));
        return true;
    }
    if (digit || text == QLatin1String(":")) {
        take(m_typed + text); // a key that cannot continue the time is ignored
        return true;
    }
    // Any other key (Enter, Tab, the arrows) ends the typing and does its own work.
    m_replacing = false;
    return false;
}

} // namespace zc
