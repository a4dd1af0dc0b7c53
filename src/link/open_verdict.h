// How opening a port ended, as the serial port and the network port both tell it: the result,
// TComm's message, and why as facts (words/port_words.h words them).
#pragma once

#include "link/port_problem.h"

#include <QString>
#include <stdexcept>

namespace zc {

// How an open ended. A network port tells all four apart: in use (the server serves another
// client, or closed the connection at once), refused (a certificate, the server's own device,
// the address), unreachable (nothing listens, no such host, no answer). A serial port that
// does not open is Refused, whatever its problem says.
enum class OpenResult { Open, InUse, Refused, Unreachable };

class ECommsError : public std::runtime_error
{
public:
    explicit ECommsError(const QString &message, const PortProblem &problem = {},
                         OpenResult result = OpenResult::Refused)
        : std::runtime_error(message.toStdString()), m_message(message), m_problem(problem), m_result(result)
    {
    }
    QString message() const { return m_message; }
    // Why, as facts (permission, port held by another program, no such device, a certificate
    // refused, nothing listening); Kind::None when nothing more is known.
    const PortProblem &problem() const { return m_problem; }
    OpenResult result() const { return m_result; }

private:
    QString m_message;
    PortProblem m_problem;
    OpenResult m_result = OpenResult::Refused;
};

// An open's verdict as a value: open, or why not (what OpenPort would have thrown).
struct OpenVerdict
{
    OpenResult result = OpenResult::Open;
    QString message;     // as ECommsError::message(); empty when open
    PortProblem problem; // as ECommsError::problem()
    bool open() const { return result == OpenResult::Open; }
};

} // namespace zc
