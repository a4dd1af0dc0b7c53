#include "ui/window_signals.h"

#include "link/signal_watch.h"
#include "ui/main_window.h"
#include "words/area_words.h"
#include "words/left_behind.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace zc {

namespace {

// The lines for standard error: what the running operation left behind, and the edits lost.
QStringList signalAccount(int signalNumber, const std::optional<Outcome> &stopped, bool unsavedEdits)
{
    const QString how = endedBySignal(signalNumber);
    QStringList lines;
    if (stopped) {
        const Outcome &o = *stopped;
        switch (o.operation) {
        case Outcome::Operation::Transfer:
            if (o.writing) {
                const QString behind = leftBehind(o);
                lines << QStringLiteral("%1 while saving the %2: %3")
                             .arg(how, areaName(o.area),
                                  behind.isEmpty() ? QStringLiteral("every page was saved.") : behind);
            } else {
                lines << QStringLiteral("%1 while reading the %2; the unit keeps its data.")
                             .arg(how, areaName(o.area));
            }
            break;
        case Outcome::Operation::Delete:
            lines << QStringLiteral("%1 while deleting the history: %2").arg(how, leftBehind(o));
            break;
        case Outcome::Operation::Login:
        case Outcome::Operation::Request:
            lines << QStringLiteral("%1 while logging in; nothing was being written.").arg(how);
            break;
        }
    }
    if (unsavedEdits)
        lines << QStringLiteral("%1: the changes to the settings or the number list that were not saved to "
                                "the unit are lost.")
                     .arg(how);
    return lines;
}

} // namespace

void endWindowOnSignals(TForm1 &window)
{
    // Writes to a standard error nobody reads any more fail instead of ending the program.
    SignalWatch::ignoreBrokenPipes();
    new SignalWatch(
        [&window](int signalNumber) {
            const bool unsaved = window.holdsUnsavedChanges();
            const std::optional<Outcome> stopped = window.session().endForExit();
            for (const QString &line : signalAccount(signalNumber, stopped, unsaved)) {
                const QByteArray bytes = QStringLiteral("zarvento-configurator: %1\n").arg(line).toUtf8();
                std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
            }
            std::fflush(stderr);
            // Every event loop ends, an open dialog's included; the window is not asked to
            // close, so no question is put.
            QCoreApplication::exit(128 + signalNumber);
        },
        &window);
}

} // namespace zc
