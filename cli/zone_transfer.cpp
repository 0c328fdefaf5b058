#include "zone_transfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <cstdio>
#include <exception>

#include "cli_audit.h"
#include "cli_common.h"
#include "command_frame.h"
#include "model_table.h"
#include "recvdataproc.h"

namespace cli {

namespace {

// A transfer takes 418 exchanges, and on a lossy link each lost one costs a
// re-send 1.5 s later: its length has no useful bound, its silence has. A
// stalled piece is given up by the sender well within this.
constexpr int kStallBoundMs = 20000;

}  // namespace

bool modelStoresZones(const Session& session) {
    try {
        return model_property(session.model(), "alarmZone") != "0";
    } catch (const std::exception&) {
        return true;
    }
}

int openZoneSession(Session& session, const char* command, const std::string& linkArg) {
    if (const int rc = connectSession(session, command, linkArg, true); rc != ExitOk) return rc;
    if (!modelStoresZones(session))
        return printError(command, "model " + session.model() + " stores no alarm zones"), ExitFailure;
    return ExitOk;
}

ZoneTransfer runZoneTransfer(Session& session, bool write, const std::function<void()>& start) {
    ZoneTransfer t;
    t.list = std::make_unique<zones>();
    t.sent = std::make_unique<ZoneWriteCapture>();
    const int resultType = write ? 7 : 6;
    bool finished = false, gaveUp = false;
    RecvDataProc* r = session.receiver();
    // The handlers capture locals: their connections end with this context object.
    QObject context;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QObject::connect(r, &RecvDataProc::sig_progress, &context, [&](int rate, QString title, QString info) {
        sinceProgress.restart();
        std::fprintf(stderr, "%s: %d%s%s\n", title.toStdString().c_str(), rate, info.isEmpty() ? "" : " ",
                     info.toStdString().c_str());
        if (rate < 0 || (write && rate == 25 && info.startsWith("resp result")))
            t.failure = info.toStdString();
    });
    QObject::connect(r, &RecvDataProc::sig_zoneData, &context, [&](zones z) { *t.list = z; });
    QObject::connect(r, &RecvDataProc::sig_zoneImage, &context, [&](QByteArray image) { t.image = image; });
    QObject::connect(r, &RecvDataProc::sig_zoneImageCrc, &context, [&](int type, quint32 crc) {
        if (type == 7) t.writtenCrc = crc;
    });
    QObject::connect(r, &RecvDataProc::sig_ZoneCMD, &context,
                     [&](int, QString, int, int mode, int, int, QByteArray cmd, bool) {
                         if (mode == ZONE_WRITE_PACK)
                             t.sent->add(reinterpret_cast<const uint8_t*>(cmd.constData()),
                                         size_t(cmd.size()));
                     });
    QObject::connect(&session, &Session::sig_message, &context, [&](int type, QByteArray data) {
        if (type != resultType || finished) return;
        finished = true;
        t.result = data.toInt();
    });
    QObject::connect(&session, &Session::sig_respondFinish, &context, [&](int mode, QString, int) {
        if (mode == ZONE_READ_PACK || mode == ZONE_WRITE_PACK) gaveUp = true;
    });

    start();
    while (!finished && !gaveUp && !session.lost() && !interrupted() &&
           sinceProgress.elapsed() < kStallBoundMs)
        waitUntil([&] { return finished || gaveUp || session.lost(); }, 500);
    if (session.lost()) {
        t.end = ZoneTransfer::End::Lost;
        return t;
    }
    if (!finished) {
        // Cancel so the receiver does not act on a late reply while the link closes.
        r->recv_zoneCmd(0, zones{});
        t.end = interrupted() ? ZoneTransfer::End::Interrupted
                : gaveUp      ? ZoneTransfer::End::NoAnswer
                              : ZoneTransfer::End::TimedOut;
        return t;
    }
    t.end = (write ? t.result > 0 : t.result == 1) ? ZoneTransfer::End::Done : ZoneTransfer::End::Failed;
    return t;
}

ZoneTransfer runZoneTransfer(Session& session, bool write, const zones& list) {
    RecvDataProc* r = session.receiver();
    return runZoneTransfer(session, write, [&] { r->recv_zoneCmd(write ? 2 : 1, list); });
}

int finishZoneTransfer(Session& session, const char* command, bool write, const ZoneTransfer& t,
                       const std::string& what) {
    if (t.end == ZoneTransfer::End::Lost) return linkLost(session, command);
    // One error line, and for a write its line on the audit trail.
    auto end = [&](int rc, const char* outcome, const std::string& error) {
        if (!error.empty()) printError(command, error);
        if (!write) return rc;
        AuditRecord record = sessionAuditRecord(session, audit::kZoneWrite);
        record.command = QString::fromStdString(what);
        record.outcome = QLatin1String(outcome);
        record.detail = QString::fromStdString(error.empty() ? "result " + std::to_string(t.result) : error);
        if (rc == ExitOk) record.imageCrc = t.writtenCrc;
        recordAudit(command, record);
        return rc;
    };
    switch (t.end) {
        case ZoneTransfer::End::Done:
            return end(ExitOk, audit::kSucceeded, std::string());
        case ZoneTransfer::End::Interrupted:
            return end(ExitInterrupted, audit::kFailed, "interrupted");
        case ZoneTransfer::End::NoAnswer:
            return end(ExitNoAnswer, audit::kNoAnswer, "the scanner stopped answering during the transfer");
        case ZoneTransfer::End::TimedOut:
            return end(ExitFailure, audit::kFailed, "the transfer made no progress for 20 s");
        case ZoneTransfer::End::Failed:
        case ZoneTransfer::End::Lost:
            break;
    }
    return end(ExitFailure, audit::kFailed,
               std::string(write ? "write zone failed" : "read zone failed") +
                   (t.failure.empty() ? " (result " + std::to_string(t.result) + ")" : ": " + t.failure));
}

int runZoneOperation(Session& session, const char* command, bool write, const std::function<void()>& start,
                     zones* got, const std::string& what) {
    const ZoneTransfer t = runZoneTransfer(session, write, start);
    if (t.end == ZoneTransfer::End::Done && got && !write) *got = *t.list;
    return finishZoneTransfer(session, command, write, t, what);
}

}  // namespace cli
