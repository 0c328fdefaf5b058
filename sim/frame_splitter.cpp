#include "frame_splitter.h"

#include "command_frame.h"

namespace sim {

QByteArray encodeReplyFrame(uint16_t requestMode, uint16_t sn, const QByteArray& payload) {
    const std::vector<uint8_t> frame = encode_command_frame(
        reply_code(requestMode), sn, reinterpret_cast<const uint8_t*>(payload.constData()),
        static_cast<size_t>(payload.size()));
    return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()));
}

std::vector<ReceivedCommand> FrameSplitter::feed(const QByteArray& bytes) {
    m_held.append(bytes);
    std::vector<ReceivedCommand> out;
    int pos = 0;
    while (pos < m_held.size()) {
        const int l = m_held.indexOf('L', pos);
        if (l < 0) {
            pos = m_held.size();
            break;
        }
        pos = l;
        const int avail = m_held.size() - pos;
        if (avail < 2) break;
        const auto* p = reinterpret_cast<const uint8_t*>(m_held.constData()) + pos;
        if (p[1] == 'H') {
            CommandFrameView view;
            const int rc = decode_command_frame(p, static_cast<size_t>(avail), view);
            if (rc == 0) break;  // wait for the rest of the frame
            if (rc < 0) {
                pos += 1;
                continue;
            }
            if (!view.crcOk) {
                ++m_droppedFrames;
                pos += static_cast<int>(view.frameLength);
                continue;
            }
            ReceivedCommand c;
            c.isFrame = true;
            c.mode = view.mode;
            c.sn = view.sn;
            c.body = QByteArray(reinterpret_cast<const char*>(view.body), view.length);
            out.push_back(c);
            pos += static_cast<int>(view.frameLength);
            continue;
        }
        if (m_acceptText) {
            const int h = m_held.indexOf('H', pos + 1);
            if (h >= 0 && h - pos < kMaxTextCommand) {
                ReceivedCommand c;
                c.body = m_held.mid(pos, h - pos + 1);
                out.push_back(c);
                pos = h + 1;
                continue;
            }
            if (h < 0 && avail < kMaxTextCommand) break;  // the command may still be arriving
        }
        pos += 1;
    }
    m_held.remove(0, pos);
    if (m_held.size() > kMaxHeld) m_held.remove(0, m_held.size() - kMaxHeld);
    return out;
}

}  // namespace sim
