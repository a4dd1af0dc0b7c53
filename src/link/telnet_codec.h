// The telnet layer of an RFC 2217 connection to a network serial server (ser2net's
// telnet(rfc2217) accepter), as pure byte transformations. The client asks for binary mode
// both ways and offers the COM-port option; once the server agrees to that option, it sets
// the line to 115200 8N1 without flow control. It never waits for an answer: a server that
// does not send one (ser2net on a pseudo-terminal leaves some unanswered) holds nothing up.
// Data bytes 0xFF go out doubled and come in undoubled; commands and subnegotiations are
// taken out of the received data.
#pragma once

#include <QByteArray>
#include <bitset>
#include <cstdint>

namespace zc {

class TelnetCodec
{
public:
    enum : std::uint8_t {
        SE = 240,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255,
        BINARY = 0,
        SGA = 3,
        COM_PORT_OPTION = 44,
    };
    // COM-PORT-OPTION subnegotiation commands (client to server).
    enum : std::uint8_t {
        SET_BAUDRATE = 1,
        SET_DATASIZE = 2,
        SET_PARITY = 3,
        SET_STOPSIZE = 4,
        SET_CONTROL = 5
    };

    // What the client sends as soon as the connection stands.
    QByteArray opening();
    // Data to send, 0xFF doubled.
    static QByteArray encode(const QByteArray &data);
    // Takes received bytes (any split) and returns the data in them; what the client answers
    // to the server's negotiation is appended to reply, to be sent at once.
    QByteArray decode(const QByteArray &in, QByteArray &reply);

    // The line settings, sent once the server agrees to the COM-port option.
    static QByteArray lineSettings(std::uint32_t baud = 115200);

private:
    void negotiate(std::uint8_t verb, std::uint8_t option, QByteArray &reply);

    enum class State { Data, Iac, Verb, Sub, SubIac };
    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::bitset<256> m_willSent, m_doSent;   // what we asked for or agreed to
    std::bitset<256> m_wontSent, m_dontSent; // what we refused
    bool m_settingsSent = false;
};

} // namespace zc
