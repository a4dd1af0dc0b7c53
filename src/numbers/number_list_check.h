// The check made before the list is saved: every row with a number that is neither marked
// for deletion nor always allowed needs all four date and time cells.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zc {

class NumbersModel;

// Empty when the list may be saved; otherwise the text to show in a message box:
// 'Wrong operation:please select "Always" or setting the Start-End date and time.Total:N',
// a lone carriage return, then "Wrong serial number:" and the first serials (see below).
// Only the presence of the four cells is checked, not their content.
QString ValidateNumberList(const NumbersModel &model);
// The rows that check finds wrong, ascending.
QList<int> wrongRows(const NumbersModel &model);

// The way list messages name rows: one to three items joined by ","; with four or more,
// the first three followed by ",....".
QString joinFirstThree(const QStringList &items);

} // namespace zc
