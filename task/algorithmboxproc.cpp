#include "algorithmboxproc.h"

#include <QDebug>
#include <QFileInfo>
#include <cstdio>
#include <random>

#include "firmware_image.h"
#include "firmware_udp.h"
#include "recvtrace.h"
#include "thread_handover.h"
#include "transport.h"

namespace {

constexpr const char* kTraceFile = "task/algorithmboxproc.cpp";
constexpr int kWaitMs = 1000;
constexpr int kMaxDatagram = 8192;
constexpr int kBoxMode = 0x75;

uint16_t randomSequence() {
    static std::mutex mutex;
    static std::mt19937 rng{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<uint16_t>(rng());
}

// The box takes its firmware the way a scanner does, on the socket the box
// commands use.
bool upgradeOverSocket(int sock, const std::string& ip, int port, const std::string& path) {
    std::vector<uint8_t> image;
    if (!load_firmware_file(path, image)) {
        RECV_TRACE("AlgorithmBoxProc::runUpgrade") << "Failed to load firmware upgrade file";
        return false;
    }
    UdpSocketFirmwareIo io(sock, ip, port);
    FirmwareUdpHooks hooks;
    hooks.log = [](const std::string& line) {
        RECV_TRACE("AlgorithmBoxProc::runUpgrade") << QString::fromStdString(line);
    };
    const FirmwareUdpResult result = firmware_udp_transfer(io, image, randomSequence(), hooks);
    if (result.status == FirmwareUdpStatus::ImageRejected)
        RECV_TRACE("AlgorithmBoxProc::runUpgrade")
            << "Failed to load firmware upgrade file:" << firmware_check_text(result.imageCheck);
    return result.status == FirmwareUdpStatus::Ok;
}

}  // namespace

AuditRecord box_audit_record(const QString& box, int port, const QString& command) {
    AuditRecord r;
    r.address = QStringLiteral("%1:%2").arg(box).arg(port);
    r.link = QStringLiteral("BOX");
    r.operation = QLatin1String(audit::kBoxChange);
    r.command = command;
    return r;
}

AlgorithmBoxProc::AlgorithmBoxProc(int localPort, QObject* parent)
    : QThread(parent), m_localPort(localPort), m_upgrade(upgradeOverSocket) {
    setObjectName(QStringLiteral("AlgorithmBoxProc"));
    handover::watchThread(this);
}

AlgorithmBoxProc::~AlgorithmBoxProc() {
    stop();
    handover::joinThread(this);
}

void AlgorithmBoxProc::setBoxAddress(const QString& ip) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxAddress = ip;
}

QString AlgorithmBoxProc::boxAddress() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxAddress;
}

void AlgorithmBoxProc::setUpgrade(Upgrade upgrade) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_upgrade = std::move(upgrade);
}

void AlgorithmBoxProc::requestUpgrade(const QString& ip, const QString& path) {
    Q_UNUSED(ip);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_firmwarePath = path;
    }
    m_upgradeRequested = true;
}

int AlgorithmBoxProc::sendBoxCommand(int mode, const QString& cmd) {
    if (mode != kBoxMode) return -1;
    const uint16_t sn = randomSequence();
    const std::vector<uint8_t> frame = encode_box_command(sn, cmd.toLocal8Bit().toStdString());
    if (frame.empty()) return -1;
    // The lock keeps the loop from closing the socket under this send.
    std::lock_guard<std::mutex> lock(m_mutex);
    const int sock = m_socket;
    if (sock <= 0 || m_boxAddress.isEmpty()) return -1;
    const int sent =
        udp_send_to(sock, m_boxAddress.toStdString(), m_boxPort, frame.data(), int(frame.size()));
    RECV_TRACE("AlgorithmBoxProc::sendBoxCommand") << m_boxAddress << cmd << "sn" << sn << "sent" << sent;
    return sent == int(frame.size()) ? sn : -1;
}

void AlgorithmBoxProc::run() {
    int bound = 0;
    const int sock = udp_open(m_localPort, bound);
    if (sock < 0 || (m_localPort != 0 && bound != m_localPort)) {
        // Another program holds the port: the box would answer it, not us.
        if (sock >= 0) close_link(sock, true);
        m_boundPort = -1;
        emit sig_BoxMSG(boxAddress(), -1, tr("open BOXPORT failed!"));
        return;
    }
    m_boundPort = bound;
    m_socket = sock;

    std::vector<uint8_t> buffer(kMaxDatagram);
    while (m_running) {
        std::string from;
        const int n = udp_recv(sock, buffer.data(), kMaxDatagram, kWaitMs, &from);
        if (n < 0) {
            std::fprintf(stderr, "select error\n");
            // A socket that keeps failing must not spin the loop.
            QThread::msleep(100);
        } else if (n > 0) {
            handleDatagram(buffer.data(), size_t(n), from);
        }
        if (m_upgradeRequested) runUpgrade(sock);
    }

    std::lock_guard<std::mutex> lock(m_mutex);
    m_socket = -1;
    close_link(sock, true);
}

void AlgorithmBoxProc::handleDatagram(const uint8_t* data, size_t len, const std::string& from) {
    BoxReply reply;
    const int kind = classify_box_reply(data, len, reply);
    const QString address = QString::fromStdString(from);
    if (kind == BoxReplyNone) {
        const std::string hex = box_hex_text(data, len);
        if (!hex.empty()) RECV_TRACE("AlgorithmBoxProc::run") << address << "unknown datagram" << hex.c_str();
        return;
    }
    // Firmware answers are read by the upgrade routine itself; one arriving
    // here is a late or stray datagram.
    if (kind == BoxReplyFirmware) return;
    // Only a box reply names the box: a stray datagram must not redirect
    // the commands meant for it.
    setBoxAddress(address);
    RECV_TRACE("AlgorithmBoxProc::run") << "box" << address << "kind" << kind;
    emit sig_BoxMSG(address, kind, QString::fromLocal8Bit(reply.body.data(), int(reply.body.size())));
}

void AlgorithmBoxProc::runUpgrade(int sock) {
    m_upgradeRequested = false;
    QString path;
    Upgrade upgrade;
    QString address;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        path = m_firmwarePath;
        upgrade = m_upgrade;
        address = m_boxAddress;
    }
    bool ok = false;
    if (!QFileInfo(path).isFile()) {
        RECV_TRACE("AlgorithmBoxProc::runUpgrade") << "Failed to load firmware upgrade file" << path;
    } else if (upgrade && !address.isEmpty()) {
        ok = upgrade(sock, address.toStdString(), m_boxPort, QFile::encodeName(path).toStdString());
    }
    RECV_TRACE("AlgorithmBoxProc::runUpgrade") << address << path << (ok ? "OK" : "NG");
    emit sig_upgradeFinished(address, ok);
    emit sig_BoxMSG(address, 7, ok ? tr("firmware upgrade OK!") : tr("firmware upgrade NG!"));
}
