// AuditWatch runs the audit's rules over the tables the unit's data is known in (after a
// read or a save of that area) and follows every change to them, so a finding goes as soon
// as the table no longer shows it. It fills each page's FindingsBar and, when a finding is
// chosen in a bar's Details list, selects the item, rows or records concerned.
#pragma once

#include "audit/audit_rules.h"
#include "history/history_model.h"
#include "ui/file_dialogs.h"

#include <QList>
#include <QObject>

class QTimer;

namespace zc {

class HistoryPage;
class NumberListPage;
class SettingsPage;

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
