// The command line's options for units behind a network serial server: the TLS files and
// the consent to a plain connection across a network, and the check made before any unit
// is touched.
#pragma once

#include "link/port_address.h"

#include <QString>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zc::cli {

struct RemoteArgs
{
    std::string ca, cert, key;
    bool plaintext = false;

    TlsFiles files() const;
};

void addRemoteOptions(CLI::App *cmd, RemoteArgs &a);

// "" when every port given may be used as given; else why not (nothing is opened then): a
// network form that does not read, a plain connection to another machine without
// --plaintext, TLS files without a TLS port, a client certificate without its key.
QString remoteProblem(const std::vector<std::string> &ports, const RemoteArgs &a);

} // namespace zc::cli
