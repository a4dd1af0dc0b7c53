// The find bar above the number list grid: a field (`edt_find`) that takes digits and "+",
// highlights every row whose number holds them and goes to the first; "Only matching rows"
// (`chk_matching`) hides the others from view only, so the rows keep their slot numbers
// and saves, exports and undo still work on the whole list; a count (`lbl_findcount`) of
// the rows in use and found; and "First free row" (`btn_firstfree`).
#pragma once

#include <QList>
#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zc {

class NumberListEditor;
class NumbersModel;

class NumberFindBar : public QWidget
{
    Q_OBJECT
public:
    NumberFindBar(NumbersModel *model, NumberListEditor *editor, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    const QList<int> &matches() const { return m_matches; }

    // Ctrl+F: the field takes the focus with its text selected.
    void focusField();
    // Enter and F3 (forward), Shift+F3 (back): the next match after the current row becomes
    // the current row, wrapping round.
    void goToMatch(bool forward);
    // The first row without a number becomes the current cell, ready for typing; false
    // when every row holds one.
    bool goToFirstFreeRow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Finds the field's text again after it or the numbers changed.
    void refresh(bool scrollToFirst);
    void applyFilter();
    void goTo(int row);

    NumbersModel *m_model;
    NumberListEditor *m_editor;
    QLineEdit *m_field;
    QCheckBox *m_only;
    QLabel *m_count;
    QPushButton *m_free;
    QList<int> m_matches;
    std::vector<char> m_found; // per table row: matched
    bool m_filtered = false;   // rows are hidden now
};

} // namespace zc
