#include "common/recording_reporter.h"

#include <utility>

namespace zc::test {

QStringList RecordingReporter::statuses() const
{
    QStringList out;
    for (const auto &e : m_events)
        if (e.kind == Event::Status) out << e.text;
    return out;
}

QStringList RecordingReporter::messages() const
{
    QStringList out;
    for (const auto &e : m_events)
        if (e.kind >= Event::Box) out << e.text;
    return out;
}

bool RecordingReporter::lastPromptDefaultsToCancel() const
{
    for (auto e = m_events.rbegin(); e != m_events.rend(); ++e)
        if (e->kind == Event::Question || e->kind == Event::Warning) return e->cancelByDefault;
    return false;
}

bool RecordingReporter::modal(Event::Kind kind, const QString &text, bool cancelByDefault,
                              const QString &details)
{
    m_events.push_back({kind, text, 0, cancelByDefault, details});
    if ((kind == Event::Question || kind == Event::Warning) && whileAsking) std::exchange(whileAsking, {})();
    if (m_expected.empty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected message: \"%1\"").arg(text)), __FILE__, __LINE__);
        return false;
    }
    const Expected e = m_expected.front();
    m_expected.pop_front();
    if (e.prefix ? !text.startsWith(e.text) : e.text != text)
        QTest::qFail(qPrintable(QStringLiteral("message \"%1\", expected \"%2\"").arg(text, e.text)),
                     __FILE__, __LINE__);
    return e.enter ? !cancelByDefault : e.answer;
}

} // namespace zc::test
