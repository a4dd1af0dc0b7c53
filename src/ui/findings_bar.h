// The audit's findings in the window. Each device page has a FindingsBar: a one-line strip
// above its grid, such as "2 risks: factory password; every caller may open the gate", with
// a Details list whose entries select the item, rows or records concerned. It is hidden
// while its page has nothing to show, asks nothing and blocks nothing.
//
// AuditWatch runs the rules over the tables the unit's data is known in (after a read or a
// save of that area) and follows every change to them, so a finding goes as soon as the
// table no longer shows it.
#pragma once

#include "audit/audit_rules.h"
#include "ui/file_dialogs.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace zc {

class HistoryPage;
class NumberListPage;
class SettingsPage;

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

class AuditWatch : public QObject
{
    Q_OBJECT
public:
    // clock may be empty: the local time is used.
    AuditWatch(SettingsPage &settings, NumberListPage &numbers, HistoryPage &history, Clock clock = {},
               QObject *parent = nullptr);

    // Runs the rules again now (it also runs on its own after every change).
    void evaluate();

private:
    void schedule();
    void choose(const Audit::Finding &finding);

    SettingsPage &m_settings;
    NumberListPage &m_numbers;
    HistoryPage &m_history;
    Clock m_clock;
    unsigned m_known = 0;              // Audit::Needs of the tables that hold the unit's data
    QList<HistoryModel::Record> m_log; // the log as the last completed read found it
    QTimer *m_timer = nullptr;
};

} // namespace zc
