#pragma once
// Splits the bytes a scanner receives into commands: 'L','H' command frames
// (CRC checked; a bad frame is dropped whole) and, on "uart" links, bare
// command texts from 'L' to the first 'H'. The held bytes are bounded so a
// peer sending garbage cannot grow the buffer. Also builds the reply frames
// that go back.

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

// The complete reply frame to a request of `requestMode`: reply code ~mode,
// the request's sequence number, `payload` as the body.
QByteArray encodeReplyFrame(uint16_t requestMode, uint16_t sn, const QByteArray& payload);

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
