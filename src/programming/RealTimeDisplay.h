#pragma once
// What the real-time monitor shows for one answer of the device (command 0x09):
// a pure function of the frame's bytes. Offsets are from STX: 4-6 date (day,
// month, year minus 1900), 7-9 time, 10 session, 11 night, 12 mains disconnected,
// 13 sensor inactive, 14 disabled interval, 15-16 level in tenths of a dB
// (signed, big-endian), 17 attenuation in dB.

#include <QString>
#include <optional>
#include <span>

namespace slx {

// The shortest answer the monitor reads (up to offset 17, then ETX and check byte).
inline constexpr int kLongitudTiempoReal = 20;
// The bar's top: attenuations above it fill the bar.
inline constexpr int kMaximoBarra = 40;

struct RealTimeDisplay {
    QString LbFecha;        // "dd/mm/yy"; "--/--/--" when the bytes form no date
    QString LbHora;         // "hh:mm:ss"; "--:--:--" when they form no time
    bool LbSesion = false;  // visible
    QString LbNoche;        // "(" day or night word ")"
    bool LbRed = false;     // visible
    bool LbSensor = false;  // visible
    bool LbInhabil = false; // visible
    QString LbNivel;        // "---", "UND", "60.0" .. "120.0", "UP"
    QString LbAtenuador;    // "-60", "  0", "-<n>"
    bool ProgressBar1Visible = false;
    int ProgressBar1 = 0; // 0 .. kMaximoBarra

    bool operator==(const RealTimeDisplay &) const = default;
};

// The display of one answer, given the words for day and night (texts 98 and 99).
// A frame shorter than kLongitudTiempoReal gives nothing.
std::optional<RealTimeDisplay> realTimeDisplay(std::span<const quint8> trama, const QString &dia, const QString &noche);

} // namespace slx
