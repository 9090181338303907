// The incidents window on a seeded database: opening, navigation, search, header sorting,
// the texts its grids show, the date check, the ways out and its translation.

#include "RefusedReads.h"
#include "TestSupport.h"

#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "base/Ventanas.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "logs/Incidencias.h"
#include "widgets/TDBGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;
using logs::Rejilla;

namespace {

bool exec(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(modulo1().ConexionBD);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning("%s", qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// Three devices: 100001 (firmware 4.1) with intervals of special values, sessions and
// event dates; 200002 (firmware 2.9, a quote and an accent in its venue); 300003 merged
// with a NULL date and venue, with one interval of its own.
bool seed()
{
    const QString sheet = QStringLiteral(
        "INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion, TTelefono, DFechaTotales, THoraTotales, "
        "LPasadasLocal, LPasadasVecino, LE3, LCB) VALUES (?,?,?,?,?,?,?,?,?,?,?)");
    bool ok = exec(sheet, {100001, "2021-05-10", QString::fromUtf8("Café Ñandú"), "4.1", "931112233", "2023-02-01",
                           "10:11:12", 5, 6, 7, 8}) &&
              exec(sheet, {200002, "2020-12-15", QString::fromUtf8("Bar d'Oró"), "2.9", "", QVariant(), QVariant(),
                           QVariant(), QVariant(), QVariant(), QVariant()}) &&
              exec(sheet, {300003, QVariant(), QVariant(), "3.0", QVariant(), QVariant(), QVariant(), QVariant(),
                           QVariant(), QVariant(), QVariant()});
    const QString interval = QStringLiteral(
        "INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, SLeqLocal, "
        "SLeqVecino, ByNivelLeqLocal, SMaxLeq1min, TFechaMaxLeq1min, BoRS232, ByDNA, ByENA, ByLineaInsuficiente) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    // Newest first: 59, 121, 0, 65.3, 70.
    const QList<double> leqs = {70, 65.3, 0, 121, 59};
    for (int i = 0; i < leqs.size(); ++i) {
        const QString h = QStringLiteral("1%1:00").arg(i);
        ok = ok && exec(interval, {100001, "2023-01-20", h, "2023-01-20", QStringLiteral("1%1:15").arg(i), leqs.at(i),
                                   i == 4 ? 59.0 : 121.0, i == 4 ? 255 : 90, 80 + i,
                                   QStringLiteral("0%1/01/2023").arg(9 - i), i % 2 ? -1 : 0, i == 4 ? 255 : 12, 3, 4});
    }
    ok = ok && exec(interval, {300003, "2022-03-01", "08:00", "2022-03-01", "08:15", 66.0, 50.0, 90, 70.0, "01/03/2022",
                               0, 1, 2, 3});
    const QString session =
        QStringLiteral("INSERT INTO Sesiones (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, SLeq) "
                       "VALUES (?,?,?,?,?,?)");
    ok = ok && exec(session, {100001, "2023-01-20", "10:00", "2023-01-21", "02:00", 121.0}) &&
         exec(session, {100001, "2023-01-19", "10:00", "2023-01-20", "02:00", 75.5});
    for (const char *table : {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"}) {
        ok = ok && exec(QStringLiteral("INSERT INTO %1 (LNumeroSerie, DFecha, THora) VALUES (100001, '2022-07-01', "
                                       "'09:30'), (100001, '2022-08-01', '11:45')")
                            .arg(QLatin1String(table)));
    }
    ok = ok && exec(QStringLiteral("INSERT INTO IntervaloInhabil VALUES (100001, 2, '24/12/22', '22:00:00', "
                                   "'25/12/22', '08:00:00')"));
    return ok;
}

} // namespace

class TestForm5 : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form5> form;

    bool open(qint32 serial = 0)
    {
        modulo1().NumeroSerieAparato = serial;
        form = static_cast<Form5 *>(creaForm5());
        form->show();
        return QTest::qWaitForWindowExposed(form);
    }
    QString shown(Rejilla r, int row, int column) const { return form->modelo(r)->texto(row, column); }
    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

private slots:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        answers = std::make_unique<slxtest::Answers>();
    }
    void cleanup()
    {
        delete form;
        answers.reset();
        home.reset();
    }

    // The first device: identity, totals, hand-over values, disabled intervals, cell texts and headings.
    void opensOnTheFirstDevice()
    {
        QVERIFY(seed());
        QVERIFY(open());
        QVERIFY(answers->shown().isEmpty());
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("100001"));
        QCOMPARE(form->TextFecha->text(), QStringLiteral("10/05/21"));
        QCOMPARE(form->TextLocal->text(), QString::fromUtf8("Café Ñandú"));
        QCOMPARE(form->TextVersion->text(), QStringLiteral("4.1"));
        QCOMPARE(form->MaskFechaTotales->text(), QStringLiteral("01/02/2023"));
        QCOMPARE(form->MaskHoraTotales->text(), QStringLiteral("10:11:12"));
        QCOMPARE(form->LbPasadasLocal->text(), QStringLiteral("5"));
        QCOMPARE(form->MaskCB->text(), QStringLiteral("8"));
        const Modulo1 &m = modulo1();
        QCOMPARE(m.NumeroSerieAparato, 100001);
        QCOMPARE(m.VersionAparato, QStringLiteral("4.1"));
        QCOMPARE(m.FechaAparato, QStringLiteral("10/05/21"));
        QCOMPARE(m.TelefonoAparato, QStringLiteral("931112233"));
        QCOMPARE(m.IntervalosInhabiles[1].DiaEmpieza, QStringLiteral("24/12/22"));
        QCOMPARE(m.IntervalosInhabiles[1].HoraTermina, QStringLiteral("08:00"));
        QCOMPARE(m.IntervalosInhabiles[0].DiaEmpieza, QStringLiteral("00/00/00"));
        QCOMPARE(m.IntervalosInhabiles[29].HoraEmpieza, QStringLiteral("00:00"));

        // Intervals, newest first.
        QCOMPARE(form->modelo(Rejilla::Intervalos)->rowCount(), 5);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 1), QStringLiteral("20/01/2023"));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 2), QStringLiteral("14:00"));
        const QStringList leq = {"UND", "UP", "---", "65.3", "70.0"};
        for (int row = 0; row < 5; ++row)
            QCOMPARE(shown(Rejilla::Intervalos, row, 6), leq.at(row));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 10), QStringLiteral("59.0")); // reception: 59 is a number
        QCOMPARE(shown(Rejilla::Intervalos, 1, 10), QStringLiteral("UP"));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 7), QStringLiteral("---"));
        QCOMPARE(shown(Rejilla::Intervalos, 1, 7), QStringLiteral("90"));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 33), QStringLiteral("Sin calibrar"));
        QCOMPARE(shown(Rejilla::Intervalos, 1, 33), QStringLiteral("12"));
        QCOMPARE(form->modelo(Rejilla::Intervalos)
                     ->data(form->modelo(Rejilla::Intervalos)->index(1, 28), Qt::DecorationRole)
                     .typeId(),
                 QMetaType::QPixmap);
        QCOMPARE(shown(Rejilla::Sesiones, 0, 5), QStringLiteral("UP"));
        QCOMPARE(shown(Rejilla::Sesiones, 1, 5), QStringLiteral("75.5"));
        QCOMPARE(shown(Rejilla::Repro, 0, 0), QStringLiteral("01/08/2022"));
        QCOMPARE(shown(Rejilla::Borrat, 1, 1), QStringLiteral("09:30"));

        // Headings and layout.
        TDBGrid *g = form->TDBGridIntervalos;
        QCOMPARE(g->columnCaption(33), QStringLiteral("D.N.A.\rmin"));
        QCOMPARE(g->columnCaption(6), QStringLiteral("LeqT(emisión)\rdBA"));
        QCOMPARE(g->columnCaption(15), QStringLiteral("Leq1'max\rFecha"));
        QCOMPARE(g->columnCaption(23), QStringLiteral("L1\rdBA"));
        QCOMPARE(g->columnCaption(22), QStringLiteral("Pasadas"));
        QCOMPARE(form->TDBGridSesiones->columnCaption(9), QString::fromUtf8("Límite día(emisión)\rdBA"));
        QCOMPARE(g->Columns(6).back, QColor(220, 220, 255));
        QCOMPARE(g->Columns(21).headBack, QColor(3, 233, 233));
        QCOMPARE(form->TDBGridRepro->Columns(0).headBack, QColor(255, 150, 150));
        QCOMPARE(g->splitCaption(0), QStringLiteral("REGISTROS LeqT Inicio <> Final"));
        QCOMPARE(form->TDBGridBateria->caption(), QStringLiteral("FINALES BATERIA"));
        for (int c = 32; c <= 34; ++c)
            QVERIFY(g->columnVisible(c));
        QVERIFY(!g->split(1)->isColumnHidden(33));
        QVERIFY(g->split(1)->isColumnHidden(3)); // the left split's
        QVERIFY(!g->split(0)->isColumnHidden(3));
        QVERIFY(g->split(0)->isColumnHidden(0));
        QCOMPARE(g->valorActual(1).toString(), QStringLiteral("2023-01-20"));
    }

    // The device the sheet showed last; one no longer in the table gives way to the first.
    void opensOnTheSheetsDevice_data()
    {
        QTest::addColumn<int>("serial");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("dna");
        QTest::newRow("2.9") << 200002 << "200002" << false;
        QTest::newRow("3.0") << 300003 << "300003" << true;
        QTest::newRow("gone") << 999999 << "100001" << true;
    }
    void opensOnTheSheetsDevice()
    {
        QFETCH(int, serial);
        QFETCH(QString, shown);
        QFETCH(bool, dna);
        QVERIFY(seed());
        QVERIFY(open(serial));
        QVERIFY(answers->shown().isEmpty());
        QCOMPARE(form->TextNumeroSerie->text(), shown);
        for (int c = 32; c <= 34; ++c)
            QCOMPARE(form->TDBGridIntervalos->split(1)->isColumnHidden(c), !dna);
    }

    // An empty table: the window opens empty and silent; nothing moves, nothing is checked.
    void emptyTable()
    {
        QVERIFY(open());
        QCOMPARE(form->TextNumeroSerie->text(), QString());
        click(form->SSCommandSiguiente);
        click(form->SSCommandAnterior);
        form->TextFecha->setFocus();
        form->SSCommandBuscar->setFocus();
        QVERIFY(answers->shown().isEmpty());
        click(form->SSCommandGrafica);
        click(form->SSCommandImprimir);
        QCOMPARE(answers->texts(), QStringList({"No hay datos", "No hay datos"}));
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
    }

    // Navigation: each device's own rows (a NULL date shows empty and the load goes on), and
    // both ends keep the record.
    void navigation()
    {
        QVERIFY(seed());
        QVERIFY(open());
        click(form->SSCommandAnterior); // the first: stays
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("100001"));
        click(form->SSCommandSiguiente);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("200002"));
        QCOMPARE(form->modelo(Rejilla::Intervalos)->rowCount(), 0);
        QCOMPARE(form->MaskFechaTotales->text(), QString());
        click(form->SSCommandSiguiente);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("300003"));
        QCOMPARE(form->TextFecha->text(), QString());
        QCOMPARE(form->TextLocal->text(), QString());
        QCOMPARE(form->modelo(Rejilla::Intervalos)->rowCount(), 1);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 6), QStringLiteral("66.0"));
        QCOMPARE(modulo1().NumeroSerieAparato, 300003);
        click(form->SSCommandSiguiente); // the last: stays
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("300003"));
        click(form->SSCommandAnterior);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("200002"));
        QVERIFY(answers->shown().isEmpty());
    }

    // The search takes the text literally, ignoring case and accents, in the field that had the focus.
    void search_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("version") << "TextVersion"
                                 << "2.9"
                                 << "200002" << QString::fromUtf8("Buscar en el campo Versión:");
        QTest::newRow("quote") << "TextLocal"
                               << "D'ORO"
                               << "200002"
                               << "Buscar en el campo Local:";
        QTest::newRow("accent") << "TextLocal" << QString::fromUtf8("ñandu") << "100001"
                                << "Buscar en el campo Local:";
        QTest::newRow("serial") << "TextNumeroSerie"
                                << "0003"
                                << "300003"
                                << "Buscar en el campo N. Serie:";
        QTest::newRow("date") << "TextFecha"
                              << "15/12"
                              << "200002"
                              << "Buscar en el campo Fecha:";
        QTest::newRow("wildcard is literal") << "TextLocal"
                                             << "%"
                                             << ""
                                             << "Buscar en el campo Local:";
        QTest::newRow("none") << "TextLocal"
                              << "zzz"
                              << ""
                              << "Buscar en el campo Local:";
    }
    void search()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, found);
        QFETCH(QString, prompt);
        QVERIFY(seed());
        QVERIFY(open(300003));
        form->findChild<QLineEdit *>(field)->setFocus();
        QCOMPARE(form->CampActual, field);
        answers->then(text);
        click(form->SSCommandBuscar);
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(answers->shown().first().text, prompt);
        QCOMPARE(answers->shown().first().title, QStringLiteral("BUSCAR"));
        if (!found.isEmpty()) {
            QCOMPARE(form->TextNumeroSerie->text(), found);
            return;
        }
        // Nothing found: the screen stays; the next move starts from the first device.
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("300003"));
        click(form->SSCommandSiguiente);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("200002"));
    }

    // The device found, then the list of devices cannot be read again: the failure is shown
    // and the window stays as it was, its moves too.
    void aSearchWhoseDeviceListFailsSaysSo()
    {
        QVERIFY(seed());
        QVERIFY(open(300003));
        form->TextLocal->setFocus();
        slxtest::RefusedReads refused;
        // The user types the text: the search's own read goes through, the next is refused.
        ui::setResponder([&](const ui::Request &req) -> QVariant {
            if (req.kind == ui::Kind::Input) {
                refused.arm(modulo1().ConexionBD, 1);
                return QStringLiteral("oró");
            }
            refused.disarm();
            return ui::vbOK;
        });
        click(form->SSCommandBuscar);
        QCOMPARE(answers->shown().size(), 2);
        const ui::Request box = answers->shown().at(1);
        QCOMPARE(box.icon, ui::Icon::Critical);
        QVERIFY2(box.text.contains(QStringLiteral("is prohibited")), qPrintable(box.text));
        QCOMPARE(refused.refused(), 1);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("300003"));
        click(form->SSCommandAnterior);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("200002"));
    }

    // Header clicks: ascending first, then back; date and time together; a value column alone;
    // the event-date grids by date whatever column; the right split keeps its position.
    void headerSorting()
    {
        QVERIFY(seed());
        QVERIFY(open());
        form->resize(900, 700);
        TDBGrid *g = form->TDBGridIntervalos;
        g->setLeftCol(10);
        const int left = g->leftCol();
        QVERIFY(left >= 9);
        form->TDBGridIntervalos_HeadClick(6);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 6), QStringLiteral("---"));
        QCOMPARE(shown(Rejilla::Intervalos, 1, 6), QStringLiteral("UND"));
        QCOMPARE(shown(Rejilla::Intervalos, 4, 6), QStringLiteral("UP"));
        QCOMPARE(g->leftCol(), left);
        form->TDBGridIntervalos_HeadClick(6);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 6), QStringLiteral("UP"));
        form->TDBGridIntervalos_HeadClick(2); // ascending by start
        QCOMPARE(shown(Rejilla::Intervalos, 0, 2), QStringLiteral("10:00"));
        form->TDBGridIntervalos_HeadClick(16); // by the maximum's date text, then its time
        QCOMPARE(shown(Rejilla::Intervalos, 0, 15), QStringLiteral("09/01/2023"));
        form->TDBGridIntervalos_HeadClick(15);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 15), QStringLiteral("05/01/2023"));
        form->TDBGridRepro_HeadClick(1);
        QCOMPARE(shown(Rejilla::Repro, 0, 0), QStringLiteral("01/07/2022"));
        form->TDBGridRepro_HeadClick(0);
        QCOMPARE(shown(Rejilla::Repro, 0, 0), QStringLiteral("01/08/2022"));
        form->TDBGridSesiones_HeadClick(5);
        QCOMPARE(shown(Rejilla::Sesiones, 0, 5), QStringLiteral("75.5"));
        // A click on a real header reaches the handler with its column.
        QHeaderView *h = form->TDBGridSesiones->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(5) + 5, h->height() - 5));
        QCOMPARE(shown(Rejilla::Sesiones, 0, 5), QStringLiteral("UP"));
        // Another device starts again newest first.
        click(form->SSCommandSiguiente);
        click(form->SSCommandAnterior);
        form->TDBGridIntervalos_HeadClick(2);
        QCOMPARE(shown(Rejilla::Intervalos, 0, 2), QStringLiteral("10:00"));
        QVERIFY(answers->shown().isEmpty());
    }

    // The date box: month 13 and day 00 are refused with the focus back; a good date passes.
    void dateCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("month 13") << "15/13/21" << true;
        QTest::newRow("day 00") << "00/12/21" << true;
        QTest::newRow("not a date") << "31/02/21" << true;
        QTest::newRow("15 December") << "15/12/21" << false;
    }
    void dateCheck()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QVERIFY(seed());
        QVERIFY(open());
        form->activateWindow();
        form->TextFecha->setFocus();
        form->TextFecha->setText(typed);
        form->SSCommandBuscar->setFocus();
        if (!refused) {
            QVERIFY(answers->shown().isEmpty());
            return;
        }
        QCOMPARE(answers->texts(), QStringList{"Fecha incorrecta"});
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
        QTRY_VERIFY(form->TextFecha->hasFocus());
    }

    // Charts and reports open by name (this test registers neither: the placeholder's text), the sheet
    // takes over by name on the shown device.
    void waysOut()
    {
        QVERIFY(seed());
        QVERIFY(open());
        click(form->SSCommandGrafica);
        click(form->SSCommandImprimir);
        QCOMPARE(answers->texts(), QStringList({textoNoConstruida(), textoNoConstruida()}));
        QVERIFY(form->SSPanel1->isHidden());
        click(form->SSCommandSiguiente);
        qint32 sheetSerial = 0;
        FormRegistry::add(QStringLiteral("Form2"), [&sheetSerial]() -> QWidget * {
            sheetSerial = modulo1().NumeroSerieAparato;
            auto *w = new QWidget;
            w->setAttribute(Qt::WA_DeleteOnClose);
            return w;
        });
        click(form->SSCommandProgramacion);
        QCOMPARE(sheetSerial, 200002);
        QTRY_VERIFY(!form);
        delete FormRegistry::instance(QStringLiteral("Form2"));
        FormRegistry::add(QStringLiteral("Form2"), nullptr);
    }

    // Every caption of the window has its translations; another language changes the
    // catalogue headings and captions while the units and special texts stay.
    void translations()
    {
        QVERIFY(seed());
        {
            Form5 design; // the captions as designed, before the load joins the headings
            const QStringList missing = slxtest::missingTranslations({&design}, home->file("Language.db"));
            QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), "English"));
        QVERIFY(open());
        TDBGrid *g = form->TDBGridIntervalos;
        QVERIFY(g->columnCaption(6).endsWith(QStringLiteral("\rdBA")));
        QVERIFY(g->columnCaption(6) != QStringLiteral("LeqT(emisión)\rdBA"));
        QCOMPARE(g->columnCaption(23), QStringLiteral("L1\rdBA"));
        QCOMPARE(g->splitCaption(1), QStringLiteral("INCIDENTS"));
        QCOMPARE(form->SSCommandGrafica->text(), QStringLiteral("Charts"));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 6), QStringLiteral("UND"));
        QVERIFY(oLocGuru().GetS(111) != QStringLiteral("Sin calibrar"));
        QCOMPARE(shown(Rejilla::Intervalos, 0, 33), oLocGuru().GetS(111));
        QVERIFY(g->columnCaption(33).endsWith(QStringLiteral("\rmin")));
        QCOMPARE(g->columnCaption(33).count(QStringLiteral("min")), 1);
        LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), " ");
    }

    // The text export walks the window with no device and an empty table.
    void textExport()
    {
        FormRegistry::add(QStringLiteral("Form5"), creaForm5);
        LocGuruP_BAS::ExportAllFormStrings();
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QVERIFY(FormRegistry::instance(QStringLiteral("Form5")));
        delete FormRegistry::instance(QStringLiteral("Form5"));
        FormRegistry::add(QStringLiteral("Form5"), nullptr);
    }
};

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"
