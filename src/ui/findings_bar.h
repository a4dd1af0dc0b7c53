// The audit's findings in the window. Each device page has a FindingsBar: a one-line strip
// above its grid, such as "2 risks: factory password; every caller may open the gate", with
// a Details list whose entries select the item, rows or records concerned. It is hidden
// while its page has nothing to show, asks nothing and blocks nothing.
#pragma once

#include "audit/audit_rules.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;

namespace zc {

class FindingsBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindingsBar(QWidget *parent = nullptr);

    // For a page whose widgets sit at fixed places: while shown, the bar takes the top of
    // grid's place and the grid gives it up; hidden, the grid has its place back.
    void placeAbove(QWidget *grid);

    void setFindings(const QList<Audit::Finding> &findings);
    const QList<Audit::Finding> &findings() const { return m_findings; }
    QString text() const;

    // Choosing a finding in the Details list.
    std::function<void(const Audit::Finding &)> onChosen;

private:
    void showDetails();
    void fitGrid();

    QList<Audit::Finding> m_findings;
    QLabel *m_text = nullptr;
    QPushButton *m_details = nullptr;
    QMenu *m_menu = nullptr;
    QPointer<QWidget> m_grid;
    QRect m_gridPlace;
};

} // namespace zc
