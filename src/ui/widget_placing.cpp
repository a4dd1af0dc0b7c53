#include "ui/widget_placing.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

namespace zc {

QPushButton *placeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QDateEdit *placeDate(QWidget *parent, const char *name, QDate date, QRect geometry)
{
    auto *d = new QDateEdit(date, parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    d->setGeometry(geometry);
    return d;
}

QTimeEdit *placeTime(QWidget *parent, const char *name, QTime time, QRect geometry)
{
    auto *t = new QTimeEdit(time, parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setDisplayFormat(QStringLiteral("H:mm:ss"));
    t->setGeometry(geometry);
    return t;
}

} // namespace zc
