// zarvento-cli identify: whose unit is on the port, by its SIM number and USB serial.
// CLI11 comes first: Qt's keyword macros must not reach it.
#include <CLI/CLI.hpp>

#include "cli/command_output.h"
#include "cli/commands/command_list.h"
#include "cli/json_reports.h"
#include "cli/units.h"
#include "settings/settings_model.h"
#include "sheets/json_envelope.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace zc::cli {

namespace {

class IdentifyCommand : public Command
{
public:
    IdentifyCommand()
        : Command("", "identify", "Print the unit's SIM number and its port's USB serial",
                  {Ports::One, true, false, {}})
    {
    }

    void addOptions(CLI::App &cmd, Units &units) override
    {
        units.addOptions(&cmd, declaration());
        cmd.add_flag("--json", m_json, "Print them as JSON");
    }

    Exit run(Units &units) override
    {
        UnitJob job(units.jobOptions(units.ports().front()));
        job.addOpenAndLogIn();
        job.addRead(Area::Settings);
        const Exit e = units.run({&job});
        if (e != Exit::Done) return e;
        const QString sim = job.settings().content(2).trimmed();
        const QString serial = job.resolved().usbSerial;
        if (m_json) {
            QJsonObject top = JsonEnvelope::document(QStringLiteral("identify"));
            top.insert(QStringLiteral("port"), job.port());
            top.insert(QStringLiteral("path"), job.resolved().path);
            top.insert(QStringLiteral("sim_number"), sim.isEmpty() ? QJsonValue() : QJsonValue(sim));
            top.insert(QStringLiteral("usb_serial"), serial.isEmpty() ? QJsonValue() : QJsonValue(serial));
            return outBytes(QJsonDocument(top).toJson(QJsonDocument::Indented)) ? Exit::Done : Exit::Usage;
        }
        const bool ok =
            outText(QStringLiteral("SIM number: ") +
                    (sim.isEmpty() ? QStringLiteral("not set (settings item 2 is empty)") : sim)) &&
            outText(
                QStringLiteral("USB serial: ") +
                (serial.isEmpty() ? QStringLiteral("none known for %1").arg(job.resolved().path) : serial));
        return ok ? Exit::Done : Exit::Usage;
    }

private:
    bool m_json = false;
};

} // namespace

std::unique_ptr<Command> makeIdentifyCommand()
{
    return std::make_unique<IdentifyCommand>();
}

} // namespace zc::cli
