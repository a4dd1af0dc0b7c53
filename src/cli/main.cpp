// zarvento-cli: the command-line program for scripts and fleets of units.
#include "cli/commands.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zarvento-cli"));
    return zc::cli::run(argc, argv);
}
