// Leaving the program or changing its language while a stored sheet holds typing
// whose save is refused: the exit and the restart stop, the sheet stays with the
// typing and the field's message; Cancel still leaves without saving.

#include "Helpers.h"
#include "MainWindowFixture.h"
#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "main/Form1.h"
#include "main/Form7.h"
#include "main/RegistroVentanas.h"
#include "programming/Form2.h"
#include "programming/SheetStorage.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;

namespace {

const QByteArray kIni = "[Configuration]\r\nSerialPort=3\r\nUser=Pie\r\nLanguage=1034\r\nModem=1\r\n"
                        "TonePulse=0\r\nDialCode=9\r\nModemSpeed=19200\r\n";

// The contact stored for the sheet, read through a connection of its own.
QString storedContact(const QString &dbPath)
{
    slxtest::ReadOnlyDatabase db(dbPath, QStringLiteral("check-contact"));
    QSqlQuery q(db.db());
    if (!q.exec(QStringLiteral("SELECT TContacto FROM Programacion WHERE LNumeroSerie = 100123")) || !q.next())
        return QStringLiteral("(no row)");
    return q.value(0).toString();
}

} // namespace

class TestSheetExit : public slxtest::MainWindowFixture {
    Q_OBJECT
    QPointer<Form2> sheet;

    QLineEdit *edit(const QString &name) { return qobject_cast<QLineEdit *>(sheet->campo(name)); }

    // The stored sheet opened from the main window, a contact typed and an impossible
    // date typed, the focus still in the date.
    void typeIntoTheSheet()
    {
        QTest::mouseClick(form->SSCommandProgramacion, Qt::LeftButton);
        sheet = qobject_cast<Form2 *>(FormRegistry::instance("Form2"));
        QVERIFY(sheet && sheet->isVisible());
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QCOMPARE(sheet->texto("MaskNumeroSerie"), QString("100123"));
        QLineEdit *contacto = edit("MaskContacto");
        contacto->setFocus(Qt::MouseFocusReason);
        contacto->selectAll();
        QTest::keyClicks(contacto, "Sra. Puig");
        QLineEdit *fecha = edit("MaskFecha");
        fecha->setFocus(Qt::MouseFocusReason);
        fecha->selectAll();
        QTest::keyClicks(fecha, "310209");
        QCOMPARE(fecha->text(), QString("31/02/09"));
        QVERIFY(modulo1().FitxaModificada);
    }

private Q_SLOTS:
    void initTestCase() { registraVentanas(); }

    void init()
    {
        abre(kIni);
        if (QTest::currentTestFailed())
            return;
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskContacto = "Sr. Roca";
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        modulo1().NumeroSerieAparato = 100123;
    }

    void cleanup()
    {
        if (sheet) {
            modulo1().FitxaModificada = false;
            sheet->close();
            delete sheet;
        }
        cierra();
    }

    // The save accepted is refused by the date: whichever way out was taken, it stops, and
    // the sheet stays in front with the typing and the date focused.
    void aRefusedSaveStopsTheWayOut_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("main window's Salir") << "exit";
        QTest::newRow("language change") << "language";
        QTest::newRow("sheet's Salir") << "sheet exit";
        QTest::newRow("sheet's frame") << "frame";
    }
    void aRefusedSaveStopsTheWayOut()
    {
        QFETCH(QString, way);
        typeIntoTheSheet();
        slxtest::Answers answers;
        if (way == "sheet exit")
            answers.then(int(ui::vbOK)); // the date's own message
        answers.then(int(ui::vbOK));
        Form1 *main = form.get();
        bool dialogLeftOpen = false;
        if (way == "exit") {
            QTest::mouseClick(form->SSCommandExit, Qt::LeftButton);
        } else if (way == "language") {
            slxtest::alAbrirModal([&dialogLeftOpen](QWidget *w) {
                auto *d = static_cast<Form7 *>(w);
                QTest::mouseClick(d->OptionAleman, Qt::LeftButton, {}, QPoint(8, d->OptionAleman->height() / 2));
                QTest::mouseClick(d->SSCommandAceptar, Qt::LeftButton);
                // The dialog waits for the sheet that stayed; the user gives up the change.
                dialogLeftOpen = d->isVisible();
                QTest::mouseClick(d->SSCommandCancelar, Qt::LeftButton);
            });
            QTest::mouseClick(form->SSCommandIdioma, Qt::LeftButton);
            QVERIFY(dialogLeftOpen);
        } else if (way == "sheet exit") {
            QTest::mouseClick(sheet->findChild<QPushButton *>("SSCommandExit"), Qt::LeftButton);
        } else {
            sheet->close();
        }
        QStringList expected{QString::fromUtf8("¿Desea guardar los cambios?"), "Fecha incorrecta"};
        // The sheet's own button takes the focus from the date, whose check speaks first.
        if (way == "sheet exit")
            expected.prepend("Fecha incorrecta");
        QCOMPARE(answers.texts(), expected);
        QCOMPARE(answers.shown().last().icon, ui::Icon::Critical);
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->texto("MaskContacto"), QString("Sra. Puig"));
        QCOMPARE(sheet->texto("MaskFecha"), QString("31/02/09"));
        // The date has the focus; behind the language dialog, the sheet's own focus until it is active again.
        if (way == "language")
            QCOMPARE(sheet->focusWidget(), sheet->campo("MaskFecha"));
        else
            QTRY_COMPARE(QApplication::focusWidget(), sheet->campo("MaskFecha"));
        // The program runs on, in its language, on its database; nothing was stored.
        QCOMPARE(FormRegistry::instance("Form1"), static_cast<QWidget *>(main));
        QVERIFY(main->isVisible());
        QVERIFY(modulo1().ConexionBD.isOpen());
        QCOMPARE(int(modulo1().CodigoIdioma), 1000);
        QCOMPARE(storedContact(home->file("slx90.db")), QString("Sr. Roca"));

        // A date the user then corrects lets the same way out save and go.
        QLineEdit *fecha = edit("MaskFecha");
        fecha->selectAll();
        QTest::keyClicks(fecha, "280209");
        answers.then(int(ui::vbOK));
        QVERIFY(sheet->close());
        QCOMPARE(storedContact(home->file("slx90.db")), QString("Sra. Puig"));
    }

    // Cancel at the save offer still means leaving without saving.
    void cancelLeavesWithoutSaving_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("main window's Salir") << "exit";
        QTest::newRow("sheet's Salir") << "sheet exit";
    }
    void cancelLeavesWithoutSaving()
    {
        QFETCH(QString, way);
        typeIntoTheSheet();
        slxtest::Answers answers;
        if (way == "sheet exit")
            answers.then(int(ui::vbOK)); // the date's own message
        answers.then(int(ui::vbCancel));
        if (way == "exit")
            QTest::mouseClick(form->SSCommandExit, Qt::LeftButton);
        else
            QTest::mouseClick(sheet->findChild<QPushButton *>("SSCommandExit"), Qt::LeftButton);
        QStringList expected{QString::fromUtf8("¿Desea guardar los cambios?")};
        if (way == "sheet exit")
            expected.prepend("Fecha incorrecta");
        QCOMPARE(answers.texts(), expected);
        QVERIFY(!sheet || !sheet->isVisible());
        if (way == "exit") {
            QVERIFY(!form->isVisible());
            QVERIFY(!modulo1().ConexionBD.isOpen());
        }
        QCOMPARE(storedContact(home->file("slx90.db")), QString("Sr. Roca"));
    }
};

QTEST_MAIN(TestSheetExit)
#include "tst_sheetexit.moc"
