// vantrel-cli send: one tracked command and the scanner's reply to it.

#include <QByteArray>
#include <cstdio>
#include <string>

#include "cli_audit.h"
#include "cli_common.h"
#include "recvdataproc.h"
#include "session.h"

namespace cli {

namespace {

const char kCommand[] = "send";
// Longest lag of the receiver's acknowledgement behind the sender's report.
constexpr int kAcknowledgementGraceMs = 1000;

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli send LINK [--mode C_PACK|S_PACK] TEXT\n"
                 "\n"
                 "Connects, waits for the parameter block of the connection's initial read, then\n"
                 "sends TEXT (for example LSRPM:900H) as a tracked command (default S_PACK) and\n"
                 "prints the scanner's reply. Unanswered commands are re-sent like the program does\n"
                 "and given up when the fourth transmission stays unanswered (about 6.5 s).\n"
                 "On a uart:// link the command runs as the plain-text exchange; \"OK\" is printed\n"
                 "when the scanner confirmed it.\n"
                 "exit status: 0 accepted, 1 link cannot be opened, 2 usage, 3 refused (\"NG\"),\n"
                 "             4 the scanner never answered, 5 the link was lost\n");
}

// Reply payloads may be text or binary; keep one line either way.
std::string printable(QByteArray data) {
    // Replies are padded with zero bytes to their frame length.
    while (data.endsWith('\0')) data.chop(1);
    std::string out;
    for (char c : data) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        }
    }
    return out;
}

}  // namespace

int runSend(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    std::string mode = "S_PACK";
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--mode" && i + 1 < args.size()) {
            mode = args[++i];
            if (mode != "C_PACK" && mode != "S_PACK")
                return printError(kCommand, "--mode must be C_PACK or S_PACK"), ExitUsage;
        } else if (args[i].size() > 1 && args[i][0] == '-' && operands.empty()) {
            return printError(kCommand, "unknown option " + args[i]), ExitUsage;
        } else {
            operands.push_back(args[i]);
        }
    }
    if (operands.size() != 2 || operands[1].empty()) return usage(stderr), ExitUsage;
    const std::string text = operands[1];
    if (text.size() > 1000) return printError(kCommand, "command text too long"), ExitUsage;

    prepareLiveCommand();
    Session session;
    int rc = connectSession(session, kCommand, operands[0], true);
    if (rc != ExitOk) return rc;

    const QString qtext = QString::fromStdString(text);
    const bool uart = session.link().type == "UART";
    const bool payloadFirst =
        mode == "S_PACK";  // status replies report the payload before the acknowledgement

    bool sent = false, acked = false, ok = true, haveReply = false, gaveUp = false, uartDone = false;
    QByteArray reply;
    QObject::connect(session.receiver(), &RecvDataProc::sig_CmdRecv, &session, [&](int, int, bool isOK) {
        if (!sent || acked) return;
        acked = true;
        ok = isOK;
    });
    QObject::connect(&session, &Session::sig_message, &session, [&](int type, QByteArray data) {
        if (!sent) return;
        if (type == 12 && !haveReply && (payloadFirst ? !acked : acked)) {
            reply = data;
            haveReply = true;
        } else if (uart && type == 13 && data == qtext.toLocal8Bit()) {
            gaveUp = true;
        } else if (uart && type == 2 && data == "1") {
            uartDone = true;
        }
    });
    QObject::connect(&session, &Session::sig_respondFinish, &session, [&](int, QString cmd, int) {
        if (sent && cmd == qtext) gaveUp = true;
    });

    sent = true;
    if (mode == "C_PACK")
        emit session.sig_C_PACK(qtext);
    else
        emit session.sig_S_PACK(qtext);

    // Every command that went out is on the audit trail with how it ended.
    auto finish = [&](const char* outcome, const std::string& detail, int rc) {
        AuditRecord r = sessionAuditRecord(session, audit::kParameterCommand);
        r.command = qtext;
        r.outcome = QLatin1String(outcome);
        r.detail = QString::fromStdString(detail);
        recordAudit(kCommand, r);
        return rc;
    };

    if (text == "LRESTH" || text.find("LSUDP") != std::string::npos) {
        // Neither is answered on this link: a restarting scanner is silent, and one taking a
        // new address answers from there. Give the sender time to finish what follows.
        waitUntil([&] { return session.lost(); }, text == "LRESTH" ? 2500 : 500);
        if (session.lost()) return linkLost(session, kCommand);
        std::printf("sent (no reply expected)\n");
        return finish(audit::kSent, "", interrupted() ? ExitInterrupted : ExitOk);
    }

    const int bound = uart ? 30000 : Session::kGiveUpMs;
    const bool done = waitUntil(
        [&] { return session.lost() || gaveUp || (uart ? uartDone : (acked && (haveReply || !ok))); }, bound);
    if (session.lost()) return linkLost(session, kCommand);
    if (!done && interrupted()) {
        printError(kCommand, "interrupted");
        return finish(audit::kSent, "interrupted before the answer", ExitInterrupted);
    }
    // A refusal is acknowledged by the receiver and then reported by the sender
    // as well. The two reach us through different threads' queues, so the
    // sender's report can come first: let the acknowledgement catch up before
    // a report counts as "never answered".
    if (gaveUp && !acked && !uart) {
        waitUntil([&] { return acked || session.lost(); }, kAcknowledgementGraceMs);
        if (session.lost()) return linkLost(session, kCommand);
    }
    if (uart) {
        if (gaveUp || !uartDone) {
            printError(kCommand, "the scanner never answered " + text);
            return finish(audit::kNoAnswer, "", ExitNoAnswer);
        }
        std::printf("OK\n");
        return finish(audit::kAccepted, "OK", ExitOk);
    }
    if (!acked) {
        printError(kCommand, "the scanner never answered " + text);
        return finish(audit::kNoAnswer, "", ExitNoAnswer);
    }
    const std::string replyText = haveReply ? printable(reply) : std::string();
    if (haveReply) std::printf("%s\n", replyText.c_str());
    if (!ok || reply.startsWith("NG")) {
        if (!haveReply) std::printf("NG\n");
        return finish(audit::kRefused, haveReply ? replyText : "NG", ExitRefused);
    }
    return finish(audit::kAccepted, replyText, ExitOk);
}

}  // namespace cli
