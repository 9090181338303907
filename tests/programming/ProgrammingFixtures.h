#pragma once
// Sheets and blocks of the two devices of the legacy database (100123 "Discoteca
// Nova", firmware 4.1, and 204567 "Pub El Racó", firmware 3.2), written out by hand.

#include "base/Modulo1.h"
#include "programming/FitxaProgramacio.h"

#include <QByteArray>
#include <array>

namespace fixtures {

// The block of device 100123 (P0 .. P364) written from the field table.
inline QByteArray bloque100123()
{
    QByteArray b = QByteArray::fromHex(
        // timetable, Sunday first: Sun 17:00-23:59, Mon closed, Tue/Wed 18:00-02:00,
        // Thu 18:00-02:30, Fri 18:00-05:00, Sat 17:30-05:00
        "1100173B"
        "2D2D2D2D"
        "12000200"
        "12000200"
        "1200021E"
        "12000500"
        "111E0500"
        // day limits 95 / 35, night 22:00 - 08:00, night limits 90 / 30
        "5F23"
        "16000800"
        "5A1E"
        // summer time on, attenuation 120 s, Leq 15 min, LFmax 105, no printing,
        // Català, 2 rings
        "01"
        "0078"
        "0F"
        "69"
        "00"
        "01"
        "02"
        // interval 1: 24/12/08 22:00 - 25/12/08 08:00; interval 2: 31/12/08 20:00 - 01/01/09 09:00
        "180C6C1600"
        "190C6C0800"
        "1F0C6C1400"
        "01016D0900");
    b.append(QByteArray(280, '\0')); // intervals 3 to 30 unused
    b.append(QByteArray::fromHex(
        // actuation: emission Leq5s (5), reception Leq125ms (125)
        "057D"
        // octaves 1.5 1 0.5 0 0 0 0.5 1 2 dB in tenths
        "000F"
        "000A"
        "0005"
        "0000"
        "0000"
        "0000"
        "0005"
        "000A"
        "0014"
        // global correction on
        "01"));
    return b;
}

// The block of device 204567 (firmware 3.2, P0 .. P363).
inline QByteArray bloque204567()
{
    QByteArray b = QByteArray::fromHex(
        // Sun closed, Mon closed, Tue closed, Wed 20:00-01:00, Thu 20:00-01:00,
        // Fri 20:00-03:00, Sat 20:00-03:00
        "2D2D2D2D"
        "2D2D2D2D"
        "2D2D2D2D"
        "14000100"
        "14000100"
        "14000300"
        "14000300"
        // day 85 / 32, night 22:00 - 08:00, night 80 / 27
        "5520"
        "16000800"
        "501B"
        // no summer time, attenuation 60 s, Leq 5 min, LFmax 100, printing, Español, 1 ring
        "00"
        "003C"
        "05"
        "64"
        "01"
        "00"
        "01");
    b.append(QByteArray(300, '\0'));
    // emission Leq1s (1, below 3.3), reception does not act (0), octaves 0
    b.append(QByteArray::fromHex("0100"));
    b.append(QByteArray(18, '\0'));
    return b;
}

// A read answer (command 0x04) carrying block, with a correct ETX and check byte.
inline std::array<quint8, 513> respuesta(const QByteArray &bloque, int longitudDeclarada = -1)
{
    std::array<quint8, 513> t{};
    const int longitud = longitudDeclarada >= 0 ? longitudDeclarada : bloque.size() + 6;
    QByteArray f;
    f.append(char(0x02)).append(char(longitud >> 8)).append(char(longitud & 0xFF)).append(char(0x04));
    f.append(bloque).append(char(0x03));
    char x = 0;
    for (char c : f)
        x ^= c;
    f.append(x);
    for (int i = 0; i < f.size() && i < 513; ++i)
        t[i] = static_cast<quint8>(f[i]);
    return t;
}

// The sheet of device 100123 as the sheet window shows it.
inline slx::FitxaProgramacio fitxa100123()
{
    slx::FitxaProgramacio f;
    f.TextFecha = "10/12/26";
    f.TextHora = "10:17:36";
    f.MaskNumeroSerie = "100123";
    f.MaskFecha = "20/10/08";
    f.MaskContacto = "Joan Puig i Serra";
    f.MaskLocal = "Discoteca Nova";
    f.MaskDireccion = "C/ Major, 12";
    f.MaskPoblacion = "Girona";
    f.MaskTelefono = "972214365";
    f.TextNota = QString::fromUtf8("Instal·lat al costat de la cabina del DJ.\r\nRevisar el micròfon cada 6 mesos.");
    f.MaskVersion = "4.1";
    f.CheckCambioHora = true;
    f.CheckImpresion = false;
    f.CheckApliCorrecioGlobal = true;
    f.CheckApliCorrecioGlobalVisible = true;
    f.OptionIdioma = slx::OpcionIdioma::Catalan;
    f.OptionLocal = slx::OpcionLocal::Leq1s;
    f.MaskTempsActLoc = "05";
    f.OptionVei = slx::OpcionVei::Leq125;
    f.MaskTempsActVei = "01";
    f.MaskTempsActEnabled = true;
    f.MaskTLeq = "15";
    f.MaskMFast = "105";
    f.MaskLunesIni = "--:--";
    f.MaskLunesFi = "--:--";
    f.MaskMartesIni = "18:00";
    f.MaskMartesFi = "02:00";
    f.MaskMiercolesIni = "18:00";
    f.MaskMiercolesFi = "02:00";
    f.MaskJuevesIni = "18:00";
    f.MaskJuevesFi = "02:30";
    f.MaskViernesIni = "18:00";
    f.MaskViernesFi = "05:00";
    f.MaskSabadoIni = "17:30";
    f.MaskSabadoFi = "05:00";
    f.MaskDomingoIni = "17:00";
    f.MaskDomingoFi = "23:59";
    f.MaskDiaLocal = "95";
    f.MaskDiaVei = "35";
    f.MaskEmpiezaNoche = "22:00";
    f.MaskTerminaNoche = "08:00";
    f.MaskEmpiezaDia = "08:00";
    f.MaskTerminaDia = "22:00";
    f.MaskNitLocal = "90";
    f.MaskNitVei = "30";
    f.MaskTiempoAtenuacion = "120";
    f.MaskRings = "2";
    f.MaskOctava = {"1.5", "1", "0.5", "0", "0", "0", "0.5", "1", "2"};
    for (int k = 0; k < 30; ++k)
        f.MatrizInhabil[k] = {k + 1, "00/00/00", "00:00", "00/00/00", "00:00"};
    f.MatrizInhabil[0] = {1, "24/12/08", "22:00", "25/12/08", "08:00"};
    f.MatrizInhabil[1] = {2, "31/12/08", "20:00", "01/01/09", "09:00"};
    return f;
}

// Copies the grid rows of a sheet into the shared disabled intervals.
inline void publica(const slx::FitxaProgramacio &f)
{
    std::ranges::copy(f.MatrizInhabil, slx::modulo1().IntervalosInhabiles.begin());
}

} // namespace fixtures
