// The print-out of a programming sheet, from the sheet window's button to the page
// model and the PDF: the memo in Configuracion, the captions in the user's language,
// the values of the device row, the event lists oldest first and the failures.

#include "PageChecks.h"
#include "PreviewCatcher.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/Modulo1.h"
#include "import/ImportaBaseDatos.h"
#include "localization/LocGuru.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"
#include "printing/ReportFrame.h"
#include "programming/Form2.h"

#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

using namespace slx;

namespace {

const QString kMemo100123 = QStringLiteral("01 - 24/12/08 22:00 <-> 25/12/08 08:00     ,     "
                                           "02 - 31/12/08 20:00 <-> 01/01/09 09:00\r");

QVariant consulta(const QString &sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}

} // namespace

class TestPrintout : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    QPointer<Form2> form;
    // What the last print-out showed.
    bool previewShown = false;
    std::shared_ptr<const ModeloPaginas> modelo;
    QStringList tooltips;
    QString title;
    std::function<void(Form15 *)> whilePreviewed;
    slxtest::PreviewCatcher preview;

    void openSheet(qint32 serial)
    {
        modulo1().NumeroSerieAparato = serial;
        form = new Form2;
        QVERIFY(form->Form_Load());
        form->show();
    }

    // Clicks the print button; the preview, when shown, is looked at and closed.
    void print()
    {
        preview.whilePreviewed = whilePreviewed;
        preview.run([this] { QTest::mouseClick(form->findChild<QPushButton *>("SSCommandImprimir"), Qt::LeftButton); });
        previewShown = preview.shown;
        modelo = preview.modelo;
        title = preview.title;
        tooltips = preview.tooltips;
    }

    QString one(const QString &field)
    {
        const QStringList t = modelo ? modelo->textosDe(field) : QStringList();
        return t.size() == 1 ? t.first() : QStringLiteral("<%1 times>").arg(t.size());
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QVERIFY(ImportaBaseDatos(slxtest::fixture("access/legacy-a.mdb"), modulo1().ConexionBD).sinPerdidas());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec(QString::fromUtf8("UPDATE Configuracion SET TUsuario = 'Servei Tècnic - Acústica Girona', "
                                         "Memo = 'old'")));
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("Español")));
        whilePreviewed = nullptr;
    }
    void cleanup()
    {
        delete form;
        home.reset();
    }

    // Device 100123 of the legacy database, firmware 4.1.
    void sheetOfLegacyDevice()
    {
        slxtest::Answers answers;
        openSheet(100123);
        print();
        QVERIFY(previewShown);
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(title, QStringLiteral("SLX-90"));
        QCOMPARE(tooltips, (QStringList{"Imprimir", "Volver", "Ayuda"}));
        // The memo, byte for byte, with its lone carriage return.
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), kMemo100123);
        QVERIFY(modelo && modelo->completo());
        QCOMPARE(modelo->paginas(), 1);
        QCOMPARE(one("LabelMemo").count('\n'), 1);
        QVERIFY(one("LabelMemo").startsWith("01 - 24/12/08 22:00 <-> 25/12/08 08:00     ,     02 - 31/12/08"));
        // Values of the device row and of the frame.
        QCOMPARE(one("IntervalTotals"), QStringLiteral("15/03/2009 14:32:10"));
        QCOMPARE(one("SOctava31,5Hz"), QStringLiteral("1.50"));
        QCOMPARE(one("CambioHora"), QStringLiteral("Sí"));
        QCOMPARE(one("TipusActuacio"), QStringLiteral("Leq125ms"));
        QCOMPARE(one("TCMI"), QStringLiteral("AVIR"));
        QCOMPARE(one("CMI"), QStringLiteral("Sí"));
        QCOMPARE(one("TUsuario"), QString::fromUtf8("Servei Tècnic - Acústica Girona"));
        QVERIFY2(preview.isDayOfRun(one("TTFecha"), "dd/MM/yyyy"), qPrintable(one("TTFecha")));
        QCOMPARE(one("VTLocal"), QStringLiteral("Discoteca Nova"));
        QCOMPARE(one("VLNumeroSerie"), QStringLiteral("100123"));
        QCOMPARE(one("Pagina"), QStringLiteral("1 / 1"));
        // Captions in Spanish.
        QCOMPARE(one("TReprog"), QStringLiteral("REPROGRAMACIONES:"));
        QCOMPARE(one("TNotas"), QStringLiteral("NOTAS:"));
        QCOMPARE(one("TSobrepasadas"), QString::fromUtf8("Pasadas (emisión):"));
        QCOMPARE(one("TSensorInact"), QStringLiteral("Sensor inactivo:"));
        QCOMPARE(modelo->textosDe("THora"), (QStringList{"Hora:", "Hora:", "Hora:"}));
        // The three event lists, oldest first: re-programmings, erasures, battery ends.
        QCOMPARE(modelo->textosDe("EvFecha"),
                 (QStringList{"20/10/2008", "14/03/2009", "20/10/2008", "10/01/2009", "03/11/2008"}));
        QCOMPARE(modelo->textosDe("EvHora"), (QStringList{"12:45", "16:20", "12:40", "10:15", "09:40"}));
        QCOMPARE(modulo1().InformeVistaPrevia.data(), static_cast<QObject *>(form->findChild<ReportEngine *>()));
    }

    // Device 204567: firmware 3.2, no global correction, the reception does not act.
    void olderDevice()
    {
        slxtest::Answers answers;
        openSheet(204567);
        print();
        QVERIFY(previewShown);
        QCOMPARE(modelo->textosDe("TCMI").size(), 0);
        QCOMPARE(modelo->textosDe("CMI").size(), 0);
        QCOMPARE(one("TipusActuacio"), QString::fromUtf8("No actúa"));
        QCOMPARE(one("CambioHora"), QStringLiteral("No"));
        QCOMPARE(one("SOctava31,5Hz"), QStringLiteral(".00"));
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
        QCOMPARE(one("LabelMemo"), QStringLiteral(" "));
        QCOMPARE(modelo->textosDe("EvFecha"), (QStringList{"03/05/2007", "02/06/2008", "14/01/2008", "29/12/2008"}));
    }

    // The captions are fetched at print time, in the language open then.
    void captionsFollowTheLanguage()
    {
        slxtest::Answers answers;
        openSheet(100123);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        print();
        QVERIFY(previewShown);
        const QString reprog = oLocGuru().GetS(126) + ":";
        QVERIFY(reprog != QStringLiteral("REPROGRAMACIONES:"));
        QCOMPARE(one("TReprog"), reprog);
        QCOMPARE(one("TNotas"), oLocGuru().GetS(129));
        QCOMPARE(one("CambioHora"), oLocGuru().GetS(68));
        QCOMPARE(modelo->textosDe("THora").first(), oLocGuru().GetS(17) + ":");
        // The preview's buttons are never translated.
        QCOMPARE(tooltips, (QStringList{"Imprimir", "Volver", "Ayuda"}));
    }

    // A sheet on screen whose serial has no stored row, or a serial of 0.
    void noStoredRow()
    {
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        slxtest::Answers answers;
        openSheet(100123);
        qobject_cast<QLineEdit *>(form->campo("MaskNumeroSerie"))->setText("999999");
        modulo1().FitxaModificada = false;
        print();
        QVERIFY(!previewShown);
        QCOMPARE(answers.texts(), QStringList{"The device 999999 has no stored programming sheet."});
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), QStringLiteral("old"));

        qobject_cast<QLineEdit *>(form->campo("MaskNumeroSerie"))->setText("0");
        print();
        QVERIFY(!previewShown);
        QCOMPARE(answers.shown().size(), 1);
    }

    // A layout that cannot serve: one critical box with the engine's description, no
    // preview, and the memo already written.
    void layoutFailures_data()
    {
        QTest::addColumn<QString>("cambio");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("missing layout file") << ""
                                             << "cannot be read";
        QTest::newRow("missing report name") << "name=\"SLX90_1\"|name=\"SLX90_X\""
                                             << "holds no report SLX90_1";
        QTest::newRow("missing field") << "name=\"TCMI\"|name=\"TCMX\""
                                       << "The report SLX90_1 has no field TCMI.";
        QTest::newRow("missing sub-report") << "name=\"FinBateria\"|name=\"FinBat\""
                                            << "The report SLX90_1 has no field FinBateria.";
    }
    void layoutFailures()
    {
        QFETCH(QString, cambio);
        QFETCH(QString, mensaje);
        const QString layout = DataFolder::file("XML/slx90_1.xml");
        if (cambio.isEmpty()) {
            QVERIFY(QFile::remove(layout));
        } else {
            const QStringList p = cambio.split('|');
            QVERIFY(slxtest::reemplazaEnFichero(layout, p[0], p[1]));
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        slxtest::Answers answers;
        openSheet(100123);
        print();
        QVERIFY(!previewShown);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY2(answers.texts().first().contains(mensaje), qPrintable(answers.texts().first()));
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), kMemo100123);
    }

    // A footer that holds no value prints as empty.
    void nullFooter()
    {
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("UPDATE Configuracion SET TUsuario = NULL"));
        slxtest::Answers answers;
        openSheet(100123);
        print();
        QVERIFY(previewShown);
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(one("TUsuario"), QString());
    }

    // Two print-outs in a row: the second lays the report out anew.
    void printTwice()
    {
        slxtest::Answers answers;
        openSheet(100123);
        print();
        const auto primero = modelo;
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("UPDATE Programacion SET TLocal = 'Sala Nova' WHERE LNumeroSerie = 100123"));
        print();
        QVERIFY(previewShown);
        QVERIFY(modelo != primero);
        QCOMPARE(one("VTLocal"), QStringLiteral("Sala Nova"));
    }

    // A note of 120 lines and all 30 disabled intervals flow over the pages between the
    // page header and footer, whole and in order, on the screen and in the PDF; each
    // heading stays with the first line of what it heads.
    void longTextsFlowOverPages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Spanish") << QString::fromUtf8("Español");
        QTest::newRow("English") << "English";
        QTest::newRow("German") << "Deutsch";
    }
    void longTextsFlowOverPages()
    {
        QFETCH(QString, language);
        QSqlQuery q(modulo1().ConexionBD);
        q.prepare("UPDATE Programacion SET TNota = ? WHERE LNumeroSerie = 100123");
        q.addBindValue(slxtest::longNote(120));
        QVERIFY(q.exec());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        slxtest::Answers answers;
        openSheet(100123);
        slxtest::setAllDisabledIntervals();
        const QString pdf = home->file("sheet.pdf");
        qputenv("SLX90_PRINT_PDF", pdf.toLocal8Bit());
        whilePreviewed = [](Form15 *f) { f->findChild<QToolButton *>("SSCommandImprimir")->click(); };
        print();
        qunsetenv("SLX90_PRINT_PDF");
        QVERIFY(previewShown);
        QCOMPARE(answers.shown().size(), 0);
        const QStringList problemas = slxtest::longTextProblems(*modelo, 120);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
        QVERIFY(modelo->paginas() >= 3);
        // Each list's rows once, under their header.
        QCOMPARE(modelo->textosDe("EvFecha").size(), 5);
        QCOMPARE(slxtest::longTextMissingInPdf(pdf, *modelo, 120), QString());
    }

    // Every caption, label and value of the sheet fits its field, with a gap from its
    // neighbour, in each of the seven languages.
    void labelsFitInEveryLanguage_data() { slxtest::addLanguageRows(); }
    void labelsFitInEveryLanguage()
    {
        QFETCH(QString, language);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        slxtest::Answers answers;
        openSheet(100123);
        print();
        QVERIFY(previewShown);
        const QStringList problemas = slxtest::textsThatDoNotFit(*modelo);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
    }

    // "Imprimir" with SLX90_PRINT_PDF writes that file without a dialog; its text is the sheet's.
    void printsToPdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is missing");
        const QString pdf = home->file("sheet.pdf");
        qputenv("SLX90_PRINT_PDF", pdf.toLocal8Bit());
        slxtest::Answers answers;
        openSheet(100123);
        whilePreviewed = [](Form15 *f) { f->findChild<QToolButton *>("SSCommandImprimir")->click(); };
        print();
        qunsetenv("SLX90_PRINT_PDF");
        QVERIFY(previewShown);
        QCOMPARE(answers.shown().size(), 0); // no print dialog
        QVERIFY(QFileInfo::exists(pdf));
        QProcess p;
        p.start(pdftotext, {"-layout", "-enc", "UTF-8", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *expected : {"REPROGRAMACIONES:", "Discoteca Nova", "100123", "15/03/2009 14:32:10",
                                     "20/10/2008", "14/03/2009", "AVIR", "Leq125ms", "NOTAS:"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(text.contains(QString::fromUtf8("Servei Tècnic - Acústica Girona")));
        QVERIFY(text.contains(QRegularExpression("\\b1 ?/ ?1\\b"))); // the page footer
    }
};

QTEST_MAIN(TestPrintout)
#include "tst_printout.moc"
