// zarvento-cli ports: the ports the window would offer, one per line or as JSON.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/json_reports.h"
#include "sheets/json_envelope.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zc::cli {

namespace {

class PortsCommand : public Command
{
public:
    PortsCommand()
        : Command("", "ports", "List the ports the window would offer, one per line",
                  {Ports::None, true, false, {}})
    {
    }

    void addOptions(CLI::App &cmd, Units &) override { cmd.add_flag("--json", m_json, "Print them as JSON"); }

    Exit run(Units &) override
    {
        const QList<PortName> list = listPorts();
        if (m_json) {
            QJsonArray a;
            const auto orNull = [](const QString &s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
            for (const PortName &p : list)
                a.append(QJsonObject{{QStringLiteral("name"), p.name},
                                     {QStringLiteral("path"), p.path},
                                     {QStringLiteral("usb_serial"), orNull(p.usbSerial)},
                                     {QStringLiteral("vid_pid"), orNull(p.vidPid)},
                                     {QStringLiteral("by_id"), orNull(p.byId)}});
            QJsonObject top = JsonEnvelope::document(QStringLiteral("ports"));
            top.insert(QStringLiteral("ports"), a);
            return outBytes(QJsonDocument(top).toJson(QJsonDocument::Indented)) ? Exit::Done : Exit::Usage;
        }
        // Name, path, USB serial, VID:PID and by-id link, tab-separated; "-" where unknown.
        const auto field = [](const QString &s) { return s.isEmpty() ? QStringLiteral("-") : s; };
        for (const PortName &p : list)
            if (!outText(QStringList{p.name, p.path, field(p.usbSerial), field(p.vidPid), field(p.byId)}.join(
                    u'\t')))
                return Exit::Usage;
        return Exit::Done;
    }

private:
    bool m_json = false;
};

} // namespace

std::unique_ptr<Command> makePortsCommand()
{
    return std::make_unique<PortsCommand>();
}

} // namespace zc::cli
