#pragma once
// The device's framing, as the SLX-90 itself does it: STX 0x02, the whole
// frame's length (big-endian, STX and check byte included), the command, its data,
// ETX 0x03 and the XOR of every byte before the check byte.

#include <QByteArray>
#include <QtGlobal>

namespace slxemu {

constexpr quint8 kStx = 0x02;
constexpr quint8 kEtx = 0x03;
constexpr quint8 kAck = 0x06;
constexpr quint8 kNak = 0x15;
constexpr quint8 kCan = 0x18;

// XOR of the bytes.
quint8 xorOf(const QByteArray &bytes);

// A whole frame: STX, length, command, data, ETX, check.
QByteArray encodeFrame(quint8 command, const QByteArray &data);

// Assembles the frames the PC sends; bytes outside a frame are control bytes.
class RequestParser {
public:
    enum class Event { None, Control, Frame, BadFrame };
    Event feed(quint8 byte);
    // After Event::Frame: the whole frame; after Event::Control: the byte.
    const QByteArray &frame() const { return m_frame; }
    quint8 control() const { return m_control; }
    bool inFrame() const { return m_state != State::Idle; }
    void reset();

private:
    enum class State { Idle, LengthHigh, LengthLow, Body };
    State m_state = State::Idle;
    QByteArray m_frame;
    int m_length = 0;
    quint8 m_control = 0;
};

} // namespace slxemu
