// The window's and the command line's words for what a save's checks find: the questions
// before a save that keeps a number in several rows or cuts a text, and the refusal of a
// list whose rows lack their window.
#pragma once

#include "numbers/number_save_checks.h"
#include "settings/settings_check.h"

#include <QList>
#include <QString>

namespace zc {

class NumbersModel;
class TtelephoneSend;

namespace SaveWords {

// "2 numbers are kept in more than one row:", a line a number naming its rows (at most ten,
// then how many more), ending "Save the list anyway?"; empty when there is none.
QString duplicateQuestion(const QList<NumberSaveChecks::Duplicate> &duplicates);

// "These texts are longer than the unit keeps and would be cut:", a line a text (its size,
// what the unit keeps, what would be lost), ending "Save the settings anyway?"; empty when
// nothing is cut.
QString cutQuestion(const QList<SettingsCheck::CutText> &cut);

// The refusal of a list whose rows (wrongRows) lack a window, naming their serials; empty
// when there is none.
QString missingWindows(const NumbersModel &model, const QList<int> &rows);

// Why the last prepared save of the list was refused: the missing windows in the words
// above, otherwise the rows the entry check refused (TtelephoneSend::refusal).
QString listRefusal(const TtelephoneSend &send, const NumbersModel &model);

} // namespace SaveWords
} // namespace zc
