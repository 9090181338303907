// The reports window on large logs. Opens the window on a device with 2,000,000 Leq
// intervals (both pickers counted and positioned, oldest and newest) and follows the
// resident memory; then prints the interval report of a year of 5-minute intervals
// (about 105,000 records) from the print button: the time until the preview shows its
// first page, the whole layout, and the pages per second of the PDF through the
// preview's printing routine with its progress callback. The year's device carries a
// note of 2,000 lines and all 30 disabled intervals, which flow over the first pages.
//
// usage: bench_form6 [intervals] [year intervals] [pdf pages] [note lines]   (runs offscreen)

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "printing/Form15.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "reports/Form6.h"
#include "widgets/TDBGrid.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

using namespace slx;

namespace {

// Intervals of a device every 5 minutes from 2000-01-01, every column filled.
bool intervalos(qint32 serial, int n)
{
    QSqlDatabase db = modulo1().ConexionBD;
    QSqlQuery q(db);
    db.transaction();
    q.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, ByTLeq, "
              "SLeqLocal, SLeqVecino, TTipoActuacionLocal, TTipoActuacionVecino, ByNivelLeqLocal, ByNivelLeqVecino, "
              "SMaxLeq1min, TFechaMaxLeq1min, THoraMaxLeq1min, SMinLeq1min, TFechaMinLeq1min, THoraMinLeq1min, "
              "SMaxFast, ByNivelMFast, IPasMaxFast, SL1, SL5, SL10, SL50, SL90, BoRS232, BoProgramacion, IDesco, "
              "IPasadasLocal, IPasadasVecino, IE3, ByDNA, ByENA, ByLineaInsuficiente) VALUES "
              "(?, ?, ?, ?, ?, 5, ?, ?, 'Leq05s', '0', 90, 85, ?, ?, ?, ?, ?, ?, ?, 95, 2, ?, ?, ?, ?, ?, 0, ?, 0, 3, "
              "1, 0, ?, ?, 0)");
    const QDateTime base(QDate(2000, 1, 1), QTime(0, 0));
    for (int i = 0; i < n; ++i) {
        const QDateTime t = base.addSecs(qint64(i) * 300);
        const QString fecha = t.date().toString(Qt::ISODate);
        const QString hora = t.time().toString(QStringLiteral("hh:mm"));
        const double leq = 55 + (i * 7919 % 700) / 10.0; // 55.0 to 124.9: und and up among them
        q.addBindValue(serial);
        q.addBindValue(fecha);
        q.addBindValue(hora);
        q.addBindValue(t.addSecs(300).date().toString(Qt::ISODate));
        q.addBindValue(t.addSecs(300).time().toString(QStringLiteral("hh:mm")));
        q.addBindValue(leq);
        q.addBindValue(i % 50 ? leq - 20 : 0.0);
        q.addBindValue(leq + 3);
        q.addBindValue(t.date().toString(QStringLiteral("dd/MM/yyyy")));
        q.addBindValue(hora);
        q.addBindValue(leq - 3);
        q.addBindValue(t.date().toString(QStringLiteral("dd/MM/yyyy")));
        q.addBindValue(hora);
        q.addBindValue(leq + 8);
        for (int k = 0; k < 5; ++k)
            q.addBindValue(leq + 6 - 3 * k);
        q.addBindValue(i % 288 == 0 ? -1 : 0);
        q.addBindValue(i % 97 ? i % 5 : 255);
        q.addBindValue(i % 89 ? i % 3 : 255);
        if (!q.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
            return false;
        }
    }
    return db.commit();
}

void repinta(QWidget *w)
{
    w->repaint();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int grande = argc > 1 ? std::atoi(argv[1]) : 2000000;
    const int anyo = argc > 2 ? std::atoi(argv[2]) : 365 * 288;
    const int pdfPaginas = argc > 3 ? std::atoi(argv[3]) : 600;
    const int lineasNota = argc > 4 ? std::atoi(argv[4]) : 2000;
    slxbench::CarpetaDatos datos;
    if (!datos.ok())
        return 1;
    QSqlQuery q(modulo1().ConexionBD);
    q.exec("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion, DFechaTotales, THoraTotales) VALUES "
           "(100001, '2009-03-15', 'Grande', '4.1', '2020-01-01', '10:00:00'), "
           "(100002, '2010-01-01', 'Un año', '4.1', '2001-01-01', '00:00:00'), "
           "(100003, '2010-01-01', 'Poco', '4.1', NULL, NULL)");
    QElapsedTimer t;
    t.start();
    if (!intervalos(100001, grande) || !intervalos(100002, anyo) || !intervalos(100003, 10))
        return 1;
    std::printf("database: %d intervals of device 100001, %d of 100002, built in %.1f s\n", grande, anyo,
                t.elapsed() / 1000.0);
    QStringList nota;
    for (int i = 1; i <= lineasNota; ++i)
        nota << QStringLiteral("Line %1 of the venue's note, as the technician typed it").arg(i);
    q.prepare("UPDATE Programacion SET TNota = ? WHERE LNumeroSerie = 100002");
    q.addBindValue(nota.join(QStringLiteral("\r\n")));
    q.exec();

    Modulo1 &m = modulo1();
    m.VersionAparato = QStringLiteral("4.1");
    for (int i = 0; i < 30; ++i)
        m.IntervalosInhabiles[i].DiaEmpieza = QStringLiteral("00/00/00");

    // A window on a small device first, for the memory the window takes by itself.
    m.NumeroSerieAparato = 100003;
    {
        QWidget *w = creaForm6();
        w->show();
        repinta(w);
        delete w;
    }
    const double antes = slxbench::rssMiB();
    m.NumeroSerieAparato = 100001;
    t.restart();
    auto *form = static_cast<Form6 *>(creaForm6());
    form->show();
    repinta(form);
    const double abrir = t.nsecsElapsed() / 1e6;
    std::printf("window open on 2,000,000 intervals (both pickers counted, oldest and newest shown): %.0f ms; "
                "rows %d, end picker on %s %s\n",
                abrir, form->TDBGridFi->rows(), qPrintable(form->TDBGridFi->textoCelda(form->TDBGridFi->rows() - 1, 1)),
                qPrintable(form->TDBGridFi->textoCelda(form->TDBGridFi->rows() - 1, 2)));
    std::printf("resident memory: window on 10 intervals %.1f MiB, on 2,000,000 %.1f MiB (%+.1f)\n", antes,
                slxbench::rssMiB(), slxbench::rssMiB() - antes);
    delete form;

    // The report of a year.
    m.NumeroSerieAparato = 100002;
    for (int i = 0; i < 30; ++i) {
        m.IntervalosInhabiles[i].DiaEmpieza = QStringLiteral("%1/04/09").arg(i + 1, 2, 10, QLatin1Char('0'));
        m.IntervalosInhabiles[i].HoraEmpieza = QStringLiteral("22:00");
        m.IntervalosInhabiles[i].DiaTermina = QStringLiteral("%1/05/09").arg(i + 1, 2, 10, QLatin1Char('0'));
        m.IntervalosInhabiles[i].HoraTermina = QStringLiteral("08:00");
    }
    form = static_cast<Form6 *>(creaForm6());
    form->show();
    repinta(form);
    const double rssInforme = slxbench::rssMiB();
    double primera = 0, todo = 0, pdfMs = 0;
    int paginas = 0, impresas = 0, avisos = 0;
    QTimer::singleShot(0, form, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *f = qobject_cast<Form15 *>(w);
            if (!f || !f->isVisible())
                continue;
            repinta(f);
            primera = t.nsecsElapsed() / 1e6;
            auto *motor = qobject_cast<ReportEngine *>(m.InformeVistaPrevia.data());
            while (motor->ocupado())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            todo = t.nsecsElapsed() / 1e6;
            const auto modelo = motor->modelo();
            paginas = modelo->paginas();
            QPdfWriter pdf(DataFolder::file(QStringLiteral("year.pdf")));
            pdf.setResolution(600);
            impresas = std::min(pdfPaginas, paginas);
            QElapsedTimer r;
            r.start();
            const auto impreso = imprimeModelo(
                *modelo, pdf, 1, impresas,
                [&](int) {
                    ++avisos;
                    QApplication::processEvents();
                    return true;
                });
            pdfMs = r.nsecsElapsed() / 1e6;
            if (!impreso)
                std::fprintf(stderr, "PDF: %s\n", qPrintable(impreso.error().mensaje()));
            f->findChild<QToolButton *>("SSCommandExit")->click();
        }
    });
    form->TDBGridInici->setCurrentRow(0);
    form->TDBGridFi->setCurrentRow(form->TDBGridFi->rows() - 1);
    t.restart();
    form->SSCommandImprimir_Click();
    std::printf("interval report of %d records, a note of %d lines and 30 disabled intervals: first page shown at "
                "%.0f ms, whole layout %.0f ms, %d pages\n",
                anyo, lineasNota, primera, todo, paginas);
    std::printf("PDF: %d pages in %.0f ms, %.0f pages/s, %d progress calls (%.1f MB)\n", impresas, pdfMs,
                impresas / (pdfMs / 1000.0), avisos, QFileInfo(DataFolder::file(QStringLiteral("year.pdf"))).size() / 1048576.0);
    std::printf("resident memory over the report: %+.1f MiB\n", slxbench::rssMiB() - rssInforme);
    delete form;
    Database::close();
    return 0;
}
