// The incidents window on a large log: 2,000,000 Leq intervals of one device and
// 100,000 of others. Times the opening of the window, a page after a jump to the end
// of the intervals grid and to its middle, a header sort on a value column and the
// pages after it, and follows the memory of the process (resident set) through them.
//
// usage: bench_form5 [intervals] [others]   (runs offscreen; prints the figures)

#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "logs/Form5.h"
#include "widgets/TDBGrid.h"
#include "widgets/WindowedSqlModel.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

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
              "SLeqLocal, SLeqVecino, SMaxLeq1min, TFechaMaxLeq1min, THoraMaxLeq1min, ByDNA) "
              "VALUES (?, ?, ?, ?, ?, 5, ?, 31.0, ?, ?, ?, 255)");
    const QDateTime base(QDate(2000, 1, 1), QTime(0, 0));
    for (int n = 0; n < intervals + others; ++n) {
        const bool big = n < intervals;
        const QDateTime t = base.addSecs(qint64(big ? n : n - intervals) * 300);
        q.addBindValue(big ? 100001 : 100002);
        q.addBindValue(t.date().toString(Qt::ISODate));
        q.addBindValue(t.time().toString(QStringLiteral("hh:mm")));
        q.addBindValue(t.addSecs(300).date().toString(Qt::ISODate));
        q.addBindValue(t.addSecs(300).time().toString(QStringLiteral("hh:mm")));
        q.addBindValue(60 + (n * 7919 % 600) / 10.0);
        q.addBindValue(70 + (n * 104729 % 500) / 10.0);
        q.addBindValue(t.date().toString(QStringLiteral("dd/MM/yyyy")));
        q.addBindValue(t.time().toString(QStringLiteral("hh:mm")));
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

    // The empty window first, for the memory it takes without rows.
    modulo1().NumeroSerieAparato = 100002;
    {
        QWidget *warm = creaForm5();
        warm->show();
        paint(warm, t);
        delete warm;
    }
    const double before = slxbench::rssMiB();

    modulo1().NumeroSerieAparato = 100001;
    t.restart();
    auto *form = static_cast<Form5 *>(creaForm5());
    form->show();
    const double open = paint(form, t);
    const double afterOpen = slxbench::rssMiB();
    std::printf("open on device 100001: %.1f ms (rows counted: %d)\n", open,
                form->modelo(logs::Rejilla::Intervalos)->rowCount());

    TDBGrid *grid = form->TDBGridIntervalos;
    QScrollBar *bar = grid->verticalScrollBar();
    t.restart();
    bar->setValue(bar->maximum());
    const double end = paint(form, t);
    std::printf("page after a jump to the end: %.1f ms (first row shown %d, %s %s)\n", end, grid->firstRowShown(),
                qPrintable(grid->textoCelda(grid->rows() - 1, 1)), qPrintable(grid->textoCelda(grid->rows() - 1, 2)));
    t.restart();
    bar->setValue(bar->maximum() / 2);
    std::printf("page after a jump to the middle: %.1f ms\n", paint(form, t));
    for (int k = 1; k <= 20; ++k)
        bar->setValue(bar->maximum() / 20 * k), paint(form, t);
    const double afterScroll = slxbench::rssMiB();

    t.restart();
    form->TDBGridIntervalos_HeadClick(6);
    const double sort = paint(form, t);
    std::printf("header sort on SLeqLocal (ascending): %.2f s, first %s\n", sort / 1000.0,
                qPrintable(grid->textoCelda(0, 6)));
    t.restart();
    bar->setValue(bar->maximum());
    std::printf("page at the end after the sort: %.1f ms, last %s\n", paint(form, t),
                qPrintable(grid->textoCelda(grid->rows() - 1, 6)));
    t.restart();
    bar->setValue(bar->maximum() / 3);
    std::printf("page a third down after the sort: %.1f ms\n", paint(form, t));
    t.restart();
    form->TDBGridIntervalos_HeadClick(15);
    std::printf("header sort on the maximum's date and time: %.2f s\n", paint(form, t) / 1000.0);
    const double afterSort = slxbench::rssMiB();

    std::printf("resident memory: window on a device with few rows %.1f MiB; on the large device after opening "
                "%.1f MiB (+%.1f), after scrolling through %.1f MiB (+%.1f), after two sorts %.1f MiB (+%.1f)\n",
                before, afterOpen, afterOpen - before, afterScroll, afterScroll - before, afterSort,
                afterSort - before);
    delete form;
    Database::close();
    return 0;
}
