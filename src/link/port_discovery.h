// The port list: the serial ports the system knows (a CP210x bridge shows as ttyUSB0)
// followed by the simulated units that zarvento-devsim publishes in its runtime folder.
#pragma once

#include <QList>
#include <QString>

namespace zc {

struct PortEntry
{
    QString display; // what the port list shows
    QString path;    // what is opened
};

class Trecognitionserial
{
public:
    QList<PortEntry> discover() const;
};

} // namespace zc
