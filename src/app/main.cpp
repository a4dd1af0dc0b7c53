// Starts Zarvento Configurator: one main window for the whole run.
#include "ui/main_window.h"
#include "ui/window_signals.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <clocale>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The application took the user's locale for everything; numbers in the workbooks
    // written (the workbook writer formats them with the C library) keep a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // No display name is set: the title bar shows the window's caption alone.
    QApplication::setApplicationName(QStringLiteral("Zarvento Configurator"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zarvento-configurator"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zarvento-configurator"),
                                                 QIcon(QStringLiteral(":/zarvento-configurator.png"))));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(zc::TForm1::windowFont());
    zc::TForm1 window;
    zc::endWindowOnSignals(window);
    window.show();
    return app.exec();
}
