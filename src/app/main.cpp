// Starts Zarvento Configurator: one main window for the whole run.
#include "ui/main_window.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarvento Configurator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zarvento Configurator"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    zc::TForm1 window;
    window.show();
    return app.exec();
}
