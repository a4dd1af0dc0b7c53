// zarvento-devsim: a simulated GSM relay unit on a pseudo-terminal, for trying the tool
// without hardware and for testing it against every fault a real line can show.
#include "devsim/simulator.h"
#include "link/published_devices.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <optional>
#include <pthread.h>

using namespace zc::devsim;

namespace {

constexpr const char *kUsage =
    "usage: zarvento-devsim --link PATH | --publish NAME [--usb-serial TEXT]\n"
    "                       [--preset factory|blank|demo|clean] [--seed RULE]...\n"
    "                       [--image FILE] [--baud N] [--delay MS] [--refuse-write K]\n"
    "                       [--drop-reply K] [--corrupt-reply K] [--corrupt-store K]\n"
    "                       [--split] [--noise]\n"
    "                       [--vanish-after K] [--late K:MS] [--inject K:HEX[:OFFSET]]\n"
    "                       [--false-headers] [--duplicate-reply K] [--stray-ack K]\n"
    "                       [--trickle-from K]\n";

int usageError(const QString &message)
{
    std::fprintf(stderr, "zarvento-devsim: %s\n%s", qPrintable(message), kUsage);
    return 2;
}

// A whole number >= minimum, or nothing.
std::optional<int> number(const QString &text, int minimum)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= minimum ? std::optional<int>(v) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // The signals that end the program are taken by sigwait() below; block them before any
    // thread starts so that no other thread receives them.
    sigset_t quitSignals;
    sigemptyset(&quitSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&quitSignals, s);
    pthread_sigmask(SIG_BLOCK, &quitSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zarvento-devsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated GSM relay unit on a pseudo-terminal."));
    auto option = [](const char *name, const char *text, const char *value = nullptr) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(text));
        if (value) o.setValueName(QString::fromLatin1(value));
        return o;
    };
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const auto link = option("link", "Make PATH a link to the unit's port.", "PATH");
    const auto publish = option("publish", "Offer the unit in the tool's port list as NAME.", "NAME");
    const auto usbSerial = option(
        "usb-serial", "With --publish, the USB serial number the port list shows for the unit.", "TEXT");
    const auto preset = option("preset", "Start as factory (default), blank, demo or clean unit.", "NAME");
    const auto seed = option("seed",
                             "Put the case of the audit rule RULE into the unit (repeatable), e.g. "
                             "--preset clean --seed factory-password.",
                             "RULE");
    const auto image =
        option("image", "Load the memory from FILE when it exists; save every change.", "FILE");
    const auto baud = option("baud", "Line speed to emulate (0: none).", "N");
    const auto delay = option("delay", "Pause before every reply.", "MS");
    const auto refuse = option("refuse-write", "Refuse request K when it writes or deletes.", "K");
    const auto drop = option("drop-reply", "Do not answer request K.", "K");
    const auto corrupt = option("corrupt-reply", "Send reply K with a wrong checksum.", "K");
    const auto corruptStore =
        option("corrupt-store", "Acknowledge the page of request K but store it with a byte changed.", "K");
    const auto vanish = option("vanish-after", "Close the port after answering request K.", "K");
    const auto split = option("split", "Send every reply in pieces with short pauses.");
    const auto noise = option("noise", "Send garbage before every reply.");
    const auto late = option("late", "Answer request K MS milliseconds later than the others.", "K:MS");
    const auto inject = option("inject",
                               "Put the bytes HEX into reply K at OFFSET (0: before it); "
                               "sent alone when K gets no reply.",
                               "K:HEX[:OFFSET]");
    const auto falseHeaders =
        option("false-headers", "With --noise, the garbage holds a false frame header.");
    const auto duplicate = option("duplicate-reply", "Send reply K twice.", "K");
    const auto stray =
        option("stray-ack", "Send a write acknowledgement for another address before reply K.", "K");
    const auto trickle =
        option("trickle-from", "From request K on, answer nothing and send two stray bytes a second.", "K");
    parser.addOptions({seed});
    parser.addOptions({help,  link,   publish, usbSerial,    preset,       image,  baud,
                       delay, refuse, drop,    corrupt,      corruptStore, vanish, split,
                       noise, late,   inject,  falseHeaders, duplicate,    stray,  trickle});

    if (!parser.parse(QCoreApplication::arguments())) return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (!parser.isSet(link) && !parser.isSet(publish))
        return usageError(QStringLiteral("give --link PATH (or --publish NAME)"));

    Options options;
    if (parser.isSet(usbSerial)) {
        options.usbSerial = parser.value(usbSerial);
        if (!parser.isSet(publish)) return usageError(QStringLiteral("--usb-serial needs --publish NAME"));
        // One line of visible characters, as a USB serial number is.
        static const QRegularExpression kSerial(QStringLiteral("^[!-~]{1,126}$"));
        if (!kSerial.match(options.usbSerial).hasMatch())
            return usageError(
                QStringLiteral("--usb-serial needs 1 to 126 visible ASCII characters, without spaces"));
    }
    const QString presetName = parser.isSet(preset) ? parser.value(preset) : QStringLiteral("factory");
    const auto chosen = presetFromName(presetName);
    if (!chosen) return usageError(QStringLiteral("unknown preset '%1'").arg(presetName));
    options.preset = *chosen;
    for (const QString &rule : parser.values(seed)) {
        if (!seedNames().contains(rule))
            return usageError(
                QStringLiteral("unknown seed '%1'; one of: %2").arg(rule, seedNames().join(u' ')));
        options.seeds << rule;
    }
    options.imagePath = parser.value(image);
    struct Numeric
    {
        const QCommandLineOption &option;
        int *target;
        int minimum;
    };
    for (const Numeric &n :
         {Numeric{baud, &options.baud, 0}, Numeric{delay, &options.delayMs, 0},
          Numeric{refuse, &options.refuseWrite, 1}, Numeric{drop, &options.dropReply, 1},
          Numeric{corrupt, &options.corruptReply, 1}, Numeric{corruptStore, &options.corruptStore, 1},
          Numeric{vanish, &options.vanishAfter, 1}, Numeric{duplicate, &options.duplicateReply, 1},
          Numeric{stray, &options.strayAck, 1}, Numeric{trickle, &options.trickleFrom, 1}}) {
        if (parser.isSet(n.option)) {
            const auto v = number(parser.value(n.option), n.minimum);
            if (!v)
                return usageError(QStringLiteral("--%1 needs a whole number of at least %2")
                                      .arg(n.option.names().first())
                                      .arg(n.minimum));
            *n.target = *v;
        }
    }
    if (parser.isSet(late)) {
        const QStringList parts = parser.value(late).split(u':');
        const auto k = parts.size() == 2 ? number(parts[0], 1) : std::nullopt;
        const auto ms = parts.size() == 2 ? number(parts[1], 0) : std::nullopt;
        if (!k || !ms) return usageError(QStringLiteral("--late needs K:MS"));
        options.lateReply = *k;
        options.lateMs = *ms;
    }
    if (parser.isSet(inject)) {
        const QStringList parts = parser.value(inject).split(u':');
        const auto k = parts.size() >= 2 ? number(parts[0], 1) : std::nullopt;
        const auto at = parts.size() == 3 ? number(parts[2], 0) : std::optional<int>(0);
        const QByteArray bytes = parts.size() >= 2 ? QByteArray::fromHex(parts[1].toLatin1()) : QByteArray();
        if (!k || !at || bytes.isEmpty() || parts.size() > 3)
            return usageError(QStringLiteral("--inject needs K:HEX or K:HEX:OFFSET"));
        options.injectAt = *k;
        options.inject = bytes;
        options.injectOffset = *at;
    }
    options.split = parser.isSet(split);
    options.noise = parser.isSet(noise) || parser.isSet(falseHeaders);
    options.falseHeaders = parser.isSet(falseHeaders);

    Simulator simulator(options);
    QString error;
    if (!simulator.start(parser.value(link), &error) ||
        (parser.isSet(publish) && !simulator.publish(parser.value(publish), &error))) {
        std::fprintf(stderr, "zarvento-devsim: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stdout, "%s\n", qPrintable(simulator.ptyPath()));
    std::fflush(stdout);
    std::fprintf(stderr, "zarvento-devsim: answering on %s%s%s; stop with Ctrl+C\n",
                 qPrintable(simulator.ptyPath()), parser.isSet(link) ? " via " : "",
                 qPrintable(parser.value(link)));

    int signal = 0;
    while (sigwait(&quitSignals, &signal) != 0) {
    }
    simulator.stop();
    return 0;
}
