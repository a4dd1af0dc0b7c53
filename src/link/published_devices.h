// Simulated units announce themselves as symbolic links in one runtime folder, so the
// tool's port list can offer them by name (a pseudo-terminal is never listed by the system).
#pragma once

#include <QList>
#include <QString>

namespace zc {

struct PublishedDevice
{
    QString name; // the link's file name
    QString path; // the link itself, which opens the pseudo-terminal
};

// $XDG_RUNTIME_DIR/zarvento-devsim when that folder exists, else /tmp/zarvento-devsim-<uid>.
QString publishDir();
// The live links in publishDir(), sorted by name; dangling links are skipped.
QList<PublishedDevice> publishedDevices();

} // namespace zc
