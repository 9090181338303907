#pragma once
// The frame receiver: a byte-fed state machine that assembles one device frame
// into the shared 513-byte frame buffer. It does no I/O of its own; receiveFrame
// feeds it the bytes read from the serial control, and tests and the fuzz target
// feed it byte strings.
//
// Frame: STX 0x02, a 16-bit big-endian length counting the whole frame (STX and
// check byte included), the command and its data, ETX, and a check byte that is
// the XOR of every byte before it. Bytes before STX are skipped; the command and
// the ETX are not checked. A declared length outside 5..513 is refused at once:
// nothing past the length bytes is stored.

#include <array>
#include <cstddef>
#include <cstdint>

namespace slx {

class FrameReceiver {
public:
    static constexpr int kBufferSize = 513;
    static constexpr int kMinLength = 5;
    static constexpr int kMaxLength = kBufferSize;
    static constexpr std::uint8_t STX = 0x02;

    using Buffer = std::array<std::uint8_t, kBufferSize>;

    enum class State { Hunting, LengthHigh, LengthLow, Body, Check, Complete, BadCheck, BadLength };
    enum class Result { NeedMore, Complete, BadCheck, BadLength };

    // Starts a receive: index 0 of the buffer is cleared, the rest is left as it is.
    explicit FrameReceiver(Buffer &buffer);

    // Starts over (index 0 cleared).
    void reset();

    // One received byte. Once the frame is complete or refused, further bytes are
    // ignored and the same result is returned until reset().
    Result feed(std::uint8_t byte);

    State state() const { return m_state; }
    // The declared length as the frame carries it, read as a signed 16-bit value
    // (0 before both length bytes arrived).
    int declaredLength() const { return m_length; }
    // Index of the last byte stored (-1 before STX).
    int lastIndex() const { return m_index; }

private:
    Result result() const;

    Buffer &m_buffer;
    State m_state = State::Hunting;
    int m_length = 0;
    int m_index = -1;
    std::uint8_t m_check = 0;
};

} // namespace slx
