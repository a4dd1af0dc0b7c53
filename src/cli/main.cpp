// zarvento-cli: the command-line program for scripts and fleets of units.
#include "cli/commands.h"
#include "link/signal_watch.h"

#include <QCoreApplication>

#include <clocale>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The application took the user's locale for everything; numbers in the files written
    // (the workbook writer formats them with the C library) keep a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // A reader that quits (`--verbose 2>&1 | head`) must not end a save half-way.
    zc::SignalWatch::ignoreBrokenPipes();
    QCoreApplication::setApplicationName(QStringLiteral("zarvento-cli"));
    return zc::cli::run(argc, argv);
}
