// What writing a table to the unit would change, one line per settings item or list row,
// in item or row order, as values: each area builds its own lines from the pages the unit
// holds and the pages a save would send. The window's questions and the command line's diff
// word the same lines (words/diff_words.h).
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
        QString name; // the settings item's name; empty for a list row
        // What the unit holds and what the save would send: a settings item's shown
        // content, or a list row's cells in column order.
        QStringList before, after;
    };
    QList<Line> lines;

    bool isEmpty() const { return lines.isEmpty(); }
    int count(Kind kind) const
    {
        int n = 0;
        for (const Line &l : lines)
            n += l.kind == kind;
        return n;
    }
};

} // namespace zc
