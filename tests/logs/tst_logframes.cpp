// The frames of a log download: requests byte for byte, and the decoding and
// storage of totals, event dates, intervals and sessions.

#include "TestSupport.h"
#include "VerificaResultado.h"
#include "base/Modulo1.h"
#include "logs/FormasRegistro.h"
#include "logs/LogFrames.h"
#include "logs/LogStorage.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace slx::logs;

namespace {

// A device frame around the bytes from offset 4: STX, length, command, data, ETX, XOR.
QByteArray frame(quint8 command, const QByteArray &data)
{
    QByteArray f;
    const int n = int(data.size()) + 6;
    f.append(char(0x02)).append(char(n >> 8)).append(char(n & 0xFF)).append(char(command)).append(data);
    f.append(char(0x03));
    char x = 0;
    for (char c : f)
        x = char(x ^ c);
    return f.append(x);
}

// A record to spoil one field at a time: offsets are from STX.
struct Record {
    QByteArray bytes;
    explicit Record(int size)
        : bytes(size, '\0')
    {
    }
    Record &b(int offset, int v)
    {
        bytes[offset - 4] = char(v);
        return *this;
    }
    Record &w(int offset, int v)
    {
        b(offset, (v >> 8) & 0xFF);
        return b(offset + 1, v & 0xFF);
    }
    Record &w24(int offset, int v)
    {
        b(offset, (v >> 16) & 0xFF);
        return w(offset + 1, v & 0xFFFF);
    }
    Record &at(int offset, int d, int m, int y, int h, int n)
    {
        return b(offset, d).b(offset + 1, m).b(offset + 2, y - 1900).b(offset + 3, h).b(offset + 4, n);
    }
    QByteArray frame(quint8 command) const { return ::frame(command, bytes); }
};

// A valid interval ending 15/03/2010 10:15, 15 minutes long, every level 70.0 dB.
Record interval()
{
    Record r(54);
    r.at(4, 15, 3, 2010, 10, 15).w(17, 700).w(19, 700).b(21, 65).b(22, 90).b(23, 15);
    r.w(24, 700).at(26, 15, 3, 2010, 10, 5).w(31, 700).at(33, 15, 3, 2010, 10, 1).w(38, 700).b(40, 100);
    for (int i = 0; i < 5; ++i)
        r.w(43 + 2 * i, 700);
    return r.b(56, 1).b(57, 1);
}

// A valid session from 15/03/2010 20:00 to 16/03/2010 04:00.
Record session()
{
    Record r(64);
    r.at(4, 15, 3, 2010, 20, 0).at(9, 16, 3, 2010, 4, 0).b(14, 90).b(15, 65).b(16, 22).b(17, 0).b(18, 7).b(19, 30);
    r.w(22, 30).w(36, 700).w(38, 700).at(40, 15, 3, 2010, 21, 0).w(45, 700).at(47, 15, 3, 2010, 23, 0).w(52, 700);
    for (int i = 0; i < 5; ++i)
        r.w(58 + 2 * i, 700);
    return r;
}

const RangoFechas kRango = {15, 3, 10, 8, 0, 16, 3, 10, 12, 0}; // 15/03/10 08:00 to 16/03/10 12:00

} // namespace

class TestLogFrames : public QObject {
    Q_OBJECT

private slots:
    void requests_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("totals") << tramaDemanaTotals() << QByteArray::fromHex("020006020305");
        QTest::newRow("dates") << tramaDemanaDates() << QByteArray::fromHex("020006030304");
        const RangoFechas r = {5, 1, 10, 8, 30, 7, 1, 10, 17, 45};
        QTest::newRow("intervals") << tramaDemanaIntervals(r)
                                   << QByteArray::fromHex("020010050501"
                                                          "6e081e07016e112d033c");
        QTest::newRow("sessions, years 99 and 00") << tramaDemanaSesions({31, 12, 99, 23, 59, 1, 1, 0, 0, 0})
                                                   << QByteArray::fromHex("020010061f0c63173b010164000003"
                                                                          "2f");
    }
    void requests()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    void undOrUp_data()
    {
        QTest::addColumn<int>("tenths");
        QTest::addColumn<double>("stored");
        QTest::newRow("0") << 0 << 59.0;
        QTest::newRow("59.9") << 599 << 59.0;
        QTest::newRow("60.0") << 600 << 60.0;
        QTest::newRow("65.3, the decimal value sent") << 653 << 65.3;
        QTest::newRow("70.3") << 703 << 70.3;
        QTest::newRow("120.0") << 1200 << 120.0;
        QTest::newRow("120.1") << 1201 << 121.0;
        QTest::newRow("140.0") << 1400 << 121.0;
    }
    void undOrUp()
    {
        QFETCH(int, tenths);
        QFETCH(double, stored);
        QCOMPARE(UndOrUp(tenths), stored); // exactly: 65.3 is not a widened single
    }

    void rangeStart()
    {
        QCOMPARE(inicioRango(kRango), QDateTime(QDate(2010, 3, 15), QTime(8, 0), Qt::UTC));
        QCOMPARE(inicioRango({1, 1, 49, 0, 0}).date().year(), 2049);
        QCOMPARE(inicioRango({1, 1, 50, 0, 0}).date().year(), 1950);
        QVERIFY(!inicioRango({}).isValid());
    }

    void totals()
    {
        Record r(16);
        r.w(4, 0).w(6, 12).w(8, 0xFFFF).w(10, 0xFFFF).w(12, 0).w(14, 3).w(16, 0x7FFF).w(18, 0xFFFF);
        const auto t = decodificaTotales(r.frame(0x02));
        QVERIFY(t);
        QCOMPARE(t->pasadasLocal, 12);
        QCOMPARE(t->e3, -1); // every bit set reads negative
        QCOMPARE(t->cb, 3);
        QCOMPARE(t->pasadasVecino, 0x7FFFFFFF);
        QVERIFY(!decodificaTotales(frame(0x02, QByteArray(10, '\0'))));
    }

    // A slot whose date is a date is an event, whatever its time: a time that is no time of
    // day is kept as the device gave it ("25:00"), each byte over 99 as 99.
    void eventDates()
    {
        Record r(150);
        QVERIFY(decodificaFechas(r.frame(0x03))->empty()); // thirty empty slots
        r.at(4, 29, 2, 2009, 10, 0);                       // erasures 0: no such day, an empty slot
        r.at(9, 28, 2, 2009, 10, 30);                      // erasures 1
        r.at(14, 1, 1, 2000, 24, 0);                       // erasures 2: hour 24
        r.at(19, 2, 1, 2000, 8, 61);                       // erasures 3: minute 61
        r.at(24, 2, 1, 2000, 8, 99);                       // erasures 4
        r.at(29, 2, 1, 2000, 100, 255);                    // erasures 5: no two digits
        r.at(54, 1, 1, 1999, 8, 5);                        // battery ends 0
        r.b(104 + 45, 31).b(105 + 45, 12).b(106 + 45, 100).b(107 + 45, 23).b(108 + 45, 59); // re-programmings 9
        const auto e = decodificaFechas(r.frame(0x03));
        QVERIFY(e);
        QStringList got;
        for (const Evento &v : *e)
            got << QStringLiteral("%1 %2 %3")
                       .arg(int(v.lista))
                       .arg(v.fecha.toString(Qt::ISODate), textoHoraEvento(v.hora));
        QCOMPARE(got,
                 (QStringList{"0 2009-02-28 10:30", "0 2000-01-01 24:00", "0 2000-01-02 08:61", "0 2000-01-02 08:99",
                              "0 2000-01-02 99:99", "1 1999-01-01 08:05", "2 2000-12-31 23:59"}));
        QVERIFY(!decodificaFechas(frame(0x03, QByteArray(100, '\0'))));
    }

    void intervalVerdicts_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("verdict");
        const int v30 = int(FormatoIntervalo::Desde30), v20 = int(FormatoIntervalo::AntesDe30);
        const int ok = int(Veredicto::Valido), bad = int(Veredicto::Invalido);
        QTest::newRow("valid") << interval().frame(5) << v30 << ok;
        QTest::newRow("end frame of any length") << frame(5, QByteArray(1, '\0')) << v30 << int(Veredicto::Fin);
        QTest::newRow("cut short") << interval().frame(5).left(40) << v30 << int(Veredicto::Corta);
        QTest::newRow("before the period")
            << interval().at(4, 15, 3, 2010, 7, 59).frame(5) << v30 << int(Veredicto::Anterior);
        QTest::newRow("at the period's start") << interval().at(4, 15, 3, 2010, 8, 0).frame(5) << v30 << ok;
        QTest::newRow("end not a date") << interval().b(5, 13).frame(5) << v30 << bad;
        QTest::newRow("counter 4000") << interval().w(9, 4000).frame(5) << v30 << ok;
        QTest::newRow("counter 4001") << interval().w(9, 4001).frame(5) << v30 << bad;
        QTest::newRow("counter 0xFFFF") << interval().w(15, 0xFFFF).frame(5) << v30 << bad;
        QTest::newRow("level 1400") << interval().w(19, 1400).frame(5) << v30 << ok;
        QTest::newRow("level 1401") << interval().w(19, 1401).frame(5) << v30 << bad;
        QTest::newRow("L90 1401") << interval().w(51, 1401).frame(5) << v30 << bad;
        QTest::newRow("max moment not a date") << interval().b(27, 0).frame(5) << v30 << bad;
        QTest::newRow("min moment hour 24") << interval().b(36, 24).frame(5) << v30 << bad;
        QTest::newRow("LFmax passes 4001") << interval().w(41, 4001).frame(5) << v30 << bad;
        QTest::newRow("before 3.0: flag 2") << interval().b(53, 2).frame(5) << v20 << bad;
        QTest::newRow("before 3.0: RS-232 2") << interval().b(54, 2).frame(5) << v20 << bad;
        QTest::newRow("before 3.0: programming 2") << interval().b(55, 2).frame(5) << v20 << bad;
        QTest::newRow("before 3.0: actuation 3") << interval().b(56, 3).frame(5) << v20 << bad;
        QTest::newRow("before 3.0: reception 3") << interval().b(57, 3).frame(5) << v20 << bad;
        QTest::newRow("from 3.0: bytes 53-57 free") << interval().b(53, 2).b(56, 3).frame(5) << v30 << ok;
    }
    void intervalVerdicts()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, layout);
        QFETCH(int, verdict);
        QCOMPARE(int(decodificaIntervalo(frame, FormatoIntervalo(layout), inicioRango(kRango)).veredicto), verdict);
    }

    void intervalValues()
    {
        // Ends at 00:10 on the 16th after 15 minutes: starts at 23:55 on the 15th.
        Record rec = interval().at(4, 16, 1, 2010, 0, 10);
        rec.b(5, 0xF4); // a month byte of 0xF4 is January
        rec.w(19, 599).w(17, 450).w(24, 1201).w(31, 600).w(43, 1200).w(9, 7).w(11, 3).w(13, 4).w(41, 9);
        rec.b(53, 20).b(54, 0x85).b(55, 0x03).b(56, 10).b(57, 0);
        const auto r = decodificaIntervalo(rec.frame(5), FormatoIntervalo::Desde30, QDateTime());
        QCOMPARE(int(r.veredicto), int(Veredicto::Valido));
        const RegistroIntervalo &i = r.registro;
        QCOMPARE(i.fin, QDateTime(QDate(2010, 1, 16), QTime(0, 10), Qt::UTC));
        QCOMPARE(i.inicio, QDateTime(QDate(2010, 1, 15), QTime(23, 55), Qt::UTC));
        QCOMPARE(i.sLeqLocal, 59.0);
        QCOMPARE(i.sLeqVecino, 45.0); // reception LeqT is stored as received
        QCOMPARE(i.sMaxLeq1min, 121.0);
        QCOMPARE(i.sMinLeq1min, 60.0);
        QCOMPARE(i.sL[0], 120.0);
        QCOMPARE(i.momentoMaxLeq1min, QDateTime(QDate(2010, 3, 15), QTime(10, 5), Qt::UTC));
        QCOMPARE(i.iDesco, qint16(7));
        QCOMPARE(i.iPasadasVecino, qint16(3));
        QCOMPARE(i.iPasadasLocal, qint16(4));
        QCOMPARE(i.boRS232, true);
        QCOMPARE(*i.byENA, quint8(5));
        QCOMPARE(i.boProgramacion, false);
        QCOMPARE(*i.byLineaInsuficiente, quint8(3));
        QCOMPARE(*i.byDNA, quint8(20));
        QCOMPARE(i.actuacionLocal, Actuacion(10000));
        QCOMPARE(i.actuacionVecino, Actuacion()); // none
    }

    void intervalSpecialBytes()
    {
        auto decode = [](const Record &r, FormatoIntervalo f) {
            return decodificaIntervalo(r.frame(5), f, QDateTime()).registro;
        };
        const auto dna =
            decode(interval().b(53, 255).b(54, 0x81).b(55, 0x82).b(56, 125).b(57, 125), FormatoIntervalo::Desde30);
        QCOMPARE(*dna.byDNA, quint8(255));
        QCOMPARE(*dna.byENA, quint8(255));
        QCOMPARE(*dna.byLineaInsuficiente, quint8(255));
        QCOMPARE(dna.boRS232, true);
        QCOMPARE(dna.boProgramacion, true);
        QCOMPARE(dna.actuacionLocal, Actuacion(125));
        QCOMPARE(dna.actuacionVecino, Actuacion(125));

        const auto old = decode(interval().b(53, 1).b(54, 1).b(55, 0).b(56, 0).b(57, 2), FormatoIntervalo::AntesDe30);
        QVERIFY(!old.byDNA && !old.byENA && !old.byLineaInsuficiente);
        QCOMPARE(old.boRS232, true);
        QCOMPARE(old.actuacionLocal, Actuacion()); // code 0: none
        QCOMPARE(old.actuacionVecino, Actuacion(125));

        // Sensor inactive: levels and passes 0, LFmax clamped, its passes kept.
        const auto e3 = decode(interval().w(15, 3).w(11, 5).w(13, 6).w(38, 1300).w(41, 8), FormatoIntervalo::Desde30);
        QCOMPARE(e3.sLeqLocal, 0.0);
        QCOMPARE(e3.sLeqVecino, 0.0);
        QCOMPARE(e3.sMaxLeq1min, 0.0);
        QCOMPARE(e3.sL[4], 0.0);
        QCOMPARE(e3.iPasadasLocal, qint16(0));
        QCOMPARE(e3.iPasadasVecino, qint16(0));
        QCOMPARE(e3.sMaxFast, 121.0);
        QCOMPARE(e3.iPasMaxFast, qint16(8));
    }

    void formatByVersion()
    {
        QCOMPARE(formatoDeVersion("2.9"), FormatoIntervalo::AntesDe30);
        QCOMPARE(formatoDeVersion("3.0"), FormatoIntervalo::Desde30);
        QCOMPARE(formatoDeVersion("3.3"), FormatoIntervalo::Desde30);
        QCOMPARE(formatoDeVersion(""), FormatoIntervalo::AntesDe30);
    }

    void sessionVerdicts_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("verdict");
        const int ok = int(Veredicto::Valido), bad = int(Veredicto::Invalido);
        QTest::newRow("valid") << session().frame(6) << ok;
        QTest::newRow("end frame") << frame(6, QByteArray(2, '\0')) << int(Veredicto::Fin);
        QTest::newRow("cut short") << session().frame(6).left(50) << int(Veredicto::Corta);
        QTest::newRow("at the period's start") << session().at(4, 15, 3, 2010, 8, 0).frame(6) << ok;
        QTest::newRow("began earlier, ran into the period")
            << session().at(4, 14, 3, 2010, 22, 0).at(9, 15, 3, 2010, 9, 0).frame(6) << ok;
        QTest::newRow("ended at the period's start")
            << session().at(4, 14, 3, 2010, 22, 0).at(9, 15, 3, 2010, 8, 0).frame(6) << ok;
        QTest::newRow("ended a minute earlier")
            << session().at(4, 14, 3, 2010, 22, 0).at(9, 15, 3, 2010, 7, 59).frame(6) << int(Veredicto::Anterior);
        QTest::newRow("start not a date") << session().b(4, 32).frame(6) << bad;
        QTest::newRow("end month 13") << session().b(10, 13).frame(6) << bad;
        QTest::newRow("night start hour 24, taken as it is") << session().b(16, 24).frame(6) << ok;
        QTest::newRow("night end minute 60, taken as it is") << session().b(19, 60).frame(6) << ok;
        QTest::newRow("night start hour 100: stored, the text empty") << session().b(16, 100).frame(6) << ok;
        QTest::newRow("night end FF FF: stored, the text empty") << session().b(18, 255).b(19, 255).frame(6) << ok;
        QTest::newRow("attenuation 9000") << session().w(22, 9000).frame(6) << ok;
        QTest::newRow("attenuation 0x8000") << session().w(22, 0x8000).frame(6) << bad;
        QTest::newRow("counter 90000") << session().w24(33, 90000).frame(6) << ok;
        QTest::newRow("counter 90001") << session().w24(24, 90001).frame(6) << bad;
        QTest::newRow("Leq 1400") << session().w(36, 1400).frame(6) << ok;
        QTest::newRow("Leq 1401") << session().w(36, 1401).frame(6) << bad;
        QTest::newRow("min moment not a date") << session().b(48, 0).frame(6) << bad;
        QTest::newRow("LFmax passes 90001") << session().w24(55, 90001).frame(6) << bad;
        QTest::newRow("L90 1401") << session().w(66, 1401).frame(6) << bad;
    }
    void sessionVerdicts()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, verdict);
        QCOMPARE(int(decodificaSesion(frame, inicioRango(kRango)).veredicto), verdict);
    }

    void sessionValues()
    {
        auto s =
            decodificaSesion(session().w(36, 1400).w(38, 453).w(45, 600).w(52, 1200).frame(6), QDateTime()).registro;
        QCOMPARE(s.sLeq, 121.0);
        QCOMPARE(s.sMaxLeq1min, 59.0);
        QCOMPARE(s.sMinLeq1min, 60.0);
        QCOMPARE(s.sMaxFast, 120.0);
        QCOMPARE(s.inicio.time(), QTime(20, 0));
        QCOMPARE(s.fin.date(), QDate(2010, 3, 16));
        QCOMPARE(s.horaInicioNoche, (HoraTrama{22, 0}));
        QCOMPARE(s.horaFinalNoche, (HoraTrama{7, 30}));
        // The night hours have no check: a night ending at 24:00 keeps its session.
        const auto medianoche = decodificaSesion(session().b(18, 24).b(19, 0).frame(6), QDateTime());
        QCOMPARE(medianoche.veredicto, Veredicto::Valido);
        QCOMPARE(medianoche.registro.horaFinalNoche, (HoraTrama{24, 0}));
        // Bytes that form no "hh:mm" are kept as they came; the other night hour and the
        // levels and counters of the session stay.
        const auto sinNoche = decodificaSesion(session().b(18, 255).b(19, 255).frame(6), QDateTime());
        QCOMPARE(sinNoche.veredicto, Veredicto::Valido);
        QCOMPARE(sinNoche.registro.horaFinalNoche, (HoraTrama{255, 255}));
        QCOMPARE(sinNoche.registro.horaInicioNoche, (HoraTrama{22, 0}));
        QCOMPARE(sinNoche.registro.sLeq, 70.0);
        QCOMPARE(s.momentoMinLeq1min.date(), QDate(2010, 3, 15));
        const auto e3 = decodificaSesion(session().w24(33, 5).w24(27, 11).w24(55, 2).frame(6), QDateTime()).registro;
        QCOMPARE(e3.lE3, 5);
        for (double v : {e3.sLeq, e3.sMaxFast, e3.sMaxLeq1min, e3.sMinLeq1min, e3.sL[0], e3.sL[4]})
            QCOMPARE(v, 0.0);
        QCOMPARE(e3.lPasadasLocal, 11); // counters stay as received
        QCOMPARE(e3.lPasMaxFast, 2);
    }

    // The texts the storage writes for the device's own hours and the actuation times.
    void storedForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("isNull");
        QTest::newRow("night hour") << textoHoraNoche({22, 5}) << "22:05" << false;
        QTest::newRow("night hour 24:00, as it came") << textoHoraNoche({24, 0}) << "24:00" << false;
        QTest::newRow("night minute 60, as it came") << textoHoraNoche({7, 60}) << "07:60" << false;
        // An empty text, not a missing one.
        QTest::newRow("night hour 100: empty") << textoHoraNoche({100, 0}) << "" << false;
        QTest::newRow("night FF FF: empty") << textoHoraNoche({255, 255}) << "" << false;
        QTest::newRow("event time") << textoHoraEvento({8, 5}) << "08:05" << false;
        QTest::newRow("event bytes over 99") << textoHoraEvento({100, 255}) << "99:99" << false;
        QTest::newRow("local actuation 10 s") << textoActuacionLocal(10000) << "Leq10s" << false;
        QTest::newRow("local actuation 0 s") << textoActuacionLocal(0) << "Leq0s" << false;
        QTest::newRow("local actuation 125 ms") << textoActuacionLocal(125) << "Leq125ms" << false;
        // No text, never the previous record's.
        QTest::newRow("no local actuation") << textoActuacionLocal(std::nullopt) << "" << true;
        QTest::newRow("no reception actuation") << textoActuacionVecino(std::nullopt) << "0" << false;
        QTest::newRow("reception actuation 1 s") << textoActuacionVecino(1000) << "Leq1s" << false;
        QTest::newRow("record date") << textoFechaLarga(QDate(2010, 3, 5)) << "05/03/2010" << false;
    }
    void storedForms()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(bool, isNull);
        QCOMPARE(text, expected);
        QCOMPARE(text.isNull(), isNull);
    }

    // --- Storage on a real database ---

    void storeIntervalsOnceAndOverwrite()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlDatabase db = slx::modulo1().ConexionBD;
        LogStorage store(db);
        auto r = decodificaIntervalo(interval().b(53, 7).frame(5), FormatoIntervalo::Desde30, QDateTime()).registro;
        SLX_VERIFY_OK(store.grabaIntervalo(4242, r));
        // The same interval again from a device before 3.0, with another level: one row,
        // overwritten, and the D.N.A. value it does not carry kept.
        auto old =
            decodificaIntervalo(interval().w(19, 810).frame(5), FormatoIntervalo::AntesDe30, QDateTime()).registro;
        SLX_VERIFY_OK(store.grabaIntervalo(4242, old));
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT COUNT(*), \"SLeqLocal\", \"ByDNA\", \"DFechaInicio\", \"THoraInicio\", \"BoRS232\" "
                       "FROM \"Intervalos\""));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toFloat(), 81.0f);
        QCOMPARE(q.value(2).toInt(), 7);
        QCOMPARE(q.value(3).toString(), QStringLiteral("2010-03-15"));
        QCOMPARE(q.value(4).toString(), QStringLiteral("10:00"));
        const auto newest = intervaloMasReciente(db, 4242);
        QVERIFY(newest);
        QCOMPARE(*newest, QDateTime(QDate(2010, 3, 15), QTime(10, 0), Qt::UTC));
        QVERIFY(!intervaloMasReciente(db, 1));
    }

    // Every column of a stored row in its place: a record with a different value in
    // each field, stored, read back whole and compared column by column.
    void storedColumns_data()
    {
        QTest::addColumn<int>("kind"); // 0 interval from 3.0, 1 interval before 3.0, 2 session
        QTest::addColumn<QVariantMap>("expected");
        const QVariantMap interval{{"LNumeroSerie", 4242},
                                   {"DFechaInicio", "2010-03-16"},
                                   {"THoraInicio", "10:01"},
                                   {"DFechaFinal", "2010-03-16"},
                                   {"THoraFinal", "10:15"},
                                   {"ByTLeq", 14},
                                   {"SLeqLocal", 65.2},
                                   {"SLeqVecino", 45.1},
                                   {"TTipoActuacionLocal", "Leq10s"},
                                   {"TTipoActuacionVecino", "Leq125ms"},
                                   {"ByNivelLeqLocal", 92},
                                   {"ByNivelLeqVecino", 61},
                                   {"SMaxLeq1min", 75.3},
                                   {"TFechaMaxLeq1min", "16/03/2010"},
                                   {"THoraMaxLeq1min", "10:07"},
                                   {"SMinLeq1min", 62.4},
                                   {"TFechaMinLeq1min", "17/03/2010"},
                                   {"THoraMinLeq1min", "10:09"},
                                   {"SMaxFast", 110.5},
                                   {"ByNivelMFast", 104},
                                   {"IPasMaxFast", 15},
                                   {"SL1", 80.1},
                                   {"SL5", 77.2},
                                   {"SL10", 73.3},
                                   {"SL50", 68.4},
                                   {"SL90", 61.5},
                                   {"BoRS232", -1},
                                   {"BoProgramacion", 0},
                                   {"IDesco", 11},
                                   {"IPasadasLocal", 13},
                                   {"IPasadasVecino", 12},
                                   {"IE3", 0},
                                   {"ByDNA", 21},
                                   {"ByENA", 22},
                                   {"ByLineaInsuficiente", 23}};
        QTest::newRow("interval from 3.0") << 0 << interval;
        QVariantMap old = interval;
        old["TTipoActuacionLocal"] = "Leq125ms";
        old["TTipoActuacionVecino"] = "Leq1s";
        old["BoRS232"] = 0;
        old["BoProgramacion"] = -1;
        for (const char *c : {"ByDNA", "ByENA", "ByLineaInsuficiente"})
            old[c] = QVariant(); // not carried: left empty
        QTest::newRow("interval before 3.0") << 1 << old;
        QTest::newRow("session") << 2
                                 << QVariantMap{{"LNumeroSerie", 4242},
                                                {"DFechaInicio", "2010-03-20"},
                                                {"THoraInicio", "20:05"},
                                                {"DFechaFinal", "2010-03-21"},
                                                {"THoraFinal", "03:50"},
                                                {"SLeq", 70.1},
                                                {"ByNivelDiaLocal", 91},
                                                {"ByNivelDiaVecino", 62},
                                                {"THoraInicioNoche", "22:10"},
                                                {"THoraFinalNoche", "07:20"},
                                                {"ByNivelNocheLocal", 86},
                                                {"ByNivelNocheVecino", 57},
                                                {"ITiempoAtenuacion", 301},
                                                {"LDesco", 1001},
                                                {"LPasadasLocal", 1002},
                                                {"LPasadasVecino", 1003},
                                                {"LE3", 0},
                                                {"SMaxFast", 109.4},
                                                {"ByNivelMFast", 106},
                                                {"LPasMaxFast", 1004},
                                                {"SMaxLeq1min", 78.2},
                                                {"TFechaMaxLeq1min", "20/03/2010"},
                                                {"THoraMaxLeq1min", "23:11"},
                                                {"SMinLeq1min", 61.3},
                                                {"TFechaMinLeq1min", "21/03/2010"},
                                                {"THoraMinLeq1min", "01:12"},
                                                {"SL1", 82.5},
                                                {"SL5", 78.6},
                                                {"SL10", 75.7},
                                                {"SL50", 69.8},
                                                {"SL90", 63.9}};
    }
    void storedColumns()
    {
        QFETCH(int, kind);
        QFETCH(QVariantMap, expected);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlDatabase db = slx::modulo1().ConexionBD;
        LogStorage store(db);
        if (kind < 2) {
            Record r(54);
            r.at(4, 16, 3, 2010, 10, 15).w(9, 11).w(11, 12).w(13, 13).w(15, 0).w(17, 451).w(19, 652);
            r.b(21, 61).b(22, 92).b(23, 14).w(24, 753).at(26, 16, 3, 2010, 10, 7).w(31, 624);
            r.at(33, 17, 3, 2010, 10, 9).w(38, 1105).b(40, 104).w(41, 15);
            r.w(43, 801).w(45, 772).w(47, 733).w(49, 684).w(51, 615);
            if (kind == 0)
                r.b(53, 21).b(54, 0x80 | 22).b(55, 23).b(56, 10).b(57, 125);
            else
                r.b(53, 1).b(54, 0).b(55, 1).b(56, 2).b(57, 1);
            const auto dec = decodificaIntervalo(
                r.frame(5), kind == 0 ? FormatoIntervalo::Desde30 : FormatoIntervalo::AntesDe30, QDateTime());
            QCOMPARE(dec.veredicto, Veredicto::Valido);
            SLX_VERIFY_OK(store.grabaIntervalo(4242, dec.registro));
        } else {
            Record r(64);
            r.at(4, 20, 3, 2010, 20, 5).at(9, 21, 3, 2010, 3, 50).b(14, 91).b(15, 62);
            r.b(16, 22).b(17, 10).b(18, 7).b(19, 20).b(20, 86).b(21, 57).w(22, 301);
            r.w24(24, 1001).w24(27, 1002).w24(30, 1003).w24(33, 0).w(36, 701).w(38, 782);
            r.at(40, 20, 3, 2010, 23, 11).w(45, 613).at(47, 21, 3, 2010, 1, 12).w(52, 1094).b(54, 106);
            r.w24(55, 1004).w(58, 825).w(60, 786).w(62, 757).w(64, 698).w(66, 639);
            const auto dec = decodificaSesion(r.frame(6), QDateTime());
            QCOMPARE(dec.veredicto, Veredicto::Valido);
            SLX_VERIFY_OK(store.grabaSesion(4242, dec.registro));
        }
        QSqlQuery q(db);
        QVERIFY(q.exec(kind < 2 ? "SELECT * FROM \"Intervalos\"" : "SELECT * FROM \"Sesiones\""));
        QVERIFY(q.next());
        const QSqlRecord row = q.record();
        QCOMPARE(row.count(), int(expected.size())); // no column left unchecked
        for (int i = 0; i < row.count(); ++i) {
            const QString column = row.fieldName(i);
            QVERIFY2(expected.contains(column), qPrintable(column));
            const QVariant want = expected.value(column);
            const QVariant got = row.value(i);
            if (want.isNull())
                QVERIFY2(got.isNull(), qPrintable(column + ": " + got.toString()));
            else
                QVERIFY2(got.toString() == want.toString(),
                         qPrintable(column + ": " + got.toString() + " instead of " + want.toString()));
        }
        QVERIFY(!q.next());
    }

    // The start kept for a device's next download never goes back: a download begun for a
    // device already known keeps it, one that ends with records older than the kept start
    // keeps it too; only a newer record moves it.
    void keptStartNeverMovesBack_data()
    {
        QTest::addColumn<QString>("kept"); // before the call; empty: the device is not known
        QTest::addColumn<bool>("begin");   // beginDownload, else completeDownload
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("expected");
        QTest::newRow("begin, a new device") << "" << true << "2026-01-01 00:00"
                                             << "2026-01-01 00:00";
        QTest::newRow("begin, an earlier period") << "2026-06-01 10:15" << true << "2026-01-01 00:00"
                                                  << "2026-06-01 10:15";
        QTest::newRow("begin, a later period") << "2026-06-01 10:15" << true << "2026-09-01 00:00"
                                               << "2026-06-01 10:15";
        QTest::newRow("complete, newer") << "2026-06-01 10:15" << false << "2026-06-01 10:30"
                                         << "2026-06-01 10:30";
        QTest::newRow("complete, older") << "2026-06-01 10:15" << false << "2026-06-01 10:00"
                                         << "2026-06-01 10:15";
        QTest::newRow("complete, a year older") << "2026-06-01 10:15" << false << "2025-12-31 23:59"
                                                << "2026-06-01 10:15";
        QTest::newRow("complete, nothing received") << "2026-06-01 10:15" << false << ""
                                                    << "2026-06-01 10:15";
    }
    void keptStartNeverMovesBack()
    {
        QFETCH(QString, kept);
        QFETCH(bool, begin);
        QFETCH(QString, given);
        QFETCH(QString, expected);
        const auto at = [](const QString &text) {
            QDateTime d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
            d.setTimeSpec(Qt::UTC);
            return d;
        };
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlDatabase db = slx::modulo1().ConexionBD;
        LogStorage store(db);
        SLX_VERIFY_OK(store.beginDownload(5, at(QStringLiteral("2026-03-03 03:03")))); // another device
        if (!kept.isEmpty()) {
            SLX_VERIFY_OK(store.beginDownload(77, at(kept)));
            QCOMPARE(completedDownloadStart(db, 77), std::optional<QDateTime>(at(kept)));
        }
        const QDateTime t = given.isEmpty() ? QDateTime() : at(given);
        SLX_VERIFY_OK(begin ? store.beginDownload(77, t) : store.completeDownload(77, t));
        QCOMPARE(completedDownloadStart(db, 77), std::optional<QDateTime>(at(expected)));
        QCOMPARE(completedDownloadStart(db, 5), std::optional<QDateTime>(at(QStringLiteral("2026-03-03 03:03"))));
    }

    void storeSessionsEventsAndTotals()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlDatabase db = slx::modulo1().ConexionBD;
        LogStorage store(db);
        const auto s = decodificaSesion(session().frame(6), QDateTime()).registro;
        SLX_VERIFY_OK(store.grabaSesion(77, s));
        SLX_VERIFY_OK(store.grabaSesion(77, s));
        const Evento e{ListaEventos::FinalBateria, QDate(2009, 5, 1), HoraTrama{8, 5}};
        SLX_VERIFY_OK(store.grabaEvento(77, e));
        SLX_VERIFY_OK(store.grabaEvento(77, e));
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT (SELECT COUNT(*) FROM \"Sesiones\"), (SELECT COUNT(*) FROM \"DiaFinalBateria\"), "
                       "(SELECT \"DFecha\" || ' ' || \"THora\" FROM \"DiaFinalBateria\")"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toInt(), 1);
        QCOMPARE(q.value(2).toString(), QStringLiteral("2009-05-01 08:05"));

        // Totals go to the row of the serial given, and a device without a sheet is a failure.
        QVERIFY(q.exec("INSERT INTO \"Programacion\" (\"LNumeroSerie\") VALUES (1), (77)"));
        const QDateTime now(QDate(2010, 3, 16), QTime(9, 8, 7));
        SLX_VERIFY_OK(store.grabaTotales(77, Totales{1, 2, 3, -1}, now));
        QVERIFY(!store.grabaTotales(78, Totales{}, now));
        QVERIFY(q.exec("SELECT \"LNumeroSerie\", \"DFechaTotales\", \"THoraTotales\", \"LPasadasVecino\", \"LCB\" "
                       "FROM \"Programacion\" WHERE \"DFechaTotales\" IS NOT NULL"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 77);
        QCOMPARE(q.value(1).toString(), QStringLiteral("2010-03-16"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("09:08:07"));
        QCOMPARE(q.value(3).toInt(), -1);
        QCOMPARE(q.value(4).toInt(), 3);
        QVERIFY(!q.next());
    }
};

QTEST_MAIN(TestLogFrames)
#include "tst_logframes.moc"
