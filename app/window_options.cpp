#include "window_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <cstdio>

#include "gui_probe.h"
#include "mainpage.h"
#include "recorder.h"
#include "recvdataproc.h"

namespace {

struct Link {
    QString type;
    QString ip;
    int port = 0;
    int localPort = MainPage::kDefaultLocalPort;
};

bool parseLink(const QString& text, Link* link) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("udp") && scheme != QLatin1String("tcp")) ||
        url.host().isEmpty() || url.port() <= 0)
        return false;
    link->type = scheme.toUpper();
    link->ip = url.host();
    link->port = url.port();
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("local"))) {
        bool ok = false;
        link->localPort = query.queryItemValue(QStringLiteral("local")).toInt(&ok);
        if (!ok || link->localPort <= 0 || link->localPort > 65535) return false;
    }
    return true;
}

}  // namespace

bool windowOptionTakesValue(const QString& argument) {
    for (const char* option : {"--connect", "--probe", "--signatures", "-connect", "-probe", "-signatures"})
        if (argument == QLatin1String(option)) return true;
    return false;
}

bool applyWindowOptions(const QCoreApplication& app, MainPage& window, QString* error) {
    QCommandLineParser parser;
    const QCommandLineOption connectOption("connect", "Open this link once the window is up.", "LINK");
    const QCommandLineOption recordOption("record", "Switch \"save log\" on once the link is open.");
    const QCommandLineOption probeOption("probe", "Write GUI responsiveness figures to FILE.", "FILE");
    const QCommandLineOption signatureOption("signatures", "Write revolution signatures to FILE.", "FILE");
    parser.addOptions({connectOption, recordOption, probeOption, signatureOption});
    // Qt's own arguments (-platform, -style, ...) are not ours to refuse.
    parser.parse(app.arguments());
    const bool unattended =
        parser.isSet(connectOption) || parser.isSet(recordOption) || parser.isSet(probeOption);
    if (!unattended) return true;

    MainPage::setMessageHook([](const QString& title, const QString& text) {
        std::fprintf(stderr, "vantrel: %s: %s\n", qPrintable(title), qPrintable(text));
    });

    GuiProbe* probe = nullptr;
    if (parser.isSet(probeOption)) {
        probe = new GuiProbe(parser.value(probeOption), parser.value(signatureOption), &window);
        QObject::connect(window.receiver(), &RecvDataProc::sig_lidarData, probe, &GuiProbe::recv_revolution);
    }
    if (parser.isSet(recordOption)) {
        QObject::connect(&window, &MainPage::sig_linkChanged, &window, [&window, probe](bool open) {
            if (!open) return;
            window.recv_saveLog(true);
            if (probe) probe->setRecording(Recorder::instance().isRecording());
            std::fprintf(stderr, "vantrel: recording to %s\n", qPrintable(Recorder::instance().directory()));
        });
    }
    if (parser.isSet(connectOption)) {
        Link link;
        if (!parseLink(parser.value(connectOption), &link)) {
            if (error) *error = QStringLiteral("--connect wants udp://IP:PORT[?local=PORT] or tcp://IP:PORT");
            return false;
        }
        QTimer::singleShot(0, &window, [&window, link] {
            window.recv_start(link.type, link.ip, link.port,
                              link.type == QLatin1String("UDP") ? link.localPort : link.port);
        });
    }
    return true;
}
