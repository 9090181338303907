// Opening the programming sheet window, moving to the next sheet and deleting a
// device, on a large database: 2,000 devices with their 30 disabled intervals each
// and 2,000,000 logged intervals (100,000 of them of the device that is deleted).
//
// usage: bench_form2 [devices] [intervals]   (runs offscreen; prints the figures)

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "programming/Form2.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace slx;

namespace {

bool exec(QSqlQuery &q)
{
    if (!q.exec()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

bool build(int devices, int intervals)
{
    QSqlDatabase db = modulo1().ConexionBD;
    db.transaction();
    QSqlQuery p(db), i(db), iv(db);
    p.prepare("INSERT INTO Programacion (LNumeroSerie, DFecha, TContacto, TLocal, TDireccion, TPoblacion, TTelefono, "
              "TVersion, TModelo, TIdioma, ByTLeq, ByMFast, ByNivelDiaLocal, ByNivelDiaVecino, ByNivelNocheLocal, "
              "ByNivelNocheVecino, THoraEmpiezaNoche, THoraTerminaNoche, ITiempoAtenuacion, TTipoActuacionLocal, "
              "TTipoActuacionVecino, ByRings, CMI) VALUES (?, '2009-03-15', 'Contacto', ?, 'Calle Mayor 1', "
              "'Girona', '972000000', '4.1', 'SLX90', 'Català', 15, 105, 95, 35, 90, 30, '22:00', '08:00', 120, "
              "'Leq05s', 'Leq125ms', 1, -1)");
    i.prepare("INSERT INTO IntervaloInhabil VALUES (?, ?, '00/00/00', '00:00:00', '00/00/00', '00:00:00')");
    for (int d = 1; d <= devices; ++d) {
        p.addBindValue(100000 + d);
        p.addBindValue(QStringLiteral("Local %1").arg(d));
        if (!exec(p))
            return false;
        for (int k = 1; k <= 30; ++k) {
            i.addBindValue(100000 + d);
            i.addBindValue(k);
            if (!exec(i))
                return false;
        }
    }
    iv.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, ByTLeq, "
               "SLeqLocal, SLeqVecino) VALUES (?, ?, ?, ?, ?, 15, 92.5, 31.0)");
    const QDate base(2000, 1, 1);
    const int perDevice = devices > 1 ? (intervals - 100000) / (devices - 1) : intervals;
    int written = 0;
    for (int d = 1; d <= devices && written < intervals; ++d) {
        const int n = d == 1 ? 100000 : perDevice;
        for (int k = 0; k < n && written < intervals; ++k, ++written) {
            const QDate day = base.addDays(k / 96);
            const int minutes = (k % 96) * 15;
            iv.addBindValue(100000 + d);
            iv.addBindValue(day.toString(Qt::ISODate));
            iv.addBindValue(QStringLiteral("%1:%2")
                                .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                                .arg(minutes % 60, 2, 10, QLatin1Char('0')));
            iv.addBindValue(day.toString(Qt::ISODate));
            iv.addBindValue(QStringLiteral("00:00"));
            if (!exec(iv))
                return false;
        }
    }
    return db.commit();
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int devices = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int intervals = argc > 2 ? std::atoi(argv[2]) : 2000000;
    QTemporaryDir dir;
    qputenv("SLX90_HOME", dir.path().toLocal8Bit());
    Resultado<void> lista = DataFolder::seed();
    if (lista)
        lista = Database::open();
    if (!lista) {
        std::fprintf(stderr, "%s\n", qPrintable(lista.error().mensaje()));
        return 1;
    }
    // Nobody answers boxes here: every question is answered OK.
    ui::setResponder([](const ui::Request &) { return QVariant(ui::vbOK); });

    QElapsedTimer t;
    t.start();
    if (!build(devices, intervals))
        return 1;
    std::printf("database: %d devices, %d intervals, built in %lld ms\n", devices, intervals, t.elapsed());

    modulo1().NumeroSerieAparato = 100000 + devices / 2;
    t.restart();
    auto *form = new Form2;
    if (!form->Form_Load())
        return 1;
    form->show();
    app.processEvents();
    std::printf("open the window:        %8.1f ms\n", t.nsecsElapsed() / 1e6);

    const int moves = 100;
    t.restart();
    for (int k = 0; k < moves; ++k)
        form->SSCommandSiguiente_Click();
    std::printf("next sheet (mean of %d): %7.2f ms\n", moves, t.nsecsElapsed() / 1e6 / moves);

    modulo1().NumeroSerieAparato = 100001;
    form->close();
    app.processEvents();
    form = new Form2;
    form->Form_Load();
    t.restart();
    form->SSCommandBorrar_Click();
    std::printf("delete a device with 100000 intervals: %8.1f ms\n", t.nsecsElapsed() / 1e6);
    form->close();
    app.processEvents();
    ui::setResponder(nullptr);
    Database::close();
    return 0;
}
