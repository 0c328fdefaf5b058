// Vantrel: commissioning and monitoring tool for 2D rotating laser scanners.

#include <QApplication>
#include <QScreen>
#include <cstdio>

#include "mainpage.h"
#include "window_options.h"

int main(int argc, char** argv) {
    // High-DPI scaling unless the user already chose a scaling by hand.
    if (qEnvironmentVariableIsEmpty("QT_DEVICE_PIXEL_RATIO") &&
        qEnvironmentVariableIsEmpty("QT_AUTO_SCREEN_SCALE_FACTOR") &&
        qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") &&
        qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS")) {
        QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantrel"));

    MainPage window;
    // Without a window manager (a bare X server) "maximised" means nothing:
    // start with the whole screen anyway.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    QString error;
    if (!applyWindowOptions(app, window, &error)) {
        std::fprintf(stderr, "vantrel: %s\n", qPrintable(error));
        return 2;
    }
    return app.exec();
}
