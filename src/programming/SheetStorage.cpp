#include "programming/SheetStorage.h"

#include "base/Firmware.h"
#include "base/TextoPropio.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>
#include <limits>

namespace slx {

namespace {

// The fourteen day columns in table order, with the sheet's day (0 Sunday) and end.
struct ColumnaDia {
    const char *columna;
    int dia;
    bool fin;
};
const ColumnaDia kDias[14] = {
    {"TLunesInicio", 1, false},     {"TLunesFin", 1, true},     {"TMartesInicio", 2, false}, {"TMartesFin", 2, true},
    {"TMiercolesInicio", 3, false}, {"TMiercolesFin", 3, true}, {"TJuevesInicio", 4, false}, {"TJuevesFin", 4, true},
    {"TViernesInicio", 5, false},   {"TViernesFin", 5, true},   {"TSabadoInicio", 6, false}, {"TSabadoFin", 6, true},
    {"TDomingoInicio", 0, false},   {"TDomingoFin", 0, true}};

const char *const kOctavas[9] = {"SOctava31,5Hz", "SOctava63Hz", "SOctava125Hz", "SOctava250Hz", "SOctava500Hz",
                                 "SOctava1kHz",   "SOctava2kHz", "SOctava4kHz",  "SOctava8kHz"};

QString q(const char *columna)
{
    return u'"' + QString::fromLatin1(columna) + u'"';
}

// A failure inside one operation, caught at its end: the field whose text failed
// (empty for the database) and the description.
struct Rechazo {
    QString campo;
    QString descripcion;
};

constexpr qint64 kMinLong = std::numeric_limits<qint32>::min();
constexpr qint64 kMaxLong = std::numeric_limits<qint32>::max();

qint64 entero(const QString &texto, const char *campo, qint64 min, qint64 max)
{
    const Resultado<qint64> v = enteroTexto(texto, min, max);
    if (!v)
        throw Rechazo{QString::fromLatin1(campo), v.error().text};
    return *v;
}

// A text formatted as at least two digits when it is a number, else unchanged.
QString dosCifras(const QString &texto)
{
    const auto v = enteroTexto(texto, kMinLong, kMaxLong);
    return v ? QStringLiteral("%1").arg(*v, 2, 10, QLatin1Char('0')) : texto;
}

QString textoActuacionLocal(const FitxaProgramacio &f)
{
    return f.OptionLocal == OpcionLocal::Leq125 ? QStringLiteral("Leq125ms")
                                                : QStringLiteral("Leq") + dosCifras(f.MaskTempsActLoc) + u's';
}

QString textoActuacionVecino(const FitxaProgramacio &f)
{
    switch (f.OptionVei) {
    case OpcionVei::No: return QStringLiteral("0");
    case OpcionVei::Leq1s: return QStringLiteral("Leq") + dosCifras(f.MaskTempsActVei) + u's';
    case OpcionVei::Leq125: break;
    }
    return QStringLiteral("Leq125ms");
}

QString horaGuardada(const QString &texto)
{
    const auto t = horaFitxa(texto);
    if (!t)
        throw Rechazo{QStringLiteral("TDBGrid1"), TextoPropio("Type mismatch")};
    return t->toString(QStringLiteral("HH:mm:ss"));
}

// The database's own description of a failure, never an empty text.
QString descripcion(const QSqlError &error)
{
    const QString t = error.text().trimmed();
    return t.isEmpty() ? TextoPropio("The database is not open") : t;
}

void ejecuta(QSqlQuery &query)
{
    if (!query.exec())
        throw Rechazo{QString(), descripcion(query.lastError())};
}

// The failure as the API returns it: the description, and the field as its detail.
std::unexpected<Fallo> informa(const Rechazo &rechazo)
{
    return fallo(rechazo.descripcion, rechazo.campo);
}

// --- Reading a row ---

bool vacio(const QVariant &v)
{
    return v.isNull() || v.toString().trimmed().isEmpty();
}

// A free text (contact, note): only a missing value takes the default.
QString texto(const QVariant &v, const QString &defecto)
{
    return v.isNull() ? defecto : v.toString();
}

// A text of a fixed format: missing, empty or shorter than its format gives the default.
QString textoFormato(const QVariant &v, int longitud, const QString &defecto)
{
    if (v.isNull())
        return defecto;
    const QString s = v.toString();
    return s.size() < longitud ? defecto : s;
}

// A stored number; nothing when the column is empty or holds no number.
std::optional<double> numeroLeido(const QVariant &v)
{
    if (vacio(v))
        return std::nullopt;
    const auto n = numeroTexto(v.toString());
    if (!n || !std::isfinite(*n))
        return std::nullopt;
    return n;
}

QString numero(const QVariant &v, const QString &defecto)
{
    if (vacio(v))
        return defecto;
    const Resultado<qint64> n = enteroTexto(v.toString(), kMinLong, kMaxLong);
    return n ? QString::number(*n) : defecto;
}

QString single(const QVariant &v, const QString &defecto)
{
    const auto n = numeroLeido(v);
    return n ? textoSingle(static_cast<float>(*n)) : defecto;
}

bool booleano(const QVariant &v, bool defecto)
{
    const auto n = numeroLeido(v);
    return n ? *n != 0.0 : defecto;
}

QString fechaLeida(const QVariant &v, const QString &defecto)
{
    if (vacio(v))
        return defecto;
    const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? textoFechaFitxa(d) : defecto;
}

// A stored time of day ("hh:mm:ss", "hh:mm", or a date-time text) as "hh:nn".
QString horaLeida(const QVariant &v)
{
    if (vacio(v))
        return kHoraVacia;
    QString s = v.toString().trimmed();
    if (s.size() > 8) {
        qsizetype sep = s.indexOf(u' ');
        if (sep < 0)
            sep = s.indexOf(u'T');
        if (sep > 0)
            s = s.mid(sep + 1).left(8);
    }
    const auto t = horaFitxa(s);
    return t ? t->toString(QStringLiteral("HH:mm")) : kHoraVacia;
}

// The seconds of a stored actuation type ("Leq05s" gives "05": the text without its
// first three characters and its last); nothing for an empty text or one shorter than
// "Leq", a digit and "s", which loads as a new sheet's actuation.
std::optional<QString> segundosTipo(const QString &tipo)
{
    if (tipo.trimmed().size() < 5)
        return std::nullopt;
    return tipo.mid(3, tipo.size() - 4);
}

} // namespace

EstadoFitxa CreaProgramacio(FitxaProgramacio &f, const QDateTime &ara)
{
    const QString hoy = textoFechaFitxa(ara.date());
    f.TextFecha = hoy;
    f.TextHora = ara.time().toString(QStringLiteral("HH:mm:ss"));
    f.MaskNumeroSerie = QStringLiteral("0");
    f.MaskFecha = hoy;
    f.MaskContacto = f.MaskLocal = f.MaskDireccion = f.MaskPoblacion = f.MaskTelefono = QStringLiteral(" ");
    f.TextNota.clear();
    f.MaskVersion = QStringLiteral("0.0");
    f.CheckCambioHora = true;
    f.OptionLocal = OpcionLocal::Leq1s;
    f.OptionVei = OpcionVei::Leq1s;
    f.OptionIdioma = OpcionIdioma::Espanol;
    f.MaskTLeq = QStringLiteral("2");
    f.MaskMFast = QStringLiteral("80");
    f.CheckImpresion = false;
    for (int d = 0; d < 7; ++d) {
        f.inicio(d) = QStringLiteral("00:00");
        f.fin(d) = QStringLiteral("00:23");
    }
    f.MaskDiaLocal = QStringLiteral("80");
    f.MaskDiaVei = QStringLiteral("30");
    f.MaskEmpiezaNoche = QStringLiteral("22:00");
    f.MaskTerminaNoche = QStringLiteral("08:00");
    f.MaskEmpiezaDia = QStringLiteral("08:00");
    f.MaskTerminaDia = QStringLiteral("22:00");
    f.MaskNitLocal = QStringLiteral("75");
    f.MaskNitVei = QStringLiteral("25");
    f.MaskTiempoAtenuacion = QStringLiteral("2");
    f.MaskRings = QStringLiteral("2");
    for (QString &o : f.MaskOctava)
        o = QStringLiteral("0");
    f.MatrizInhabil = filasInhabilesVacias();
    return {.modificada = true};
}

namespace {

using Columnas = QList<QPair<QString, QVariant>>;

// The sheet's columns of its Programacion row with their values, in table order;
// CMI only when the sheet's version carries the global correction.
Columnas sheetColumns(const FitxaProgramacio &f)
{
    const auto fecha = fechaFitxa(f.MaskFecha);
    if (!fecha)
        throw Rechazo{QStringLiteral("MaskFecha"), TextoPropio("Type mismatch")};
    Columnas columnas = {
        {q("DFecha"), fecha->toString(Qt::ISODate)},
        {q("TModelo"), QStringLiteral("SLX90")},
        {q("TContacto"), f.MaskContacto},
        {q("TLocal"), f.MaskLocal},
        {q("TDireccion"), f.MaskDireccion},
        {q("TPoblacion"), f.MaskPoblacion},
        {q("TTelefono"), f.MaskTelefono},
        {q("TNota"), f.TextNota},
        {q("TVersion"), f.MaskVersion},
    };
    if (versionAlMenys(f.MaskVersion, firmware::kGlobalCorrection))
        columnas.append({q("CMI"), f.CheckApliCorrecioGlobal ? -1 : 0});
    columnas.append({q("BoCambioHora"), f.CheckCambioHora ? -1 : 0});
    columnas.append({q("TTipoActuacionLocal"), textoActuacionLocal(f)});
    columnas.append({q("TTipoActuacionVecino"), textoActuacionVecino(f)});
    columnas.append({q("TIdioma"), nombreIdioma(f.OptionIdioma)});
    columnas.append({q("ByTLeq"), entero(f.MaskTLeq, "MaskTLeq", 0, 255)});
    columnas.append({q("ByMFast"), entero(f.MaskMFast, "MaskMFast", 0, 255)});
    columnas.append({q("BoImpresion"), f.CheckImpresion ? -1 : 0});
    for (const ColumnaDia &c : kDias)
        columnas.append({q(c.columna), c.fin ? f.fin(c.dia) : f.inicio(c.dia)});
    columnas.append({q("ByNivelDiaLocal"), entero(f.MaskDiaLocal, "MaskDiaLocal", 0, 255)});
    columnas.append({q("ByNivelDiaVecino"), entero(f.MaskDiaVei, "MaskDiaVei", 0, 255)});
    columnas.append({q("THoraEmpiezaNoche"), f.MaskEmpiezaNoche});
    columnas.append({q("THoraTerminaNoche"), f.MaskTerminaNoche});
    columnas.append({q("ByNivelNocheLocal"), entero(f.MaskNitLocal, "MaskNitLocal", 0, 255)});
    columnas.append({q("ByNivelNocheVecino"), entero(f.MaskNitVei, "MaskNitVei", 0, 255)});
    columnas.append({q("ITiempoAtenuacion"), entero(f.MaskTiempoAtenuacion, "MaskTiempoAtenuacion", -32768, 32767)});
    columnas.append({q("ByRings"), entero(f.MaskRings, "MaskRings", 0, 255)});
    for (int j = 0; j < 9; ++j) {
        const QString campo = QStringLiteral("MaskOctava%1").arg(j + 1);
        const auto v = numeroTexto(f.MaskOctava[j]);
        if (!v || !std::isfinite(*v))
            throw Rechazo{campo, TextoPropio("Type mismatch")};
        if (std::fabs(*v) > std::numeric_limits<float>::max())
            throw Rechazo{campo, QStringLiteral("Overflow")};
        // The single-precision value, kept as its shortest decimal.
        columnas.append({q(kOctavas[j]), decimalSingle(static_cast<float>(*v))});
    }
    return columnas;
}

struct IntervaloGuardado {
    QString diaEmpieza, horaEmpieza, diaTermina, horaTermina;
};

// The 30 interval rows as stored: dates cut to 8 characters, times "hh:mm:ss".
std::array<IntervaloGuardado, 30> storedIntervals(const FitxaProgramacio &f)
{
    std::array<IntervaloGuardado, 30> intervalos;
    for (int k = 0; k < 30; ++k) {
        const FilaInhabil &fila = f.MatrizInhabil[k];
        intervalos[k] = {fila.DiaEmpieza.left(8), horaGuardada(fila.HoraEmpieza), fila.DiaTermina.left(8),
                         horaGuardada(fila.HoraTermina)};
    }
    return intervalos;
}

// One statement writes the row: a new serial number gets fresh totals (and CMI off
// when the sheet does not set it); an existing row keeps them.
void writeSheetRow(QSqlDatabase &db, qint32 serie, const Columnas &columnas, const QDateTime &ara)
{
    QStringList nombres = {q("LNumeroSerie")};
    QStringList marcas = {QStringLiteral("?")};
    QStringList cambios;
    bool conCmi = false;
    for (const auto &c : columnas) {
        nombres << c.first;
        marcas << QStringLiteral("?");
        cambios << c.first + QStringLiteral(" = excluded.") + c.first;
        conCmi = conCmi || c.first == q("CMI");
    }
    if (!conCmi) {
        nombres << q("CMI");
        marcas << QStringLiteral("0");
    }
    nombres << q("DFechaTotales") << q("THoraTotales") << q("LPasadasLocal") << q("LPasadasVecino") << q("LE3")
            << q("LCB");
    marcas << QStringLiteral("?") << QStringLiteral("?") << QStringLiteral("0") << QStringLiteral("0")
           << QStringLiteral("0") << QStringLiteral("0");

    QSqlQuery fila(db);
    fila.prepare(QStringLiteral("INSERT INTO \"Programacion\" (%1) VALUES (%2) ON CONFLICT (\"LNumeroSerie\") "
                                "DO UPDATE SET %3")
                     .arg(nombres.join(u','), marcas.join(u','), cambios.join(u',')));
    fila.addBindValue(serie);
    for (const auto &c : columnas)
        fila.addBindValue(c.second);
    fila.addBindValue(ara.date().toString(Qt::ISODate));
    fila.addBindValue(ara.time().toString(QStringLiteral("HH:mm:ss")));
    ejecuta(fila);
}

void writeIntervalRows(QSqlDatabase &db, qint32 serie, const std::array<IntervaloGuardado, 30> &intervalos)
{
    QSqlQuery intervalo(db);
    intervalo.prepare(QStringLiteral(
        "INSERT INTO \"IntervaloInhabil\" (\"LNumeroSerie\", \"ByIntervalo\", \"TDiaEmpiezaInt\", "
        "\"THoraEmpiezaInt\", \"TDiaTerminaInt\", \"THoraTerminaInt\") VALUES (?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (\"LNumeroSerie\", \"ByIntervalo\") DO UPDATE SET "
        "\"TDiaEmpiezaInt\" = excluded.\"TDiaEmpiezaInt\", \"THoraEmpiezaInt\" = excluded.\"THoraEmpiezaInt\", "
        "\"TDiaTerminaInt\" = excluded.\"TDiaTerminaInt\", \"THoraTerminaInt\" = excluded.\"THoraTerminaInt\""));
    for (int k = 0; k < 30; ++k) {
        intervalo.bindValue(0, serie);
        intervalo.bindValue(1, k + 1);
        intervalo.bindValue(2, intervalos[k].diaEmpieza);
        intervalo.bindValue(3, intervalos[k].horaEmpieza);
        intervalo.bindValue(4, intervalos[k].diaTermina);
        intervalo.bindValue(5, intervalos[k].horaTermina);
        ejecuta(intervalo);
    }
}

} // namespace

Resultado<> GrabaProgramacio(QSqlDatabase &db, const FitxaProgramacio &f, const QDateTime &ara)
{
    bool enTransaccion = false;
    try {
        const auto serie = static_cast<qint32>(entero(f.MaskNumeroSerie, "MaskNumeroSerie", kMinLong, kMaxLong));
        const Columnas columnas = sheetColumns(f);
        const auto intervalos = storedIntervals(f);
        if (!db.transaction())
            throw Rechazo{QString(), descripcion(db.lastError())};
        enTransaccion = true;
        writeSheetRow(db, serie, columnas, ara);
        writeIntervalRows(db, serie, intervalos);
        if (!db.commit())
            throw Rechazo{QString(), descripcion(db.lastError())};
    } catch (const Rechazo &rechazo) {
        if (enTransaccion)
            db.rollback();
        return informa(rechazo);
    }
    return {};
}

namespace {

// The sheet's fields from its Programacion row.
void sheetFromRow(const QSqlQuery &fila, qint32 numeroSerie, const QDateTime &ara, FitxaProgramacio &f)
{
    auto v = [&fila](const char *columna) { return fila.value(QString::fromLatin1(columna)); };
    const QString hoy = textoFechaFitxa(ara.date());
    f.TextFecha = hoy;
    f.TextHora = ara.time().toString(QStringLiteral("HH:mm:ss"));
    f.MaskNumeroSerie = QString::number(numeroSerie);
    f.MaskFecha = fechaLeida(v("DFecha"), hoy);
    const QString blanco = QStringLiteral(" ");
    f.MaskContacto = texto(v("TContacto"), blanco);
    f.MaskLocal = texto(v("TLocal"), blanco);
    f.MaskDireccion = texto(v("TDireccion"), blanco);
    f.MaskPoblacion = texto(v("TPoblacion"), blanco);
    f.MaskTelefono = texto(v("TTelefono"), blanco);
    f.TextNota = texto(v("TNota"), QString());
    f.MaskVersion = vacio(v("TVersion")) ? QStringLiteral("0.0") : v("TVersion").toString();
    if (versionAlMenys(f.MaskVersion, firmware::kGlobalCorrection)) {
        f.CheckApliCorrecioGlobalVisible = true;
        f.CheckApliCorrecioGlobal = booleano(v("CMI"), false);
    } else {
        f.CheckApliCorrecioGlobalVisible = false;
    }
    f.CheckCambioHora = booleano(v("BoCambioHora"), true);

    const QVariant idioma = v("TIdioma");
    if (vacio(idioma))
        f.OptionIdioma = OpcionIdioma::Espanol;
    else if (const auto o = idiomaPorNombre(idioma.toString()))
        f.OptionIdioma = *o;

    ponTiposActuacion(f, v("TTipoActuacionLocal").toString(), v("TTipoActuacionVecino").toString(), segundosTipo);
    f.MaskTempsActEnabled = versionAlMenys(f.MaskVersion, firmware::kActuationSeconds);

    f.MaskTLeq = numero(v("ByTLeq"), QStringLiteral("2"));
    f.MaskMFast = numero(v("ByMFast"), QStringLiteral("80"));
    f.CheckImpresion = booleano(v("BoImpresion"), false);
    for (const ColumnaDia &c : kDias) {
        const QString defecto = c.fin ? QStringLiteral("00:23") : QStringLiteral("00:00");
        (c.fin ? f.fin(c.dia) : f.inicio(c.dia)) = textoFormato(v(c.columna), 5, defecto);
    }
    f.MaskDiaLocal = numero(v("ByNivelDiaLocal"), QStringLiteral("80"));
    f.MaskDiaVei = numero(v("ByNivelDiaVecino"), QStringLiteral("30"));
    f.MaskEmpiezaNoche = textoFormato(v("THoraEmpiezaNoche"), 5, QStringLiteral("22:00"));
    f.MaskTerminaNoche = textoFormato(v("THoraTerminaNoche"), 5, QStringLiteral("08:00"));
    f.MaskEmpiezaDia = f.MaskTerminaNoche;
    f.MaskTerminaDia = f.MaskEmpiezaNoche;
    f.MaskNitLocal = numero(v("ByNivelNocheLocal"), QStringLiteral("75"));
    f.MaskNitVei = numero(v("ByNivelNocheVecino"), QStringLiteral("25"));
    f.MaskTiempoAtenuacion = numero(v("ITiempoAtenuacion"), QStringLiteral("2"));
    f.MaskRings = numero(v("ByRings"), QStringLiteral("2"));
    for (int j = 0; j < 9; ++j)
        f.MaskOctava[j] = single(v(kOctavas[j]), QStringLiteral("0"));
}

// The 30 grid rows from the device's IntervaloInhabil rows; a missing one is unused.
void intervalsFromRows(QSqlDatabase &db, qint32 numeroSerie, std::array<FilaInhabil, 30> &filas)
{
    filas = filasInhabilesVacias();
    QSqlQuery intervalos(db);
    intervalos.prepare(QStringLiteral("SELECT \"ByIntervalo\", \"TDiaEmpiezaInt\", \"THoraEmpiezaInt\", "
                                      "\"TDiaTerminaInt\", \"THoraTerminaInt\" FROM \"IntervaloInhabil\" "
                                      "WHERE \"LNumeroSerie\" = ?"));
    intervalos.addBindValue(numeroSerie);
    ejecuta(intervalos);
    while (intervalos.next()) {
        const int k = intervalos.value(0).toInt();
        if (k < 1 || k > 30)
            continue;
        filas[k - 1] = {k, textoFormato(intervalos.value(1), 8, kFechaVacia), horaLeida(intervalos.value(2)),
                        textoFormato(intervalos.value(3), 8, kFechaVacia), horaLeida(intervalos.value(4))};
    }
}

} // namespace

Resultado<FitxaCargada> CarregaProgramacio(QSqlDatabase &db, FitxaProgramacio &fitxa, qint32 numeroSerie,
                                           const QDateTime &ara)
{
    FitxaProgramacio f = fitxa;
    try {
        QSqlQuery fila(db);
        fila.prepare(QStringLiteral("SELECT * FROM \"Programacion\" WHERE \"LNumeroSerie\" = ?"));
        fila.addBindValue(numeroSerie);
        ejecuta(fila);
        if (!fila.next())
            throw Rechazo{QString(), TextoPropio("The sheet of device %1 is not in the database.").arg(numeroSerie)};
        sheetFromRow(fila, numeroSerie, ara, f);
        intervalsFromRows(db, numeroSerie, f.MatrizInhabil);
    } catch (const Rechazo &rechazo) {
        return informa(rechazo);
    }

    fitxa = f;
    return FitxaCargada{.numeroSerie = numeroSerie, .version = fitxa.MaskVersion, .modificada = false};
}

bool offersToSave(const FitxaProgramacio &fitxa, bool modificada)
{
    return valorInicial(fitxa.MaskNumeroSerie) != 0.0 && modificada;
}

} // namespace slx
