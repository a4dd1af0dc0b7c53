#include "ui/widget_placing.h"

#include "ui/time_typing.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

namespace zc {

namespace {

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
    return d;
}

QTimeEdit *placeTime(QWidget *parent, const char *name, QTime time, QRect geometry)
{
    auto *t = placed(new QTimeEdit(time, parent), name, geometry);
    t->setDisplayFormat(QStringLiteral("H:mm:ss"));
    WholeTimeTyping::install(t);
    return t;
}

} // namespace zc
