// The report engine without windows: layout files, names, formats, record sources
// with bound values, per-record rules, growing texts, the flow of sub-reports over
// pages, page numbers, pictures, the slices of the layout and the painting.

#include "PageChecks.h"
#include "TestSupport.h"
#include "base/Modulo1.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "printing/ReportFormats.h"
#include "printing/ReportLayout.h"
#include "printing/ReportXml.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

using namespace slx;

namespace {

// What a lookup found; a lookup that fails ends the test with its description.
template <class T> T hallado(Resultado<T> r)
{
    if (!r)
        throw std::runtime_error(r.error().mensaje().toStdString());
    return std::move(*r);
}

Informe &informeDe(ReportEngine &m)
{
    return *hallado(m.informe());
}

Informe &sub(Informe &r, const char *nombre)
{
    return *hallado(r.subinforme(QString::fromLatin1(nombre)));
}

CampoInforme &campo(Informe &r, const char *nombre)
{
    return *hallado(r.campo(QString::fromLatin1(nombre)));
}

SeccionInforme &seccion(Informe &r, const char *nombre)
{
    return *hallado(r.seccion(QString::fromLatin1(nombre)));
}

// A list report: a header, a list sub-report between two texts, a page footer.
const char *const kLista = R"(<?xml version="1.0"?>
<layouts version="3">
  <report name="Lista" width="100" height="100" left="10" right="10" top="10" bottom="10" size="8">
    <section name="PageHeader" height="8">
      <text name="Cabecera" x="0" y="0" width="80" height="5" text="Cabecera"/>
    </section>
    <section name="Header" height="10">
      <text name="Titulo" x="0" y="0" width="80" height="5" text="Titulo"/>
      <text name="Memo" x="0" y="5" width="40" height="4" grow="true"/>
      <text name="Debajo" x="0" y="9" width="40" height="1" text="Debajo"/>
    </section>
    <section name="Detail" height="20">
      <text name="Antes" x="0" y="0" width="40" height="5" text="Antes"/>
      <subreport name="Filas" x="5" y="6" width="60" height="4">
        <report name="Filas">
          <section name="Header" height="5">
            <text name="TValor" x="0" y="0" width="20" height="5" text="Valor"/>
          </section>
          <section name="Detail" height="5">
            <text name="Numero" x="0" y="0" width="20" height="5" column="n"/>
            <text name="LNivel" x="20" y="0" width="20" height="5" column="nivel" format="0.0"/>
            <text name="Fecha" x="40" y="0" width="20" height="5" column="fecha" format="date:dd/MM/yyyy"/>
          </section>
          <section name="Footer" height="5">
            <text name="Fin" x="0" y="0" width="20" height="5" text="Fin"/>
          </section>
        </report>
      </subreport>
      <text name="Despues" x="0" y="12" width="40" height="5" text="Despues"/>
      <line x="0" y="19" width="80" height="0"/>
    </section>
    <section name="PageFooter" height="6">
      <text name="Pagina" x="0" y="0" width="80" height="5" text="{Page} / {Pages}" align="right"/>
    </section>
  </report>
  <report name="Otro" size="8">
    <section name="Detail" height="5"/>
  </report>
</layouts>
)";

QString escribe(const QString &carpeta, const QString &nombre, const QByteArray &texto)
{
    const QString path = QDir(carpeta).filePath(nombre);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(texto);
    return path;
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    QString lista;

    // Rows 1..n of a table Filas (n, nivel, fecha), on the program's connection.
    void filas(int n)
    {
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("DROP TABLE IF EXISTS Filas"));
        QVERIFY(q.exec("CREATE TABLE Filas (n INTEGER, nivel REAL, fecha TEXT, texto TEXT)"));
        modulo1().ConexionBD.transaction();
        q.prepare("INSERT INTO Filas VALUES (?, ?, ?, ?)");
        for (int i = 1; i <= n; ++i) {
            q.addBindValue(i);
            q.addBindValue(i % 7 == 0 ? 0.0 : 50.0 + i % 80);
            q.addBindValue(QDate(2009, 3, 1).addDays(i).toString(Qt::ISODate));
            q.addBindValue(QStringLiteral("t%1").arg(i));
            QVERIFY(q.exec());
        }
        modulo1().ConexionBD.commit();
    }

    std::shared_ptr<const ModeloPaginas> laidOut(ReportEngine &m) { return hallado(m.renderCompleto()); }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        lista = escribe(home->path(), "lista.xml", kLista);
    }
    void cleanup() { home.reset(); }

    void numberFormats_data()
    {
        QTest::addColumn<double>("valor");
        QTest::addColumn<QString>("patron");
        QTest::addColumn<QString>("texto");
        QTest::newRow("zero #.00") << 0.0 << "#.00"
                                   << ".00";
        QTest::newRow("2.5 #.00") << 2.5 << "#.00"
                                  << "2.50";
        QTest::newRow("12.345 #.00") << 12.345 << "#.00"
                                     << "12.35";
        QTest::newRow("-1.5 #.00") << -1.5 << "#.00"
                                   << "-1.50";
        QTest::newRow("0.5 #.00") << 0.5 << "#.00"
                                  << ".50";
        QTest::newRow("0.5 0.0") << 0.5 << "0.0"
                                 << "0.5";
        QTest::newRow("half up 0") << 2.5 << "0"
                                   << "3";
        QTest::newRow("-0.001 #.00") << -0.001 << "#.00"
                                     << ".00";
        QTest::newRow("3 00") << 3.0 << "00"
                              << "03";
    }
    void numberFormats()
    {
        QFETCH(double, valor);
        QFETCH(QString, patron);
        QFETCH(QString, texto);
        QCOMPARE(informe::formatoNumero(valor, patron), texto);
    }

    // Whatever the process's locale, a value prints the same.
    void formatsIgnoreTheLocale()
    {
        const QLocale antes;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(informe::formatoValor(QVariant(62.7), QString()), QStringLiteral("62.7"));
        QCOMPARE(informe::formatoValor(QVariant(62.7), QStringLiteral("#.00")), QStringLiteral("62.70"));
        QCOMPARE(informe::formatoValor(QVariant("2009-03-15"), QStringLiteral("date:dd/MM/yyyy")),
                 QStringLiteral("15/03/2009"));
        QCOMPARE(informe::formatoValor(QVariant("24/12/08"), QStringLiteral("date:dd/MM/yyyy")),
                 QStringLiteral("24/12/2008"));
        QCOMPARE(informe::formatoValor(QVariant("14:32:10"), QStringLiteral("time:hh:mm")), QStringLiteral("14:32"));
        QCOMPARE(informe::formatoValor(QVariant("not a date"), QStringLiteral("date:dd/MM/yyyy")),
                 QStringLiteral("not a date"));
        QCOMPARE(informe::formatoValor(QVariant(), QStringLiteral("#.00")), QString());
        QLocale::setDefault(antes);
    }

    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("contenido");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("descripcion");
        QTest::newRow("missing file") << QByteArray() << "Lista"
                                      << "cannot be read";
        QTest::newRow("not XML") << QByteArray("<layouts><report name=\"x\">") << "x"
                                 << "is not valid";
        QTest::newRow("unknown element") << QByteArray("<layouts><report name=\"x\"><section name=\"Detail\">"
                                                       "<txt/></section></report></layouts>")
                                         << "x"
                                         << "unexpected element <txt>";
        QTest::newRow("unknown attribute") << QByteArray("<layouts><report name=\"x\"><section name=\"Detail\">"
                                                         "<text colum=\"a\"/></section></report></layouts>")
                                           << "x"
                                           << "unknown attribute \"colum\"";
        QTest::newRow("comma as decimal separator")
            << QByteArray("<layouts><report name=\"x\" width=\"210,5\"/></layouts>") << "x"
            << "is not a length";
        QTest::newRow("two fields of one name")
            << QByteArray("<layouts><report name=\"x\"><section name=\"Detail\"><text name=\"a\"/>"
                          "<text name=\"A\"/></section></report></layouts>")
            << "x"
            << "two fields";
        QTest::newRow("missing report") << QByteArray(kLista) << "SLX90_9"
                                        << "holds no report SLX90_9";
    }
    void loadFailures()
    {
        QFETCH(QByteArray, contenido);
        QFETCH(QString, nombre);
        QFETCH(QString, descripcion);
        const QString path = contenido.isEmpty() ? home->file("none.xml") : escribe(home->path(), "f.xml", contenido);
        ReportEngine m;
        const auto cargado = m.carga(path, nombre);
        QVERIFY2(!cargado, "loaded");
        const QString texto = cargado.error().mensaje();
        QVERIFY2(texto.contains(descripcion), qPrintable(texto));
        QVERIFY2(texto.contains(QDir::toNativeSeparators(path)), qPrintable(texto));
        QVERIFY(!m.cargado());
    }

    void namesFoundOrFailWithADescription()
    {
        ReportEngine m;
        QVERIFY(m.carga(lista, "lista")); // names ignore letter case
        const auto nombres = informesDe(lista);
        QVERIFY(nombres);
        QCOMPARE(*nombres, (QStringList{"Lista", "Otro"}));
        QCOMPARE(versionDisposicion(lista), 3);
        Informe &r = informeDe(m);
        campo(r, "titulo").setTexto("x");
        QCOMPARE(campo(sub(r, "Filas"), "Numero").columna, QStringLiteral("n"));
        const auto falla = [&](const auto &resultado, const QString &texto) {
            QVERIFY2(!resultado, "no failure");
            QCOMPARE(resultado.error().mensaje(), texto);
        };
        falla(r.campo("LabelMemo"), "The report Lista has no field LabelMemo.");
        falla(sub(r, "Filas").seccion("Detalle"), "The report Filas has no section Detalle.");
        falla(r.subinforme("Titulo"), "The field Titulo holds no sub-report.");
        falla(r.subinforme("Esborrats"), "The report Lista has no field Esborrats.");
        ReportEngine vacio;
        falla(vacio.render(), "No report is loaded.");
        falla(vacio.informe(), "No report is loaded.");
    }

    // Rows flow over the pages; the list's header comes back at the top of each page it
    // goes on to; the texts after the list follow its last row; "{Page} / {Pages}".
    void subReportFlowsOverPages()
    {
        filas(60);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        Informe &r = informeDe(m);
        sub(r, "Filas").setConexion(modulo1().ConexionBD);
        sub(r, "Filas").setOrigen("SELECT * FROM Filas WHERE n <= ? ORDER BY n", {50});
        const auto modelo = laidOut(m);
        QVERIFY(modelo->completo());
        // Body per page: 100 - 10 - 10 - 8 header - 6 footer = 66 mm, 5 mm a row.
        QVERIFY2(modelo->paginas() >= 4, qPrintable(QString::number(modelo->paginas())));
        QStringList numeros = modelo->textosDe("Numero");
        QCOMPARE(numeros.size(), 50);
        for (int i = 0; i < 50; ++i)
            QCOMPARE(numeros[i], QString::number(i + 1));
        for (int p = 0; p < modelo->paginas(); ++p) {
            const QStringList t = modelo->textos(p);
            QCOMPARE(t.first(), QStringLiteral("Cabecera"));
            QCOMPARE(t.last(), QStringLiteral("%1 / %2").arg(p + 1).arg(modelo->paginas()));
            if (p > 0 && t.contains("1") == false && t.contains("Despues") == false && t.size() > 3)
                QCOMPARE(t.at(1), QStringLiteral("Valor")); // the list's header, repeated
        }
        // The order on the last page: ... last row, the list's footer, the text after it.
        const QStringList ultima = modelo->textos(modelo->paginas() - 1);
        QVERIFY(ultima.indexOf("50") < ultima.indexOf("Fin"));
        QVERIFY(ultima.indexOf("Fin") < ultima.indexOf("Despues"));
        // Nothing runs into the page footer, and rows follow one another down the page.
        for (int p = 0; p < modelo->paginas(); ++p) {
            double ultimoY = -1;
            for (const ModeloPaginas::Item &it : modelo->items(p)) {
                if (it.nombre == "Pagina")
                    continue;
                QVERIFY2(it.caja.bottom() <= 840 + 0.5, qPrintable(it.nombre));
                if (it.nombre == "Numero") {
                    QVERIFY(it.caja.top() > ultimoY);
                    ultimoY = it.caja.top();
                }
            }
        }
        // The values: a real with a pattern, a stored date in its print form.
        QCOMPARE(modelo->textosDe("LNivel").at(0), QStringLiteral("51.0"));
        QCOMPARE(modelo->textosDe("Fecha").at(0), QStringLiteral("02/03/2009"));
    }

    // A value is bound, never joined into the SQL text.
    void recordSourceValuesAreBound()
    {
        filas(3);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        Informe &s = sub(informeDe(m), "Filas");
        s.setConexion(modulo1().ConexionBD);
        s.setOrigen("SELECT * FROM Filas WHERE texto = ?", {QStringLiteral("t1' OR '1'='1")});
        auto modelo = laidOut(m);
        QCOMPARE(modelo->textosDe("Numero").size(), 0);
        QCOMPARE(modelo->textosDe("Fin").size(), 1); // an empty list keeps its frame
        s.setOrigen("SELECT * FROM Filas WHERE texto = ?", {QStringLiteral("t2")});
        modelo = laidOut(m);
        QCOMPARE(modelo->textosDe("Numero"), QStringList{"2"});

        s.setOrigen("SELECT * FROM NoSuchTable");
        const auto fallido = m.render();
        QVERIFY2(!fallido, "rendered");
        QVERIFY2(fallido.error().mensaje().startsWith("The record source of the report Filas failed: "),
                 qPrintable(fallido.error().mensaje()));
        QVERIFY(!m.ocupado());
    }

    void recordRules_data()
    {
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<QString>("nivel");
        QTest::addColumn<QString>("cero");
        QTest::addColumn<QString>("minutos");
        QTest::addColumn<QString>("marca");
        QTest::newRow("0") << QVariant(0.0) << "---"
                           << "---"
                           << "0min"
                           << "No";
        QTest::newRow("59") << QVariant(59.0) << "und"
                            << "59"
                            << "59min"
                            << "Sí";
        QTest::newRow("60") << QVariant(60.0) << "60"
                            << "60"
                            << "60min"
                            << "Sí";
        QTest::newRow("62.7") << QVariant(62.7) << "62.7"
                              << "62.7"
                              << "62.7min"
                              << "Sí";
        QTest::newRow("120") << QVariant(120.0) << "120"
                             << "120"
                             << "120min"
                             << "Sí";
        QTest::newRow("121") << QVariant(121.0) << "up"
                             << "121"
                             << "121min"
                             << "Sí";
        QTest::newRow("255") << QVariant(255) << "up"
                             << "255"
                             << "Sin calibrar"
                             << "Sí";
        QTest::newRow("12") << QVariant(12) << "und"
                            << "12"
                            << "12min"
                            << "Sí";
        QTest::newRow("True -1") << QVariant(-1) << "und"
                                 << "-1"
                                 << "-1min"
                                 << "Sí";
        QTest::newRow("null") << QVariant() << ""
                              << ""
                              << ""
                              << "";
    }
    void recordRules()
    {
        QFETCH(QVariant, valor);
        QFETCH(QString, nivel);
        QFETCH(QString, cero);
        QFETCH(QString, minutos);
        QFETCH(QString, marca);
        QCOMPARE(ReglaRegistro::nivel("c", "L").aplica(valor), nivel);
        QCOMPARE(ReglaRegistro::cero("c", "L").aplica(valor), cero);
        QCOMPARE(ReglaRegistro::minutos("c", "L", "Sin calibrar").aplica(valor), minutos);
        QCOMPARE(ReglaRegistro::marca("c", "L", "Sí", "No").aplica(valor), marca);
    }

    // The rules of a Detail section run for each record; a rule whose column the rows
    // lack, or whose field the layout lacks, changes nothing.
    void rulesRunPerRecord()
    {
        filas(8);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        Informe &s = sub(informeDe(m), "Filas");
        s.setConexion(modulo1().ConexionBD);
        s.setOrigen("SELECT * FROM Filas ORDER BY n");
        seccion(s, "Detail")
            .setReglas({ReglaRegistro::nivel("nivel", "LNivel"), ReglaRegistro::nivel("SLeq", "Numero"),
                        ReglaRegistro::minutos("n", "LByENA", "x")});
        const QStringList niveles = laidOut(m)->textosDe("LNivel");
        // nivel: 51..56 below the range, 0 for row 7, 58
        QCOMPARE(niveles, (QStringList{"und", "und", "und", "und", "und", "und", "---", "und"}));
        QCOMPARE(m.modelo()->textosDe("Numero").at(6), QStringLiteral("7"));
    }

    // A growing text breaks at CR, LF and CR LF and at the field's width, keeps its
    // blanks, and what stands below it moves down.
    void growingText_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("lineas");
        QTest::newRow("one line") << "01 - 24/12/08" << 1;
        QTest::newRow("CR") << "a\rb\rc" << 3;
        QTest::newRow("LF") << "a\nb" << 2;
        QTest::newRow("CR LF") << "a\r\nb\r\nc\r\nd" << 4;
        QTest::newRow("trailing CR") << "a     ,     b\r" << 2;
        QTest::newRow("wrapped") << QString("palabra ").repeated(30) << 0;
    }
    void growingText()
    {
        QFETCH(QString, texto);
        QFETCH(int, lineas);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        campo(informeDe(m), "Memo").setTexto(texto);
        const auto modelo = laidOut(m);
        const auto items = modelo->items(0);
        const auto memo = std::find_if(items.begin(), items.end(), [](auto &i) { return i.nombre == "Memo"; });
        const auto debajo = std::find_if(items.begin(), items.end(), [](auto &i) { return i.nombre == "Debajo"; });
        QVERIFY(memo != items.end() && debajo != items.end());
        const int n = int(memo->texto.count('\n')) + 1;
        if (lineas > 0)
            QCOMPARE(n, lineas);
        else
            QVERIFY(n >= 3);
        QVERIFY(!memo->texto.contains('\r'));
        if (texto.contains("     ,     "))
            QVERIFY(memo->texto.contains("     ,     "));
        // 8 points are about 3.4 mm a line; the field is 4 mm high.
        QVERIFY(memo->caja.height() >= n * 30);
        QVERIFY(debajo->caja.top() >= memo->caja.bottom() - 1);
        // Every line fits the field's width.
        const QFont f = fuenteEstilo(informeDe(m).estilos.front());
        int unaLinea = 0;
        for (const QString &l : memo->texto.split('\n')) {
            partirTexto(l, f, 400, &unaLinea);
            QCOMPARE(unaLinea, 1);
        }
    }

    // Growing texts side by side grow together: what stands below moves down by the
    // taller, not by their sum; a growing text taller than the page body flows onto the
    // next pages between header and footer, its list's header repeated there.
    void growingTextsSideBySideAndOverPages_data()
    {
        QTest::addColumn<int>("izquierda");
        QTest::addColumn<int>("derecha");
        QTest::addColumn<int>("paginas");
        // About 3.3 mm a line: 18 lines on the first page, 20 on the next.
        QTest::newRow("short") << 2 << 3 << 1;
        QTest::newRow("left taller") << 12 << 1 << 1;
        QTest::newRow("right over three pages") << 1 << 45 << 3;
        QTest::newRow("both over pages") << 50 << 30 << 3;
    }
    void growingTextsSideBySideAndOverPages()
    {
        QFETCH(int, izquierda);
        QFETCH(int, derecha);
        QFETCH(int, paginas);
        const QString path = escribe(home->path(), "lado.xml", R"(<?xml version="1.0"?>
<layouts version="1">
  <report name="Lado" width="100" height="100" left="10" right="10" top="10" bottom="10" size="8">
    <section name="PageHeader" height="8">
      <text name="Cabecera" x="0" y="0" width="80" height="5" text="Cabecera"/>
    </section>
    <section name="Detail" height="20">
      <text name="Titulo" x="0" y="0" width="80" height="5" text="Titulo"/>
      <text name="Izquierda" x="0" y="5" width="38" height="4" grow="true"/>
      <text name="Derecha" x="40" y="5" width="40" height="4" grow="true"/>
      <text name="Debajo" x="0" y="10" width="40" height="4" text="Debajo"/>
    </section>
    <section name="PageFooter" height="6">
      <text name="Pagina" x="0" y="0" width="80" height="5" text="{Page}"/>
    </section>
  </report>
</layouts>
)");
        const auto lineas = [](const char *p, int n) {
            QStringList l;
            for (int i = 1; i <= n; ++i)
                l << QStringLiteral("%1%2").arg(QLatin1String(p)).arg(i);
            return l;
        };
        ReportEngine m;
        QVERIFY(m.carga(path, "Lado"));
        campo(informeDe(m), "Izquierda").setTexto(lineas("i", izquierda).join("\r"));
        campo(informeDe(m), "Derecha").setTexto(lineas("d", derecha).join("\r\n"));
        const auto modelo = laidOut(m);
        QCOMPARE(slxtest::printedLines(*modelo, "Izquierda"), lineas("i", izquierda));
        QCOMPARE(slxtest::printedLines(*modelo, "Derecha"), lineas("d", derecha));
        // Body: 100 - 10 - 10 - 8 - 6 = 66 mm, the footer from 840.
        QCOMPARE(slxtest::outsideBody(*modelo, 840, 900, {"Pagina"}), QString());
        QCOMPARE(slxtest::headingAlone(*modelo, "Titulo", "Izquierda"), QString());
        QCOMPARE(modelo->paginas(), paginas);
        // Below the taller text, on the last page, with no gap of the shorter's height.
        double fondo = 0, debajo = -1;
        for (const ModeloPaginas::Item &it : modelo->items(paginas - 1)) {
            if (it.nombre == "Izquierda" || it.nombre == "Derecha")
                fondo = std::max(fondo, it.caja.bottom());
            if (it.nombre == "Debajo")
                debajo = it.caja.top();
        }
        QVERIFY2(debajo >= fondo - 1 && debajo <= fondo + 15, qPrintable(QString("%1 %2").arg(debajo).arg(fondo)));
        for (int p = 0; p < paginas; ++p)
            QCOMPARE(modelo->textos(p).first(), QStringLiteral("Cabecera"));
    }

    // A text flowing to the end of a page stops its clearance above the page footer, and
    // takes the page down to there: wherever on its page it starts, the last line of each
    // page ends within a line of the body's end, never in the clearance.
    void flowingTextKeepsClearOfTheFooter_data()
    {
        QTest::addColumn<double>("arriba");
        for (double y : {5.0, 5.7, 6.4, 7.1, 7.8})
            QTest::newRow(qPrintable(QStringLiteral("from %1 mm").arg(y))) << y;
    }
    void flowingTextKeepsClearOfTheFooter()
    {
        QFETCH(double, arriba);
        const QString path = escribe(home->path(), "flujo.xml", QStringLiteral(R"(<?xml version="1.0"?>
<layouts version="1">
  <report name="Flujo" width="100" height="100" left="10" right="10" top="10" bottom="10" size="8">
    <section name="PageHeader" height="8">
      <text name="Cabecera" x="0" y="0" width="80" height="5" text="Cabecera"/>
    </section>
    <section name="Detail" height="%1">
      <text name="Titulo" x="0" y="0" width="80" height="5" text="Titulo"/>
      <text name="Nota" x="0" y="%2" width="80" height="4" grow="true"/>
    </section>
    <section name="PageFooter" height="6">
      <line x="0" y="0" width="80" height="0"/>
      <text name="Pagina" x="0" y="1" width="80" height="5" text="{Page}"/>
    </section>
  </report>
</layouts>
)").arg(arriba + 4).arg(arriba).toUtf8());
        QStringList lineas;
        for (int i = 1; i <= 90; ++i)
            lineas << QStringLiteral("linea %1").arg(i);
        ReportEngine m;
        QVERIFY(m.carga(path, "Flujo"));
        campo(informeDe(m), "Nota").setTexto(lineas.join("\r\n"));
        const auto modelo = laidOut(m);
        QCOMPARE(slxtest::printedLines(*modelo, "Nota"), lineas);
        QVERIFY(modelo->paginas() >= 3);
        // The footer's rule at 840 (100 - 10 - 6 mm); the body ends its clearance above.
        const double fin = 840 - kHolgura;
        const double linea = interlineado(informeDe(m).estilos.front());
        for (int p = 0; p + 1 < modelo->paginas(); ++p) {
            double fondo = -1;
            for (const ModeloPaginas::Item &it : modelo->items(p))
                if (it.nombre == "Nota")
                    fondo = it.caja.bottom();
            QVERIFY2(fondo <= fin + 0.5, qPrintable(QStringLiteral("page %1: the text ends at %2, the body at %3")
                                                         .arg(p + 1).arg(fondo).arg(fin)));
            QVERIFY2(fondo + linea > fin + 0.5, qPrintable(QStringLiteral("page %1: the text ends at %2, a line above %3")
                                                                .arg(p + 1).arg(fondo).arg(fin)));
        }
    }

    // A growing text shorter than its box keeps its box, and what stands below it keeps
    // its designed distance: in a part that fits its page as in one so tall (a text
    // further down flows over pages) that it is placed stripe by stripe.
    void shortGrowingTextKeepsItsBox_data()
    {
        QTest::addColumn<int>("larga");
        QTest::newRow("fits its page") << 2;
        QTest::newRow("taller than a page") << 60;
    }
    void shortGrowingTextKeepsItsBox()
    {
        QFETCH(int, larga);
        const QString path = escribe(home->path(), "alto.xml", R"(<?xml version="1.0"?>
<layouts version="1">
  <report name="Alto" width="100" height="100" left="10" right="10" top="10" bottom="10" size="8">
    <section name="PageHeader" height="8">
      <text name="Cabecera" x="0" y="0" width="80" height="5" text="Cabecera"/>
    </section>
    <section name="Detail" height="25">
      <text name="Titulo" x="0" y="0" width="80" height="5" text="Titulo"/>
      <text name="Nota" x="0" y="5" width="80" height="10" grow="true"/>
      <text name="Debajo" x="0" y="16" width="80" height="4" text="Debajo"/>
      <text name="Larga" x="0" y="21" width="80" height="4" grow="true"/>
    </section>
    <section name="PageFooter" height="6">
      <text name="Pagina" x="0" y="0" width="80" height="5" text="{Page}"/>
    </section>
  </report>
</layouts>
)");
        QStringList lineas;
        for (int i = 1; i <= larga; ++i)
            lineas << QStringLiteral("larga %1").arg(i);
        ReportEngine m;
        QVERIFY(m.carga(path, "Alto"));
        campo(informeDe(m), "Nota").setTexto("una linea");
        campo(informeDe(m), "Larga").setTexto(lineas.join("\r"));
        const auto modelo = laidOut(m);
        QCOMPARE(modelo->paginas() > 1, larga > 20);
        QCOMPARE(slxtest::printedLines(*modelo, "Larga"), lineas);
        QRectF nota, debajo;
        for (const ModeloPaginas::Item &it : modelo->items(0)) {
            if (it.nombre == "Nota")
                nota = it.caja;
            if (it.nombre == "Debajo")
                debajo = it.caja;
        }
        QVERIFY(!nota.isNull() && !debajo.isNull());
        QVERIFY2(std::abs(nota.height() - 100) < 1, qPrintable(QString::number(nota.height())));
        QVERIFY2(std::abs(debajo.top() - nota.top() - 110) < 1,
                 qPrintable(QStringLiteral("%1 below the text's top").arg(debajo.top() - nota.top())));
    }

    // A label too wide for its box steps down, each box on its own: the same text in a
    // narrow and in a wide box prints smaller in the narrow one, whichever comes first.
    void sameLabelInANarrowAndAWideBox_data()
    {
        QTest::addColumn<bool>("estrechaPrimero");
        QTest::newRow("narrow first") << true;
        QTest::newRow("wide first") << false;
    }
    void sameLabelInANarrowAndAWideBox()
    {
        QFETCH(bool, estrechaPrimero);
        const char *const estrecha = R"(<text name="Estrecha" x="0" y="%1" width="30" height="5" text="Netzspannung unzureichend"/>)";
        const char *const ancha = R"(<text name="Ancha" x="0" y="%1" width="80" height="5" text="Netzspannung unzureichend"/>)";
        const QString campos = estrechaPrimero
                                   ? QString::fromLatin1(estrecha).arg(0) + QString::fromLatin1(ancha).arg(10)
                                   : QString::fromLatin1(ancha).arg(0) + QString::fromLatin1(estrecha).arg(10);
        const QString path = escribe(home->path(), "etiquetas.xml",
                                     QStringLiteral("<layouts version=\"1\"><report name=\"E\" width=\"100\" "
                                                    "height=\"100\" left=\"10\" top=\"10\" size=\"10\">"
                                                    "<section name=\"Detail\" height=\"20\">%1</section>"
                                                    "</report></layouts>")
                                         .arg(campos)
                                         .toUtf8());
        ReportEngine m;
        QVERIFY(m.carga(path, "E"));
        const EstiloTexto estilo = informeDe(m).estilos.front();
        const auto modelo = laidOut(m);
        QMap<QString, ModeloPaginas::Item> items;
        for (const ModeloPaginas::Item &it : modelo->items(0))
            items.insert(it.nombre, it);
        QVERIFY(items.contains("Estrecha") && items.contains("Ancha"));
        for (const QString &n : {QStringLiteral("Estrecha"), QStringLiteral("Ancha")}) {
            const ModeloPaginas::Item &it = items[n];
            QCOMPARE(it.puntos, puntosQueCaben(it.texto, estilo, it.caja.width()));
        }
        QCOMPARE(items["Ancha"].puntos, estilo.puntos);
        QVERIFY2(items["Estrecha"].puntos < estilo.puntos, qPrintable(QString::number(items["Estrecha"].puntos)));
    }

    // Hidden fields are not laid out; a field shown again is.
    void hiddenFields()
    {
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        campo(informeDe(m), "Titulo").setVisible(false);
        QVERIFY(!laidOut(m)->textos(0).contains("Titulo"));
        campo(informeDe(m), "Titulo").setVisible(true);
        QVERIFY(laidOut(m)->textos(0).contains("Titulo"));
    }

    // SVG pictures are drawn as vectors, PNG as a bitmap; a missing one fails the layout.
    void pictures()
    {
        const QString svg = escribe(home->path(), "Chart.SVG",
                                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"50\">"
                                    "<rect x=\"0\" y=\"0\" width=\"100\" height=\"50\" fill=\"#ff0000\"/></svg>");
        QImage png(20, 10, QImage::Format_RGB32);
        png.fill(Qt::blue);
        QVERIFY(png.save(home->file("pic.png")));
        escribe(home->path(), "pics.xml",
                "<layouts version=\"1\"><report name=\"P\" width=\"100\" height=\"100\" left=\"0\" top=\"0\">"
                "<section name=\"Detail\" height=\"80\">"
                "<picture name=\"A\" x=\"0\" y=\"0\" width=\"50\" height=\"25\" file=\"chart.svg\"/>"
                "<picture name=\"B\" x=\"50\" y=\"0\" width=\"50\" height=\"25\" file=\"PIC.png\"/>"
                "<box x=\"0\" y=\"30\" width=\"50\" height=\"20\" fill=\"true\"/>"
                "</section></report></layouts>");
        ReportEngine m;
        QVERIFY(m.carga(home->file("pics.xml"), "P"));
        const auto modelo = laidOut(m);
        QCOMPARE(modelo->textosDe("A"), QStringList{"Chart.SVG"});
        QImage img(200, 200, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            pintaPagina(p, *modelo, 0, QRectF(0, 0, 200, 200));
        }
        QCOMPARE(img.pixelColor(40, 20), QColor(Qt::red));
        QCOMPARE(img.pixelColor(140, 20), QColor(Qt::blue));
        QCOMPARE(img.pixelColor(50, 80), QColor(230, 230, 230));

        QFile::remove(svg);
        const auto fallido = m.render();
        QVERIFY2(!fallido, "rendered");
        QVERIFY2(fallido.error().mensaje().startsWith("The picture "), qPrintable(fallido.error().mensaje()));
    }

    // The first page comes back at once; the rest are laid out on the event loop.
    void layoutInSlices()
    {
        filas(3000);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        Informe &s = sub(informeDe(m), "Filas");
        s.setConexion(modulo1().ConexionBD);
        s.setOrigen("SELECT * FROM Filas ORDER BY n");
        QSignalSpy fin(&m, &ReportEngine::terminado);
        const auto modelo = hallado(m.render());
        QVERIFY(modelo->paginasListas() >= 1);
        QVERIFY(m.ocupado());
        QVERIFY(!modelo->completo());
        QTRY_VERIFY_WITH_TIMEOUT(!m.ocupado(), 20000);
        QCOMPARE(fin.size(), 1);
        QVERIFY(modelo->completo());
        QCOMPARE(modelo->textosDe("Numero").size(), 3000);
        // A new render drops the running one.
        QVERIFY(m.render());
        QVERIFY(m.ocupado());
        m.cancela();
        QVERIFY(!m.ocupado());
    }

    // The same page on a PDF file.
    void printsToPdf()
    {
        filas(40);
        ReportEngine m;
        QVERIFY(m.carga(lista, "Lista"));
        Informe &s = sub(informeDe(m), "Filas");
        s.setConexion(modulo1().ConexionBD);
        s.setOrigen("SELECT * FROM Filas ORDER BY n");
        const auto modelo = laidOut(m);
        QPdfWriter pdf(home->file("out.pdf"));
        int llamadas = 0;
        QVERIFY(imprimeModelo(*modelo, pdf, 1, modelo->paginas(), [&](int) { return ++llamadas > 0; }).has_value());
        QCOMPARE(llamadas, modelo->paginas());
        QVERIFY(QFileInfo(home->file("out.pdf")).size() > 1000);
        QPdfWriter otro(home->file("cancelled.pdf"));
        const auto cancelado = imprimeModelo(*modelo, otro, 1, modelo->paginas(), [](int n) { return n < 2; });
        QVERIFY(!cancelado);
        QVERIFY(impresionCancelada(cancelado.error()));
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
