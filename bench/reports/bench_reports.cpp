// The report engine on a long list: 100,000 Leq intervals of one device laid out by
// the engine's own sub-report flow (about 3,000 pages), with the per-record rules of
// the interval list. Prints the time to the first page, the whole layout, the page
// model's size, the preview's paint time and memory at the first and the last page,
// the PDF speed, and the time from the sheet's print button to the preview.
//
// usage: bench_reports [rows] [pdf-pages]

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "printing/Form15.h"
#include "printing/PagePainter.h"
#include "printing/PageView.h"
#include "printing/ReportEngine.h"
#include "programming/Form2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace slx;

namespace {

long statusKb(const char *key)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith(key))
            return l.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

const char *const kLayout = R"(<layouts version="1">
  <report name="L" width="210" height="297" left="10" right="10" top="10" bottom="10" size="7">
    <section name="PageHeader" height="8"><text name="T" x="0" y="0" width="100" height="5" text="SLX-90" bold="true"/></section>
    <section name="Header" height="12"><text name="TIntervalosLeq" x="0" y="0" width="100" height="6" text="REGISTROS Leq"/></section>
    <section name="Detail" height="10">
      <subreport name="IntervalosLeq" x="0" y="0" width="190" height="10">
        <report name="IntervalosLeq">
          <section name="Header" height="6">
            <text name="LabelEmision" x="0" y="0" width="40" height="5" text="Inicio"/>
            <text name="LabelRecepcion" x="60" y="0" width="40" height="5" text="Leq"/>
            <line x="0" y="5.5" width="190" height="0"/>
          </section>
          <section name="Detail" height="7.5">
            <text name="F" x="0" y="0" width="18" height="3.5" column="DFechaInicio" format="date:dd/MM/yyyy"/>
            <text name="H" x="18" y="0" width="10" height="3.5" column="THoraInicio"/>
            <text name="LSLeqLocal" x="30" y="0" width="12" height="3.5" column="SLeqLocal"/>
            <text name="LSLeqVecino" x="42" y="0" width="12" height="3.5" column="SLeqVecino"/>
            <text name="LSMaxFast" x="54" y="0" width="12" height="3.5" column="SMaxFast"/>
            <text name="LSMaxLeq1min" x="66" y="0" width="12" height="3.5" column="SMaxLeq1min"/>
            <text name="LSMinLeq1min" x="78" y="0" width="12" height="3.5" column="SMinLeq1min"/>
            <text name="LSL1" x="90" y="0" width="12" height="3.5" column="SL1"/>
            <text name="LSL5" x="102" y="0" width="12" height="3.5" column="SL5"/>
            <text name="LSL10" x="114" y="0" width="12" height="3.5" column="SL10"/>
            <text name="LSL50" x="126" y="0" width="12" height="3.5" column="SL50"/>
            <text name="LSL90" x="138" y="0" width="12" height="3.5" column="SL90"/>
            <text name="LByENA" x="0" y="3.5" width="20" height="3.5" column="ByENA"/>
            <text name="LByDNA" x="20" y="3.5" width="20" height="3.5" column="ByDNA"/>
            <text name="LByLineaInsuficiente" x="40" y="3.5" width="20" height="3.5" column="ByLineaInsuficiente"/>
            <text name="LBoProgramacion" x="60" y="3.5" width="20" height="3.5" column="BoProgramacion"/>
            <text name="P" x="80" y="3.5" width="20" height="3.5" column="IPasadasLocal"/>
          </section>
        </report>
      </subreport>
    </section>
    <section name="PageFooter" height="6"><text name="Pagina" x="0" y="0" width="190" height="5" text="{Page} / {Pages}" align="right"/></section>
  </report>
</layouts>
)";

void filas(QSqlDatabase db, int n)
{
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal, SLeqVecino, SMaxFast, "
              "SMaxLeq1min, SMinLeq1min, SL1, SL5, SL10, SL50, SL90, ByENA, ByDNA, ByLineaInsuficiente, "
              "BoProgramacion, IPasadasLocal) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QDateTime inicio(QDate(2009, 1, 1), QTime(0, 0));
    for (int i = 0; i < n; ++i) {
        const QDateTime t = inicio.addSecs(qint64(i) * 900);
        QVariantList v = {100123, t.date().toString(Qt::ISODate), t.time().toString("hh:mm")};
        for (int k = 0; k < 10; ++k)
            v << (i % 13 == 0 ? 0.0 : 55.0 + (i * 7 + k * 3) % 70 + 0.1 * k);
        v << (i % 50 == 0 ? 255 : i % 15) << i % 9 << 0 << (i % 97 == 0 ? -1 : 0) << i % 4;
        for (const QVariant &x : v)
            q.addBindValue(x);
        q.exec();
    }
    db.commit();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int n = argc > 1 ? atoi(argv[1]) : 100000;
    const int pdfPaginas = argc > 2 ? atoi(argv[2]) : 400;
    QTemporaryDir dir;
    qputenv("SLX90_HOME", dir.path().toLocal8Bit());
    Resultado<void> preparada = DataFolder::seed();
    if (preparada)
        preparada = Database::open();
    if (!preparada) {
        std::fprintf(stderr, "%s\n", qPrintable(preparada.error().mensaje()));
        return 1;
    }
    QSqlDatabase db = modulo1().ConexionBD;
    filas(db, n);
    QFile f(dir.filePath("l.xml"));
    f.open(QIODevice::WriteOnly);
    f.write(kLayout);
    f.close();

    const long rssAntes = statusKb("VmRSS:");
    ReportEngine motor;
    const auto cargado = motor.carga(f.fileName(), "L");
    const auto subinforme = cargado ? (*motor.informe())->subinforme("IntervalosLeq") : slx::fallo(cargado.error());
    if (!subinforme) {
        std::fprintf(stderr, "%s\n", qPrintable(subinforme.error().mensaje()));
        return 1;
    }
    Informe &lista = **subinforme;
    lista.setConexion(db);
    lista.setOrigen("SELECT * FROM Intervalos WHERE LNumeroSerie = ? ORDER BY DFechaInicio, THoraInicio", {100123});
    QList<ReglaRegistro> reglas;
    for (const char *c : {"SL1", "SL5", "SL10", "SL50", "SL90", "SMaxFast", "SMaxLeq1min", "SMinLeq1min", "SLeqLocal"})
        reglas << ReglaRegistro::nivel(c, QStringLiteral("L") + c);
    reglas << ReglaRegistro::cero("SLeqVecino", "LSLeqVecino")
           << ReglaRegistro::minutos("ByENA", "LByENA", "Sin calibrar")
           << ReglaRegistro::minutos("ByDNA", "LByDNA", "Sin calibrar")
           << ReglaRegistro::minutos("ByLineaInsuficiente", "LByLineaInsuficiente", "Sin calibrar")
           << ReglaRegistro::marca("BoProgramacion", "LBoProgramacion", "Sí", "No");
    const auto detalle = lista.seccion("Detail");
    if (!detalle) {
        std::fprintf(stderr, "%s\n", qPrintable(detalle.error().mensaje()));
        return 1;
    }
    (*detalle)->setReglas(reglas);

    // The preview as the user gets it: the first page, then the rest in slices.
    PageView vista;
    vista.resize(900, 1100);
    vista.show();
    for (int i = 0; i < 10; ++i)
        app.processEvents();
    QElapsedTimer reloj;
    reloj.start();
    const auto renderizado = motor.render();
    const double maquetada = reloj.nsecsElapsed() / 1e6;
    if (!renderizado) {
        std::fprintf(stderr, "%s\n", qPrintable(renderizado.error().mensaje()));
        return 1;
    }
    const auto modelo = *renderizado;
    vista.setModelo(modelo);
    vista.repaint();
    const double primera = reloj.nsecsElapsed() / 1e6;
    std::printf("first page laid out in %.1f ms, painted (%d page(s)) at %.1f ms\n", maquetada, vista.paginasPintadas(),
                primera);
    QObject::connect(&motor, &ReportEngine::avance, &vista, &PageView::actualiza);
    while (motor.ocupado())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    const double todo = reloj.nsecsElapsed() / 1e6;
    const long rssModelo = statusKb("VmRSS:");
    std::printf("rows %d, pages %d\n", n, modelo->paginas());
    std::printf("first page shown: %.0f ms; whole layout (slices, view updating): %.0f ms\n", primera, todo);
    std::printf("page model: %.1f MB (estimate); process RSS grew %.1f MB\n", modelo->memoria() / 1048576.0,
                (rssModelo - rssAntes) / 1024.0);

    // The view paints the pages in sight only.
    const long rssVista = statusKb("VmRSS:");
    for (int p : {0, modelo->paginas() / 2, modelo->paginas() - 1}) {
        vista.irAPagina(p);
        reloj.restart();
        vista.repaint();
        std::printf("paint at page %d: %.1f ms, %d page(s) painted\n", p + 1, reloj.nsecsElapsed() / 1e6,
                    vista.paginasPintadas());
    }
    std::printf("preview memory after visiting first, middle and last page: %+.1f MB\n",
                (statusKb("VmRSS:") - rssVista) / 1024.0);

    // PDF speed.
    {
        QPdfWriter pdf(dir.filePath("out.pdf"));
        pdf.setResolution(600);
        const int hasta = std::min(pdfPaginas, modelo->paginas());
        reloj.restart();
        if (const auto impreso = imprimeModelo(*modelo, pdf, 1, hasta, {}); !impreso)
            std::fprintf(stderr, "PDF: %s\n", qPrintable(impreso.error().mensaje()));
        const double ms = reloj.nsecsElapsed() / 1e6;
        std::printf("PDF: %d pages in %.0f ms, %.0f pages/s (%.1f MB)\n", hasta, ms, hasta / (ms / 1000.0),
                    QFileInfo(dir.filePath("out.pdf")).size() / 1048576.0);
    }

    // Click to preview of a sheet print-out.
    {
        QSqlQuery q(db);
        q.exec("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion, DFechaTotales, THoraTotales, "
               "\"SOctava31,5Hz\", BoCambioHora, TTipoActuacionVecino, CMI) VALUES (100123, '2008-10-20', "
               "'Discoteca Nova', '4.1', '2009-03-15', '14:32:10', 1.5, -1, 'Leq125ms', -1)");
        for (const char *t : {"DiaReprogramado", "DiaBorrado", "DiaFinalBateria"})
            q.exec(QStringLiteral("INSERT INTO %1 VALUES (100123, '2008-10-20', '12:45')").arg(t));
        LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("Español"));
        modulo1().NumeroSerieAparato = 100123;
        auto *form = new Form2;
        form->Form_Load();
        form->show();
        for (int vez = 0; vez < 3; ++vez) {
            double ms = 0;
            QTimer::singleShot(0, [&] {
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    if (auto *p = qobject_cast<Form15 *>(w); p && p->isVisible()) {
                        p->VSPrinter1->repaint();
                        ms = reloj.nsecsElapsed() / 1e6;
                        p->close();
                    }
                }
            });
            reloj.restart();
            form->findChild<QPushButton *>("SSCommandImprimir")->click();
            std::printf("sheet print-out, click to preview painted: %.0f ms\n", ms);
        }
        delete form;
    }
    std::printf("peak RSS %.0f MB\n", statusKb("VmHWM:") / 1024.0);
    return 0;
}
