// The interval and session reports of the reports window, from the print button to the
// page model and the PDF: the per-record rules over the special stored values, the
// period with both ends, the frame filled in the user's language, the empty period,
// the failures, and the search served by the device's key.

#include "PageChecks.h"
#include "PreviewCatcher.h"
#include "ReportsFixture.h"
#include "TestSupport.h"

#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"
#include "reports/Form6.h"
#include "reports/InformesPeriodo.h"
#include "widgets/TDBGrid.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

using namespace slx;
using namespace reportsfixture;

namespace {

const ReglaRegistro *reglaDe(const QList<ReglaRegistro> &reglas, const QString &columna)
{
    for (const ReglaRegistro &r : reglas)
        if (r.columna == columna)
            return &r;
    return nullptr;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form6> form;
    bool previewShown = false;
    std::shared_ptr<const ModeloPaginas> modelo;
    slxtest::PreviewCatcher preview;
    std::function<void(Form15 *)> whilePreviewed;

    void open(qint32 serial = 100001, const QString &version = QStringLiteral("4.1"))
    {
        device(serial, version);
        modulo1().PiePagina = QString::fromUtf8("Servei Tècnic");
        form = static_cast<Form6 *>(creaForm6());
        form->show();
    }
    // Picks the rows of the period and the report, clicks the print button; the preview,
    // when shown, is looked at and closed.
    void print(int inicio, int fin, bool sesiones = false)
    {
        form->TDBGridInici->setCurrentRow(inicio);
        form->TDBGridFi->setCurrentRow(fin);
        (sesiones ? form->OptionSesiones : form->OptionIntervalos)->setChecked(true);
        preview.whilePreviewed = whilePreviewed;
        preview.run([this] { QTest::mouseClick(form->SSCommandImprimir, Qt::LeftButton); });
        previewShown = preview.shown;
        modelo = preview.modelo;
    }
    QStringList all(const QString &field) const { return modelo ? modelo->textosDe(field) : QStringList(); }
    QString one(const QString &field) const
    {
        const QStringList t = all(field);
        return t.size() == 1 ? t.first() : QStringLiteral("<%1 times>").arg(t.size());
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("Español")));
        answers = std::make_unique<slxtest::Answers>();
        whilePreviewed = nullptr;
    }
    void cleanup()
    {
        delete form;
        answers.reset();
        home.reset();
    }

    // What each rule of the lists prints for the special stored values.
    void detailRules_data()
    {
        QTest::addColumn<QString>("columna");
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<QString>("texto");
        const QVariant nulo;
        for (const char *nivel :
             {"SL1", "SL5", "SL10", "SL50", "SL90", "SMaxFast", "SMaxLeq1min", "SMinLeq1min", "SLeqLocal", "SLeq"}) {
            const auto fila = [&](const char *caso, const QVariant &v, const char *t) {
                QTest::addRow("%s %s", nivel, caso) << nivel << v << t;
            };
            fila("0", 0.0, "---");
            fila("59", 59.0, "und");
            fila("59.9", 59.9, "und");
            fila("60", 60.0, "60");
            fila("120", 120.0, "120");
            fila("120.5", 120.5, "up");
            fila("121", 121.0, "up");
            fila("255", 255.0, "up");
            fila("62.3", 62.3, "62.3");
            fila("NULL", nulo, "");
        }
        for (const auto &[caso, v, t] : std::initializer_list<std::tuple<const char *, QVariant, const char *>>{
                 {"0", 0.0, "---"}, {"59", 59.0, "59"}, {"121", 121.0, "121"}, {"60", 60.0, "60"}, {"NULL", nulo, ""}})
            QTest::addRow("SLeqVecino %s", caso) << "SLeqVecino" << v << t;
        for (const char *minutos : {"ByENA", "ByLineaInsuficiente", "ByDNA"}) {
            QTest::addRow("%s 255", minutos) << minutos << QVariant(255) << "Sin calibrar";
            QTest::addRow("%s 0", minutos) << minutos << QVariant(0) << "0min";
            QTest::addRow("%s 12", minutos) << minutos << QVariant(12) << "12min";
            QTest::addRow("%s 59", minutos) << minutos << QVariant(59) << "59min";
            QTest::addRow("%s NULL", minutos) << minutos << nulo << "";
        }
        QTest::newRow("BoProgramacion -1") << "BoProgramacion" << QVariant(-1) << "Sí";
        QTest::newRow("BoProgramacion 1") << "BoProgramacion" << QVariant(1) << "Sí";
        QTest::newRow("BoProgramacion 0") << "BoProgramacion" << QVariant(0) << "No";
        QTest::newRow("BoProgramacion NULL") << "BoProgramacion" << nulo << "";
    }
    void detailRules()
    {
        QFETCH(QString, columna);
        QFETCH(QVariant, valor);
        QFETCH(QString, texto);
        const QList<ReglaRegistro> reglas =
            informes::reglasDetalle(QStringLiteral("Sin calibrar"), QString::fromUtf8("Sí"), QStringLiteral("No"));
        const ReglaRegistro *r = reglaDe(reglas, columna);
        QVERIFY(r);
        QCOMPARE(r->campo, QLatin1Char('L') + columna);
        QCOMPARE(r->aplica(valor), texto);
    }

    // The rules in their order; the three words in the language of the moment, the
    // others as they stand.
    void detailRulesInTheUsersLanguage()
    {
        QVERIFY(seed());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        open();
        const QList<ReglaRegistro> reglas = form->CreaScriptDetall();
        QStringList columnas;
        for (const ReglaRegistro &r : reglas)
            columnas << r.columna;
        QCOMPARE(columnas,
                 QStringList({"SL1", "SL5", "SL10", "SL50", "SL90", "ByENA", "ByLineaInsuficiente", "BoProgramacion",
                              "ByDNA", "SMaxFast", "SMaxLeq1min", "SMinLeq1min", "SLeqLocal", "SLeqVecino", "SLeq"}));
        QCOMPARE(reglaDe(reglas, "ByDNA")->aplica(255), QStringLiteral("Not calibrated"));
        QCOMPARE(reglaDe(reglas, "ByDNA")->aplica(3), QStringLiteral("3min"));
        QCOMPARE(reglaDe(reglas, "BoProgramacion")->aplica(-1), QStringLiteral("Yes"));
        QCOMPARE(reglaDe(reglas, "BoProgramacion")->aplica(0), QStringLiteral("No"));
        QCOMPARE(reglaDe(reglas, "SL1")->aplica(59), QStringLiteral("und"));
        QCOMPARE(reglaDe(reglas, "SL1")->aplica(121), QStringLiteral("up"));
        QCOMPARE(reglaDe(reglas, "SLeqVecino")->aplica(0), QStringLiteral("---"));
    }

    // The interval report of 10:00 to 11:00: both ends in, each rule over the stored
    // values, the frame in the user's language, the memo stored.
    void intervalReport()
    {
        QVERIFY(seed());
        open();
        modulo1().IntervalosInhabiles[4].DiaEmpieza = QStringLiteral("24/12/22");
        modulo1().IntervalosInhabiles[4].HoraEmpieza = QStringLiteral("22:00");
        modulo1().IntervalosInhabiles[4].DiaTermina = QStringLiteral("25/12/22");
        modulo1().IntervalosInhabiles[4].HoraTermina = QStringLiteral("08:00");
        print(1, 5);
        QVERIFY(previewShown);
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QCOMPARE(all("RTHoraInicio"), QStringList({"10:00", "10:15", "10:30", "10:45", "11:00"}));
        QCOMPARE(all("RDFechaInicio").first(), QStringLiteral("20/01/2023"));
        QCOMPARE(all("LSL1"), QStringList({"---", "", "62.3", "61", "63"}));
        QCOMPARE(all("LSL5"), QStringList({"und", "up", "62.3", "61", "63"}));
        QCOMPARE(all("LSL10"), QStringList({"60", "und", "62.3", "61", "63"}));
        QCOMPARE(all("LSL50"), QStringList({"120", "up", "62.3", "61", "63"}));
        QCOMPARE(all("LSL90"), QStringList({"up", "60.5", "62.3", "61", "63"}));
        QCOMPARE(all("LByENA"), QStringList({"Sin calibrar", "", "120min", "59min", "7min"}));
        QCOMPARE(all("LByLineaInsuficiente"), QStringList({"0min", "Sin calibrar", "121min", "60min", "8min"}));
        QCOMPARE(all("LBoProgramacion"), QStringList({"Sí", "No", "", "Sí", "No"}));
        QCOMPARE(all("LByDNA"), QStringList({"12min", "0min", "", "Sin calibrar", "9min"}));
        QCOMPARE(all("LSMaxFast"), QStringList({"", "---", "95", "up", "90"}));
        QCOMPARE(all("LSMaxLeq1min"), QStringList({"65.5", "up", "70", "70", "70"}));
        QCOMPARE(all("LSMinLeq1min"), QStringList({"und", "---", "60", "60", "60"}));
        QCOMPARE(all("LSLeqLocal"), QStringList({"80", "up", "und", "60", "64"}));
        QCOMPARE(all("LSLeqVecino"), QStringList({"---", "59", "121", "", "50"}));

        QCOMPARE(one("TIntervalosLeq"), QStringLiteral("REGISTROS Leq:"));
        QCOMPARE(all("TRegistrosSesion"), QStringList());
        // The list's captions stand in each record's block.
        QCOMPARE(all("LabelEmision"), QStringList(5, QString::fromUtf8("(emisión):")));
        QCOMPARE(all("LabelSensorInactivo"), QStringList(5, QStringLiteral("Sensor inactivo:")));
        QCOMPARE(all("LabelENA").first(), QStringLiteral("E.N.A. min:"));
        QCOMPARE(one("TNSerie"), oLocGuru().GetS(2));
        QCOMPARE(one("VLNumeroSerie"), QStringLiteral("100001"));
        QCOMPARE(one("IntervalTotals"), QStringLiteral("01/02/2023 10:11:12"));
        QCOMPARE(all("TUsuario"), QStringList(modelo->paginas(), QString::fromUtf8("Servei Tècnic")));
        QCOMPARE(one("SOctava31,5Hz"), QStringLiteral(".50"));
        QCOMPARE(one("CambioHora"), QString::fromUtf8("Sí"));
        QCOMPARE(one("TipusActuacio"), QString::fromUtf8("No actúa"));
        QCOMPARE(one("TCMI"), QStringLiteral("AVIR"));
        QCOMPARE(one("CMI"), QString::fromUtf8("Sí"));
        QCOMPARE(all("EvFecha"),
                 QStringList({"01/07/2022", "01/08/2022", "01/07/2022", "01/08/2022", "01/07/2022", "01/08/2022"}));
        const QString memo = QStringLiteral("05 - 24/12/22 22:00 <-> 25/12/22 08:00     ,     ");
        QCOMPARE(one("LabelMemo"), memo);
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), memo);
        QCOMPARE(modulo1().InformeVistaPrevia.data(), static_cast<QObject *>(form->VSReport1));

        // The same row at both ends lists that one interval; the pickers kept their rows.
        print(3, 3);
        QCOMPARE(all("RTHoraInicio"), QStringList({"10:30"}));
        QCOMPARE(form->TDBGridFi->currentRow(), 3);
    }

    // The session report lists the sessions that start in the period, both ends in.
    void sessionReport()
    {
        QVERIFY(seed());
        open();
        print(1, 5, true);
        QVERIFY(previewShown);
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QCOMPARE(all("RTHoraInicio"), QStringList({"10:00", "11:00"}));
        QCOMPARE(all("LSLeq"), QStringList({"und", ""}));
        QCOMPARE(all("LSL1"), QStringList({"---", "120"}));
        QCOMPARE(all("LSL5"), QStringList({"up", "und"}));
        QCOMPARE(all("LSMaxFast"), QStringList({"60", "---"}));
        QCOMPARE(all("RITiempoAtenuacion"), QStringList({"12", "12"}));
        QCOMPARE(one("TRegistrosSesion"), QString::fromUtf8("REGISTROS Sesión:"));
        QCOMPARE(all("TIntervalosLeq"), QStringList());
        QCOMPARE(all("LabelSesion"), QStringList(2, QString::fromUtf8("Sesión:")));
        QCOMPARE(all("LabelLNR").first(), oLocGuru().GetS(105) + ':');
        QCOMPARE(all("LabelSensorInactivo").first(), QStringLiteral("Sensor inactivo:"));
        QCOMPARE(one("LabelMemo"), QStringLiteral(" "));
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
    }

    // An end picked before the start: the interval report prints the frame with an empty
    // list; the session report says text 59 and shows nothing, the memo already stored.
    void emptyPeriod()
    {
        QVERIFY(seed());
        open();
        print(6, 0);
        QVERIFY(previewShown);
        QVERIFY(answers->shown().isEmpty());
        QCOMPARE(all("RTHoraInicio"), QStringList());
        QCOMPARE(one("TIntervalosLeq"), QStringLiteral("REGISTROS Leq:"));
        QCOMPARE(one("VLNumeroSerie"), QStringLiteral("100001"));

        QVERIFY(exec("UPDATE Configuracion SET Memo = 'old'"));
        print(6, 0, true);
        QVERIFY(!previewShown);
        QCOMPARE(answers->texts(), QStringList({"No hay datos"}));
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
    }

    // The global-correction rows from firmware 4.0, by number: the incidents window's
    // version box when it is open, else the device's version.
    void globalCorrectionRows_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("incidents");
        QTest::addColumn<bool>("shown");
        QTest::newRow("3.9") << "3.9" << false << false;
        QTest::newRow("4.0") << "4.0" << false << true;
        QTest::newRow("10.1") << "10.1" << false << true;
        QTest::newRow("3.9 in the incidents window") << "3.9" << true << false;
        QTest::newRow("4.0 in the incidents window") << "4.0" << true << true;
    }
    void globalCorrectionRows()
    {
        QFETCH(QString, version);
        QFETCH(bool, incidents);
        QFETCH(bool, shown);
        QVERIFY(seed());
        QPointer<Form5> f5;
        if (incidents) {
            modulo1().NumeroSerieAparato = 100001;
            f5 = static_cast<Form5 *>(creaForm5());
            FormRegistry::setInstance(QStringLiteral("Form5"), f5);
            f5->TextVersion->setText(version);
            f5->MaskFechaTotales->setText(QStringLiteral("31/12/2022"));
            f5->MaskHoraTotales->setText(QStringLiteral("23:59:59"));
            open(100001, QStringLiteral("4.1"));
        } else {
            open(100001, version);
        }
        print(1, 2);
        QVERIFY(previewShown);
        QCOMPARE(all("TCMI"), shown ? QStringList{"AVIR"} : QStringList());
        QCOMPARE(all("CMI"), shown ? QStringList{QString::fromUtf8("Sí")} : QStringList());
        QCOMPARE(one("IntervalTotals"),
                 incidents ? QStringLiteral("31/12/2022 23:59:59") : QStringLiteral("01/02/2023 10:11:12"));
        delete f5;
    }

    // In another language: the captions, the three words of the rules and "Sin calibrar"
    // translated; "und", "up", "---" and "min" as they stand.
    void reportInAnotherLanguage()
    {
        QVERIFY(seed());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        open();
        print(1, 5);
        QVERIFY(previewShown);
        QCOMPARE(all("LByENA").first(), QStringLiteral("Not calibrated"));
        QCOMPARE(all("LByLineaInsuficiente").first(), QStringLiteral("0min"));
        QCOMPARE(all("LBoProgramacion"), QStringList({"Yes", "No", "", "Yes", "No"}));
        QCOMPARE(all("LSL5").mid(0, 2), QStringList({"und", "up"}));
        QCOMPARE(all("LSL1").first(), QStringLiteral("---"));
        QCOMPARE(one("TIntervalosLeq"), oLocGuru().GetS(131) + ':');
        QVERIFY(one("TIntervalosLeq") != QStringLiteral("REGISTROS Leq:"));
        QCOMPARE(one("TipusActuacio"), oLocGuru().GetS(140));
    }

    // Failures end the print-out with the description and where it arose; what was done
    // before stays.
    void failures()
    {
        QVERIFY(seed());
        // Intervals of a device with no sheet.
        QVERIFY(exec("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (400004, '2023-01-01', "
                     "'10:00')"));
        open(400004, QStringLiteral("4.1"));
        print(0, 0);
        QVERIFY(!previewShown);
        QCOMPARE(answers->texts(),
                 QStringList({"El aparato 400004 no tiene ninguna ficha de programación guardada. ; ConexionBD"}));
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
        delete form;

        // No Configuracion row: nothing is written, nothing shown.
        QVERIFY(exec("DELETE FROM Configuracion"));
        open();
        print(1, 5);
        QVERIFY(!previewShown);
        QCOMPARE(answers->texts().size(), 2);
        QVERIFY2(answers->texts().last().endsWith(QStringLiteral(" ; ConexionBD")),
                 qPrintable(answers->texts().last()));
        QVERIFY(!form->VSReport1 || !form->VSReport1->cargado());
    }

    // A layout that cannot serve the report: one critical box with the engine's
    // description and where it arose, no preview, and the memo already written.
    void layoutFailures_data()
    {
        QTest::addColumn<QString>("cambio");
        QTest::addColumn<QString>("mensaje");
        // An empty text: the description names the layout file.
        QTest::newRow("missing layout file") << "" << QString();
        QTest::newRow("missing frame field")
            << "name=\"TCMI\"|name=\"TCMX\"" << TextoPropio("The report %1 has no field %2.").arg("SLX90_2", "TCMI");
        QTest::newRow("missing list section")
            << "name=\"Detail\" height=\"15.3\"|name=\"Footer\" height=\"15.3\""
            << TextoPropio("The report %1 has no section %2.").arg("IntervalosLeq", "Detail");
    }
    void layoutFailures()
    {
        QFETCH(QString, cambio);
        QFETCH(QString, mensaje);
        QVERIFY(seed());
        const QString layout = DataFolder::file("XML/slx90_2.xml");
        if (cambio.isEmpty()) {
            QVERIFY(QFile::remove(layout));
            mensaje = TextoPropio("The layout file %1 cannot be read.").arg(QDir::toNativeSeparators(layout));
        } else {
            const QStringList p = cambio.split('|');
            QVERIFY(slxtest::reemplazaEnFichero(layout, p[0], p[1]));
        }
        open();
        print(1, 5);
        QVERIFY(!previewShown);
        QCOMPARE(answers->texts(), QStringList{mensaje + QStringLiteral(" ; VSReport1")});
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
    }

    // The period is searched on the device's key, both ends bound, for both lists.
    void periodServedByTheKey_data()
    {
        QTest::addColumn<int>("tipo");
        QTest::newRow("intervals") << int(informes::Tipo::Intervalos);
        QTest::newRow("sessions") << int(informes::Tipo::Sesiones);
    }
    void periodServedByTheKey()
    {
        QFETCH(int, tipo);
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + informes::sqlLista(informes::Tipo(tipo))));
        for (const QVariant &v : informes::valoresLista(1, {"2023-01-01", "10:00", "2023-02-01", "10:00"}))
            q.addBindValue(v);
        QVERIFY(q.exec());
        QStringList plan;
        while (q.next())
            plan << q.value(3).toString();
        QCOMPARE(plan.size(), 1);
        QVERIFY2(plan.first().contains(QStringLiteral("USING INDEX")) &&
                     plan.first().contains(QStringLiteral("(DFechaInicio,THoraInicio)>")) &&
                     plan.first().contains(QStringLiteral("(DFechaInicio,THoraInicio)<")),
                 qPrintable(plan.first()));
        // A quote in a bound value is a value, not SQL.
        QSqlQuery r(modulo1().ConexionBD);
        QVERIFY(r.prepare(informes::sqlLista(informes::Tipo(tipo))));
        for (const QVariant &v : informes::valoresLista(1, {"2023' OR '1'='1", "", "9", ""}))
            r.addBindValue(v);
        QVERIFY(seed());
        QVERIFY(r.exec());
        QVERIFY(!r.next());
    }

    // "Imprimir" of the preview with SLX90_PRINT_PDF writes the report's PDF.
    void printsToPdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is missing");
        QVERIFY(seed());
        const QString pdf = home->file("intervals.pdf");
        qputenv("SLX90_PRINT_PDF", pdf.toLocal8Bit());
        open();
        whilePreviewed = [](Form15 *f) { f->findChild<QToolButton *>("SSCommandImprimir")->click(); };
        print(1, 5);
        qunsetenv("SLX90_PRINT_PDF");
        QVERIFY(previewShown);
        QVERIFY(answers->shown().isEmpty());
        QProcess p;
        p.start(pdftotext, {"-layout", "-enc", "UTF-8", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *expected : {"REGISTROS Leq:", "100001", "Café Ñandú", "20/01/2023", "10:45", "Sin calibrar",
                                     "0min", "12min", "und", "up", "---", "(emisión):", "AVIR", "Servei Tècnic", ".50"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }

    // A note of 120 lines and all 30 disabled intervals flow over the pages of both
    // reports between the page header and footer, whole and in order, in the PDF too;
    // each heading stays with the first line of what it heads.
    void longTextsFlowOverPages_data()
    {
        QTest::addColumn<bool>("sesiones");
        QTest::addColumn<QString>("language");
        QTest::newRow("intervals, Spanish") << false << QString::fromUtf8("Español");
        QTest::newRow("intervals, English") << false << "English";
        QTest::newRow("intervals, German") << false << "Deutsch";
        QTest::newRow("sessions, English") << true << "English";
        QTest::newRow("sessions, German") << true << "Deutsch";
    }
    void longTextsFlowOverPages()
    {
        QFETCH(bool, sesiones);
        QFETCH(QString, language);
        QVERIFY(seed());
        QVERIFY(exec("UPDATE Programacion SET TNota = ? WHERE LNumeroSerie = 100001", {slxtest::longNote(120)}));
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        const QString pdf = home->file("report.pdf");
        qputenv("SLX90_PRINT_PDF", pdf.toLocal8Bit());
        open();
        slxtest::setAllDisabledIntervals();
        whilePreviewed = [](Form15 *f) { f->findChild<QToolButton *>("SSCommandImprimir")->click(); };
        print(1, 5, sesiones);
        qunsetenv("SLX90_PRINT_PDF");
        QVERIFY(previewShown);
        QVERIFY(answers->shown().isEmpty());
        const QStringList problemas = slxtest::longTextProblems(*modelo, 120);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
        QVERIFY(modelo->paginas() >= 3);
        QCOMPARE(slxtest::headingAlone(*modelo, sesiones ? "TRegistrosSesion" : "TIntervalosLeq", "RDFechaInicio"),
                 QString());
        QCOMPARE(all("EvFecha").size(), 6);
        QCOMPARE(slxtest::longTextMissingInPdf(pdf, *modelo, 120), QString());
    }

    // A limit of 255 (none set) prints as "---" in both lists, as the record pickers
    // show it; another limit prints as stored.
    void limitNotSetPrintsDashes()
    {
        QVERIFY(seed());
        QVERIFY(exec("UPDATE Intervalos SET ByNivelLeqVecino = 85, ByNivelMFast = 255 WHERE LNumeroSerie = 100001"));
        QVERIFY(exec("UPDATE Sesiones SET ByNivelDiaLocal = 255, ByNivelNocheLocal = 90 WHERE LNumeroSerie = 100001"));
        open();
        print(1, 5);
        QVERIFY(previewShown);
        const QStringList locales = all("RByNivelLeqLocal");
        QVERIFY(!locales.isEmpty());
        QCOMPARE(locales, QStringList(locales.size(), "---"));
        QCOMPARE(all("RByNivelMFast"), QStringList(locales.size(), "---"));
        QCOMPARE(all("RByNivelLeqVecino"), QStringList(locales.size(), "85"));
        print(0, 9, true);
        QVERIFY(previewShown);
        const QStringList dia = all("RByNivelDiaLocal");
        QVERIFY(!dia.isEmpty());
        QCOMPARE(dia, QStringList(dia.size(), "---"));
        QCOMPARE(all("RByNivelNocheLocal"), QStringList(dia.size(), "90"));
    }

    // Every caption, label and value of both reports fits its field, with a gap from
    // its neighbour, in each of the seven languages.
    void labelsFitInEveryLanguage_data()
    {
        QTest::addColumn<bool>("sesiones");
        QTest::addColumn<QString>("language");
        for (const QString &l : slxtest::languageColumns()) {
            QTest::addRow("intervals, %s", qPrintable(l)) << false << l;
            QTest::addRow("sessions, %s", qPrintable(l)) << true << l;
        }
    }
    void labelsFitInEveryLanguage()
    {
        QFETCH(bool, sesiones);
        QFETCH(QString, language);
        QVERIFY(seed());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        open();
        print(0, 9, sesiones);
        QVERIFY(previewShown);
        const QStringList problemas = slxtest::textsThatDoNotFit(*modelo);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
