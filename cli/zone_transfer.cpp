#include "zone_transfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <cstdio>
#include <exception>
#include <optional>
#include <vector>

#include "cli_audit.h"
#include "cli_common.h"
#include "model_table.h"
#include "recvdataproc.h"

namespace cli {

namespace {

// A transfer takes 418 exchanges, and on a lossy link each lost one costs a
// re-send 1.5 s later: its length has no useful bound, its silence has. A
// stalled piece is given up by the sender well within this.
constexpr int kStallBoundMs = 20000;

// The waits below capture locals: their connections must not outlive the call.
struct Connections {
    std::vector<QMetaObject::Connection> list;
    ~Connections() {
        for (const auto& c : list) QObject::disconnect(c);
    }
};

}  // namespace

bool modelStoresZones(const Session& session) {
    try {
        return model_property(session.model(), "alarmZone") != "0";
    } catch (const std::exception&) {
        return true;
    }
}

int runZoneOperation(Session& session, const char* command, bool write, const std::function<void()>& start,
                     zones* got, const std::string& what) {
    const int resultType = write ? 7 : 6;
    bool finished = false, gaveUp = false;
    int result = 0;
    std::string failure;
    RecvDataProc* r = session.receiver();
    Connections c;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    c.list.push_back(QObject::connect(
        r, &RecvDataProc::sig_progress, &session, [&](int rate, QString title, QString info) {
            sinceProgress.restart();
            std::fprintf(stderr, "%s: %d%s%s\n", title.toStdString().c_str(), rate, info.isEmpty() ? "" : " ",
                         info.toStdString().c_str());
            if (rate < 0 || (write && rate == 25 && info.startsWith("resp result")))
                failure = info.toStdString();
        }));
    c.list.push_back(QObject::connect(r, &RecvDataProc::sig_zoneData, &session, [&](zones z) {
        if (got) *got = z;
    }));
    c.list.push_back(
        QObject::connect(&session, &Session::sig_message, &session, [&](int type, QByteArray data) {
            if (type != resultType || finished) return;
            finished = true;
            result = data.toInt();
        }));
    c.list.push_back(
        QObject::connect(&session, &Session::sig_respondFinish, &session, [&](int mode, QString, int) {
            if (mode == 0x5A47 || mode == 0x5A53) gaveUp = true;
        }));
    std::optional<quint32> writtenCrc;
    c.list.push_back(
        QObject::connect(r, &RecvDataProc::sig_zoneImageCrc, &session, [&](int type, quint32 crc) {
            if (type == 7) writtenCrc = crc;
        }));
    // One error line, and for a write its line on the audit trail.
    auto end = [&](int rc, const char* outcome, const std::string& error) {
        if (!error.empty()) printError(command, error);
        if (!write) return rc;
        AuditRecord record = sessionAuditRecord(session, audit::kZoneWrite);
        record.command = QString::fromStdString(what);
        record.outcome = QLatin1String(outcome);
        record.detail = QString::fromStdString(error.empty() ? "result " + std::to_string(result) : error);
        if (rc == ExitOk) record.imageCrc = writtenCrc;
        recordAudit(command, record);
        return rc;
    };

    start();
    while (!finished && !gaveUp && !session.lost() && !interrupted() &&
           sinceProgress.elapsed() < kStallBoundMs)
        waitUntil([&] { return finished || gaveUp || session.lost(); }, 500);
    if (session.lost()) return linkLost(session, command);
    if (!finished) {
        // Cancel so the receiver does not act on a late reply while the link closes.
        r->recv_zoneCmd(0, zones{});
        if (interrupted()) return end(ExitInterrupted, audit::kFailed, "interrupted");
        if (gaveUp)
            return end(ExitNoAnswer, audit::kNoAnswer, "the scanner stopped answering during the transfer");
        return end(ExitFailure, audit::kFailed, "the transfer made no progress for 20 s");
    }
    if (write ? result <= 0 : result != 1)
        return end(ExitFailure, audit::kFailed,
                   std::string(write ? "write zone failed" : "read zone failed") +
                       (failure.empty() ? " (result " + std::to_string(result) + ")" : ": " + failure));
    return end(ExitOk, audit::kSucceeded, std::string());
}

}  // namespace cli
