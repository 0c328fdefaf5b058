#pragma once
// Splits the bytes a scanner receives into commands: 'L','H' command frames
// (CRC checked; a bad frame is dropped whole) and, on "uart" links, bare
// command texts from 'L' to the first 'H'. The held bytes are bounded so a
// peer sending garbage cannot grow the buffer.

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace sim {

struct ReceivedCommand {
    bool isFrame = false;
    uint16_t mode = 0;
    uint16_t sn = 0;
    QByteArray body;  // frame body (padded length) or the command text
};

class FrameSplitter {
public:
    explicit FrameSplitter(bool acceptText) : m_acceptText(acceptText) {}

    std::vector<ReceivedCommand> feed(const QByteArray& bytes);
    int droppedFrames() const { return m_droppedFrames; }

    static constexpr int kMaxTextCommand = 96;
    static constexpr int kMaxHeld = 8192;

private:
    bool m_acceptText;
    QByteArray m_held;
    int m_droppedFrames = 0;
};

}  // namespace sim
