#pragma once
// The device frame, both directions: STX, a 16-bit big-endian length counting the
// whole frame (STX and check byte included), the command and its data, ETX, and
// a check byte that is the XOR of every byte before it. Every request the program
// sends is built by trama(); every check byte it computes comes from checkByte().

#include <QByteArray>
#include <QByteArrayView>

namespace slx {

inline constexpr quint8 STX = 0x02;
inline constexpr quint8 ETX = 0x03;
inline constexpr quint8 ACK = 0x06;
inline constexpr quint8 CAN = 0x18;

// The XOR of the bytes: the check byte of a frame whose bytes up to its ETX they are.
quint8 checkByte(QByteArrayView bytes);

// The whole request frame of a command: STX, length (data + 6), the command, the
// data, ETX and the check byte. trama(0x01) is 02 00 06 01 03 06.
QByteArray trama(quint8 comando, QByteArrayView datos = {});

} // namespace slx
