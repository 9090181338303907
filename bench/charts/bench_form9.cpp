// The charts window on a large log: 2,000,000 Leq intervals of one device and 100,000 of
// another. Times the opening of the window until both charts are painted, and slider steps
// (the 50 rows read from their checkpoint and both charts repainted) at the start, the
// middle and the end of the log; follows the memory of the process (resident set) through
// a thousand steps.
//
// usage: bench_form9 [intervals] [others]   (runs offscreen; prints the figures)

#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "reports/Form9.h"
#include "widgets/Chart2D.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QSlider>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace slx;

namespace {

bool build(int intervals, int others)
{
    QSqlDatabase db = modulo1().ConexionBD;
    QSqlQuery q(db);
    q.exec("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion) VALUES "
           "(100001, '2009-03-15', 'Grande', '4.1'), (100002, '2010-01-01', 'Otro', '3.3')");
    db.transaction();
    q.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, ByTLeq, "
              "SLeqLocal, SLeqVecino, ByNivelLeqLocal, ByNivelLeqVecino, SMaxFast, ByNivelMFast, SMaxLeq1min, "
              "SMinLeq1min, SL1, SL5, SL10, SL50, SL90, IDesco, IPasadasLocal, IPasadasVecino, IE3, IPasMaxFast, "
              "ByDNA, ByENA, ByLineaInsuficiente) "
              "VALUES (?, ?, ?, ?, ?, 5, ?, ?, 90, 35, ?, 105, ?, ?, 80, 75, 70, 65, 61, ?, ?, ?, 0, ?, 0, 0, 0)");
    const QDateTime base(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    for (int n = 0; n < intervals + others; ++n) {
        const bool big = n < intervals;
        // A missing interval every 997 rows, so that the charts draw gap bands.
        const int k = big ? n : n - intervals;
        const QDateTime t = base.addSecs(qint64(k + k / 997) * 300);
        q.addBindValue(big ? 100001 : 100002);
        q.addBindValue(t.date().toString(Qt::ISODate));
        q.addBindValue(t.time().toString(QStringLiteral("hh:mm")));
        q.addBindValue(t.addSecs(300).date().toString(Qt::ISODate));
        q.addBindValue(t.addSecs(300).time().toString(QStringLiteral("hh:mm")));
        q.addBindValue(60 + (n * 7919 % 600) / 10.0);
        q.addBindValue(20 + (n * 104729 % 300) / 10.0);
        q.addBindValue(90 + (n % 30));
        q.addBindValue(85 + (n % 20));
        q.addBindValue(62 + (n % 10));
        q.addBindValue(n % 13 == 0 ? 1 : 0);
        q.addBindValue(n % 5 == 0 ? 3 : 0);
        q.addBindValue(n % 7 == 0 ? 1 : 0);
        q.addBindValue(n % 11 == 0 ? 2 : 0);
        if (!q.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
            return false;
        }
    }
    return db.commit();
}

// Time until the window has painted what it shows.
double paint(QWidget *w, const QElapsedTimer &t)
{
    w->repaint();
    QApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

struct Figuras {
    double mediana, peor;
};

// Steps of the slider around a value, each one read and both charts repainted.
Figuras pasos(Form9 *form, int desde, int cuantos)
{
    std::vector<double> t;
    QElapsedTimer reloj;
    form->Slider1->setValue(desde);
    paint(form, reloj);
    for (int i = 0; i < cuantos; ++i) {
        const int v = desde + (i % 2 == 0 ? 1 : 0);
        reloj.restart();
        form->Slider1->setValue(v);
        t.push_back(paint(form, reloj));
    }
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t.back()};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int intervals = argc > 1 ? std::atoi(argv[1]) : 2000000;
    const int others = argc > 2 ? std::atoi(argv[2]) : 100000;
    slxbench::CarpetaDatos datos;
    if (!datos.ok())
        return 1;
    QElapsedTimer t;
    t.start();
    if (!build(intervals, others))
        return 1;
    std::printf("database: %d intervals of device 100001, %d of 100002, built in %.1f s\n", intervals, others,
                t.elapsed() / 1000.0);

    Modulo1 &m = modulo1();
    m.VersionAparato = QStringLiteral("4.1");
    m.NumeroSerieAparato = 100002;
    {
        auto *warm = static_cast<Form9 *>(creaForm9());
        warm->show();
        paint(warm, t);
        delete warm;
    }
    const double before = slxbench::rssMiB();

    m.NumeroSerieAparato = 100001;
    t.restart();
    auto *form = static_cast<Form9 *>(creaForm9());
    form->show();
    const double open = paint(form, t);
    const double afterOpen = slxbench::rssMiB();
    std::printf("open on device 100001: %.1f ms (%lld intervals, %d checkpoints, slider 0..%d at %d)\n", open,
                form->ventana().total(), form->ventana().marcas(), form->Slider1->maximum(), form->Slider1->value());

    const int max = form->Slider1->maximum();
    const struct {
        const char *donde;
        int valor;
    } sitios[] = {{"start", 0}, {"middle", max / 2}, {"end", max - 1}};
    for (const auto &s : sitios) {
        const Figuras f = pasos(form, s.valor, 200);
        std::printf("slider step at the %s: median %.2f ms, worst %.2f ms\n", s.donde, f.mediana, f.peor);
    }
    // A drag over the whole log: a thousand positions spread from the start to the end.
    QElapsedTimer reloj;
    std::vector<double> arrastre;
    for (int k = 0; k <= 1000; ++k) {
        reloj.restart();
        form->Slider1->setValue(int(qint64(max) * k / 1000));
        arrastre.push_back(paint(form, reloj));
    }
    std::sort(arrastre.begin(), arrastre.end());
    const double afterSteps = slxbench::rssMiB();
    std::printf("drag over the whole log (1001 positions): median %.2f ms, worst %.2f ms\n",
                arrastre[arrastre.size() / 2], arrastre.back());
    // Two more drags: what the first one grew does not grow again.
    for (int pasada = 0; pasada < 2; ++pasada)
        for (int k = 0; k <= 1000; ++k)
            form->Slider1->setValue(int(qint64(max) * k / 1000)), paint(form, reloj);
    const double afterDrags = slxbench::rssMiB();
    std::printf("resident memory: window on a device with 100,000 intervals %.1f MiB; on the large device after "
                "opening %.1f MiB (+%.1f), after 1,600 steps and a drag %.1f MiB (+%.1f), after two more drags "
                "%.1f MiB (+%.1f)\n",
                before, afterOpen, afterOpen - before, afterSteps, afterSteps - before, afterDrags,
                afterDrags - before);
    delete form;
    Database::close();
    return 0;
}
