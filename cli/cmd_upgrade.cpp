// vantrel-cli upgrade: a scanner's firmware over UDP or a plain-text serial
// port, by the same worker the program uses.

#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <string>

#include "cli_audit.h"
#include "cli_common.h"
#include "firmwareupdateproc.h"
#include "link.h"
#include "session.h"

namespace cli {

namespace {

const char kCommand[] = "upgrade";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli upgrade LINK FILE\n"
                 "\n"
                 "Upgrades the firmware of the scanner at LINK with FILE, progress on stderr.\n"
                 "  udp://IP:PORT            network upgrade: FILE must be a firmware image\n"
                 "                           (see 'vantrel-cli image check'); a damaged image is\n"
                 "                           refused before anything is sent. The local socket uses\n"
                 "                           PORT too, or the next free port above it.\n"
                 "  uart:///dev/PATH?baud=N  serial upgrade: handshake, then FILE byte for byte\n"
                 "                           with XMODEM-CRC.\n"
                 "Ctrl-C ends the program at once; the scanner then keeps its old firmware.\n"
                 "exit status: 0 upgraded, 1 failed (the reason on stderr), 2 usage\n");
}

}  // namespace

int runUpgrade(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    if (args.size() != 2 || args[1].empty()) return usage(stderr), ExitUsage;
    LinkAddress link;
    std::string error;
    if (!parseLink(args[0], link, error)) return printError(kCommand, error), ExitUsage;
    if (link.type != "UDP" && link.type != "UART")
        return printError(kCommand, "upgrades run over udp:// or uart:// links"), ExitUsage;

    prepareLiveCommand();  // the application object and a quiet trace
    // An upgrade cannot stop half-way by itself; an interrupt ends the
    // process, which closes the port or socket.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    FirmwareUpdateProc worker;
    bool ok = false;
    QString reason;
    QObject::connect(&worker, &FirmwareUpdateProc::sig_progress,
                     [](int rate, const QString&, const QString& info) {
                         std::fprintf(stderr, "upgrade: %3d%% (%s)\n", rate, info.toLocal8Bit().constData());
                     });
    QObject::connect(&worker, &FirmwareUpdateProc::sig_finish, [&](bool value, const QString& result) {
        ok = value;
        reason = result;
    });
    const bool udp = link.type == "UDP";
    worker.recv_upgrade(QString::fromStdString(link.address), udp ? link.port : link.baud,
                        QString::fromStdString(args[1]), QString::fromStdString(link.type));
    // On the audit trail whatever the result: a failed upgrade may have changed the scanner too.
    AuditRecord record = linkAuditRecord(link, audit::kFirmwareUpgrade);
    record.command = QFileInfo(QString::fromStdString(args[1])).fileName();
    record.imageCrc = audit_firmware_crc(QString::fromStdString(args[1]));
    record.outcome = QLatin1String(ok ? audit::kSucceeded : audit::kFailed);
    record.detail = reason;
    recordAudit(kCommand, record);
    if (!ok) {
        printError(kCommand, "Firmware upgrade failed:" + reason.toStdString());
        return ExitFailure;
    }
    std::printf("Firmware upgrade success!\n");
    return ExitOk;
}

}  // namespace cli
