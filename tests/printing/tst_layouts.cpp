// The shipped layouts: each parses, and each holds every field, section and
// sub-report that its callers set. A newer embedded layout replaces an older
// seeded copy, which is kept beside it.

#include "TestSupport.h"
#include "base/DataFolder.h"
#include "printing/ReportFrame.h"
#include "printing/ReportXml.h"

#include <QDirIterator>
#include <QtTest>

using namespace slx;

namespace {

struct Llamador {
    const char *fichero;
    const char *informe;
    marco::Lista lista;
    QStringList otros; // names the caller sets beyond the frame
};

// Every print-out and what it sets. A new layout gets its row here.
const QList<Llamador> &llamadores()
{
    static const QList<Llamador> l = {
        {"slx90_1.xml", "SLX90_1", marco::Lista::Ninguna, {}},
        // The fields the per-record rules of the lists fill.
        {"slx90_2.xml",
         "SLX90_2",
         marco::Lista::Intervalos,
         {"IntervalosLeq/LSL1", "IntervalosLeq/LSL5", "IntervalosLeq/LSL10", "IntervalosLeq/LSL50",
          "IntervalosLeq/LSL90", "IntervalosLeq/LByENA", "IntervalosLeq/LByLineaInsuficiente",
          "IntervalosLeq/LBoProgramacion", "IntervalosLeq/LByDNA", "IntervalosLeq/LSMaxFast",
          "IntervalosLeq/LSMaxLeq1min", "IntervalosLeq/LSMinLeq1min", "IntervalosLeq/LSLeqLocal",
          "IntervalosLeq/LSLeqVecino"}},
        {"slx90_3.xml",
         "SLX90_3",
         marco::Lista::Sesiones,
         {"SesionReg/LSL1", "SesionReg/LSL5", "SesionReg/LSL10", "SesionReg/LSL50", "SesionReg/LSL90",
          "SesionReg/LSMaxFast", "SesionReg/LSMaxLeq1min", "SesionReg/LSMinLeq1min", "SesionReg/LSLeq"}},
        {"slx90_4.xml", "SLX90_4", marco::Lista::Ninguna, {"GraficaNiveles", "GraficaEventos"}},
    };
    return l;
}

} // namespace

class TestLayouts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyShippedLayoutHasItsCaller()
    {
        QStringList enviados;
        QDirIterator it(QStringLiteral(":/defaults/XML"), {"*.xml"}, QDir::Files);
        while (it.hasNext())
            enviados << it.next().section('/', -1).toLower();
        enviados.sort();
        QStringList conocidos;
        for (const Llamador &l : llamadores())
            conocidos << QString::fromLatin1(l.fichero);
        QCOMPARE(enviados, conocidos);
    }

    void holdsWhatItsCallersSet_data()
    {
        QTest::addColumn<int>("indice");
        for (int i = 0; i < llamadores().size(); ++i)
            QTest::newRow(llamadores()[i].fichero) << i;
    }
    void holdsWhatItsCallersSet()
    {
        QFETCH(int, indice);
        const Llamador &l = llamadores()[indice];
        const QString fichero = DataFolder::defaultFile(QStringLiteral("XML/") + QString::fromLatin1(l.fichero));
        QVERIFY(versionDisposicion(fichero) >= 1);
        const auto cargado = cargaInforme(fichero, QString::fromLatin1(l.informe));
        QVERIFY2(cargado, qPrintable(cargado ? QString() : cargado.error().mensaje()));
        Informe &informe = **cargado;
        // Every name the layout lacks, with its description.
        QStringList faltan;
        const auto mira = [&](const auto &hallado) {
            if (!hallado)
                faltan << hallado.error().mensaje();
        };
        const auto seccionDe = [&](const QString &subinforme) {
            const auto s = informe.subinforme(subinforme);
            if (!s)
                mira(s);
            else
                mira((*s)->seccion("Detail"));
        };
        mira(informe.seccion("Detail"));
        for (const QString &nombre : marco::camposMarco(l.lista) + l.otros) {
            if (nombre.contains('/')) {
                const auto s = informe.subinforme(nombre.section('/', 0, 0));
                if (!s)
                    mira(s);
                else
                    mira((*s)->campo(nombre.section('/', 1)));
            } else {
                mira(informe.campo(nombre));
            }
        }
        if (l.lista != marco::Lista::Ninguna)
            seccionDe(QString::fromLatin1(l.lista == marco::Lista::Intervalos ? marco::kListaIntervalos
                                                                              : marco::kListaSesiones));
        for (const char *evento : {"Reprogramacions", "Esborrats", "FinBateria"})
            seccionDe(QString::fromLatin1(evento));
        QVERIFY2(faltan.isEmpty(), qPrintable(faltan.join(QLatin1Char('\n'))));
    }

    void newerEmbeddedLayoutReplacesSeededCopy_data()
    {
        QTest::addColumn<QByteArray>("sembrado");
        QTest::addColumn<bool>("sustituido");
        QTest::newRow("older version") << QByteArray("<layouts version=\"0\"><!-- mine --></layouts>") << true;
        QTest::newRow("no version") << QByteArray("<layouts><!-- mine --></layouts>") << true;
        QTest::newRow("not XML") << QByteArray("mine") << true;
        QTest::newRow("newer version") << QByteArray("<layouts version=\"99\"><!-- mine --></layouts>") << false;
    }
    void newerEmbeddedLayoutReplacesSeededCopy()
    {
        QFETCH(QByteArray, sembrado);
        QFETCH(bool, sustituido);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        // Another letter case of the same name is the same file.
        const QString copia = home.file("xml/SLX90_1.XML");
        QVERIFY(QFile::rename(home.file("XML"), home.file("xml")));
        QVERIFY(QFile::rename(home.file("xml/slx90_1.xml"), copia));
        {
            QFile f(copia);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(sembrado);
        }
        QVERIFY(home.seed());
        QFile f(copia);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray ahora = f.readAll();
        QCOMPARE(ahora == sembrado, !sustituido);
        QCOMPARE(QDir(home.file("xml")).entryList({"slx90_1*"}, QDir::Files).size(), sustituido ? 2 : 1);
        if (sustituido) {
            QCOMPARE(versionDisposicion(copia), versionDisposicion(DataFolder::defaultFile("XML/slx90_1.xml")));
            const QStringList kept = QDir(home.file("xml")).entryList({"*.bak"});
            QCOMPARE(kept.size(), 1);
            QFile k(home.file("xml/" + kept.first()));
            QVERIFY(k.open(QIODevice::ReadOnly));
            QCOMPARE(k.readAll(), sembrado);
            // Seeding again changes nothing.
            QVERIFY(home.seed());
            QCOMPARE(QDir(home.file("xml")).entryList({"slx90_1*"}, QDir::Files).size(), 2);
        }
    }
};

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
