// vantrel-cli params: a scanner's parameters as a parameter file ("*.lidar"),
// and such a file into a scanner, the way the configuration page does it.

#include <QByteArray>
#include <QObject>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_audit.h"
#include "cli_common.h"
#include "cli_json.h"
#include "commands.h"
#include "model_table.h"
#include "param_file.h"
#include "recvdataproc.h"
#include "session.h"
#include "zone_image.h"
#include "zone_transfer.h"

namespace cli {

namespace {

const char kCmd[] = "params";

void usage(FILE* out) {
    std::fprintf(
        out,
        "usage: vantrel-cli params export LINK OUT.lidar [--zones]\n"
        "       vantrel-cli params import LINK IN.lidar [--only GROUPS]\n"
        "       vantrel-cli params show IN.lidar\n"
        "\n"
        "export  writes the scanner's parameter block (and with --zones its zones, read\n"
        "        through the zone transfer) as a parameter file.\n"
        "import  writes the file into the scanner: first its zones, then one set command\n"
        "        per value, each outcome on its own line (COMMAND: OK | NG | no answer).\n"
        "        GROUPS, comma separated: upload, operation, io, network, baud, zones\n"
        "        (default all but network). Serial (uart) scanners take no upload or network group,\n"
        "        network scanners no baud group. A file from another model imports only\n"
        "        its zones; a damaged file is refused before anything is sent.\n"
        "show    prints the file's parameter block as JSON (the field names of\n"
        "        'vantrel-cli info') and its zone list when it has one.\n"
        "LINK: udp://IP:PORT[?local=PORT] | tcp://IP:PORT | uart:///dev/PATH?baud=N |\n"
        "      vpc:///dev/PATH[?baud=N]\n"
        "exit status: 0 done (every command accepted), 1 failed or a command left out,\n"
        "             2 usage or unusable file,\n"
        "             3 the scanner refused a command, 4 the scanner fell silent\n");
}

// Reads a parameter file for import or show; prints the reason on failure.
bool loadFile(const std::string& path, ParamFileContents& contents) {
    const ParamFileStatus status = load_param_file(path, contents);
    if (status == ParamFileStatus::Ok) return true;
    printError(kCmd, path + ": " + param_file_status_text(status));
    return false;
}

int ioLevelOf(const std::string& model) {
    try {
        return std::atoi(model_property(model, "I/O").c_str());
    } catch (const std::exception&) {
        return 0;
    }
}

// ---------------------------------------------------------------- show

int show(const std::string& path) {
    ParamFileContents contents;
    if (!loadFile(path, contents)) return ExitUsage;
    OrderedJson out;
    out["file"] = path;
    if (contents.block) out["block"] = blockJson(*contents.block, std::string());
    if (contents.zoneImage) {
        auto def = std::make_unique<ZoneDef>();
        std::memcpy(def.get(), contents.zoneImage->data(), kZoneDefSize);
        auto list = std::make_unique<zones>();
        if (zonedef_to_zones(*def, false, *list) < 0) {
            out["zoneImage"] = "unreadable zone header";
        } else {
            OrderedJson entries = OrderedJson::array();
            for (int i = 0; i < list->count && i < kMaxZoneEntries; ++i)
                entries.push_back(zoneEntryJson(list->entries[i]));
            out["zones"] = std::move(entries);
        }
    }
    std::printf("%s\n", out.dump(2).c_str());
    return ExitOk;
}

// ---------------------------------------------------------------- export

int exportParams(const std::string& linkArg, const std::string& path, bool withZones) {
    prepareLiveCommand();
    Session session;
    if (const int rc = connectSession(session, kCmd, linkArg, true); rc != ExitOk) return rc;
    const EEpromV101 block = session.block();

    std::unique_ptr<ZoneDef> image;
    if (withZones) {
        if (!modelStoresZones(session))
            return printError(kCmd, "model " + session.model() + " stores no alarm zones"), ExitFailure;
        auto list = std::make_unique<zones>();
        RecvDataProc* r = session.receiver();
        if (const int rc = runZoneOperation(
                session, kCmd, false, [&] { r->recv_zoneCmd(1, zones{}); }, list.get());
            rc != ExitOk)
            return rc;
        // The image is built as the point-cloud page's export builds it:
        // from the list read, turned the way the scanner turns.
        // The conversion runs on the receiver's worker; it ends in the image
        // or in an error text.
        bool refused = false;
        QMetaObject::Connection c =
            QObject::connect(r, &RecvDataProc::sig_ZoneDef, &session, [&](ZoneDef* def, QString type) {
                if (def && type == QLatin1String("setzone")) image = std::make_unique<ZoneDef>(*def);
            });
        QMetaObject::Connection e =
            QObject::connect(r, &RecvDataProc::sig_data, &session,
                             [&](int type, QByteArray) { refused = refused || type == 1; });
        r->recv_zoneCmd(4, *list);
        waitUntil([&] { return image || refused; }, 30000);
        QObject::disconnect(c);
        QObject::disconnect(e);
        if (!image) return printError(kCmd, "the zones read cannot be turned into a zone image"), ExitFailure;
    }
    session.close();

    std::string why;
    if (!write_param_file(path, reinterpret_cast<const uint8_t*>(image.get()), &block, &why))
        return printError(kCmd, "lidar param is export failed! " + path + ": " + why), ExitFailure;
    std::printf("%s: %s%s\n", path.c_str(), image ? "zones, " : "", "parameter block");
    return ExitOk;
}

// ---------------------------------------------------------------- import

struct ImportGroups {
    ImportChoices choices;
    bool zones = false;
};

bool parseGroups(const std::string& text, ImportGroups& groups) {
    groups = ImportGroups{};
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = text.find(',', pos);
        const std::string name =
            text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        if (name == "upload")
            groups.choices.upload = true;
        else if (name == "operation")
            groups.choices.operation = true;
        else if (name == "io")
            groups.choices.io = true;
        else if (name == "network")
            groups.choices.network = true;
        else if (name == "baud")
            groups.choices.baud = true;
        else if (name == "zones")
            groups.zones = true;
        else
            return printError(kCmd,
                              "unknown group '" + name + "' (upload, operation, io, network, baud, zones)"),
                   false;
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return true;
}

enum class Outcome { Accepted, Refused, Silent };

// Sends one set command and waits for what the scanner made of it.
Outcome sendOne(Session& session, const std::string& cmd) {
    const QString text = QString::fromStdString(cmd);
    const bool uart = session.link().type == "UART";
    bool sent = false, acked = false, ok = true, reported = false, silent = false, uartDone = false;
    std::vector<QMetaObject::Connection> c;
    c.push_back(QObject::connect(session.receiver(), &RecvDataProc::sig_CmdRecv, &session,
                                 [&](int, int sn, bool isOK) {
                                     // 0xFFFF closes a zone operation, not this command.
                                     if (!sent || acked || sn == 0xFFFF) return;
                                     acked = true;
                                     ok = isOK;
                                 }));
    c.push_back(QObject::connect(&session, &Session::sig_message, &session, [&](int type, QByteArray data) {
        if (!sent || !uart) return;
        if (type == 13 && data == text.toLocal8Bit()) silent = true;
        if (type == 2 && data == "1") uartDone = true;
    }));
    // The sender reports a refusal and a command given up alike.
    c.push_back(
        QObject::connect(&session, &Session::sig_respondFinish, &session, [&](int, QString what, int) {
            if (sent && what == text) reported = true;
        }));
    sent = true;
    emit session.sig_S_PACK(text);
    Outcome outcome = Outcome::Accepted;
    if (uart) {
        waitUntil([&] { return silent || uartDone || session.lost(); }, 30000);
        outcome = !uartDone || silent ? Outcome::Silent : reported ? Outcome::Refused : Outcome::Accepted;
    } else {
        waitUntil([&] { return acked || reported || session.lost(); }, Session::kGiveUpMs);
        // The refusal's acknowledgement and the sender's report reach us on
        // two ways; the report may come first. An acknowledgement still on
        // its way is there within moments; a command given up has none.
        if (reported && !acked) waitUntil([&] { return acked; }, 1000);
        outcome = !acked ? Outcome::Silent : ok ? Outcome::Accepted : Outcome::Refused;
    }
    for (const auto& connection : c) QObject::disconnect(connection);
    return outcome;
}

// What an import did, for its line on the audit trail.
struct ImportTally {
    std::optional<AuditRecord> record;  // set once connected: nothing is changed before
    int accepted = 0, refused = 0, unanswered = 0, sent = 0;
};

int importInto(const std::string& linkArg, const std::string& path, const ImportGroups& asked,
               ImportTally& tally) {
    ParamFileContents contents;
    if (!loadFile(path, contents)) return ExitUsage;

    prepareLiveCommand();
    Session session;
    if (const int rc = connectSession(session, kCmd, linkArg, true); rc != ExitOk) return rc;
    tally.record = sessionAuditRecord(session, audit::kParameterImport);
    const std::string linkType = session.link().type;
    const std::string model = session.model();

    ImportGroups groups = asked;
    // What the configuration page offers on this link.
    if (linkType == "UART") {
        groups.choices.upload = groups.choices.network = false;
    } else {
        groups.choices.baud = false;
    }
    if (contents.block && !import_same_model(*contents.block, model)) {
        std::fprintf(
            stderr,
            "vantrel-cli params: %s comes from model %s, the scanner is %s: only zones are imported\n",
            path.c_str(), eeprom_type_id(*contents.block).c_str(), model.c_str());
        groups.choices = ImportChoices{};
    }

    if (groups.zones && contents.zoneImage) {
        if (!modelStoresZones(session)) {
            std::printf("zones: skipped, model %s stores no alarm zones\n", model.c_str());
        } else {
            auto image = std::make_unique<ZoneDef>();
            std::memcpy(image.get(), contents.zoneImage->data(), kZoneDefSize);
            RecvDataProc* r = session.receiver();
            if (const int rc = runZoneOperation(
                    session, kCmd, true, [&] { r->recv_UploadZone(image.get()); }, nullptr, path);
                rc != ExitOk)
                return rc;
            std::printf("zones: OK\n");
            // The zone transfer ends with a restart of the scan whose answer is
            // still on its way: a fresh block read puts it behind us.
            session.requestBlock();
            if (session.waitForBlock() != Session::Wait::Ok)
                return printError(kCmd, "the scanner fell silent after the zone upload"), ExitNoAnswer;
        }
    }

    if (!contents.block) return ExitOk;
    std::vector<ImportOmission> omitted;
    const std::vector<std::string> cmds =
        build_import_commands(*contents.block, linkType, groups.choices, ioLevelOf(model), &omitted);
    for (const ImportOmission& o : omitted)
        std::printf(
            "%s: not sent: %s address invalid\n", o.command.c_str(),
            o.reason == ImportOmission::Reason::DestinationAddressInvalid ? "destination" : "network");

    int rc = omitted.empty() ? ExitOk : ExitFailure;
    for (const std::string& cmd : cmds) {
        if (interrupted()) return printError(kCmd, "interrupted"), ExitInterrupted;
        if (session.lost()) return linkLost(session, kCmd);
        if (cmd.find("LSUDP") != std::string::npos && linkType != "UART") {
            // The scanner answers from its new address, where nobody listens for it.
            emit session.sig_S_PACK(QString::fromStdString(cmd));
            waitUntil([] { return false; }, 500);
            std::printf("%s: sent (no reply expected)\n", cmd.c_str());
            ++tally.sent;
            continue;
        }
        switch (sendOne(session, cmd)) {
            case Outcome::Accepted:
                std::printf("%s: OK\n", cmd.c_str());
                ++tally.accepted;
                break;
            case Outcome::Refused:
                std::printf("%s: NG\n", cmd.c_str());
                ++tally.refused;
                rc = ExitRefused;
                break;
            case Outcome::Silent:
                std::printf("%s: no answer\n", cmd.c_str());
                ++tally.unanswered;
                std::fflush(stdout);
                if (session.lost()) return linkLost(session, kCmd);
                return printError(kCmd, "the scanner fell silent"), ExitNoAnswer;
        }
        std::fflush(stdout);
    }
    session.close();
    return rc;
}

int importParams(const std::string& linkArg, const std::string& path, const ImportGroups& asked) {
    ImportTally tally;
    const int rc = importInto(linkArg, path, asked, tally);
    if (tally.record) {
        AuditRecord& r = *tally.record;
        r.command = QString::fromStdString(path);
        r.outcome = QLatin1String(rc == ExitOk         ? audit::kSucceeded
                                  : rc == ExitRefused  ? audit::kRefused
                                  : rc == ExitNoAnswer ? audit::kNoAnswer
                                                       : audit::kFailed);
        r.detail = QStringLiteral("commands: %1 accepted, %2 refused, %3 unanswered, %4 sent without answer")
                       .arg(tally.accepted)
                       .arg(tally.refused)
                       .arg(tally.unanswered)
                       .arg(tally.sent);
        recordAudit(kCmd, r);
    }
    return rc;
}

}  // namespace

int runParams(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    if (args.empty()) return usage(stderr), ExitUsage;
    const std::string& verb = args[0];
    bool withZones = false;
    bool onlyGiven = false;
    ImportGroups groups;
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--zones" && verb == "export") {
            withZones = true;
        } else if (args[i] == "--only" && verb == "import" && i + 1 < args.size()) {
            if (!parseGroups(args[++i], groups)) return ExitUsage;
            onlyGiven = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return printError(kCmd, "unknown option " + args[i]), ExitUsage;
        } else {
            operands.push_back(args[i]);
        }
    }
    if (verb == "show" && operands.size() == 1) return show(operands[0]);
    if (verb == "export" && operands.size() == 2) return exportParams(operands[0], operands[1], withZones);
    if (verb == "import" && operands.size() == 2) {
        if (!onlyGiven) {
            // Everything but the scanner's own address: a copy of another
            // scanner's address is an address conflict unless asked for.
            groups.choices.upload = groups.choices.operation = groups.choices.io = true;
            groups.choices.baud = groups.zones = true;
        }
        return importParams(operands[0], operands[1], groups);
    }
    usage(stderr);
    return ExitUsage;
}

}  // namespace cli
