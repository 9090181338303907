// The charts' data without a window: the 50-interval window read by key from checkpoints,
// the chart values of a seeded device (gap bands, under and over range, limits, events),
// the level texts and the texts and sides of the two value labels, the slider's range.

#include "TestSupport.h"
#include "VerificaResultado.h"

#include "SemillaGraficas.h"
#include "base/Modulo1.h"
#include "reports/Graficas.h"
#include "reports/VentanaIntervalos.h"

#include <QLocale>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;
using namespace slx::graficas;

namespace {

// Catalogue texts as their numbers, so that the joins show.
QString numero(int n)
{
    return QStringLiteral("<%1>").arg(n);
}

QVector<FilaIntervalo> ventana(qint64 primera)
{
    VentanaIntervalos v;
    const auto abierta = v.abre(modulo1().ConexionBD, semilla::kSerie);
    if (!abierta) {
        qWarning("%s", qPrintable(abierta.error().mensaje()));
        return {};
    }
    const auto filas = v.lee(primera);
    if (!filas) {
        qWarning("%s", qPrintable(filas.error().mensaje()));
        return {};
    }
    return *filas;
}

} // namespace

class TestGraficas : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;

private slots:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QLocale::setDefault(QLocale::c());
    }
    void cleanup() { home.reset(); }

    // Every position read from its checkpoint gives the rows an OFFSET from the start gives,
    // across checkpoints, at both ends and past the end; the count is the table's.
    void windowByKey_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("paso");
        QTest::newRow("none") << 0 << 64;
        QTest::newRow("30") << 30 << 64;
        QTest::newRow("64 exactly") << 64 << 64;
        QTest::newRow("120, paso 64") << 120 << 64;
        QTest::newRow("120, paso 50") << 120 << 50;
        QTest::newRow("120, default paso") << 120 << VentanaIntervalos::kPasoMarcas;
    }
    void windowByKey()
    {
        QFETCH(int, rows);
        QFETCH(int, paso);
        if (rows > 0)
            QVERIFY(semilla::siembra(rows));
        // Another device's rows around it stay out.
        QVERIFY(semilla::siembra(70, QStringLiteral("3.0"), semilla::kSerie + 1));
        QVERIFY(semilla::siembra(70, QStringLiteral("3.0"), semilla::kSerie - 1));

        VentanaIntervalos v(paso);
        QVERIFY(!v.abierta());
        SLX_VERIFY_OK(v.abre(modulo1().ConexionBD, semilla::kSerie));
        QVERIFY(v.abierta());
        QCOMPARE(v.total(), qint64(rows));
        QCOMPARE(v.marcas(), rows > 0 ? (rows - 1) / qMax(paso, 50) : 0);

        for (int primera : {0, 1, 13, 49, 50, 63, 64, 65, 69, 70, 100, 119, 120, 200}) {
            const auto leidas = v.lee(primera);
            QVERIFY2(leidas, qPrintable(leidas ? QString() : leidas.error().mensaje()));
            const QVector<FilaIntervalo> &filas = *leidas;
            const int esperadas = qBound(0, rows - primera, 50);
            QCOMPARE(filas.size(), esperadas);
            for (int k = 0; k < esperadas; ++k) {
                const QDateTime t = semilla::inicioFila(primera + k);
                QCOMPARE(filas.at(k).fechaInicio, t.date().toString(Qt::ISODate));
                QCOMPARE(filas.at(k).horaInicio, t.time().toString(QStringLiteral("hh:mm")));
            }
        }
    }

    // The newest 50 of the seeded device: labels, gap bands, levels, limits, percentiles, flags.
    void chartValues()
    {
        QVERIFY(semilla::siembra());
        const Valores v = valores(ventana(70), true);
        const auto at = [](const Serie &s, int punto) { return s[punto - 1]; };

        QCOMPARE(v.etiquetas[0], QStringLiteral("06.03.09  03:45 <> 04:00")); // row 70
        QCOMPARE(v.etiquetas[49], semilla::inicioFila(119).toString(QStringLiteral("dd.MM.yy  hh:mm <> ")) +
                                      semilla::inicioFila(119).addSecs(900).toString(QStringLiteral("hh:mm")));

        // Gap bands: the hole of six intervals (points 30 and 31), the Leq time change (44, 45).
        QList<int> bandas;
        for (int p = 1; p <= 50; ++p) {
            const double s = at(v.percentiles[SinDatos - 1], p);
            QVERIFY2(s == kBanda || s == kSinValor, qPrintable(QString::number(p)));
            if (s == kBanda)
                bandas << p;
        }
        QCOMPARE(bandas, (QList<int>{30, 31, 44, 45}));

        // An ordinary point (row 71: 60 + 71 % 40 = 91, reception 40 + 11 = 51).
        QCOMPARE(at(v.niveles[LeqLocal - 1], 2), 91.0);
        QCOMPARE(at(v.niveles[LeqVecino - 1], 2), 51.0);
        QCOMPARE(at(v.niveles[MaxFast - 1], 2), 90.5);
        QCOMPARE(at(v.niveles[LimiteLocal - 1], 2), 85.0);
        QCOMPARE(at(v.niveles[LimiteVecino - 1], 2), 45.0);
        QCOMPARE(at(v.niveles[LimiteMFast - 1], 2), 100.0);
        QCOMPARE(at(v.niveles[MaxLeq1 - 1], 2), 80.0);
        QCOMPARE(at(v.niveles[MinLeq1 - 1], 2), 61.0);
        QCOMPARE(at(v.percentiles[L1 - 1], 2), 70.0);
        QCOMPARE(at(v.percentiles[L90 - 1], 2), 62.0);

        // Point 50: the emission level 59 is under range, the reception one is drawn as stored.
        QCOMPARE(at(v.niveles[LeqLocal - 1], 50), kBajoRango);
        QCOMPARE(at(v.niveles[LeqVecino - 1], 50), 59.0);
        QCOMPARE(at(v.percentiles[L5 - 1], 50), 64.0);
        QCOMPARE(at(v.percentiles[L10 - 1], 50), kBajoRango);
        // Point 49: over range drawn at 121.
        QCOMPARE(at(v.niveles[LeqLocal - 1], 49), 121.0);
        // Point 48: sensor inactive, no levels nor percentiles, the limits stay, its flag set.
        for (int s : {LeqLocal, LeqVecino, MaxFast, MaxLeq1, MinLeq1})
            QCOMPARE(at(v.niveles[s - 1], 48), kSinValor);
        for (int s = L1; s <= L90; ++s)
            QCOMPARE(at(v.percentiles[s - 1], 48), kSinValor);
        QCOMPARE(at(v.niveles[LimiteLocal - 1], 48), 85.0);
        QCOMPARE(at(v.niveles[LimiteMFast - 1], 48), 100.0);
        QCOMPARE(at(v.eventos[3], 48), 1.0);
        // Point 47: ByNivelLeqLocal 255 takes both level limits away.
        QCOMPARE(at(v.niveles[LimiteLocal - 1], 47), kSinValor);
        QCOMPARE(at(v.niveles[LimiteVecino - 1], 47), kSinValor);
        QCOMPARE(at(v.niveles[LimiteMFast - 1], 47), 100.0);

        // Event flags of every point from its row's counters.
        for (int p = 1; p <= 50; ++p) {
            const int r = 69 + p;
            QCOMPARE(at(v.eventos[0], p), r % 7 == 0 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[1], p), r % 5 == 0 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[2], p), r % 3 == 0 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[3], p), r == 117 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[4], p), r % 11 == 0 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[5], p), r == 112 ? 1.0 : 0.0); // 255 is not available
            QCOMPARE(at(v.eventos[6], p), r == 112 || r == 113 ? 1.0 : 0.0);
            QCOMPARE(at(v.eventos[7], p), r == 112 ? 1.0 : 0.0);
        }
        QCOMPARE(v.contadores[43 - 1].dna, quint8(12));
        QCOMPARE(v.contadores[43 - 1].pasadasLocal, qint16(0));
        QCOMPARE(v.contadores[41 - 1].pasadasLocal, qint16(2)); // row 110
    }

    // A window that starts at the first row opens no band at its first point; the window
    // after the hole starts on a row that follows a gap and still opens none there.
    void firstPointNeverStartsAGap()
    {
        QVERIFY(semilla::siembra());
        const Valores v = valores(ventana(100), true);
        QCOMPARE(v.percentiles[SinDatos - 1][0], kSinValor);
        QCOMPARE(v.percentiles[SinDatos - 1][13], kBanda); // point 14 = row 113
        QCOMPARE(v.percentiles[SinDatos - 1][14], kBanda);
    }

    // Fewer than 50 rows: the points after the last carry " ", no values, flags 0.
    void shortLog()
    {
        QVERIFY(semilla::siembra(30));
        const Valores v = valores(ventana(0), true);
        for (int i = 30; i < 50; ++i) {
            QCOMPARE(v.etiquetas[i], QStringLiteral(" "));
            for (const Serie &s : v.niveles)
                QCOMPARE(s[i], kSinValor);
            for (const Serie &s : v.percentiles)
                QCOMPARE(s[i], kSinValor);
            for (const Serie &s : v.eventos)
                QCOMPARE(s[i], 0.0);
            QCOMPARE(v.contadores[i].desco, qint16(0));
        }
        QVERIFY(v.etiquetas[29] != QStringLiteral(" "));
    }

    // Below firmware 3.0 the three newer counters are neither read nor flagged.
    void olderFirmware()
    {
        QVERIFY(semilla::siembra());
        const Valores v = valores(ventana(70), false);
        for (int i = 0; i < 50; ++i) {
            QCOMPARE(v.contadores[i].dna, quint8(0));
            for (int s = 5; s < 8; ++s)
                QCOMPARE(v.eventos[s][i], 0.0);
        }
    }

    void levelTexts_data()
    {
        QTest::addColumn<float>("nivel");
        QTest::addColumn<QString>("undOrUp");
        QTest::addColumn<QString>("undOrUp2");
        QTest::newRow("hole") << -1.0f << "---"
                              << "---";
        QTest::newRow("zero") << 0.0f << "---"
                              << "0.0";
        QTest::newRow("under range code") << -2.0f << "UND"
                                          << "-2.0";
        QTest::newRow("stored 59") << 59.0f << "UND"
                                   << "59.0";
        QTest::newRow("59.9") << 59.9f << "UND"
                              << "59.9";
        QTest::newRow("60") << 60.0f << "60.0"
                            << "60.0";
        QTest::newRow("65.3") << 65.3f << "65.3"
                              << "65.3";
        QTest::newRow("120") << 120.0f << "120.0"
                             << "120.0";
        QTest::newRow("121") << 121.0f << "UP"
                             << "UP";
    }
    void levelTexts()
    {
        QFETCH(float, nivel);
        QFETCH(QString, undOrUp);
        QFETCH(QString, undOrUp2);
        QCOMPARE(UndOrUp(nivel), undOrUp);
        QCOMPARE(UndOrUp2(nivel), undOrUp2);
    }

    // The decimal separator is the system's.
    void levelTextsFollowTheSystemsDecimal()
    {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        QCOMPARE(UndOrUp(65.3f), QStringLiteral("65,3"));
        QCOMPARE(UndOrUp2(1000.0f), QStringLiteral("UP"));
        QLocale::setDefault(QLocale::c());
    }

    // The upper label reads the chart values; sensor inactive gives "---" everywhere.
    void upperLabel()
    {
        QVERIFY(semilla::siembra());
        const Valores v = valores(ventana(70), true);
        const auto punto = [&](int p) {
            std::array<double, kSeriesNivel> n;
            std::array<double, kSeriesPercentil> q;
            for (int s = 0; s < kSeriesNivel; ++s)
                n[s] = v.niveles[s][p - 1];
            for (int s = 0; s < kSeriesPercentil; ++s)
                q[s] = v.percentiles[s][p - 1];
            return textoSuperior(n, q, numero);
        };
        QCOMPARE(punto(50), QStringLiteral("<55>:UND <58>:59.0 <14>:90.5 <12>:80.0 <13>:61.0\r\r"
                                           "L1:70.0 L5:64.0 L10:UND L50:64.0 L90:62.0"));
        QCOMPARE(punto(49), QStringLiteral("<55>:UP <58>:UP <14>:90.5 <12>:80.0 <13>:61.0\r\r"
                                           "L1:70.0 L5:68.0 L10:66.0 L50:64.0 L90:62.0"));
        QCOMPARE(punto(48), QStringLiteral("<55>:--- <58>:--- <14>:--- <12>:--- <13>:---\r\r"
                                           "L1:--- L5:--- L10:--- L50:--- L90:---"));
    }

    void lowerLabel_data()
    {
        QTest::addColumn<int>("linea");
        QTest::addColumn<int>("dna");
        QTest::addColumn<bool>("desde30");
        QTest::addColumn<QString>("texto");
        const QString base = QStringLiteral("<50>1 <51>2 <52>3 <53>4 <54>5");
        QTest::newRow("firmware 2.0") << 3 << 12 << false << base;
        QTest::newRow("3.0") << 3 << 12 << true << base + QStringLiteral(" <110>3 <108>:12' <109>:7'");
        QTest::newRow("line not available") << 255 << 12 << true << base + QStringLiteral(" <110>-- <108>:-- <109>:--");
    }
    void lowerLabel()
    {
        QFETCH(int, linea);
        QFETCH(int, dna);
        QFETCH(bool, desde30);
        QFETCH(QString, texto);
        Contadores c{1, 2, 3, 4, 5, quint8(linea), quint8(dna), 7};
        QCOMPARE(textoInferior(c, desde30, numero), texto);
    }

    void labelSides()
    {
        for (int p = 1; p <= 50; ++p) {
            QCOMPARE(ladoSuperior(p), p <= 21 ? Lado::Derecha : p <= 28 ? Lado::Centro : Lado::Izquierda);
            QCOMPARE(ladoInferior(p), p <= 19 ? Lado::Derecha : p <= 29 ? Lado::Centro : Lado::Izquierda);
        }
    }

    void sliderRange_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("minimo");
        QTest::addColumn<int>("maximo");
        QTest::addColumn<int>("valor");
        QTest::newRow("none") << qint64(0) << -1 << 0 << 0;
        QTest::newRow("30") << qint64(30) << -1 << 0 << 0;
        QTest::newRow("50") << qint64(50) << -1 << 0 << 0;
        QTest::newRow("51") << qint64(51) << 0 << 1 << 1;
        QTest::newRow("120") << qint64(120) << 0 << 70 << 70;
        QTest::newRow("2 M") << qint64(2000000) << 0 << 1999950 << 1999950;
    }
    void sliderRange()
    {
        QFETCH(qint64, total);
        QFETCH(int, minimo);
        QFETCH(int, maximo);
        QFETCH(int, valor);
        const RangoDeslizador r = rangoDeslizador(total);
        QCOMPARE(r.minimo, minimo);
        QCOMPARE(r.maximo, maximo);
        QCOMPARE(r.valor, valor);
    }
};

QTEST_MAIN(TestGraficas)
#include "tst_graficas.moc"
