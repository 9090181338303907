#include "link/FrameReceiver.h"

namespace slx {

FrameReceiver::FrameReceiver(Buffer &buffer)
    : m_buffer(buffer)
{
    reset();
}

void FrameReceiver::reset()
{
    m_buffer[0] = 0;
    m_state = State::Hunting;
    m_length = 0;
    m_index = -1;
    m_check = 0;
}

FrameReceiver::Result FrameReceiver::result() const
{
    switch (m_state) {
    case State::Complete: return Result::Complete;
    case State::BadCheck: return Result::BadCheck;
    case State::BadLength: return Result::BadLength;
    default: return Result::NeedMore;
    }
}

FrameReceiver::Result FrameReceiver::feed(std::uint8_t byte)
{
    switch (m_state) {
    case State::Hunting:
        // Every byte before STX goes to index 0 and is thrown away by the next.
        m_buffer[0] = byte;
        if (byte == STX) {
            m_index = 0;
            m_check = STX;
            m_state = State::LengthHigh;
        }
        break;
    case State::LengthHigh:
        m_buffer[1] = byte;
        m_index = 1;
        m_check ^= byte;
        m_state = State::LengthLow;
        break;
    case State::LengthLow: {
        m_buffer[2] = byte;
        m_index = 2;
        m_check ^= byte;
        m_length = static_cast<std::int16_t>(static_cast<std::uint16_t>((m_buffer[1] << 8) | byte));
        m_state = (m_length < kMinLength || m_length > kMaxLength) ? State::BadLength : State::Body;
        break;
    }
    case State::Body:
        // Indices 3 .. length-2: the command, its data and the ETX.
        ++m_index;
        m_buffer[static_cast<std::size_t>(m_index)] = byte;
        m_check ^= byte;
        if (m_index == m_length - 2)
            m_state = State::Check;
        break;
    case State::Check:
        m_index = m_length - 1;
        m_buffer[static_cast<std::size_t>(m_index)] = byte;
        m_state = byte == m_check ? State::Complete : State::BadCheck;
        break;
    case State::Complete:
    case State::BadCheck:
    case State::BadLength: break;
    }
    return result();
}

} // namespace slx
