// Vantrel: commissioning and monitoring tool for 2D rotating laser scanners.

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "connect_option.h"
#include "mainpage.h"

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
    const ConnectOption startLink = parseConnectOption(QApplication::arguments());
    if (!startLink.error.isEmpty()) {
        std::fprintf(stderr, "vantrel: %s\n", qPrintable(startLink.error));
        return 2;
    }

    MainPage window;
    // Without a window manager (a bare X server) "maximised" means nothing:
    // start with the whole screen anyway.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    if (startLink.given) {
        // Once the event loop runs, as if the operator had asked for this link.
        QTimer::singleShot(0, &window, [&window, &startLink] {
            window.recv_start(startLink.type, startLink.address, startLink.portOrBaud, startLink.localPort);
        });
    }
    return app.exec();
}
