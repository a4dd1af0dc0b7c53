// What writing a table to the unit would change, one line per settings item or list row,
// in item or row order. Each area builds its own lines from the pages the unit holds and
// the pages a save would send; the window's questions and the command line's diff show
// the same lines.
#pragma once

#include "link/address_map.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace zc {

// One page of an area as it travels on the wire.
using PageBytes = std::array<std::uint8_t, kPageSize>;

struct AreaDiff
{
    // Something where the unit holds nothing is added, nothing where it holds something is
    // removed, any other difference is a change.
    enum class Kind { Added, Changed, Removed };
    struct Line
    {
        Kind kind;
        int at;       // the settings item or list row
        QString text; // "row 12: 5550101 always → (empty)"
    };
    QList<Line> lines;

    // How an empty item or row is shown in a line.
    static QString shown(const QString &text) { return text.isEmpty() ? QStringLiteral("(empty)") : text; }

    bool isEmpty() const { return lines.isEmpty(); }
    int count(Kind kind) const
    {
        int n = 0;
        for (const Line &l : lines)
            n += l.kind == kind;
        return n;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Line &l : lines)
            out << l.text;
        return out;
    }
    // The lines under the headings "Removed (n):", "Changed (n):" and "Added (n):", the
    // losses first.
    QString details() const
    {
        QStringList out;
        const auto group = [&](Kind kind, const char *heading) {
            const int n = count(kind);
            if (n == 0) return;
            if (!out.isEmpty()) out << QString();
            out << QStringLiteral("%1 (%2):").arg(QLatin1String(heading)).arg(n);
            for (const Line &l : lines)
                if (l.kind == kind) out << l.text;
        };
        group(Kind::Removed, "Removed");
        group(Kind::Changed, "Changed");
        group(Kind::Added, "Added");
        return out.join(QLatin1Char('\n'));
    }
};

} // namespace zc
