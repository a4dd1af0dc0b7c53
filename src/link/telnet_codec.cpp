#include "link/telnet_codec.h"

namespace zc {

namespace {

void command(QByteArray &out, std::uint8_t verb, std::uint8_t option)
{
    out.append(char(TelnetCodec::IAC));
    out.append(char(verb));
    out.append(char(option));
}

void subnegotiation(QByteArray &out, std::uint8_t code, const QByteArray &value)
{
    out.append(char(TelnetCodec::IAC));
    out.append(char(TelnetCodec::SB));
    out.append(char(TelnetCodec::COM_PORT_OPTION));
    out.append(char(code));
    out.append(TelnetCodec::encode(value));
    out.append(char(TelnetCodec::IAC));
    out.append(char(TelnetCodec::SE));
}

// The options this side uses, and those it lets the server use.
bool wantedHere(std::uint8_t option)
{
    return option == TelnetCodec::BINARY || option == TelnetCodec::COM_PORT_OPTION;
}
bool wantedThere(std::uint8_t option)
{
    return option == TelnetCodec::BINARY || option == TelnetCodec::SGA;
}

} // namespace

QByteArray TelnetCodec::opening()
{
    QByteArray out;
    command(out, WILL, BINARY);
    command(out, DO, BINARY);
    command(out, WILL, COM_PORT_OPTION);
    m_willSent.set(BINARY);
    m_willSent.set(COM_PORT_OPTION);
    m_doSent.set(BINARY);
    return out;
}

QByteArray TelnetCodec::lineSettings(std::uint32_t baud)
{
    QByteArray out;
    const char rate[4] = {char(baud >> 24), char(baud >> 16), char(baud >> 8), char(baud)};
    subnegotiation(out, SET_BAUDRATE, QByteArray(rate, 4));
    subnegotiation(out, SET_DATASIZE, QByteArray(1, char(8)));
    subnegotiation(out, SET_PARITY, QByteArray(1, char(1)));   // none
    subnegotiation(out, SET_STOPSIZE, QByteArray(1, char(1))); // one stop bit
    subnegotiation(out, SET_CONTROL, QByteArray(1, char(1)));  // no flow control
    return out;
}

QByteArray TelnetCodec::encode(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(IAC)));
    for (const char c : data) {
        out.append(c);
        if (std::uint8_t(c) == IAC) out.append(c);
    }
    return out;
}

QByteArray TelnetCodec::decode(const QByteArray &in, QByteArray &reply)
{
    QByteArray data;
    data.reserve(in.size());
    for (const char c : in) {
        const auto b = std::uint8_t(c);
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                data.append(c);
            break;
        case State::Iac:
            if (b == IAC) {
                data.append(c);
                m_state = State::Data;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == SB) {
                m_state = State::Sub;
            } else {
                m_state = State::Data; // NOP, GA, BRK and the like carry nothing here
            }
            break;
        case State::Verb:
            negotiate(m_verb, b, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            // The server's answers and notifications (line and modem state) are not needed.
            if (b == IAC) m_state = State::SubIac;
            break;
        case State::SubIac:
            m_state = b == SE ? State::Data : State::Sub;
            break;
        }
    }
    return data;
}

// Answers only where the state changes, so two sides never echo each other without end.
void TelnetCodec::negotiate(std::uint8_t verb, std::uint8_t option, QByteArray &reply)
{
    switch (verb) {
    case DO:
        if (wantedHere(option)) {
            if (!m_willSent.test(option)) command(reply, WILL, option);
            m_willSent.set(option);
            if (option == COM_PORT_OPTION && !m_settingsSent) {
                m_settingsSent = true;
                reply.append(lineSettings());
            }
        } else if (!m_wontSent.test(option)) {
            m_wontSent.set(option);
            command(reply, WONT, option);
        }
        break;
    case DONT:
        if (m_willSent.test(option)) {
            m_willSent.reset(option);
            command(reply, WONT, option);
        }
        break;
    case WILL:
        if (wantedThere(option)) {
            if (!m_doSent.test(option)) command(reply, DO, option);
            m_doSent.set(option);
        } else if (!m_dontSent.test(option)) {
            m_dontSent.set(option);
            command(reply, DONT, option);
        }
        break;
    case WONT:
        if (m_doSent.test(option)) {
            m_doSent.reset(option);
            command(reply, DONT, option);
        }
        break;
    default:
        break;
    }
}

} // namespace zc
