// A Reporter for tests: records every status text, progress value and message, answers
// questions with preset answers at once, and fails the running test on any message box,
// dialog or question it was not told to expect.
#pragma once

#include "words/reporter.h"

#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>

namespace zc::test {

class RecordingReporter : public Reporter
{
public:
    struct Event
    {
        enum Kind { Status, StatusDirect, Progress, Box, Dialog, Question, Warning } kind;
        QString text;
        int value = 0;
        // For questions and warnings: the box offered Cancel as its default button.
        bool cancelByDefault = false;
        QString details = {}; // what the box offered under its Details button
    };

    // Expect a modal message (box, dialog, question or warning) with this text next.
    // For questions and warnings the answer given is `answer`.
    void expect(const QString &text, bool answer = true) { m_expected.push_back({text, answer, false}); }
    // Expect a modal message whose text starts with prefix.
    void expectStartsWith(const QString &prefix, bool answer = true)
    {
        m_expected.push_back({prefix, answer, true});
    }
    // Expect a question or warning whose text starts with prefix, answered as Enter answers
    // it: with the box's default button.
    void expectEnter(const QString &prefix) { m_expected.push_back({prefix, false, true, true}); }
    bool allExpectedSeen() const { return m_expected.empty(); }
    // Runs while a question or warning is open, before it is answered: what a modal loop
    // would let happen meanwhile (the unit going away, say).
    std::function<void()> whileAsking;

    void setStatus(const QString &text) override
    {
        record(Event::Status, text);
        m_status = text;
    }
    void setStatusDirect(const QString &text) override
    {
        record(Event::StatusDirect, text);
        m_status = text;
    }
    void setProgress(int value) override
    {
        m_events.push_back({Event::Progress, {}, value});
        m_progress.push_back(value);
    }
    void messageBox(const QString &text) override { modal(Event::Box, text); }
    void messageDialog(const QString &text) override { modal(Event::Dialog, text); }
    bool question(const QString &text) override { return modal(Event::Question, text); }
    bool warningOkCancel(const QString &text) override { return modal(Event::Warning, text); }
    bool confirm(const QString &text, Prompt kind, Default byDefault, const QString &details = {}) override
    {
        return modal(kind == Prompt::Warning ? Event::Warning : Event::Question, text,
                     byDefault == Default::Cancel, details);
    }

    const std::vector<Event> &events() const { return m_events; }
    // The last question or warning shown offered Cancel as its default.
    bool lastPromptDefaultsToCancel() const;
    QStringList statuses() const; // texts set through setStatus, in order
    QStringList messages() const; // texts of all modal messages, in order
    QList<int> progress() const { return m_progress; }
    QString lastStatus() const { return m_status; }
    void clear()
    {
        m_events.clear();
        m_progress.clear();
    }

private:
    void record(Event::Kind kind, const QString &text) { m_events.push_back({kind, text, 0}); }
    bool modal(Event::Kind kind, const QString &text, bool cancelByDefault = false,
               const QString &details = {});

    struct Expected
    {
        QString text;
        bool answer;
        bool prefix;
        bool enter = false; // answered by the default button
    };
    std::deque<Expected> m_expected;
    std::vector<Event> m_events;
    QList<int> m_progress;
    QString m_status;
};

} // namespace zc::test
