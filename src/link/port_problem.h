// Why a port would not open, or was lost, as facts: the kind and the names and values the
// user needs. The window and the command line word them (words/port_words.h).
#pragma once

#include <QMetaType>
#include <QString>

namespace zc {

struct PortProblem
{
    enum class Kind {
        None,
        NoPortChosen, // no port name was given
        NoDevice,     // there is no device at `path`
        NotAllowed,   // the user may not use `path`; joining `group` would let them
        OwnedByOther, // `path` belongs to `owner`:`group` with `mode`: joining a group does not help
        InUse,        // another program holds `path`
        NotSerial,    // `path` is not a serial port
        Failed,       // `path` would not open: `detail` is the system's text
        BadAddress,   // the port name `path` is no network address: `detail` says why
        Lost,         // the device `path` went away while open
        LostRemote,   // the connection to `path` was lost: `detail` says how
    };
    PortProblem() = default;
    PortProblem(Kind kind, const QString &path = {}, const QString &detail = {})
        : kind(kind), path(path), detail(detail)
    {
    }

    Kind kind = Kind::None;
    QString path; // the device, or the port name as given
    QString detail;
    QString owner, group, mode; // NotAllowed: group; OwnedByOther: all three
};

} // namespace zc

Q_DECLARE_METATYPE(zc::PortProblem)
