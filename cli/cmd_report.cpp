// vantrel-cli report: the commissioning report of a live scanner or of a
// parameter file, as one PDF.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QObject>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "cli_common.h"
#include "commissioning_report.h"
#include "model_table.h"
#include "param_file.h"
#include "recvdataproc.h"
#include "report_audit.h"
#include "session.h"
#include "zone_image.h"
#include "zone_transfer.h"

namespace cli {

namespace {

const char kCmd[] = "report";

// A revolution normally arrives within a few hundred milliseconds of the
// block; a scanner that streams nothing still gets its report, without points.
constexpr int kRevolutionWaitMs = 3000;

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli report LINK OUT.pdf [--engineer NAME] [--site NAME]\n"
                 "       vantrel-cli report --offline FILE.lidar OUT.pdf [--engineer NAME] [--site NAME]\n"
                 "\n"
                 "Writes a commissioning report: the scanner's identity, its parameters, one drawing\n"
                 "per zone number over the last revolution received with the entries in millimetres,\n"
                 "and the zone image CRC read back with today's audit entries for this scanner.\n"
                 "LINK reads the block and the zones from a live scanner; --offline takes them from\n"
                 "a parameter file. OUT.pdf is written whole or not at all.\n"
                 "LINK: udp://IP:PORT[?local=PORT] | tcp://IP:PORT | uart:///dev/PATH?baud=N |\n"
                 "      vpc:///dev/PATH[?baud=N]\n"
                 "exit status: 0 written, 1 failed (zones not read, OUT not written), 2 usage or\n"
                 "             unusable file, 4 the scanner never answered\n");
}

struct Options {
    bool offline = false;
    std::string source;  // LINK or FILE.lidar
    std::string out;
    std::string engineer, site;
};

// Options and operands in any order; false after a usage line.
bool parseOptions(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--offline") {
            o.offline = true;
        } else if (a == "--engineer" || a == "--site") {
            if (i + 1 >= args.size()) return printError(kCmd, a + " needs a value"), false;
            (a == "--engineer" ? o.engineer : o.site) = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return printError(kCmd, "unknown option " + a), false;
        } else {
            operands.push_back(a);
        }
    }
    if (operands.size() != 2) return usage(stderr), false;
    o.source = operands[0];
    o.out = operands[1];
    return true;
}

// The window needs no display to lay out text, and neither does this: without
// a platform named by the user, Qt draws offscreen.
void prepareGui() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantrel-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);  // lives until exit
}

// The folder of OUT must take a new file; asked before a scanner is bothered.
bool outputFolderWritable(const std::string& out) {
    const QFileInfo target(QString::fromStdString(out));
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        printError(kCmd, "cannot write " + out + ": the folder " +
                             QDir::toNativeSeparators(folder.filePath()).toStdString() +
                             (folder.exists() ? " is not writable" : " does not exist"));
        return false;
    }
    if (target.isDir()) return printError(kCmd, "cannot write " + out + ": it is a folder"), false;
    return true;
}

// The points of a revolution flip sideways when the scanner turns the other
// way: fixed by the model where the model table says so, else the block's flag.
bool mirroredFor(const std::string& model, const EEpromV101& block) {
    std::string dir;
    try {
        dir = model_property(model, "direction");
    } catch (const std::exception&) {
    }
    return (dir == "0" || dir == "1") ? dir == "1" : block.ccw != 0;
}

ReportInput baseInput(const Options& o) {
    ReportInput in;
    in.engineer = QString::fromLocal8Bit(o.engineer.c_str());
    in.site = QString::fromLocal8Bit(o.site.c_str());
    in.programVersion = QStringLiteral("vantrel-cli ") + report_program_version();
    in.createdAt = QDateTime::currentDateTime();
    return in;
}

// The image's own CRC, and whether its content still gives it.
void imageCheck(const ZoneDef& def, ReportVerification& v) {
    v.imageCrc = def.crc;
    v.imageIntact = zonedef_crc(def) == def.crc;
}

int writeReport(ReportInput& in, const std::string& out) {
    const QString note = report_read_audit(in);
    if (!note.isEmpty()) printError(kCmd, "warning: " + note.toStdString());
    QString error;
    int pages = 0;
    if (!write_commissioning_report(in, QString::fromStdString(out), &error, &pages))
        return printError(kCmd, error.toStdString()), ExitFailure;
    std::printf("%s: %d pages\n", out.c_str(), pages);
    return ExitOk;
}

// ---------------------------------------------------------------- offline

int offlineReport(const Options& o) {
    ParamFileContents contents;
    const ParamFileStatus status = load_param_file(o.source, contents);
    if (status != ParamFileStatus::Ok)
        return printError(kCmd, o.source + ": " + param_file_status_text(status)), ExitUsage;

    ReportInput in = baseInput(o);
    in.linkText =
        QStringLiteral("parameter file %1").arg(QFileInfo(QString::fromStdString(o.source)).fileName());
    if (contents.block) {
        in.block = *contents.block;
        in.model = QString::fromStdString(normalize_model_id(eeprom_type_id(*contents.block)));
    }
    if (contents.zoneImage) {
        auto def = std::make_unique<ZoneDef>();
        std::memcpy(def.get(), contents.zoneImage->data(), kZoneDefSize);
        const bool mirror = in.block && mirroredFor(in.model.toStdString(), *in.block);
        in.verification.source = in.linkText;
        if (zonedef_to_zones(*def, mirror, in.zoneList) > 0) {
            in.zonesRead = true;
            imageCheck(*def, in.verification);
        } else {
            printError(kCmd, "warning: " + o.source + ": bad zone header; the report shows no zones");
        }
    }
    return writeReport(in, o.out);
}

// ---------------------------------------------------------------- live

int liveReport(const Options& o) {
    prepareLiveCommand();
    Session session;
    if (const int rc = connectSession(session, kCmd, o.source, true); rc != ExitOk) return rc;

    ReportInput in = baseInput(o);
    in.linkText = QString::fromStdString(linkText(session.link()));
    in.linkType = QString::fromStdString(session.link().type);
    in.block = session.block();
    in.model = QString::fromStdString(session.model());
    in.mirrored = mirroredFor(session.model(), session.block());

    RecvDataProc* r = session.receiver();
    {
        QObject context;  // the capture ends with this scope
        QObject::connect(r, &RecvDataProc::sig_lidarData, &context,
                         [&in](std::vector<RawData> revolution) { in.revolution = std::move(revolution); });
        waitUntil([&in] { return in.revolution.has_value(); }, kRevolutionWaitMs);
    }
    if (interrupted()) return printError(kCmd, "interrupted"), ExitInterrupted;

    if (modelStoresZones(session)) {
        QObject context;  // the CRC capture ends with this scope
        QObject::connect(r, &RecvDataProc::sig_zoneImageCrc, &context, [&in](int type, quint32 crc) {
            if (type == 6) in.verification.imageCrc = crc;
        });
        const int rc = runZoneOperation(
            session, kCmd, false, [r] { r->recv_zoneCmd(1, zones{}); }, &in.zoneList);
        if (rc != ExitOk) return rc;
        in.zonesRead = true;
        in.verification.source = QStringLiteral("read back from the scanner");
        // The zone worker checks the image against its CRC before it reports a read as done.
        if (in.verification.imageCrc) in.verification.imageIntact = true;
    } else {
        in.verification.source = QStringLiteral("model %1 stores no zones").arg(in.model);
    }
    session.close();
    return writeReport(in, o.out);
}

}  // namespace

int runReport(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    Options o;
    if (!parseOptions(args, o)) return ExitUsage;
    if (!outputFolderWritable(o.out)) return ExitFailure;
    prepareGui();
    return o.offline ? offlineReport(o) : liveReport(o);
}

}  // namespace cli
