#pragma once
// The scanner's command interpreter, independent of the link: framed
// requests (C_PACK, S_PACK, GS_PACK, keep-alive, zone modes) in, complete
// reply frames out; and the plain-text exchange of "uart" links. Changes the
// DeviceState; what the links must do about a command (start, stop, restart,
// move) comes back as CommandEffects. Lives on the simulator thread.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "device_state.h"
#include "sim_options.h"

class ZoneStore;

namespace sim {

struct CommandEffects {
    bool startStream = false;
    bool stopStream = false;
    bool restart = false;
    bool atsReceived = false;   // "LSATS" accepted: stream to the command's source
    bool blockChanged = false;  // persist the parameter block
    bool zonesChanged = false;  // persist the zone image
    bool moveAddress = false;   // "LSUDP" accepted: rebind to newIp:newPort
    QString newIp;
    quint16 newPort = 0;
    bool rpmChanged = false;
    uint32_t newBaud = 0;  // "LSBPS" accepted: the serial line's next rate
};

class CommandHandler {
public:
    CommandHandler(DeviceState& state, ZoneStore& zones, const SimOptions& options);

    // One frame whose CRC has been checked. Returns the reply frames in
    // order (none for a restart, an unknown mode or when muted).
    std::vector<QByteArray> handleFrame(uint16_t mode, uint16_t sn, const QByteArray& body,
                                        CommandEffects& fx);

    // One plain-text command of a "uart" link (from 'L' to 'H'). Returns the
    // reply line(s) with CR LF, empty when the scanner says nothing.
    QByteArray handleText(const QByteArray& command, CommandEffects& fx);

    enum class SetResult { Ok, Refused, Unknown };
    // Applies a set command text ("LS...:...H", or the serial "LSSS%1H" /
    // "LFFF%1H"). Honours --refuse.
    SetResult applySet(const QString& command, CommandEffects& fx);

    // The serial-table answer to a query ("LUUIDH", "LQSRPMH", ...), without
    // line end; empty for an unknown query.
    QString queryReply(const QString& query) const;

private:
    DeviceState& m_state;
    ZoneStore& m_zones;
    const SimOptions& m_options;
};

}  // namespace sim
