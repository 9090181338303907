// The programming sheet window on a real database file: opening, navigation,
// search, deletion, the save prompts, the field checks and filters and the grid.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "programming/Form2.h"
#include "programming/ProgrammingBlock.h"
#include "programming/SheetStorage.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <sqlite3.h>

using namespace slx;

namespace {

// Saves a sheet for each serial number, with venue "Local <serial>" unless given.
void addSheets(const QList<QPair<qint32, QString>> &sheets)
{
    for (const auto &s : sheets) {
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskNumeroSerie = QString::number(s.first);
        f.MaskLocal = s.second;
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
    }
}

int count(const QString &table, qint32 serial)
{
    QSqlQuery q(modulo1().ConexionBD);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE LNumeroSerie = ?").arg(table));
    q.addBindValue(serial);
    q.exec();
    q.next();
    return q.value(0).toInt();
}

// Once a change of Programacion is committed, the next read of that table is refused by
// the database: the sheets cannot be read again after a deletion or a save.
struct ReadsRefusedAfterAChange {
    bool changed = false;
    bool refusing = false;
    bool refused = false;
};

int refuseReadsAfterAChange(void *data, int action, const char *a, const char *, const char *, const char *)
{
    auto *state = static_cast<ReadsRefusedAfterAChange *>(data);
    const bool programacion = a && qstrcmp(a, "Programacion") == 0;
    if (programacion && (action == SQLITE_DELETE || action == SQLITE_INSERT || action == SQLITE_UPDATE))
        state->changed = true;
    else if (action == SQLITE_TRANSACTION && state->changed && a && qstrcmp(a, "COMMIT") == 0)
        state->refusing = true;
    else if (state->refusing && !state->refused && programacion && action == SQLITE_READ) {
        state->refused = true;
        return SQLITE_DENY;
    }
    return SQLITE_OK;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(h.constData());
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form2> form;

    Form2 *open()
    {
        form = new Form2;
        if (!form->Form_Load())
            return nullptr;
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("window not active");
        return form;
    }
    QLineEdit *edit(const QString &name) { return qobject_cast<QLineEdit *>(form->campo(name)); }
    QString serial() { return form->texto("MaskNumeroSerie"); }
    // Clicks a button of the window as the user does.
    void click(const QString &name)
    {
        auto *b = form->findChild<QPushButton *>(name);
        QVERIFY2(b, qPrintable(name));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Types into a field and moves the focus on, as a user leaving the field does.
    void typeAndLeave(const QString &name, const QString &text, const QString &next = "MaskContacto")
    {
        QLineEdit *e = edit(name);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
        form->campo(next)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        answers = std::make_unique<slxtest::Answers>();
    }
    void cleanup()
    {
        if (form) {
            modulo1().FitxaModificada = false;
            form->close();
            delete form;
        }
        answers.reset();
        home.reset();
    }

    void emptyTableOpensOnANewSheet()
    {
        QVERIFY(open());
        QCOMPARE(serial(), QString("0"));
        QVERIFY(modulo1().FitxaModificada);
        form->SSCommandSiguiente_Click();
        form->SSCommandAnterior_Click();
        form->SSCommandBorrar_Click();
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join('|')));
        // Grabar saves nothing and says why: the serial number comes from the device.
        form->SSCommandGrabar_Click();
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(answers->shown()[0].icon, ui::Icon::Information);
        QVERIFY(answers->shown()[0].text.contains("Receive first"));
        QCOMPARE(count("Programacion", 0), 0);
        QCOMPARE(form->windowTitle(), QString("SLX-90"));
    }

    // A save the columns refuse names no run-time words: the field's own message, the field focused on its page.
    void refusedSaveShowsTheField()
    {
        addSheets({{100123, "Discoteca Nova"}});
        QVERIFY(open());
        form->setTexto("MaskOctava3", "");
        form->setTexto("MaskLocal", "Renamed");
        answers->then(ui::vbOK);
        click("SSCommandGrabar");
        QCOMPARE(answers->texts(), (QStringList{"¿Desea guardar los cambios?", "Valor incorrecto"}));
        QCOMPARE(answers->shown()[1].icon, ui::Icon::Critical);
        QTRY_COMPARE(QApplication::focusWidget(), form->campo("MaskOctava3"));
        QVERIFY(form->findChild<QTabWidget *>("SSTab2")->currentWidget()->isAncestorOf(form->campo("MaskOctava3")));
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskLocal, QString("Discoteca Nova"));
    }

    // A new sheet cannot be saved: leaving it with typed contact details or a typed note asks first, and Cancel
    // keeps it.
    void leavingTypingOnANewSheetAsks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("left");
        QTest::newRow("nothing typed") << "MaskLocal"
                                       << ""
                                       << "SSCommandAnterior" << int(ui::vbCancel) << false << true;
        QTest::newRow("previous, kept") << "MaskLocal"
                                        << "Sala Apolo"
                                        << "SSCommandAnterior" << int(ui::vbCancel) << true << false;
        QTest::newRow("previous, left") << "MaskLocal"
                                        << "Sala Apolo"
                                        << "SSCommandAnterior" << int(ui::vbOK) << true << true;
        QTest::newRow("exit, kept") << "MaskLocal"
                                    << "Sala Apolo"
                                    << "SSCommandExit" << int(ui::vbCancel) << true << false;
        QTest::newRow("exit, left") << "MaskLocal"
                                    << "Sala Apolo"
                                    << "SSCommandExit" << int(ui::vbOK) << true << true;
        QTest::newRow("frame, kept") << "MaskLocal"
                                     << "Sala Apolo"
                                     << "" << int(ui::vbCancel) << true << false;
        // A note typed alone counts as much as a contact.
        QTest::newRow("note, previous, kept") << "TextNota"
                                              << "Llamar antes"
                                              << "SSCommandAnterior" << int(ui::vbCancel) << true << false;
        QTest::newRow("note, exit, kept") << "TextNota"
                                          << "Llamar antes"
                                          << "SSCommandExit" << int(ui::vbCancel) << true << false;
        QTest::newRow("note, frame, kept") << "TextNota"
                                           << "Llamar antes"
                                           << "" << int(ui::vbCancel) << true << false;
        QTest::newRow("note, previous, left") << "TextNota"
                                              << "Llamar antes"
                                              << "SSCommandAnterior" << int(ui::vbOK) << true << true;
    }
    void leavingTypingOnANewSheetAsks()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, left);
        addSheets({{100123, "Discoteca Nova"}});
        modulo1().NumeroSerieAparato = 555; // no such sheet: the window opens on a new one
        QVERIFY(open());
        QCOMPARE(serial(), QString("0"));
        if (!typed.isEmpty()) {
            // Typed as the user types it.
            QWidget *w = form->campo(field);
            w->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w, typed);
        }
        answers->then(answer);
        if (button.isEmpty()) {
            // What the window's frame sends.
            QCloseEvent close;
            QApplication::sendEvent(form, &close);
            QCOMPARE(close.isAccepted(), left);
        } else {
            click(button);
        }
        QCOMPARE(answers->shown().size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(answers->shown()[0].icon, ui::Icon::Question);
        if (left) {
            QVERIFY(!form || !form->isVisible() || serial() == "100123");
        } else {
            QVERIFY(form && form->isVisible());
            QCOMPARE(serial(), QString("0"));
            QCOMPARE(form->texto(field), typed);
        }
    }

    void opensOnTheCommandLineSerialOnce()
    {
        addSheets({{100123, "Discoteca Nova"}, {204567, "Pub El Racó"}});
        modulo1().LineaComandos = "204567";
        QVERIFY(open());
        QCOMPARE(serial(), QString("204567"));
        QVERIFY(modulo1().LineaComandosUsada);
        form->close();
        delete form;
        modulo1().NumeroSerieAparato = 0;
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123")); // the command line is not looked at again
    }

    void commandLineSerialIsMatchedLiterally_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("pattern") << "2%";
        QTest::newRow("one character wildcard") << "20456_";
        QTest::newRow("quote") << "204567'";
        QTest::newRow("unknown serial") << "999999";
    }
    void commandLineSerialIsMatchedLiterally()
    {
        QFETCH(QString, line);
        addSheets({{100123, "Nova"}, {204567, "Racó"}});
        modulo1().LineaComandos = line;
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123")); // passed over: the first sheet
        QVERIFY(modulo1().LineaComandosUsada);
        QVERIFY(answers->shown().isEmpty());
    }

    void exchangeFileOnTheCommandLineIsNoSerial()
    {
        addSheets({{100123, "Nova"}});
        modulo1().LineaComandos = "/tmp/obra 1.qv90";
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123"));
        QVERIFY(!modulo1().LineaComandosUsada);
    }

    void unknownCurrentDeviceStartsANewSheet()
    {
        addSheets({{100123, "Nova"}});
        modulo1().NumeroSerieAparato = 555555;
        QVERIFY(open());
        QCOMPARE(serial(), QString("0"));
        modulo1().NumeroSerieAparato = 100123;
        form->close();
        delete form;
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123"));
        QCOMPARE(edit("MaskLocal")->text(), QString("Nova"));
    }

    // A start-up on a device without a sheet stands past the last sheet: Siguiente does
    // nothing, Anterior shows the last sheet. Once that device's sheet is saved on the way,
    // navigation goes on from it in the table's order.
    void newDeviceSheetStandsPastTheLast()
    {
        addSheets({{100123, "A"}, {300001, "C"}});
        modulo1().NumeroSerieAparato = 204567;
        QVERIFY(open());
        QCOMPARE(serial(), QString("0"));
        form->SSCommandSiguiente_Click();
        QCOMPARE(serial(), QString("0"));
        form->SSCommandAnterior_Click();
        QCOMPARE(serial(), QString("300001"));

        // The sheet of a device read over the link, saved when the user moves on.
        form->SSCommandAnterior_Click();
        form->setTexto("MaskNumeroSerie", "204567");
        form->setTexto("MaskLocal", "B");
        modulo1().FitxaModificada = true;
        answers->then(ui::vbOK);
        form->SSCommandSiguiente_Click();
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(count("Programacion", 204567), 1);
        QCOMPARE(serial(), QString("300001"));
        form->SSCommandAnterior_Click();
        QCOMPARE(serial(), QString("204567"));
        QCOMPARE(edit("MaskLocal")->text(), QString("B"));
    }

    void navigationStopsAtBothEnds()
    {
        addSheets({{100123, "A"}, {204567, "B"}, {300001, "C"}});
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123"));
        click("SSCommandAnterior");
        QCOMPARE(serial(), QString("100123"));
        click("SSCommandSiguiente");
        click("SSCommandSiguiente");
        QCOMPARE(serial(), QString("300001"));
        click("SSCommandSiguiente");
        QCOMPARE(serial(), QString("300001"));
        click("SSCommandAnterior");
        QCOMPARE(edit("MaskLocal")->text(), QString("B"));
        QVERIFY(!modulo1().FitxaModificada);
        QVERIFY(answers->shown().isEmpty());
    }

    void unsavedChangesAreOfferedBeforeLeavingTheSheet()
    {
        addSheets({{100123, "A"}, {204567, "B"}});
        QVERIFY(open());
        edit("MaskLocal")->setFocus();
        QTest::keyClicks(edit("MaskLocal"), "X");
        QVERIFY(modulo1().FitxaModificada);
        answers->then(ui::vbOK);
        form->SSCommandSiguiente_Click();
        QCOMPARE(answers->texts(), QStringList{QString::fromUtf8("¿Desea guardar los cambios?")});
        QCOMPARE(answers->shown().first().icon, ui::Icon::Question);
        QCOMPARE(serial(), QString("204567"));
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskLocal, QString("AX"));

        // Closing by the frame asks too; Cancel keeps the stored sheet.
        QTest::keyClicks(edit("MaskLocal"), "Y");
        answers->then(ui::vbCancel);
        form->close();
        QCOMPARE(answers->shown().size(), 2);
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 204567));
        QCOMPARE(saved.MaskLocal, QString("B"));
    }

    void search_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // serial shown afterwards; "" = the sheet stays
        QTest::newRow("venue word anywhere") << "MaskLocal"
                                             << "racó"
                                             << "204567";
        QTest::newRow("ignores case and accents") << "MaskLocal"
                                                  << "RACO"
                                                  << "204567";
        QTest::newRow("quote is a character") << "MaskLocal"
                                              << "l'Hort"
                                              << "300001";
        QTest::newRow("percent is a character") << "MaskLocal"
                                                << "100%"
                                                << "300001";
        QTest::newRow("underscore is a character") << "MaskLocal"
                                                   << "a_b"
                                                   << "";
        QTest::newRow("serial contains") << "MaskNumeroSerie"
                                         << "4567"
                                         << "204567";
        QTest::newRow("date as shown") << "MaskFecha"
                                       << "/10/08"
                                       << "100123";
        QTest::newRow("no match keeps the sheet") << "MaskLocal"
                                                  << "Casino"
                                                  << "";
    }
    void search()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, found);
        addSheets({{100123, "Discoteca Nova"}, {204567, "Pub El Racó"}, {300001, "Bar l'Hort 100% axb"}});
        QVERIFY(open());
        form->SSCommandSiguiente_Click();
        form->SSCommandSiguiente_Click(); // on 300001
        form->campo("MaskTLeq")->setFocus();
        form->campo(field)->setFocus();
        QCOMPARE(form->CampActual, field);
        answers->then(typed);
        click("SSCommandBuscar");
        QCOMPARE(answers->shown().first().kind, ui::Kind::Input);
        QCOMPARE(answers->shown().first().title, QString("BUSCAR"));
        QVERIFY(answers->shown().first().text.startsWith("Buscar en el campo "));
        QCOMPARE(serial(), found.isEmpty() ? QString("300001") : found);
        if (found.isEmpty()) {
            // The next move starts from the table's first sheet.
            form->SSCommandSiguiente_Click();
            QCOMPARE(serial(), QString("204567"));
        }
    }

    // The field that has the focus when the window opens is the search field at once.
    void fieldFocusedAtOpeningIsTheSearchField()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        QCOMPARE(QApplication::focusWidget(), form->campo("MaskNumeroSerie"));
        QCOMPARE(form->CampActual, QString("MaskNumeroSerie"));
    }

    // A mouse click on a control gives it the focus and applies its rule to CampActual.
    void clickedControlsKeepOrEmptyTheSearchField_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("after"); // CampActual after the click, from "MaskLocal"
        QTest::newRow("tab control") << "SSTab2" << 0 << "";
        QTest::newRow("date") << "MaskFecha" << 0 << "MaskFecha";
        QTest::newRow("phone") << "MaskTelefono" << 0 << "MaskTelefono";
        QTest::newRow("notes") << "TextNota" << 0 << "MaskLocal";
        QTest::newRow("Leq time") << "MaskTLeq" << 1 << "";
        QTest::newRow("continuous printing") << "CheckImpresion" << 1 << "MaskLocal";
        QTest::newRow("time change") << "CheckCambioHora" << 1 << "";
        QTest::newRow("Italiano") << "OptionItaliano" << 1 << "MaskLocal";
        QTest::newRow("Deutsch") << "OptionAleman" << 1 << "";
        QTest::newRow("actuation seconds") << "MaskTempsActLoc" << 3 << "MaskLocal";
        QTest::newRow("emission limit") << "MaskDiaLocal" << 3 << "";
    }
    void clickedControlsKeepOrEmptyTheSearchField()
    {
        QFETCH(QString, control);
        QFETCH(int, page);
        QFETCH(QString, after);
        addSheets({{100123, "Nova"}});
        QVERIFY(open());
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        tab->setCurrentIndex(page);
        QTest::mouseClick(edit("MaskVersion"), Qt::LeftButton);
        form->CampActual = "MaskLocal"; // as after the focus was in Local on page 0
        if (control == "SSTab2") {
            QTabBar *bar = tab->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
            QCOMPARE(QApplication::focusWidget(), bar);
        } else {
            QWidget *w = form->campo(control);
            QVERIFY(w->isEnabled() && w->isVisible());
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
            QCOMPARE(QApplication::focusWidget(), w);
        }
        QCOMPARE(form->CampActual, after);
    }

    void searchNeedsASearchableField()
    {
        addSheets({{100123, "Nova"}});
        QVERIFY(open());
        edit("MaskLocal")->setFocus();
        edit("MaskTLeq")->setFocus();
        QCOMPARE(form->CampActual, QString());
        form->SSCommandBuscar_Click();
        QVERIFY(answers->shown().isEmpty());
        // A cancelled or empty answer changes nothing either.
        edit("MaskLocal")->setFocus();
        answers->then(QVariant());
        form->SSCommandBuscar_Click();
        QCOMPARE(serial(), QString("100123"));
    }

    void deletionRemovesTheDeviceEverywhere()
    {
        addSheets({{100123, "A"}, {204567, "B"}});
        QSqlQuery q(modulo1().ConexionBD);
        for (const char *t : {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"})
            QVERIFY(q.exec(QString("INSERT INTO %1 VALUES (204567, '2009-03-14', '16:20')").arg(t)));
        QVERIFY(q.exec(
            "INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (204567, '2009-03-13', '12:00')"));
        QVERIFY(q.exec(
            "INSERT INTO Sesiones (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (204567, '2009-03-13', '18:00')"));
        QVERIFY(q.exec(
            "INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (100123, '2009-03-13', '12:00')"));
        modulo1().NumeroSerieAparato = 204567;
        QVERIFY(open());
        answers->then(ui::vbCancel);
        click("SSCommandBorrar");
        QCOMPARE(count("Programacion", 204567), 1);
        answers->then(ui::vbOK);
        click("SSCommandBorrar");
        QCOMPARE(answers->shown().last().text,
                 QString::fromUtf8("¿Desea borrar todos los datos relacionados con esta ficha?"));
        for (const char *t : {"Programacion", "IntervaloInhabil", "Intervalos", "Sesiones", "DiaBorrado",
                              "DiaFinalBateria", "DiaReprogramado"})
            QCOMPARE(count(t, 204567), 0);
        QCOMPARE(count("Intervalos", 100123), 1);
        QCOMPARE(count("IntervaloInhabil", 100123), 30);
        QCOMPARE(serial(), QString("100123"));
        answers->then(ui::vbOK);
        click("SSCommandBorrar");
        QCOMPARE(serial(), QString("0")); // the only sheet deleted: a new sheet
    }

    void saveButtonAsksAndSaves()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        edit("MaskContacto")->setText("Marta");
        answers->then(ui::vbOK);
        click("SSCommandGrabar");
        QCOMPARE(answers->shown().size(), 1);
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskContacto, QString("Marta"));
    }

    void fieldChecksOnLeaving()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        tab->setCurrentIndex(3);
        typeAndLeave("MaskDiaLocal", "59");
        QCOMPARE(edit("MaskDiaLocal")->text(), QString("60"));
        QTRY_COMPARE(QApplication::focusWidget(), form->campo("MaskDiaLocal"));
        QCOMPARE(tab->currentIndex(), 3);
        QVERIFY(answers->shown().isEmpty());

        // The corrected text is selected: what the user types next replaces it.
        QVERIFY(edit("MaskDiaLocal")->hasSelectedText());
        QTest::keyClicks(edit("MaskDiaLocal"), "95");
        QCOMPARE(edit("MaskDiaLocal")->text(), QString("95"));

        typeAndLeave("MaskDiaVei", "", "MaskNitVei");
        QCOMPARE(answers->texts(), QStringList{QString::fromUtf8("El límite es incorrecto")});
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
        QTRY_COMPARE(QApplication::focusWidget(), form->campo("MaskDiaVei"));

        typeAndLeave("MaskEmpiezaNoche", "2300", "MaskDiaLocal");
        QCOMPARE(edit("MaskTerminaDia")->text(), QString("23:00"));
        QCOMPARE(edit("MaskEmpiezaDia")->text(), edit("MaskTerminaNoche")->text());
    }

    // A night start refused when the user clicks another tab: the focus comes back selected,
    // the time typed over it passes on Tab and sets the day period.
    void nightStartRetypedAfterARefusal()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        tab->setCurrentIndex(3);
        QLineEdit *start = edit("MaskEmpiezaNoche");
        QTest::mouseClick(start, Qt::LeftButton);
        QTest::keyClick(start, Qt::Key_Home);
        QTest::keyClicks(start, "2500");
        answers->then(ui::vbOK);
        QTabBar *bar = tab->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(answers->texts(), QStringList{"Hora empieza noche incorrecta."});
        QTRY_COMPARE(QApplication::focusWidget(), start);
        QCOMPARE(tab->currentIndex(), 3);
        QTest::keyClicks(start, "2330");
        QCOMPARE(start->text(), QString("23:30"));
        QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(edit("MaskTerminaDia")->text(), QString("23:30"));
        QCOMPARE(edit("MaskEmpiezaDia")->text(), edit("MaskTerminaNoche")->text());
    }

    void checkCorrectionAloneLeavesTheSheetUnchanged()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        edit("MaskMFast")->setText("130");
        edit("MaskMFast")->setFocus(Qt::TabFocusReason);
        edit("MaskTLeq")->setFocus(Qt::TabFocusReason);
        QCOMPARE(edit("MaskMFast")->text(), QString("120"));
        QVERIFY(!modulo1().FitxaModificada);
    }

    void keyFilters()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        QTest::keyClicks(edit("MaskVersion"), "9");
        QCOMPARE(edit("MaskVersion")->text(), QString("4.1"));
        QVERIFY(!modulo1().FitxaModificada);
        QTest::keyClicks(edit("MaskNumeroSerie"), "9");
        QCOMPARE(serial(), QString("100123"));
        QVERIFY(modulo1().FitxaModificada);
        edit("MaskOctava1")->setText("");
        QTest::keyClicks(edit("MaskOctava1"), "+-2.5");
        QCOMPARE(edit("MaskOctava1")->text(), QString("-2.5"));
        edit("MaskContacto")->setText("");
        QTest::keyClicks(edit("MaskContacto"), "a-b+c d");
        QCOMPARE(edit("MaskContacto")->text(), QString("abc d"));
        edit("MaskDiaLocal")->setText("");
        QTest::keyClicks(edit("MaskDiaLocal"), "9 5");
        QCOMPARE(edit("MaskDiaLocal")->text(), QString("95"));
    }

    void everyOptionAndCheckMarksTheSheet_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *c :
             {"OptionItaliano", "OptionCatalan", "OptionVeiNo", "CheckApliCorrecioGlobal", "CheckImpresion"})
            QTest::newRow(c) << QString(c);
    }
    void everyOptionAndCheckMarksTheSheet()
    {
        QFETCH(QString, control);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        form->findChild<QTabWidget *>("SSTab2")->setCurrentIndex(control == "OptionVeiNo" ? 3 : 1);
        QVERIFY(!modulo1().FitxaModificada);
        auto *button = qobject_cast<QAbstractButton *>(form->campo(control));
        button->setVisible(true);
        button->click();
        QVERIFY(modulo1().FitxaModificada);
    }

    void sharedStateFollowsTheSheetOnScreen()
    {
        addSheets({{100123, "A"}});
        FitxaProgramacio other = fixtures::fitxa100123();
        other.MaskNumeroSerie = "204567";
        other.MaskVersion = "3.2";
        other.MatrizInhabil[0] = {1, "01/02/09", "10:00", "02/02/09", "11:00"};
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, other));
        // Rows no sheet holds: a hand-over that does not happen shows.
        for (FilaInhabil &fila : modulo1().IntervalosInhabiles)
            fila = {0, "01/01/01", "01:01", "02/01/01", "02:02"};
        // A device no sheet is stored for: a new sheet, modified, its intervals unused; the
        // current device stays.
        modulo1().NumeroSerieAparato = 999;
        modulo1().VersionAparato = "9.9";
        QVERIFY(open());
        QCOMPARE(serial(), QString("0"));
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(modulo1().NumeroSerieAparato, 999);
        QCOMPARE(modulo1().VersionAparato, QString("9.9"));
        for (int k = 0; k < 30; ++k)
            QCOMPARE(modulo1().IntervalosInhabiles[k], (FilaInhabil{k + 1, "00/00/00", "00:00", "00/00/00", "00:00"}));
        // A stored sheet loaded: its device, its version and its intervals, not modified.
        form->SSCommandAnterior_Click();
        QCOMPARE(serial(), QString("204567"));
        QCOMPARE(modulo1().NumeroSerieAparato, 204567);
        QCOMPARE(modulo1().VersionAparato, QString("3.2"));
        QVERIFY(!modulo1().FitxaModificada);
        QCOMPARE(modulo1().IntervalosInhabiles[0], (FilaInhabil{1, "01/02/09", "10:00", "02/02/09", "11:00"}));
        QCOMPARE(modulo1().IntervalosInhabiles[1], (FilaInhabil{2, "31/12/08", "20:00", "01/01/09", "09:00"}));
        form->SSCommandAnterior_Click();
        QCOMPARE(serial(), QString("100123"));
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
        QCOMPARE(modulo1().VersionAparato, QString("4.1"));
        QCOMPARE(modulo1().IntervalosInhabiles[0], (FilaInhabil{1, "24/12/08", "22:00", "25/12/08", "08:00"}));
        // A grid edit is handed over at once and marks the sheet; the save clears the mark.
        grid::MatrizInhabil *m = form->MatrizInhabil();
        QVERIFY(m->setData(m->index(2, 1), "06/01/09"));
        QCOMPARE(modulo1().IntervalosInhabiles[2], (FilaInhabil{3, "06/01/09", "00:00", "06/01/09", "00:01"}));
        QVERIFY(modulo1().FitxaModificada);
        answers->then(ui::vbOK);
        form->SSCommandGrabar_Click();
        QVERIFY(!modulo1().FitxaModificada);
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
    }

    void gridEditsReachTheSavedSheet()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        grid::MatrizInhabil *m = form->MatrizInhabil();
        QCOMPARE(m->value(1, 2), QString("24/12/08"));
        QVERIFY(m->setData(m->index(2, 1), "06/01/09"));
        QCOMPARE(modulo1().IntervalosInhabiles[2].DiaEmpieza, QString("06/01/09"));
        form->TDBGrid1_LostFocus();
        QVERIFY(modulo1().FitxaModificada);
        answers->then(ui::vbOK);
        form->SSCommandGrabar_Click();
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MatrizInhabil[2].DiaEmpieza, QString("06/01/09"));
        QCOMPARE(saved.MatrizInhabil[2].HoraTermina, QString("00:01"));
        // A refused cell shows its message after the edit, with no icon.
        QVERIFY(!m->setData(m->index(3, 2), "25:00"));
        QTRY_COMPARE(answers->texts().last(), QString("Hora incorrecta"));
        QCOMPARE(answers->shown().last().icon, ui::Icon::None);
    }

    // A cell typed into and left for a button or for the frame, with its editor still open, is offered for saving and
    // saved.
    void gridEditLeftWhileEditingIsOffered_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Salir") << "SSCommandExit";
        QTest::newRow("Siguiente") << "SSCommandSiguiente";
        QTest::newRow("frame") << "frame";
    }
    void gridEditLeftWhileEditingIsOffered()
    {
        QFETCH(QString, way);
        addSheets({{100123, "A"}, {204567, "B"}});
        QVERIFY(open());
        form->findChild<QTabWidget *>("SSTab2")->setCurrentIndex(5);
        auto *grid = form->findChild<QTableView *>("TDBGrid1");
        grid->setFocus(Qt::MouseFocusReason);
        grid->setCurrentIndex(grid->model()->index(4, 1)); // opens the cell's editor
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid && grid->isAncestorOf(editor));
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, "06/01/09-+"); // the window's key filter holds in the cells too
        answers->then(ui::vbOK);
        if (way == "frame")
            form->close();
        else
            click(way);
        QCOMPARE(answers->texts(), QStringList{QString::fromUtf8("¿Desea guardar los cambios?")});
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MatrizInhabil[4].DiaEmpieza, QString("06/01/09"));
        QCOMPARE(saved.MatrizInhabil[4].HoraTermina, QString("00:01"));
    }

    // Escape closes the window the way its frame does: a changed sheet is offered for saving.
    void escapeOffersToSave()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        edit("MaskLocal")->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(edit("MaskLocal"), "Z");
        answers->then(ui::vbOK);
        QTest::keyClick(edit("MaskLocal"), Qt::Key_Escape);
        QCOMPARE(answers->texts(), QStringList{QString::fromUtf8("¿Desea guardar los cambios?")});
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskLocal, QString("AZ"));
    }

    // The comparison with the device copy is offered by the window: OK puts the device's
    // programming on screen and in the grid, Cancel keeps the sheet; an equal copy shows nothing.
    void comparisonOffersTheDevicesProgramming_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << int(ui::vbOK);
        QTest::newRow("Cancel") << int(ui::vbCancel);
        QTest::newRow("equal") << 0;
    }
    void comparisonOffersTheDevicesProgramming()
    {
        QFETCH(int, answer);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        form->campo("CheckApliCorrecioGlobal")->hide();
        ProgramacioRebuda c;
        QVERIFY(DecodificaProgramacio(fixtures::respuesta(fixtures::bloque100123()), "4.1", c));
        if (answer) {
            c.TLeqAparato = 30;
            c.InhabilHoraTerminaAparato[1] = "10:00";
            answers->then(answer);
        }
        modulo1().ProgramacioRebuda = c;
        form->ComparaPcAqt();
        QVERIFY(!form->campo("CheckApliCorrecioGlobal")->isHidden());
        if (!answer) {
            QVERIFY(answers->shown().isEmpty());
            QVERIFY(!modulo1().FitxaModificada);
            return;
        }
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(answers->shown()[0].text, modulo1().TextoComparacion);
        QCOMPARE(answers->shown()[0].icon, ui::Icon::Question);
        QCOMPARE(answers->shown()[0].buttons, ui::OkCancel);
        const bool taken = answer == ui::vbOK;
        QCOMPARE(edit("MaskTLeq")->text(), QString(taken ? "30" : "15"));
        QCOMPARE(form->MatrizInhabil()->value(2, 5), QString(taken ? "10:00" : "09:00"));
        QCOMPARE(modulo1().IntervalosInhabiles[1].HoraTermina, QString(taken ? "10:00" : "09:00"));
        QCOMPARE(modulo1().FitxaModificada, taken);
    }

    // The serial number takes no input, and a sheet loaded from a stored row is saved to
    // that row only: another device's sheet and intervals are never overwritten.
    void serialNumberTakesNoInput()
    {
        addSheets({{100123, "A"}, {204567, "B"}});
        QVERIFY(open());
        QCOMPARE(serial(), QString("100123"));
        QLineEdit *e = edit("MaskNumeroSerie");
        QApplication::clipboard()->setText("204567");
        e->selectAll();
        std::unique_ptr<QMenu> menu(e->createStandardContextMenu());
        if (QAction *paste = menu->findChild<QAction *>("edit-paste"))
            paste->trigger(); // the menu of a field that takes no input offers none, or a disabled one
        QCOMPARE(serial(), QString("100123"));
        QMimeData mime;
        mime.setText("204567");
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(e, &drop);
        QCOMPARE(serial(), QString("100123"));
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(serial(), QString("100123"));

        // Whatever reaches the field, the save goes to the row the sheet came from.
        e->setText("204567");
        edit("MaskLocal")->setText("Cambiado");
        answers->then(ui::vbOK);
        click("SSCommandGrabar");
        FitxaProgramacio other, own;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, other, 204567));
        QCOMPARE(other.MaskLocal, QString("B"));
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, own, 100123));
        QCOMPARE(own.MaskLocal, QString("Cambiado"));
    }

    // Tab leaves every field, the read-only ones too, and is no edit: Exit asks nothing.
    void tabMovesOnWithoutAnEdit_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *f : {"MaskNumeroSerie", "MaskVersion", "MaskFecha", "MaskContacto", "MaskTelefono"})
            QTest::newRow(f) << QString(f);
    }
    void tabMovesOnWithoutAnEdit()
    {
        QFETCH(QString, field);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        QWidget *w = form->campo(field);
        w->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), w);
        QTest::keyClick(w, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != w);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), w);
        QVERIFY(!modulo1().FitxaModificada);
        click("SSCommandExit");
        QVERIFY(answers->shown().isEmpty());
    }

    // A note typed with Enter is stored with CR LF line breaks, as the notes of the
    // device's world are; a stored note shows as lines whichever breaks it has, and an
    // unedited one is stored again as it was.
    void noteLineBreaks_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("enter"); // Enter, then "Tercera", at the end of the note
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("saved");
        QTest::newRow("CR LF, unedited") << "Primera\r\nSegunda\r\n" << false << 3 << "Primera\r\nSegunda\r\n";
        QTest::newRow("LF, unedited") << "Primera\nSegunda" << false << 2 << "Primera\nSegunda";
        QTest::newRow("CR LF, typed") << "Primera\r\nSegunda" << true << 3 << "Primera\r\nSegunda\r\nTercera";
        QTest::newRow("LF, typed") << "Primera\nSegunda" << true << 3 << "Primera\r\nSegunda\r\nTercera";
        QTest::newRow("empty, typed") << "" << true << 2 << "\r\nTercera";
    }
    void noteLineBreaks()
    {
        QFETCH(QString, stored);
        QFETCH(bool, enter);
        QFETCH(int, lines);
        FitxaProgramacio f = fixtures::fitxa100123();
        f.TextNota = stored;
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        QVERIFY(open());
        auto *nota = qobject_cast<QPlainTextEdit *>(form->campo("TextNota"));
        QCOMPARE(nota->blockCount(), enter ? lines - 1 : lines);
        if (enter) {
            nota->setFocus();
            nota->moveCursor(QTextCursor::End);
            QTest::keyClick(nota, Qt::Key_Return);
            QTest::keyClicks(nota, "Tercera");
            QCOMPARE(nota->blockCount(), lines);
        }
        answers->then(ui::vbOK);
        click("SSCommandGrabar");
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QTEST(saved.TextNota, "saved");
    }

    // The date is taken as typed; one that is not a date is refused with text 18 when left.
    void dateIsTakenAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("good");
        QTest::newRow("31/02/99") << "31/02/99" << false;
        QTest::newRow("month 13") << "01/13/09" << false;
        QTest::newRow("day 00") << "00/03/10" << false;
        QTest::newRow("05/03/10") << "05/03/10" << true;
    }
    void dateIsTakenAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(bool, good);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        QCOMPARE(form->texto("MaskFecha"), QString("20/10/08"));
        typeAndLeave("MaskFecha", typed);
        QCOMPARE(form->texto("MaskFecha"), typed);
        if (!good) {
            QCOMPARE(answers->texts(), QStringList{"Fecha incorrecta"});
            QTRY_COMPARE(QApplication::focusWidget(), form->campo("MaskFecha"));
            return;
        }
        QVERIFY(answers->shown().isEmpty());
        answers->then(ui::vbOK);
        click("SSCommandGrabar");
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskFecha, typed);
    }

    // The fields nobody types into look read-only.
    void readOnlyFieldsLookReadOnly()
    {
        Form2 window;
        for (const char *name :
             {"MaskNumeroSerie", "MaskVersion", "MaskEmpiezaDia", "MaskTerminaDia", "MaskLunesIni"}) {
            auto *e = qobject_cast<QLineEdit *>(window.campo(name));
            QVERIFY2(e && e->isReadOnly(), name);
            QCOMPARE(e->palette().color(QPalette::Base), e->palette().color(QPalette::Window));
        }
        QVERIFY(!qobject_cast<QLineEdit *>(window.campo("MaskContacto"))->isReadOnly());
    }

    void translatedWithTheWindow()
    {
        addSheets({{100123, "A"}});
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), "English"));
        QVERIFY(open());
        LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), " ");
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        QCOMPARE(tab->tabText(3), QString("Regulations"));
        QCOMPARE(form->findChild<QPushButton *>("SSCommandGrabar")->text(), QString("Save"));
        QCOMPARE(form->MatrizInhabil()->headerData(1, Qt::Horizontal).toString(), QString("Date"));
        QCOMPARE(form->MatrizInhabil()->headerData(4, Qt::Horizontal).toString(), QString("Time"));
    }

    void everyDesignTextHasItsTranslations()
    {
        Form2 window;
        const QStringList missing = slxtest::missingTranslations({&window}, home->file("Language.db"));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
    }

    // A window deleted while shown, its focus in the grid: its children go after it, the focus moving as
    // they go, and nothing of the half-deleted window may run then.
    void deletedWhileShownWithTheFocusInTheGrid()
    {
        addSheets({{100123, "A"}});
        QVERIFY(open());
        QWidget *grid = form->findChild<QWidget *>("TDBGrid1");
        QVERIFY(grid);
        grid->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        modulo1().FitxaModificada = false;
        delete form;
        QVERIFY(!form);
    }

    // A cell of the interval grid opened by a click and left with its text as it was is no edit: nothing is
    // checked and nothing is shown. A text typed into it is checked as before.
    void gridCellLeftUneditedShowsNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("start time") << 2 << "" << QStringList();
        QTest::newRow("end time") << 4 << "" << QStringList();
        QTest::newRow("start date") << 1 << "" << QStringList();
        QTest::newRow("end date") << 3 << "" << QStringList();
        QTest::newRow("start time typed") << 2 << "1200" << QStringList{"Fecha incorrecta"};
    }
    void gridCellLeftUneditedShowsNothing()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        tab->setCurrentIndex(5);
        auto *grid = form->findChild<QTableView *>("TDBGrid1");
        const QModelIndex cell = grid->model()->index(9, column); // an empty row
        QCOMPARE(form->MatrizInhabil()->value(10, 3), QString("00:00"));
        grid->scrollTo(cell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid && grid->isAncestorOf(editor));
        if (!typed.isEmpty()) {
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor, typed.left(2) + ":" + typed.mid(2));
        }
        // Out of the grid, onto its own tab.
        QTabBar *bar = tab->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(5).center());
        QTRY_VERIFY(!grid->isAncestorOf(QApplication::focusWidget()));
        QTest::qWait(50); // a cell's message comes after the edit has ended
        QCoreApplication::processEvents();
        QCOMPARE(answers->texts(), shown);
        for (int c = 2; c <= 5; ++c)
            QCOMPARE(form->MatrizInhabil()->value(10, c), QString(c % 2 ? "00:00" : "00/00/00"));
    }

    // Ctrl+Tab, Ctrl+Shift+Tab or a tab pressed through the accessibility bus, with a limit typed out of its range:
    // the limit's page in front, its tab current and the focus in the field, so that the next digit goes where it
    // is seen. A mouse click works the same.
    void aCorrectedLimitBringsItsPageTabAndFocusTogether_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("target");
        QTest::newRow("Ctrl+Tab") << "ctrl+tab" << 4;
        QTest::newRow("Ctrl+Shift+Tab") << "ctrl+shift+tab" << 2;
        QTest::newRow("accessible press, Octavas") << "accessible" << 4;
        QTest::newRow("accessible press, Datos") << "accessible" << 0;
        QTest::newRow("mouse, Octavas") << "mouse" << 4;
    }
    void aCorrectedLimitBringsItsPageTabAndFocusTogether()
    {
        QFETCH(QString, way);
        QFETCH(int, target);
        addSheets({{100123, "A"}});
        QVERIFY(open());
        auto *tab = form->findChild<QTabWidget *>("SSTab2");
        QTabBar *bar = tab->tabBar();
        tab->setCurrentIndex(3);
        QLineEdit *limit = edit("MaskDiaLocal");
        QTest::mouseClick(limit, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), limit);
        limit->selectAll();
        QTest::keyClicks(limit, "59");
        if (way == "ctrl+tab") {
            QTest::keyClick(limit, Qt::Key_Tab, Qt::ControlModifier);
        } else if (way == "ctrl+shift+tab") {
            QTest::keyClick(limit, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        } else if (way == "accessible") {
            QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(bar);
            QVERIFY(tabs);
            QAccessibleInterface *page = tabs->child(target);
            QVERIFY(page && page->actionInterface());
            page->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(target).center());
        }
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(limit));
        QTest::qWait(20);
        QCOMPARE(limit->text(), QString("60"));
        QCOMPARE(tab->currentIndex(), 3);
        QCOMPARE(bar->currentIndex(), 3);
        for (int i = 0; i < tab->count(); ++i)
            QCOMPARE(tab->widget(i)->isVisible(), i == 3);
        QVERIFY(limit->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(limit));
        QVERIFY(answers->shown().isEmpty());
        // The next digits go into the field in view, over the corrected text.
        QTest::keyClicks(QApplication::focusWidget(), "75");
        QCOMPARE(limit->text(), QString("75"));
        QCOMPARE(tab->currentIndex(), 3);
    }

    // The sheets read again after a deletion or a save: a failure of that read is shown with its text, and the
    // sheet on screen stays instead of a new sheet standing for an empty table.
    void aFailedReadOfTheSheetsIsShown_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("deletion") << "SSCommandBorrar";
        QTest::newRow("save") << "SSCommandGrabar";
    }
    void aFailedReadOfTheSheetsIsShown()
    {
        QFETCH(QString, button);
        addSheets({{100123, "A"}, {204567, "B"}, {300001, "C"}});
        QVERIFY(open());
        click("SSCommandSiguiente");
        QCOMPARE(serial(), QString("204567"));
        sqlite3 *db = handleOf(modulo1().ConexionBD);
        QVERIFY(db);
        ReadsRefusedAfterAChange state;
        sqlite3_set_authorizer(db, refuseReadsAfterAChange, &state);
        answers->then(ui::vbOK).then(ui::vbOK);
        click(button);
        sqlite3_set_authorizer(db, nullptr, nullptr);
        QVERIFY(state.refused);
        QCOMPARE(answers->shown().size(), 2);
        QCOMPARE(answers->shown().last().icon, ui::Icon::Critical);
        QVERIFY2(answers->shown().last().text.contains("prohibited"), qPrintable(answers->texts().join('|')));
        const bool deleted = button == "SSCommandBorrar";
        QCOMPARE(count("Programacion", 204567), deleted ? 0 : 1);
        // A stored sheet stays on screen (after the deletion the first one, as always), and the sheets known
        // before stay for the moves.
        QCOMPARE(serial(), QString(deleted ? "100123" : "204567"));
        click("SSCommandSiguiente");
        QCOMPARE(serial(), QString("300001"));
        click("SSCommandAnterior");
        QCOMPARE(serial(), QString(deleted ? "100123" : "204567"));
    }

    void failedOpeningLeavesNoWindow()
    {
        Database::close();
        form = new Form2;
        QVERIFY(!form->Form_Load());
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
