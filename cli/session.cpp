#include "session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli_common.h"
#include "command_frame.h"
#include "link_open.h"
#include "metatypes.h"
#include "model_table.h"
#include "recorder.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "thread_handover.h"
#include "transport.h"

namespace cli {

// ---------------------------------------------------------------- process plumbing

namespace {

std::atomic<bool> g_interrupted{false};

void onSignal(int) {
    g_interrupted.store(true);
}

// The workers trace every link start and end through the debug output; on a
// command line that would bury the one line a failure prints. VANTREL_TRACE=1
// lets it through.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    static const bool trace = qEnvironmentVariableIntValue("VANTREL_TRACE") != 0;
    if (!trace && (type == QtDebugMsg || type == QtInfoMsg)) return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

void prepareLiveCommand() {
    static int argc = 1;
    static char name[] = "vantrel-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // lives until exit
    registerTaskMetaTypes();
    qInstallMessageHandler(quietHandler);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interrupted() {
    return g_interrupted.load();
}

bool waitUntil(const std::function<bool()>& pred, int ms) {
    // The ticker guarantees a wake-up for the clock and the interrupt flag even
    // when no worker posts anything.
    QTimer ticker;
    ticker.start(25);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (pred()) return true;
        if (interrupted() || clock.elapsed() >= ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

// ---------------------------------------------------------------- session

Session::Session() = default;

Session::~Session() {
    close();
}

bool Session::open(const LinkAddress& link, std::string& error) {
    close();
    m_link = link;
    m_haveBlock = m_blockAcked = m_gaveUp = m_lost = false;
    m_lostReason.clear();
    std::memset(&m_block, 0, sizeof m_block);

    const QString type = QString::fromStdString(link.type);
    const QString address = QString::fromStdString(link.address);
    int recvPortBaud = 0;

    const bool serial = link.type == "UART" || link.type == "VPC";
    const int portBaud = serial ? link.baud : link.port;
    const LinkOpenResult opened = open_link(link.type, link.address, portBaud, link.localPort);
    switch (opened.status) {
        case LinkOpenStatus::Ok:
            break;
        case LinkOpenStatus::SerialOpenFailed:
            error = "com open err: cannot open " + link.address +
                    (opened.serialResult == 0 ? " (" + std::string(std::strerror(errno)) + ")"
                                              : " at " + std::to_string(link.baud) + " baud");
            return false;
        case LinkOpenStatus::Unreachable:
            error = "Current gateway unreachable! (" + link.address + " does not answer ping)";
            return false;
        case LinkOpenStatus::UdpPortsInUse:
            error = "local UDP ports " + std::to_string(link.localPort) + ".." +
                    std::to_string(link.localPort + 100) + " are all in use";
            return false;
        case LinkOpenStatus::UdpBindFailed:
            error = "socket bind failed! (local UDP port " + std::to_string(link.localPort) + ")";
            return false;
        case LinkOpenStatus::TcpConnectFailed:
            error = "tcp socket connect failed! (" + link.address + ":" + std::to_string(link.port) +
                    " and " + std::to_string(link.port + 1) + ")";
            return false;
        case LinkOpenStatus::UnknownType:
            error = "unknown link type " + link.type;
            return false;
        case LinkOpenStatus::Cancelled:
            error = "cancelled";
            return false;
    }
    m_handles = opened.link;
    m_dataHandle = opened.dataHandle;
    if (serial) {
        recvPortBaud = link.baud;
    } else if (link.type == "UDP") {
        if (opened.boundPort != link.localPort) {
            if (link.localGiven) {
                // An explicit local port is a promise to whoever set up the scanner's upload
                // address; silently taking another would lose the stream.
                m_handles.reset();  // closes the socket
                m_dataHandle = 0;
                error = "local UDP port " + std::to_string(link.localPort) + " is already in use";
                return false;
            }
            std::fprintf(
                stderr, "vantrel-cli: The current port %d is already occupied, reassign the new port as %d\n",
                link.localPort, opened.boundPort);
        }
        m_localPort = opened.boundPort;
        recvPortBaud = link.port;
    } else {
        m_tcpCmdSocket = opened.cmdHandle;
        recvPortBaud = link.port + 1;
    }
    m_closed = false;

    // ---- workers, wired as the main window wires them
    m_receiver = std::make_unique<RecvDataProc>();
    m_senderThread = new QThread;
    m_sender = new SendCmdProc;
    m_sender->moveToThread(m_senderThread);
    connect(m_senderThread, &QThread::finished, m_sender, &QObject::deleteLater);
    handover::watchThread(m_senderThread);

    RecvDataProc* r = m_receiver.get();
    connect(r, &RecvDataProc::sig_ZoneCMD, m_sender, &SendCmdProc::recv_ZoneCMD);
    connect(r, &RecvDataProc::sig_CmdRecv, m_sender, qOverload<int, int, bool>(&SendCmdProc::recv_CmdRecv));
    connect(r, &RecvDataProc::sig_data, this, &Session::recv_data);
    connect(r, &RecvDataProc::sig_linkLost, this, [this](quint64, QString reason) {
        if (m_lost) return;
        m_lost = true;
        m_lostReason = reason.toStdString();
        std::fprintf(stderr, "vantrel-cli: %s\n", reason.toLocal8Bit().constData());
    });
    connect(r, &RecvDataProc::sig_CmdRecv, this, [this](int, int, bool) {
        if (m_haveBlock) m_blockAcked = true;
    });
    connect(m_sender, &SendCmdProc::sig_data, this, &Session::recv_data);
    connect(m_sender, &SendCmdProc::sig_respondFinish, this, [this](int t, QString cmd, int time) {
        // Only the block request decides the wait: a refused or lost LSATS
        // (answered "NG" by a scanner that takes no settings) does not.
        if (!m_haveBlock && t == GS_PACK) m_gaveUp = true;
        emit sig_respondFinish(t, cmd, time);
    });
    connect(this, &Session::SendInit, m_sender, &SendCmdProc::recv_Init);
    connect(this, &Session::sig_C_PACK, m_sender, &SendCmdProc::recv_C_PACK);
    connect(this, &Session::sig_S_PACK, m_sender, &SendCmdProc::recv_S_PACK);
    connect(this, &Session::sig_GS_PACK, m_sender, &SendCmdProc::recv_GS_PACK);

    r->attachLink(type, m_handles, address, recvPortBaud, link.type == "TCP" ? link.port : 0);
    r->start();
    m_senderThread->start();
    // Queued in order: the sender takes the link, then the recv_Init naming it.
    QMetaObject::invokeMethod(
        m_sender, [sender = m_sender, handles = m_handles] { sender->adoptLink(handles); },
        Qt::QueuedConnection);
    if (link.type == "TCP")
        emit SendInit(type, m_tcpCmdSocket, address, link.port);
    else
        emit SendInit(type, m_dataHandle, address, recvPortBaud);
    return true;
}

void Session::recv_data(int type, QByteArray data) {
    switch (type) {
        case 1:
            std::fprintf(stderr, "vantrel-cli: %s\n", data.constData());
            break;
        case 2:
            // The sender pauses ("2") and resumes ("1") the receiver around a serial exchange.
            if (m_receiver) m_receiver->runFlag = data.toInt();
            break;
        case 5:
            applyBlock(data);
            break;
        case 14:
            if (data.contains("LSBPS:") && m_link.type != "TCP" && m_link.type != "UDP") {
                const int from = data.indexOf("LSBPS:") + 6;
                const int to = data.indexOf('H', from);
                const int baud = data.mid(from, to < 0 ? -1 : to - from).toInt();
                if (baud <= 0 || !m_handles || set_serial_baud(m_handles->dataFd(), baud) != 0)
                    std::fprintf(stderr, "vantrel-cli: Failed to modify baud rate!\n");
                else
                    m_link.baud = baud;
            }
            break;
        default:
            break;
    }
    emit sig_message(type, data);
}

void Session::applyBlock(const QByteArray& data) {
    if (data.size() < int(sizeof(EEpromV101))) return;
    std::memcpy(&m_block, data.constData(), sizeof m_block);
    if (m_link.type == "UART") eeprom_set_uart_baud(m_block, uint32_t(m_link.baud));
    // The plain-text exchange has no acknowledgement frame to wait for.
    m_blockAcked = m_link.type == "UART";
    m_haveBlock = true;
    // Direction: fixed by the model table where the model has one, else the block's flag.
    const std::string dir = model_property(model(), "direction");
    const int direction = (dir == "0" || dir == "1") ? (dir == "1") : (m_block.ccw != 0);
    m_direction = direction;
    if (m_receiver) {
        m_receiver->setDirection(direction);
        m_receiver->runFlag = 1;
    }
}

void Session::requestBlock() {
    m_haveBlock = m_blockAcked = m_gaveUp = false;
    emit sig_GS_PACK(QStringLiteral("xxxxxx"));
}

std::string Session::model() const {
    return normalize_model_id(eeprom_type_id(m_block));
}

Session::Wait Session::waitForBlock() {
    // A UART initial read is a series of queries with up to five attempts each.
    const int bound = m_link.type == "UART" ? 60000 : kGiveUpMs + 1500;
    const bool done =
        waitUntil([this] { return (m_haveBlock && m_blockAcked) || m_gaveUp || m_lost; }, bound);
    if (m_lost) return Wait::Lost;
    if (!done) return interrupted() ? Wait::Interrupted : (m_haveBlock ? Wait::Ok : Wait::TimedOut);
    if (m_gaveUp && !m_haveBlock) return Wait::NoAnswer;
    // A UART scanner that answered nothing still yields a (zero) block.
    if (m_link.type == "UART" && eeprom_product_sn(m_block).empty() && eeprom_type_id(m_block).empty())
        return Wait::NoAnswer;
    return Wait::Ok;
}

void Session::close() {
    if (m_closed) return;
    m_closed = true;
    Recorder::instance().stop();
    if (m_receiver) m_receiver->runFlag = 0;
    if (m_senderThread) {
        if (m_sender) QMetaObject::invokeMethod(m_sender, &SendCmdProc::recv_UnInit, Qt::QueuedConnection);
        m_senderThread->quit();
        // The sender may be inside a blocking pause or a serial exchange.
        if (handover::joinThread(m_senderThread, 15000)) {
            delete m_senderThread;
        } else {
            std::fprintf(stderr, "vantrel-cli: the command sender did not stop in time\n");
            // Left running: destroying a running QThread would abort; the process ends soon.
        }
        m_senderThread = nullptr;
        m_sender = nullptr;
    }
    if (m_handles) m_handles->end();  // wakes the loops; the descriptors close with the last holder
    m_receiver.reset();               // ends the loop and waits for it (about one second at most)
    m_handles.reset();
    m_dataHandle = m_tcpCmdSocket = 0;
}

int connectSession(Session& session, const std::string& command, const std::string& linkArg, bool needBlock) {
    LinkAddress link;
    std::string error;
    if (!parseLink(linkArg, link, error)) return printError(command, error), ExitUsage;
    if (!session.open(link, error)) return printError(command, error), ExitFailure;
    if (!needBlock) return ExitOk;
    switch (session.waitForBlock()) {
        case Session::Wait::Ok:
            return ExitOk;
        case Session::Wait::Interrupted:
            return printError(command, "interrupted"), ExitInterrupted;
        case Session::Wait::Lost:
            return linkLost(session, command);
        case Session::Wait::NoAnswer:
        case Session::Wait::TimedOut:
            break;
    }
    printError(command, "the scanner at " + linkText(link) + " never answered");
    return ExitNoAnswer;
}

int linkLost(const Session& session, const std::string& command) {
    printError(command, "the link was lost (" + session.lostReason() + ")");
    return ExitLinkLost;
}

}  // namespace cli
