// Placing widgets as the pages lay them out: at fixed places, each with its object name.
#pragma once

#include <QDate>
#include <QRect>
#include <QString>
#include <QTime>

class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;
class QWidget;

namespace zc {

// A push button with an object name at a fixed place.
QPushButton *placeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry);

// A label with an object name at a fixed place.
QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, QRect geometry);

// A date field (yyyy-MM-dd, with a calendar) and a time field (H:mm:ss, a whole time typed
// over its selected text replaces it) at fixed places.
QDateEdit *placeDate(QWidget *parent, const char *name, QDate date, QRect geometry);
QTimeEdit *placeTime(QWidget *parent, const char *name, QTime time, QRect geometry);

} // namespace zc
