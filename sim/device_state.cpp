#include "device_state.h"

#include <QFile>
#include <QHostAddress>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <exception>

#include "model_table.h"

namespace sim {

QString modelProperty(const QString& model, const char* key) {
    try {
        return QString::fromStdString(model_property(model.toStdString(), key));
    } catch (const std::exception&) {
        return {};
    }
}

namespace {

void putText(char* field, size_t size, const QString& text) {
    std::memset(field, 0, size);
    const QByteArray bytes = text.toLatin1().left(static_cast<int>(size));
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void putIpv4(uint8_t field[4], const QString& text) {
    const quint32 v = QHostAddress(text).toIPv4Address();
    for (int i = 0; i < 4; ++i) field[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

DeviceState::DeviceState(const SimOptions& options) : m_model(options.model), m_fault(options.faultWord) {
    for (const QString& part : modelProperty(m_model, "rpm").split('|', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (ok && v > 0) m_rpms.push_back(v);
    }
    m_zonesSupported = modelProperty(m_model, "alarmZone").toInt() != 0;

    // Factory settings. The scanner's own address follows the link it was
    // started on; scan data goes to 127.0.0.1 on the same port by default.
    EEpromV101& b = m_block;
    std::memcpy(b.reserved0, "EEPV101\0", 8);
    putText(b.productSn, sizeof b.productSn, options.serialNumber);
    putText(b.typeId, sizeof b.typeId, m_model);
    b.deviceId = 1;
    const QString ip = !options.udpAddress.isEmpty()   ? options.udpAddress
                       : !options.tcpAddress.isEmpty() ? options.tcpAddress
                                                       : QStringLiteral("192.168.0.10");
    const quint16 port = options.udpPort ? options.udpPort : options.tcpPort ? options.tcpPort : 6543;
    putIpv4(b.ip, ip);
    putIpv4(b.mask, QStringLiteral("255.255.255.0"));
    putIpv4(b.gateway, ip.section('.', 0, 2) + QStringLiteral(".1"));
    putIpv4(b.uploadIp, QStringLiteral("127.0.0.1"));
    b.uploadPort = port;
    b.lidarPort = port;
    b.rpm = static_cast<uint16_t>(m_rpms.empty() || rpmAllowed(600) ? 600 : m_rpms.front());
    if (options.rpm > 0) b.rpm = static_cast<uint16_t>(options.rpm);
    if (options.rpm == kTopSpeed) b.rpm = static_cast<uint16_t>(topRpm());
    b.zirDistance = 300;
    b.fir = 3;
    b.cir = 2;
    b.res = 1;
    b.ats = 0;
    b.tfx = 0;
    b.smt = 0;
    b.dsw = 1;
    b.dog = 1;
    b.pnpBits = 0x0F;
    b.af = 10;
    b.azn = 0;
    b.pst = 3;
    for (int k = 0; k < 12; ++k) b.outMap[k] = static_cast<uint8_t>(1u << (k % 4));
    b.ccw = 0;
    b.flags143 = 0x04;
}

QByteArray DeviceState::blockBytes() const {
    return QByteArray(reinterpret_cast<const char*>(&m_block), sizeof m_block);
}

QString DeviceState::serialNumber() const {
    return QString::fromLatin1(m_block.productSn,
                               static_cast<int>(strnlen(m_block.productSn, sizeof m_block.productSn)));
}

bool DeviceState::rpmAllowed(int rpm) const {
    // A model missing from the table has no list; accept any plausible speed.
    if (m_rpms.empty()) return rpm >= 60 && rpm <= 3000;
    for (int v : m_rpms)
        if (v == rpm) return true;
    return false;
}

int DeviceState::topRpm() const {
    int top = m_rpms.empty() ? 3000 : 0;
    for (int v : m_rpms) top = std::max(top, v);
    return top;
}

int32_t DeviceState::zoneState() const {
    return m_zonesSupported ? int32_t(m_block.azn & 0x0F) : -1;
}

StateRecord DeviceState::stateRecord(uint32_t sequence) const {
    StateRecord r;
    r.sequence = sequence;
    r.faultWord = m_fault;
    r.zoneState = zoneState();
    r.rpm = m_block.rpm;
    r.temperatureTenths = 415;
    r.supplyMillivolts = 24000;
    std::memcpy(r.serialNumber, m_block.productSn, sizeof r.serialNumber);
    return r;
}

bool DeviceState::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.read(sizeof m_block + 1);
    if (bytes.size() != static_cast<int>(sizeof m_block)) return false;
    std::memcpy(&m_block, bytes.constData(), sizeof m_block);
    return true;
}

bool DeviceState::save(const QString& path) const {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(blockBytes());
    return f.commit();
}

}  // namespace sim
