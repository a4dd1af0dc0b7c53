#include "ui/widget_placing.h"

#include "ui/time_typing.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

namespace zc {

namespace {

// A click into a date or time field selects the part under it (year, month, hour...), so
// that digits typed next replace that part. Without it the cursor lands inside a part that is
// already full and the field takes no digit until the part is selected by a double click.
class SectionOnClick : public QObject
{
public:
    static void install(QDateTimeEdit *edit)
    {
        if (QLineEdit *line = edit->findChild<QLineEdit *>())
            line->installEventFilter(new SectionOnClick(edit));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            // After the field has placed its cursor for the click.
            QTimer::singleShot(0, m_edit, [edit = m_edit] {
                if (edit->hasFocus() && edit->currentSection() != QDateTimeEdit::NoSection)
                    edit->setSelectedSection(edit->currentSection());
            });
        }
        return false;
    }

private:
    explicit SectionOnClick(QDateTimeEdit *edit) : QObject(edit), m_edit(edit) {}
    QDateTimeEdit *m_edit;
};

// Names a new widget and puts it at its place.
template <typename W> W *placed(W *widget, const char *name, QRect geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

QPushButton *placeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    return placed(new QPushButton(caption, parent), name, geometry);
}

QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    return placed(new QLabel(caption, parent), name, geometry);
}

QDateEdit *placeDate(QWidget *parent, const char *name, QDate date, QRect geometry)
{
    auto *d = placed(new QDateEdit(date, parent), name, geometry);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    SectionOnClick::install(d);
    return d;
}

QTimeEdit *placeTime(QWidget *parent, const char *name, QTime time, QRect geometry)
{
    auto *t = placed(new QTimeEdit(time, parent), name, geometry);
    t->setDisplayFormat(QStringLiteral("H:mm:ss"));
    WholeTimeTyping::install(t);
    SectionOnClick::install(t);
    return t;
}

} // namespace zc
