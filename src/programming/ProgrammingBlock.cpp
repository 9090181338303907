#include "programming/ProgrammingBlock.h"

#include "base/Firmware.h"
#include "base/TextoPropio.h"
#include "link/Trama.h"

#include <cmath>

namespace slx {

namespace {

constexpr int kInicioRespuesta = 4;  // block offset in the read answer
constexpr int kInicioEscritura = 10; // block offset in the write frame

QString dosCifras(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString hora(quint8 h, quint8 m)
{
    return dosCifras(h) + u':' + dosCifras(m);
}

QString fecha(quint8 d, quint8 m, quint8 a)
{
    return dosCifras(d) + u'/' + dosCifras(m) + u'/' + dosCifras(a % 100);
}

QString actuacion(quint8 b, bool recepcion, bool segundos)
{
    if (b == 0)
        return recepcion ? QStringLiteral("0") : QStringLiteral("Leq125ms");
    if (segundos) {
        if (b >= 1 && b <= 10)
            return QStringLiteral("Leq%1s").arg(b);
        return QStringLiteral("Leq125ms");
    }
    return b == 1 ? QStringLiteral("Leq1s") : QStringLiteral("Leq125ms");
}

// Converts sheet texts into bytes, remembering the first field that fails.
class Conversor {
public:
    bool ok() const { return m_ok; }
    // The first field that failed and why.
    const Fallo &fallo() const { return m_fallo; }

    std::optional<qint64> entero(const QString &texto, const QString &campo, qint64 min, qint64 max)
    {
        const Resultado<qint64> v = enteroTexto(texto, min, max);
        if (!v)
            return falla(campo, v.error().text);
        return *v;
    }

    quint8 byte(const QString &texto, const QString &campo)
    {
        return static_cast<quint8>(entero(texto, campo, 0, 255).value_or(0));
    }

    std::optional<qint64> falla(const QString &campo, const QString &descripcion)
    {
        if (m_ok)
            m_fallo = Fallo{0, descripcion, campo};
        m_ok = false;
        return std::nullopt;
    }

private:
    Fallo m_fallo;
    bool m_ok = true;
};

const char16_t *const kCamposIni[7] = {u"MaskDomingoIni", u"MaskLunesIni",   u"MaskMartesIni", u"MaskMiercolesIni",
                                       u"MaskJuevesIni",  u"MaskViernesIni", u"MaskSabadoIni"};
const char16_t *const kCamposFi[7] = {u"MaskDomingoFi", u"MaskLunesFi",   u"MaskMartesFi", u"MaskMiercolesFi",
                                      u"MaskJuevesFi",  u"MaskViernesFi", u"MaskSabadoFi"};

QString nombre(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

int longitudRespuestaProgramacio(const QString &version)
{
    return 6 + (versionAlMenys(version, firmware::kGlobalCorrection) ? kBloqueLargo : kBloqueCorto);
}

bool DecodificaProgramacio(std::span<const quint8> trama, const QString &version, ProgramacioRebuda &copia)
{
    const int longitud = longitudRespuestaProgramacio(version);
    if (trama.size() < std::size_t(longitud) || trama[1] * 256 + trama[2] < longitud)
        return false;

    auto p = [&trama](int offset) { return trama[kInicioRespuesta + offset]; };
    ProgramacioRebuda c;
    c.Version = version;

    for (int d = 0; d < 7; ++d) {
        const int b = 4 * d;
        c.HorarioAparato[d][0] = p(b) == 0x2D && p(b + 1) == 0x2D ? QStringLiteral("--:--") : hora(p(b), p(b + 1));
        c.HorarioAparato[d][1] =
            p(b + 2) == 0x2D && p(b + 3) == 0x2D ? QStringLiteral("--:--") : hora(p(b + 2), p(b + 3));
    }
    c.NivelDiaLocalAparato = p(28);
    c.NivelDiaVecinoAparato = p(29);
    c.HoraEmpiezaNocheAparato = hora(p(30), p(31));
    c.HoraTerminaNocheAparato = hora(p(32), p(33));
    c.NivelNocheLocalAparato = p(34);
    c.NivelNocheVecinoAparato = p(35);
    c.CambioHoraAparato = p(36);
    c.TiempoAtenuacionAparato = static_cast<qint16>(static_cast<quint16>(p(37) << 8 | p(38)));
    c.TLeqAparato = p(39);
    c.MFastAparato = p(40);
    c.ImpresionAparato = p(41);
    if (p(42) <= 5)
        c.IdiomaAparato = nombreIdioma(static_cast<OpcionIdioma>(p(42)));
    c.RingsAparato = p(43);

    for (int k = 0; k < 30; ++k) {
        const int b = 44 + 10 * k;
        c.InhabilDiaEmpiezaAparato[k] = fecha(p(b), p(b + 1), p(b + 2));
        c.InhabilHoraEmpiezaAparato[k] = hora(p(b + 3), p(b + 4));
        c.InhabilDiaTerminaAparato[k] = fecha(p(b + 5), p(b + 6), p(b + 7));
        c.InhabilHoraTerminaAparato[k] = hora(p(b + 8), p(b + 9));
    }

    const bool segundos = versionAlMenys(version, firmware::kActuationSeconds);
    c.TipoActuacionLocalAparato = actuacion(p(344), false, segundos);
    c.TipoActuacionVecinoAparato = actuacion(p(345), true, segundos);

    for (int j = 1; j <= 9; ++j) {
        const int b = 346 + 2 * (j - 1);
        const auto v = static_cast<qint16>(static_cast<quint16>(p(b) << 8 | p(b + 1)));
        c.OctavasAparato[j] = static_cast<float>(v) / 10.0f;
    }
    if (versionAlMenys(version, firmware::kGlobalCorrection))
        c.CorreccionGlobalAparato = p(364);

    copia = c;
    return true;
}

namespace {

// The data of a write frame being built, at their offsets in the whole frame (from
// STX), with the conversion of the sheet's texts into bytes.
class FrameWriter {
public:
    explicit FrameWriter(int longitud)
        : datos(longitud - 6, '\0')
    {
    }
    void put(int offset, int v) { datos[offset - 4] = static_cast<char>(static_cast<quint8>(v)); }
    // Byte P of the programming block.
    void bloque(int p, int v) { put(kInicioEscritura + p, v); }
    // A 16-bit value, high byte first, at P and P + 1.
    void bloque16(int p, quint16 v)
    {
        bloque(p, v >> 8);
        bloque(p + 1, v & 0xFF);
    }

    QByteArray datos;
    Conversor conv;
};

// The PC clock of one reading: day, month, year minus 1900, hour, minute, second.
void writeClock(FrameWriter &w, const QDateTime &reloj)
{
    const QDate dia = reloj.date();
    const QTime ara = reloj.time();
    w.put(4, dia.day());
    w.put(5, dia.month());
    w.put(6, dia.year() > 1900 ? dia.year() - 1900 : dia.year());
    w.put(7, ara.hour());
    w.put(8, ara.minute());
    w.put(9, ara.second());
}

// P0-27, Sunday first: a closed day ("--" starting its start field) is four 0x2D
// bytes, whatever its end field holds.
void writeTimetable(FrameWriter &w, const FitxaProgramacio &fitxa)
{
    for (int d = 0; d < 7; ++d) {
        const QString &ini = fitxa.inicio(d);
        const QString &fi = fitxa.fin(d);
        const int b = 4 * d;
        if (ini.left(2) == QLatin1String("--")) {
            for (int i = 0; i < 4; ++i)
                w.bloque(b + i, 0x2D);
            continue;
        }
        w.bloque(b, w.conv.byte(ini.left(2), nombre(kCamposIni[d])));
        w.bloque(b + 1, w.conv.byte(ini.right(2), nombre(kCamposIni[d])));
        w.bloque(b + 2, w.conv.byte(fi.left(2), nombre(kCamposFi[d])));
        w.bloque(b + 3, w.conv.byte(fi.right(2), nombre(kCamposFi[d])));
    }
}

// P28-43: limits, night period, time change, attenuation, Leq time, LFmax,
// printing, language and rings.
void writeSettings(FrameWriter &w, const FitxaProgramacio &fitxa)
{
    Conversor &conv = w.conv;
    w.bloque(28, conv.byte(fitxa.MaskDiaLocal, QStringLiteral("MaskDiaLocal")));
    w.bloque(29, conv.byte(fitxa.MaskDiaVei, QStringLiteral("MaskDiaVei")));
    w.bloque(30, conv.byte(fitxa.MaskEmpiezaNoche.left(2), QStringLiteral("MaskEmpiezaNoche")));
    w.bloque(31, conv.byte(fitxa.MaskEmpiezaNoche.right(2), QStringLiteral("MaskEmpiezaNoche")));
    w.bloque(32, conv.byte(fitxa.MaskTerminaNoche.left(2), QStringLiteral("MaskTerminaNoche")));
    w.bloque(33, conv.byte(fitxa.MaskTerminaNoche.right(2), QStringLiteral("MaskTerminaNoche")));
    w.bloque(34, conv.byte(fitxa.MaskNitLocal, QStringLiteral("MaskNitLocal")));
    w.bloque(35, conv.byte(fitxa.MaskNitVei, QStringLiteral("MaskNitVei")));
    w.bloque(36, fitxa.CheckCambioHora ? 1 : 0);
    // The value's four hexadecimal digits. A device reads these two bytes back as a
    // signed value, so a negative time travels as its 16-bit two's complement.
    w.bloque16(37, static_cast<quint16>(
                       conv.entero(fitxa.MaskTiempoAtenuacion, QStringLiteral("MaskTiempoAtenuacion"), -32768, 0xFFFF)
                           .value_or(0)));
    w.bloque(39, conv.byte(fitxa.MaskTLeq, QStringLiteral("MaskTLeq")));
    w.bloque(40, conv.byte(fitxa.MaskMFast, QStringLiteral("MaskMFast")));
    w.bloque(41, fitxa.CheckImpresion ? 1 : 0);
    w.bloque(42, static_cast<int>(fitxa.OptionIdioma));
    w.bloque(43, conv.byte(fitxa.MaskRings, QStringLiteral("MaskRings")));
}

// P44-343 from the sheet's grid rows: a row whose start date is not a date is an
// empty slot of ten zero bytes.
void writeDisabledIntervals(FrameWriter &w, const FitxaProgramacio &fitxa)
{
    const QString campo = QStringLiteral("TDBGrid1");
    for (int k = 0; k < 30; ++k) {
        const int b = 44 + 10 * k;
        const FilaInhabil &fila = fitxa.MatrizInhabil[k];
        const auto inicio = fechaFitxa(fila.DiaEmpieza);
        if (!inicio)
            continue;
        const auto fin = fechaFitxa(fila.DiaTermina);
        if (!fin) {
            w.conv.falla(campo, TextoPropio("Type mismatch"));
            return;
        }
        const QString &hi = fila.HoraEmpieza;
        const QString &hf = fila.HoraTermina;
        w.bloque(b, inicio->day());
        w.bloque(b + 1, inicio->month());
        w.bloque(b + 2, inicio->year() - 1900);
        w.bloque(b + 3, w.conv.byte(hi.left(2), campo));
        w.bloque(b + 4, w.conv.byte(hi.right(2), campo));
        w.bloque(b + 5, fin->day());
        w.bloque(b + 6, fin->month());
        w.bloque(b + 7, fin->year() - 1900);
        w.bloque(b + 8, w.conv.byte(hf.left(2), campo));
        w.bloque(b + 9, w.conv.byte(hf.right(2), campo));
    }
}

// P344-345: Leq125ms as 2 below the identified device's seconds firmware and 125
// from it; the seconds option as its field's number; the reception's "does not act" 0.
void writeActuations(FrameWriter &w, const FitxaProgramacio &fitxa, const QString &versionAparato)
{
    const int leq125 = versionAlMenys(versionAparato, firmware::kActuationSeconds) ? 125 : 2;
    w.bloque(344, fitxa.OptionLocal == OpcionLocal::Leq125
                      ? leq125
                      : w.conv.byte(fitxa.MaskTempsActLoc, QStringLiteral("MaskTempsActLoc")));
    switch (fitxa.OptionVei) {
    case OpcionVei::No: w.bloque(345, 0); break;
    case OpcionVei::Leq125: w.bloque(345, leq125); break;
    case OpcionVei::Leq1s: w.bloque(345, w.conv.byte(fitxa.MaskTempsActVei, QStringLiteral("MaskTempsActVei"))); break;
    }
}

// P346-363: each octave correction in signed tenths of a dB.
void writeOctaves(FrameWriter &w, const FitxaProgramacio &fitxa)
{
    for (int j = 0; j < 9; ++j) {
        const QString campo = QStringLiteral("MaskOctava%1").arg(j + 1);
        const auto v = numeroTexto(fitxa.MaskOctava[j]);
        qint64 decimas = 0;
        if (!v || !std::isfinite(*v)) {
            w.conv.falla(campo, TextoPropio("Type mismatch"));
        } else {
            decimas = std::llround(*v * 10.0);
            if (decimas < -32768 || decimas > 32767) {
                w.conv.falla(campo, QStringLiteral("Overflow"));
                decimas = 0;
            }
        }
        w.bloque16(346 + 2 * j, static_cast<quint16>(static_cast<qint16>(decimas)));
    }
}

} // namespace

Resultado<QByteArray> TramaEnviaProgramacio(const FitxaProgramacio &fitxa, const QString &versionAparato,
                                            const QDateTime &reloj)
{
    const bool largo = versionAlMenys(fitxa.MaskVersion, firmware::kGlobalCorrection);
    FrameWriter w(largo ? 377 : 376);
    writeClock(w, reloj);
    writeTimetable(w, fitxa);
    writeSettings(w, fitxa);
    writeDisabledIntervals(w, fitxa);
    writeActuations(w, fitxa, versionAparato);
    writeOctaves(w, fitxa);
    if (largo)
        w.bloque(364, fitxa.CheckApliCorrecioGlobal ? 1 : 0);
    if (!w.conv.ok())
        return fallo(w.conv.fallo());
    return trama(0x08, w.datos);
}

Resultado<QByteArray> CodificaProgramacio(const FitxaProgramacio &fitxa, const QString &versionAparato)
{
    return TramaEnviaProgramacio(fitxa, versionAparato, QDateTime::currentDateTime());
}

namespace {

// "Leq5s" -> "05"; the number between "Leq" and the final "s", two digits.
std::optional<QString> segundosActuacion(const QString &tipo)
{
    QString n = tipo.mid(3);
    if (n.endsWith(u's'))
        n.chop(1);
    bool ok = false;
    const int v = n.toInt(&ok);
    return ok && v >= 0 ? dosCifras(v) : n;
}

} // namespace

EstadoFitxa CarregaProgAqt(const ProgramacioRebuda &c, FitxaProgramacio &f)
{
    f.CheckCambioHora = c.CambioHoraAparato == 1;

    ponTiposActuacion(f, c.TipoActuacionLocalAparato, c.TipoActuacionVecinoAparato, segundosActuacion);

    if (versionAlMenys(c.Version, firmware::kGlobalCorrection)) {
        f.CheckApliCorrecioGlobal = c.CorreccionGlobalAparato == 1;
        f.CheckApliCorrecioGlobalVisible = true;
    } else {
        f.CheckApliCorrecioGlobalVisible = false;
    }
    f.MaskTempsActEnabled = versionAlMenys(c.Version, firmware::kActuationSeconds);

    if (const auto idioma = idiomaPorNombre(c.IdiomaAparato))
        f.OptionIdioma = *idioma;

    f.MaskTLeq = QString::number(c.TLeqAparato);
    f.MaskMFast = QString::number(c.MFastAparato);
    f.CheckImpresion = c.ImpresionAparato == 1;

    for (int d = 0; d < 7; ++d) {
        f.inicio(d) = c.HorarioAparato[d][0];
        f.fin(d) = c.HorarioAparato[d][1];
    }

    f.MaskDiaLocal = QString::number(c.NivelDiaLocalAparato);
    f.MaskDiaVei = QString::number(c.NivelDiaVecinoAparato);
    f.MaskNitLocal = QString::number(c.NivelNocheLocalAparato);
    f.MaskNitVei = QString::number(c.NivelNocheVecinoAparato);
    f.MaskEmpiezaNoche = c.HoraEmpiezaNocheAparato;
    f.MaskTerminaNoche = c.HoraTerminaNocheAparato;
    f.MaskEmpiezaDia = f.MaskTerminaNoche;
    f.MaskTerminaDia = f.MaskEmpiezaNoche;

    for (int j = 0; j < 9; ++j)
        f.MaskOctava[j] = textoSingle(c.OctavasAparato[j + 1]);
    f.MaskTiempoAtenuacion = QString::number(c.TiempoAtenuacionAparato);
    f.MaskRings = QString::number(c.RingsAparato);

    for (int k = 0; k < 30; ++k)
        f.MatrizInhabil[k] = {k + 1, c.InhabilDiaEmpiezaAparato[k], c.InhabilHoraEmpiezaAparato[k],
                              c.InhabilDiaTerminaAparato[k], c.InhabilHoraTerminaAparato[k]};
    return {.modificada = true};
}

} // namespace slx
