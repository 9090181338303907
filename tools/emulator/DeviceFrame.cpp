#include "DeviceFrame.h"

namespace slxemu {

quint8 xorOf(const QByteArray &bytes)
{
    quint8 x = 0;
    for (const char c : bytes)
        x ^= static_cast<quint8>(c);
    return x;
}

QByteArray encodeFrame(quint8 command, const QByteArray &data)
{
    const int total = 6 + static_cast<int>(data.size());
    QByteArray f;
    f.reserve(total);
    f.append(char(kStx));
    f.append(char((total >> 8) & 0xFF));
    f.append(char(total & 0xFF));
    f.append(char(command));
    f.append(data);
    f.append(char(kEtx));
    f.append(char(xorOf(f)));
    return f;
}

void RequestParser::reset()
{
    m_state = State::Idle;
    m_frame.clear();
    m_length = 0;
}

RequestParser::Event RequestParser::feed(quint8 byte)
{
    switch (m_state) {
    case State::Idle:
        if (byte == kStx) {
            m_frame = QByteArray(1, char(kStx));
            m_state = State::LengthHigh;
            return Event::None;
        }
        m_control = byte;
        return Event::Control;
    case State::LengthHigh:
        m_frame.append(char(byte));
        m_state = State::LengthLow;
        return Event::None;
    case State::LengthLow:
        m_frame.append(char(byte));
        m_length = (quint8(m_frame[1]) << 8) | byte;
        if (m_length < 6 || m_length > 513) {
            reset();
            return Event::BadFrame;
        }
        m_state = State::Body;
        return Event::None;
    case State::Body:
        m_frame.append(char(byte));
        if (m_frame.size() < m_length)
            return Event::None;
        m_state = State::Idle;
        if (xorOf(m_frame.left(m_length - 1)) != byte)
            return Event::BadFrame;
        return Event::Frame;
    }
    return Event::None;
}

} // namespace slxemu
