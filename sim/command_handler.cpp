#include "command_handler.h"

#include <QHostAddress>
#include <QRegularExpression>

#include "command_frame.h"
#include "frame_splitter.h"
#include "le_bytes.h"
#include "zone_image.h"
#include "zone_store.h"

namespace sim {

namespace {

QString bodyText(const QByteArray& body) {
    const int nul = body.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? body : body.left(nul));
}

bool parseUnsigned(const QString& text, uint32_t max, uint32_t* out, int base = 10) {
    if (text.isEmpty() || text.size() > 10) return false;
    for (QChar c : text) {
        if (base == 10 && !c.isDigit()) return false;
        if (base == 16 && !QStringLiteral("0123456789abcdefABCDEF").contains(c)) return false;
    }
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, base);
    if (!ok || v > max) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

bool parseFlag(const QString& text, uint8_t* out) {
    if (text != QLatin1String("0") && text != QLatin1String("1")) return false;
    *out = static_cast<uint8_t>(text == QLatin1String("1"));
    return true;
}

// "%03d.%03d.%03d.%03d" (leading zeros optional): four octets, first first.
bool parseQuad(const QString& text, uint8_t out[4]) {
    const QStringList parts = text.split('.');
    if (parts.size() != 4) return false;
    for (int i = 0; i < 4; ++i) {
        uint32_t v = 0;
        if (parts[i].size() > 3 || !parseUnsigned(parts[i], 255, &v)) return false;
        out[i] = static_cast<uint8_t>(v);
    }
    return true;
}

QString quadText(const uint8_t q[4]) {
    return QStringLiteral("%1.%2.%3.%4").arg(q[0]).arg(q[1]).arg(q[2]).arg(q[3]);
}

}  // namespace

CommandHandler::CommandHandler(DeviceState& state, ZoneStore& zones, const SimOptions& options)
    : m_state(state), m_zones(zones), m_options(options) {}

std::vector<QByteArray> CommandHandler::handleFrame(uint16_t mode, uint16_t sn, const QByteArray& body,
                                                    CommandEffects& fx) {
    if (m_options.mute) return {};
    switch (mode) {
        case C_PACK: {
            const QString cmd = bodyText(body);
            if (cmd == QLatin1String("LRESTH")) {
                fx.restart = true;  // a restarting scanner does not answer
                return {};
            }
            QByteArray text;
            if (cmd == QLatin1String("LSTARH")) {
                fx.startStream = true;
                text = "LiDAR start";
            } else if (cmd == QLatin1String("LSTOPH")) {
                fx.stopStream = true;
                text = "LiDAR stop";
            } else if (const QString q = queryReply(cmd); !q.isEmpty()) {
                text = q.toLatin1();
            } else if (cmd.startsWith(QLatin1String("LS"))) {
                const SetResult r = applySet(cmd, fx);
                text = r == SetResult::Ok ? "OK" : r == SetResult::Refused ? "NG" : "unsupport";
            } else {
                text = "unsupport";
            }
            return {encodeReplyFrame(mode, sn, text)};
        }
        case S_PACK: {
            const SetResult r = applySet(bodyText(body), fx);
            return {encodeReplyFrame(mode, sn, r == SetResult::Ok ? QByteArray("OK") : QByteArray("NG"))};
        }
        case GS_PACK:
            // Also the second half of "LSZTP": whatever the body, the answer is the block.
            return {encodeReplyFrame(mode, sn, m_state.blockBytes())};
        case KEEPALIVE_PACK: {
            // 44 bytes in all: the request's 32-byte payload comes back.
            QByteArray payload = body.left(32);
            payload.append(QByteArray(32 - payload.size(), '\0'));
            return {encodeReplyFrame(mode, sn, payload)};
        }
        case ZONE_READ_PACK:
        case ZONE_WRITE_PACK: {
            std::vector<QByteArray> replies = m_zones.handle(mode, sn, body);
            if (mode == ZONE_WRITE_PACK && body.size() >= 8 &&
                le32(reinterpret_cast<const uint8_t*>(body.constData()) + 4) == kZoneReload)
                fx.zonesChanged = true;
            return replies;
        }
        default:
            return {};
    }
}

QString CommandHandler::queryReply(const QString& q) const {
    const EEpromV101& b = m_state.block();
    auto text = [](const char* field, int size) {
        return QString::fromLatin1(field, static_cast<int>(strnlen(field, static_cast<size_t>(size))));
    };
    if (q == QLatin1String("LUUIDH"))
        return QStringLiteral("PRODUCT SN:") + text(b.productSn, sizeof b.productSn);
    if (q == QLatin1String("LTYPEH")) return QStringLiteral("TYPE ID:") + text(b.typeId, sizeof b.typeId);
    if (q == QLatin1String("LXVERH")) return QStringLiteral("MOTOR VERSION:VSIM-1.4.2");
    if (q == QLatin1String("LQSRPMH")) return QStringLiteral("SRPM:%1").arg(b.rpm, 4, 10, QChar('0'));
    if (q == QLatin1String("LQSMTH")) return QStringLiteral("SMT:%1").arg(b.smt);
    if (q == QLatin1String("LQDSWH")) return QStringLiteral("DSW:%1").arg(b.dsw);
    if (q == QLatin1String("LQAZNH")) return QStringLiteral("ZONE NUM:%1").arg(b.azn & 0x0F, 1, 16).toUpper();
    if (q == QLatin1String("LQPSTH")) return QStringLiteral("UPLOAD TYPE:%1").arg(b.pst);
    if (q == QLatin1String("LQNPNH")) {
        QString bits;
        for (int k = 0; k < 8; ++k) bits += (b.pnpBits >> k) & 1 ? QChar('1') : QChar('0');
        return QStringLiteral("IO TYPE:") + bits;
    }
    if (q == QLatin1String("LQOUTH")) {
        QString hex;
        for (int k = 0; k < 12; ++k)
            hex += QStringLiteral("%1").arg(b.outMap[k], 2, 16, QChar('0')).toUpper();
        return QStringLiteral("IO MAP:") + hex;
    }
    if (q == QLatin1String("LQCIRH")) return QStringLiteral("CIR:%1").arg(b.cir, 2, 10, QChar('0'));
    if (q == QLatin1String("LQFIRH")) return QStringLiteral("FIR:%1").arg(b.fir, 2, 10, QChar('0'));
    if (q == QLatin1String("LQZTPH")) return QStringLiteral("ZONE TYPE:%1").arg((b.azn >> 4) & 1);
    // Seven characters exactly ("1,00300"): the reader copies a fixed width.
    if (q == QLatin1String("LQZIRH"))
        return QStringLiteral("ZIR:%1,%2").arg((b.flags143 >> 2) & 1).arg(b.zirDistance, 5, 10, QChar('0'));
    if (q == QLatin1String("LQSAFH")) return QStringLiteral("SAF:%1").arg(b.af, 2, 10, QChar('0'));
    return {};
}

CommandHandler::SetResult CommandHandler::applySet(const QString& cmd, CommandEffects& fx) {
    QString name, arg;
    static const QRegularExpression serialForm(QStringLiteral("^L(SSS|FFF)([0-9])H$"));
    static const QRegularExpression setForm(QStringLiteral("^LS([A-Z]{2,3}):(.*)H$"));
    if (const auto m = serialForm.match(cmd); m.hasMatch()) {
        name = m.captured(1);
        arg = m.captured(2);
    } else if (const auto m2 = setForm.match(cmd); m2.hasMatch()) {
        name = m2.captured(1);
        arg = m2.captured(2);
    } else {
        return SetResult::Unknown;
    }
    static const QStringList known = {"RPM", "DID", "UDP", "DST", "PST", "TFX", "CCW", "PNP",
                                      "OUT", "FIR", "CIR", "BPS", "DSW", "SMT", "ZTP", "AF",
                                      "ZIR", "AZN", "ATS", "DOG", "RES", "SSS", "FFF"};
    if (!known.contains(name)) return SetResult::Unknown;
    if (m_options.refuse) return SetResult::Refused;

    EEpromV101& b = m_state.block();
    uint32_t v = 0;
    uint8_t flag = 0;
    bool ok = false;
    if (name == QLatin1String("RPM")) {
        ok = parseUnsigned(arg, 65535, &v) && m_state.rpmAllowed(static_cast<int>(v));
        if (ok && b.rpm != v) fx.rpmChanged = true;
        if (ok) b.rpm = static_cast<uint16_t>(v);
    } else if (name == QLatin1String("DID")) {
        ok = parseUnsigned(arg, 0xFFFFFFFFu, &v);
        if (ok) b.deviceId = v;
    } else if (name == QLatin1String("UDP")) {
        const QStringList parts = arg.split(' ');
        uint8_t ip[4], mask[4], gw[4];
        ok = parts.size() == 4 && parseQuad(parts[0], ip) && parseQuad(parts[1], mask) &&
             parseQuad(parts[2], gw) && parts[3].size() <= 5 && parseUnsigned(parts[3], 65535, &v) && v > 0 &&
             ip[0] != 0 && mask[0] != 0;
        if (ok) {
            std::copy(ip, ip + 4, b.ip);
            std::copy(mask, mask + 4, b.mask);
            std::copy(gw, gw + 4, b.gateway);
            b.lidarPort = static_cast<uint16_t>(v);
            fx.moveAddress = true;
            fx.newIp = quadText(ip);
            fx.newPort = static_cast<uint16_t>(v);
        }
    } else if (name == QLatin1String("DST")) {
        const QStringList parts = arg.split(' ');
        uint8_t ip[4];
        ok = parts.size() == 2 && parseQuad(parts[0], ip) && parts[1].size() <= 5 &&
             parseUnsigned(parts[1], 65535, &v) && v > 0;
        if (ok) {
            std::copy(ip, ip + 4, b.uploadIp);
            b.uploadPort = static_cast<uint16_t>(v);
        }
    } else if (name == QLatin1String("PST")) {
        ok = parseUnsigned(arg, 3, &v);
        if (ok) b.pst = static_cast<uint8_t>(v);
    } else if (name == QLatin1String("TFX")) {
        ok = parseFlag(arg, &flag);
        if (ok) b.tfx = flag;
    } else if (name == QLatin1String("CCW")) {
        ok = parseFlag(arg, &flag);
        if (ok) b.ccw = flag;
    } else if (name == QLatin1String("PNP")) {
        // Bit k follows the k-th character. The box variant appends the text
        // of its I/O selector ("A" or "B"), kept as bit 1 of byte 43.
        static const QRegularExpression pnpForm(QStringLiteral("^([01]{1,32})([AB]?)$"));
        const auto m = pnpForm.match(arg);
        ok = m.hasMatch();
        if (ok) {
            const QString digits = m.captured(1);
            uint32_t bits = 0;
            for (int k = 0; k < digits.size(); ++k)
                if (digits[k] == QChar('1')) bits |= 1u << k;
            b.pnpBits = bits;
            if (!m.captured(2).isEmpty()) {
                auto* raw = reinterpret_cast<uint8_t*>(&b);
                raw[43] = static_cast<uint8_t>((raw[43] & ~0x02) |
                                               (m.captured(2) == QLatin1String("B") ? 0x02 : 0));
            }
        }
    } else if (name == QLatin1String("OUT")) {
        ok = arg.size() >= 24 && arg.size() <= 32 && arg.size() % 2 == 0;
        uint8_t map[16] = {};
        for (int k = 0; ok && k < arg.size() / 2; ++k) {
            ok = parseUnsigned(arg.mid(2 * k, 2), 255, &v, 16);
            map[k] = static_cast<uint8_t>(v);
        }
        if (ok) std::copy(map, map + arg.size() / 2, b.outMap);
    } else if (name == QLatin1String("FIR") || name == QLatin1String("CIR")) {
        // The serial query carries two digits, so neither setting goes past 99.
        ok = parseUnsigned(arg, 99, &v);
        if (ok) (name == QLatin1String("FIR") ? b.fir : b.cir) = static_cast<uint8_t>(v);
    } else if (name == QLatin1String("BPS")) {
        ok = parseUnsigned(arg, 4000000, &v) && v >= 1200;
        if (ok) fx.newBaud = v;
    } else if (name == QLatin1String("DSW") || name == QLatin1String("FFF")) {
        ok = parseFlag(arg, &flag);
        if (ok) b.dsw = flag;
    } else if (name == QLatin1String("SMT") || name == QLatin1String("SSS")) {
        ok = parseFlag(arg, &flag);
        if (ok) b.smt = flag;
    } else if (name == QLatin1String("ZTP")) {
        ok = parseFlag(arg, &flag);
        if (ok) b.azn = static_cast<uint8_t>((b.azn & ~0x10) | (flag << 4));
    } else if (name == QLatin1String("AF")) {
        // Decimal, from the parameter page and from a file import alike.
        ok = parseUnsigned(arg, 200, &v);
        if (ok) b.af = static_cast<uint16_t>(v);
    } else if (name == QLatin1String("ZIR")) {
        const QStringList parts = arg.split(',');
        uint32_t a = 0;
        ok = parts.size() == 2 && parseUnsigned(parts[0], 1, &a) && parseUnsigned(parts[1], 65535, &v);
        if (ok) {
            b.flags143 = static_cast<uint8_t>((b.flags143 & ~0x04) | (a << 2));
            b.zirDistance = static_cast<uint16_t>(v);
        }
    } else if (name == QLatin1String("AZN")) {
        ok = arg.size() <= 2 && parseUnsigned(arg, 15, &v, 16);
        if (ok) b.azn = static_cast<uint8_t>((b.azn & 0xF0) | v);
    } else if (name == QLatin1String("ATS")) {
        ok = parseUnsigned(arg, 255, &v);
        if (ok) {
            b.ats = static_cast<uint8_t>(v);
            fx.atsReceived = true;
        }
    } else if (name == QLatin1String("DOG")) {
        ok = parseUnsigned(arg, 0xFFFFFFFFu, &v);
        if (ok) b.dog = v;
    } else if (name == QLatin1String("RES")) {
        ok = parseUnsigned(arg, 65535, &v);
        if (ok) b.res = static_cast<uint16_t>(v);
    }
    if (ok) fx.blockChanged = true;
    return ok ? SetResult::Ok : SetResult::Refused;
}

QByteArray CommandHandler::handleText(const QByteArray& command, CommandEffects& fx) {
    if (m_options.mute) return {};
    const QString cmd = QString::fromLatin1(command);
    QByteArray line;
    if (cmd == QLatin1String("LRESTH")) {
        fx.restart = true;
        return {};
    }
    if (cmd == QLatin1String("LSTARH")) {
        fx.startStream = true;
        line = "LiDAR start";
    } else if (cmd == QLatin1String("LSTOPH")) {
        fx.stopStream = true;
        line = "LiDAR stop";
    } else if (const QString q = queryReply(cmd); !q.isEmpty()) {
        line = q.toLatin1();
    } else if (cmd.startsWith(QLatin1String("LSSS")) || cmd.startsWith(QLatin1String("LFFF"))) {
        const SetResult r = applySet(cmd, fx);
        line = r == SetResult::Ok ? (cmd.startsWith(QLatin1String("LSSS")) ? "smooth ok" : "filter ok")
                                  : (r == SetResult::Refused ? "error" : "unsupport");
    } else if (cmd.startsWith(QLatin1String("LSRPM:"))) {
        const SetResult r = applySet(cmd, fx);
        // The reader looks at the two characters after "Set RPM:" and a separator.
        line = r == SetResult::Ok ? "Set RPM: OK" : "Set RPM: error";
    } else if (cmd.startsWith(QLatin1String("LS"))) {
        const SetResult r = applySet(cmd, fx);
        if (r == SetResult::Unknown)
            line = "unsupport";
        else
            line = command + (r == SetResult::Ok ? " OK" : " ER");
    } else {
        line = "unsupport";
    }
    return line + "\r\n";
}

}  // namespace sim
