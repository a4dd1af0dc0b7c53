// How a simulated unit starts and which faults it injects. Request numbers K count the
// valid request frames the unit received, from 1; 0 switches a fault off.
#pragma once

#include "devsim/presets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zc::devsim {

struct Options
{
    Preset preset = Preset::Factory;
    QStringList seeds;    // audit rules whose cases are put into the preset (see seedImage)
    QString imagePath;    // load at start when present, save after every change
    QString usbSerial;    // the USB serial number a published unit shows in the port list
    int baud = 0;         // 0: answer at once; else pace requests and replies at this line speed
    int delayMs = 0;      // pause before every reply
    int refuseWrite = 0;  // request K, when a write block or delete history, is refused
    int dropReply = 0;    // request K gets no reply (what it asked for still happens)
    int corruptReply = 0; // the checksum of reply K is inverted
    int corruptStore = 0; // request K, when a write block, is acknowledged but stored with a byte changed
    int vanishAfter = 0;  // after answering request K the unit closes its pseudo-terminal
    bool split = false;   // every reply goes out in 3 to 5 pieces with pauses of a few ms
    bool noise = false;   // a few garbage bytes (never 0x23) before every reply
    bool falseHeaders = false; // the noise also holds a false frame header: 0x23 and a length up to 256
    int duplicateReply = 0;    // reply K is sent twice, back to back
    int strayAck = 0;          // before reply K (or in its place when dropped) comes a write
                               // acknowledgement for another address
    int lateReply = 0;         // request K is answered lateMs later than the others
    int lateMs = 0;
    int injectAt = 0; // request K's reply carries these bytes (sent alone when it has no reply)
    QByteArray inject;
    int injectOffset = 0; // where in the reply's bytes they go: 0 before it, a larger number inside it
    int trickleFrom = 0;  // from request K on the unit answers nothing and sends two stray bytes
                          // (never 0x23) a second, without end
};

} // namespace zc::devsim
