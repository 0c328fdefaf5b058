#include "firmwareupdateproc.h"

#include <QDebug>
#include <chrono>
#include <random>
#include <vector>

#include "firmware_image.h"
#include "serial_io.h"
#include "transport.h"

namespace {

int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

uint16_t randomSequenceNumber() {
    std::random_device device;
    return static_cast<uint16_t>(device() & 0xFFFF);
}

}  // namespace

FirmwareUpdateProc::FirmwareUpdateProc(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("FirmwareUpdateProc"));
}

void FirmwareUpdateProc::recv_upgrade(QString name, int port, QString path, QString type) {
    qDebug().noquote() << "FirmwareUpdateProc::recv_upgrade" << type << name << port << path;
    m_lastRate = -1;
    bool ok = false;
    QString reason;
    if (type == QLatin1String("UART"))
        ok = firmwareUpgrade_uart(name, port, path, reason);
    else if (type == QLatin1String("UDP"))
        ok = firmwareUpgrade_udp(name, port, path, reason);
    qDebug().noquote() << "FirmwareUpdateProc: upgrade" << (ok ? "succeeded" : "failed") << reason;
    emit sig_finish(ok, ok ? QString() : reason);
}

void FirmwareUpdateProc::reportProgress(size_t done, size_t total) {
    if (total == 0) return;
    const int rate = static_cast<int>(done * 100 / total);
    if (rate == m_lastRate) return;
    m_lastRate = rate;
    emit sig_progress(rate, tr("Firmware upgrade"), tr("%1 / %2 bytes").arg(done).arg(total));
}

// ---------------------------------------------------------------- serial

QString FirmwareUpdateProc::serialReason(const FirmwareSerialResult& result, const QString& portName) {
    switch (result.status) {
        case FirmwareSerialStatus::Ok:
            return {};
        case FirmwareSerialStatus::NoHandshake:
            return tr("lidar did not answer the upgrade request");
        case FirmwareSerialStatus::NotAcknowledged:
            return tr("lidar did not ack");
        case FirmwareSerialStatus::WriteFailed:
            return tr("can not write to:") + portName;
        case FirmwareSerialStatus::TransferFailed:
            return tr("transfer file errror");
    }
    return {};
}

bool FirmwareUpdateProc::firmwareUpgrade_uart(const QString& name, int baud, const QString& path,
                                              QString& reason) {
    std::vector<uint8_t> file;
    // An empty file would announce a zero-length image.
    if (!load_firmware_file(path.toStdString(), file) || file.empty()) {
        reason = tr("load  file failed:%1").arg(path);
        return false;
    }
    const int handle = baud > 0 ? open_serial(name.toStdString(), baud) : 0;
    if (handle <= 0) {
        reason = tr("can not open:") + name;
        return false;
    }
    SerialPortIo io(handle);
    reportProgress(0, file.size());
    XmodemHooks hooks;
    hooks.progress = [this](size_t done, size_t total) { reportProgress(done, total); };
    hooks.console = [](const std::string& text) { qDebug().noquote() << QString::fromStdString(text); };
    const FirmwareSerialResult result =
        firmware_serial_transfer(io, steadyMs, file.data(), file.size(), hooks);
    close_link(handle, false);
    if (result.status != FirmwareSerialStatus::Ok)
        qDebug() << "FirmwareUpdateProc: serial upgrade ended, xmodem result" << result.xmodemResult;
    reason = serialReason(result, name);
    return result.status == FirmwareSerialStatus::Ok;
}

// ---------------------------------------------------------------- UDP

QString FirmwareUpdateProc::udpReason(const FirmwareUdpResult& result) {
    switch (result.status) {
        case FirmwareUdpStatus::Ok:
            return {};
        case FirmwareUdpStatus::ImageRejected:
            return tr("Failed to load firmware upgrade file");
        case FirmwareUdpStatus::SendFailed:
            return tr("Failed to send firmware data");
        case FirmwareUdpStatus::WaitFailed:
            return tr("select failed");
        case FirmwareUdpStatus::ReceiveFailed:
            return tr("Failed to receive from the socket");
        case FirmwareUdpStatus::NoAnswer:
            return tr("Send data more than three times without answering");
        case FirmwareUdpStatus::Refused:
            return tr("lidar refused the firmware data (status %1)").arg(result.deviceStatus);
    }
    return {};
}

bool FirmwareUpdateProc::firmwareUpgrade_udp(const QString& ip, int port, const QString& path,
                                             QString& reason) {
    int bound = 0;
    const int sock = port > 0 && port <= 65535 ? udp_open(port, bound) : -1;
    if (sock <= 0) {
        reason = tr("Failed to open socket");
        return false;
    }
    if (bound != port) qDebug() << "FirmwareUpdateProc: local port" << port << "taken, using" << bound;
    const uint16_t sn = randomSequenceNumber();

    std::vector<uint8_t> image;
    const bool loaded = load_firmware_file(path.toStdString(), image);
    FirmwareUdpResult result;
    if (!loaded) {
        result.status = FirmwareUdpStatus::ImageRejected;
    } else {
        UdpSocketFirmwareIo io(sock, ip.toStdString(), port);
        FirmwareUdpHooks hooks;
        hooks.progress = [this](uint32_t done, uint32_t total) { reportProgress(done, total); };
        hooks.log = [](const std::string& line) {
            qDebug().noquote() << "FirmwareUpdateProc:" << QString::fromStdString(line);
        };
        result = firmware_udp_transfer(io, image, sn, hooks);
        if (result.status == FirmwareUdpStatus::ImageRejected)
            qDebug() << "FirmwareUpdateProc: image refused:" << firmware_check_text(result.imageCheck);
    }
    close_link(sock, true);
    reason = udpReason(result);
    return result.status == FirmwareUdpStatus::Ok;
}
