// Typing a whole time over a time field whose text is all selected (after Ctrl+A, say)
// replaces the time: "08:30:00", "8:30:00" and "083000" all give 8:30:00. The field's own
// typing goes section by section from where the cursor is and would keep parts of the
// old time (23:45:12 became 23:30:00).
#pragma once

#include <QObject>
#include <QString>

class QTimeEdit;

namespace zc {

class WholeTimeTyping : public QObject
{
public:
    static void install(QTimeEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WholeTimeTyping(QTimeEdit *edit);
    // Takes typed as the time typed so far; false when no time starts so.
    bool take(const QString &typed);

    QTimeEdit *m_edit;
    QString m_typed;
    bool m_replacing = false;
};

} // namespace zc
