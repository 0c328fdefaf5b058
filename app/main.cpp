// Vantrel: commissioning and monitoring tool for 2D rotating laser scanners.

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "connect_option.h"
#include "mainpage.h"
#include "window_options.h"

namespace {

// `vantrel RECORDING.dump`, as a file manager opens a recording: the first
// argument that is neither an option nor a link ("udp://...") names it.
QString recordingArgument(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (windowOptionTakesValue(a)) {
            ++i;  // its value is no recording
            continue;
        }
        if (a.startsWith(QLatin1String("file://"))) return QUrl(a).toLocalFile();
        if (!a.startsWith(QLatin1Char('-')) && !a.contains(QLatin1String("://"))) return a;
    }
    return QString();
}

}  // namespace

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
    QString error;
    if (!applyWindowOptions(app, window, &error)) {
        std::fprintf(stderr, "vantrel: %s\n", qPrintable(error));
        return 2;
    }
    if (startLink.given) {
        // Once the event loop runs, as if the operator had asked for this link.
        QTimer::singleShot(0, &window, [&window, &startLink] {
            window.recv_start(startLink.type, startLink.address, startLink.portOrBaud, startLink.localPort);
        });
    }
    const QString recording = recordingArgument(QCoreApplication::arguments());
    if (!recording.isEmpty()) window.startPlayback(recording, true);
    return app.exec();
}
