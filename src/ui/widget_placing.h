// Placing widgets as the pages lay them out: at fixed places, each with its object name.
#pragma once

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

namespace zc {

// A push button with an object name at a fixed place.
QPushButton *placeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry);

} // namespace zc
