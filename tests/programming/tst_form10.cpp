// The weekly timetable editor over a real programming sheet window: loading the days,
// the confirmation walk with every join message, Back, Accept and Cancel, the time
// fields' filter and checks, the chart it draws and the opening from the sheet.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "programming/Form10.h"
#include "programming/Form2.h"
#include "programming/SheetStorage.h"
#include "widgets/Chart2D.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QtTest>

using namespace slx;

namespace {

const char *const kWords[] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};

QString word(int d)
{
    return QString::fromLatin1(kWords[d]);
}

} // namespace

class TestForm10 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form2> sheet;
    QPointer<Form10> editor;

    // The sheet window on a stored sheet whose days are given as 14 texts.
    void openSheet(const QStringList &days, const QString &nightStart = "22:00", const QString &nightEnd = "08:00")
    {
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        sheet = new Form2;
        QVERIFY(sheet->Form_Load());
        FormRegistry::setInstance("Form2", sheet);
        for (int d = 0; d < 7; ++d) {
            sheet->setTexto(QString("Mask%1Ini").arg(word(d)), days.value(2 * d));
            sheet->setTexto(QString("Mask%1Fi").arg(word(d)), days.value(2 * d + 1));
        }
        sheet->setTexto("MaskEmpiezaNoche", nightStart);
        sheet->setTexto("MaskTerminaNoche", nightEnd);
        modulo1().FitxaModificada = false;
    }
    void openEditor()
    {
        editor = qobject_cast<Form10 *>(FormRegistry::load("Form10"));
        QVERIFY(editor);
        editor->show();
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    }
    QLineEdit *field(const QString &name) { return editor->findChild<QLineEdit *>(name); }
    QRadioButton *option(const QString &name) { return editor->findChild<QRadioButton *>(name); }
    QPushButton *button(const QString &name) { return editor->findChild<QPushButton *>(name); }
    // Clicks an option on its round mark.
    void choose(const QString &name)
    {
        QRadioButton *o = option(name);
        QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(6, o->height() / 2));
    }
    QString text(const QString &name) { return field(name)->text(); }
    // Types into a field over its text, as a user does.
    void type(const QString &name, const QString &keys)
    {
        QLineEdit *e = field(name);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        QTest::keyClicks(e, keys);
    }
    // Presses the confirm button of day d; returns the messages it showed.
    QStringList confirm(int d)
    {
        const int before = answers->texts().size();
        QTest::mouseClick(button("SSCommand" + word(d)), Qt::LeftButton);
        QCoreApplication::processEvents();
        return answers->texts().mid(before);
    }
    QStringList msg(int n) { return {oLocGuru().GetS(n)}; }

private Q_SLOTS:
    void initTestCase() { registraForm10(); }
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        answers = std::make_unique<slxtest::Answers>();
    }
    void cleanup()
    {
        if (editor) {
            editor->close();
            delete editor;
        }
        if (sheet) {
            modulo1().FitxaModificada = false;
            sheet->close();
            delete sheet;
        }
        answers.reset();
        home.reset();
    }

    void loadsTheDaysAndDrawsTheWeek()
    {
        openSheet({"00:00", "23:59", "00:00", "23:58", "--:--", "12:00", "22:00", "02:00", "8:00", "xx", "--:--",
                   "--:--", "10:00", "14:00"},
                  "22:30", "07:45");
        openEditor();
        QCOMPARE(editor->windowTitle(), QString("SLX-90"));
        QVERIFY(option("Option24Lunes")->isChecked());
        QVERIFY(option("OptionHorarioMartes")->isChecked());
        QVERIFY(option("OptionTancatMiercoles")->isChecked());
        QCOMPARE(text("MaskMiercolesFi"), QString("--:--")); // the closed option replaced the sheet's end
        QVERIFY(option("OptionHorarioViernes")->isChecked());
        QCOMPARE(text("MaskViernesIni"), QString("8:00")); // loaded as it is, for the checks to refuse
        QCOMPARE(text("MaskViernesFi"), QString("xx"));
        // Monday current, the rest locked, Accept not yet.
        QVERIFY(editor->findChild<QGroupBox *>("FrameLunes")->isEnabled());
        for (int d = 1; d < 7; ++d) {
            QVERIFY(!editor->findChild<QGroupBox *>("Frame" + word(d))->isEnabled());
            QVERIFY(!button("SSCommand" + word(d))->isEnabled());
        }
        QVERIFY(!editor->SSCommandAceptar->isEnabled());

        // The chart: the three drawings of the window's texts.
        const chart::Model &m = editor->Chart2D1->model();
        QCOMPARE(m.series(1, 1).values, horario::dibujoSesiones(editor->semana()));
        QCOMPARE(m.series(1, 2).values, horario::dibujoDia());
        QCOMPARE(m.series(1, 3).values, horario::dibujoNoche("22:30", "07:45"));
        QCOMPARE(m.pointLabel(24 + 23 + 1), QString("22:30"));
        QCOMPARE(m.pointLabel(8 + 1), QString("07:45"));
        QCOMPARE(m.pointLabel(2), QString(" "));
        for (int k = 1; k <= 7; ++k)
            QCOMPARE(m.series(2, k).values, horario::dibujoColumnas()[k - 1]);
        QCOMPARE(m.header, QStringList{horario::lineaDias(
                               {"Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"})});
        // Friday's texts are no times: open only while Thursday's evening runs on.
        QCOMPARE(m.value(1, 1, 99), 3.5);
        for (int p = 100; p <= 120; ++p)
            QCOMPARE(m.value(1, 1, p), -1.0);
        QVERIFY(!editor->Chart2D1->isBatched());
        QVERIFY(answers->shown().isEmpty());
    }

    void weekWithEveryJoinMessageBackAndAccept()
    {
        QStringList days;
        for (int d = 0; d < 7; ++d)
            days << "22:00"
                 << "02:00";
        openSheet(days);
        openEditor();

        // Monday: an end equal to the start.
        type("MaskLunesFi", "2200");
        QCOMPARE(text("MaskLunesFi"), QString("22:00"));
        QCOMPARE(confirm(0), msg(97));
        QCOMPARE(QApplication::focusWidget(), field("MaskLunesIni"));
        QCOMPARE(editor->diaActual(), 0);
        type("MaskLunesFi", "0200");
        QCOMPARE(confirm(0), QStringList());
        QCOMPARE(editor->diaActual(), 1);
        QVERIFY(!editor->findChild<QGroupBox *>("FrameLunes")->isEnabled());

        // Each day starting before the end of the day before, which runs past midnight.
        for (int d = 1; d < 7; ++d) {
            type("Mask" + word(d) + "Ini", "0100");
            QCOMPARE(confirm(d), msg(90 + d));
            QCOMPARE(editor->diaActual(), d);
            QCOMPARE(QApplication::focusWidget(), button("SSCommand" + word(d))); // the focus stays where it is
            type("Mask" + word(d) + "Ini", "0300");
            QCOMPARE(confirm(d), QStringList());
        }
        QCOMPARE(editor->diaActual(), 7);
        QVERIFY(editor->SSCommandAceptar->isEnabled());
        // The open hours are drawn again once Sunday is confirmed.
        QCOMPARE(editor->Chart2D1->model().series(1, 1).values, horario::dibujoSesiones(editor->semana()));

        // Back: Monday current again, every text kept, Accept off until Sunday again.
        QTest::mouseClick(editor->SSCommandRetry, Qt::LeftButton);
        QCOMPARE(editor->diaActual(), 0);
        QVERIFY(!editor->SSCommandAceptar->isEnabled());
        QCOMPARE(text("MaskDomingoIni"), QString("03:00"));
        // Monday now starts before Sunday's end on the next day: Sunday meets it.
        type("MaskLunesIni", "0100");
        for (int d = 0; d < 6; ++d)
            QCOMPARE(confirm(d), QStringList());
        QCOMPARE(confirm(6), msg(91));
        QCOMPARE(editor->diaActual(), 6);
        type("MaskDomingoFi", "0030");
        QCOMPARE(confirm(6), QStringList());

        QTest::mouseClick(editor->SSCommandAceptar, Qt::LeftButton);
        QVERIFY(!editor || !editor->isVisible());
        QStringList expected{"01:00", "02:00"};
        for (int d = 1; d < 6; ++d)
            expected << "03:00"
                     << "02:00";
        expected << "03:00"
                 << "00:30";
        QStringList written;
        for (int d = 0; d < 7; ++d)
            written << sheet->texto("Mask" + word(d) + "Ini") << sheet->texto("Mask" + word(d) + "Fi");
        QCOMPARE(written, expected);
        QVERIFY(modulo1().FitxaModificada);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!editor); // released
        QVERIFY(!FormRegistry::instance("Form10"));
    }

    void anEndThatIsNoTimeIsRefusedAtConfirmation()
    {
        openSheet(QStringList(14, "--:--"));
        openEditor();
        // A closed day becomes a timetable day when its field gets the focus; only its start is typed.
        type("MaskLunesIni", "0800");
        QVERIFY(option("OptionHorarioLunes")->isChecked());
        QCOMPARE(text("MaskLunesFi"), QString("--:--"));
        QCOMPARE(confirm(0), msg(19));
        QCOMPARE(QApplication::focusWidget(), field("MaskLunesFi"));
        QCOMPARE(editor->diaActual(), 0);
        // Leaving the end with "--:--" in it for the start: the time check keeps the focus there.
        QTest::mouseClick(field("MaskLunesIni"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(answers->texts().size(), 2);
        QCOMPARE(answers->texts().last(), msg(19).first());
        QCOMPARE(QApplication::focusWidget(), field("MaskLunesFi"));
        type("MaskLunesFi", "2000");
        QCOMPARE(confirm(0), QStringList());
        // Closed days confirm at once.
        for (int d = 1; d < 7; ++d)
            QCOMPARE(confirm(d), QStringList());
        QVERIFY(editor->SSCommandAceptar->isEnabled());
    }

    void optionsSetTheTextsAsTheirClicksDo()
    {
        openSheet({"10:00", "12:00"});
        openEditor();
        choose("OptionTancatLunes");
        QCOMPARE(text("MaskLunesIni") + text("MaskLunesFi"), QString("--:----:--"));
        choose("Option24Lunes");
        QCOMPARE(text("MaskLunesIni") + text("MaskLunesFi"), QString("00:0023:59"));
        // A closed day whose start is confirmed selects the closed option: both "--:--".
        choose("OptionTancatLunes");
        QCOMPARE(confirm(0), QStringList());
        QVERIFY(option("OptionTancatLunes")->isChecked());
    }

    void keysMarkTheSheetAndCancelWritesNothing()
    {
        openSheet({"10:00", "12:00"});
        openEditor();
        QLineEdit *ini = field("MaskLunesIni");
        ini->setFocus(Qt::MouseFocusReason);
        ini->setCursorPosition(5);
        QTest::keyClick(ini, Qt::Key_Space);
        QCOMPARE(ini->text(), QString("10:00")); // the blank is discarded...
        QVERIFY(modulo1().FitxaModificada);      // ...and the sheet marked all the same
        modulo1().FitxaModificada = false;
        type("MaskLunesIni", "9");
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(text("MaskLunesIni"), QString("9"));
        // Cancel, with the field still holding no time: nothing goes back to the sheet.
        QTest::mouseClick(editor->SSCommandExit, Qt::LeftButton);
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(sheet->texto("MaskLunesIni"), QString("10:00"));
        QVERIFY(modulo1().FitxaModificada);
    }

    // From a field that holds no time, the way out, the day's options and Back work as
    // from anywhere else; only the day's confirmation and a move into another time field
    // check the time.
    void anIncompleteFieldHoldsNothingButTheChecks_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("open");       // the editor is still open
        QTest::addColumn<QString>("start");   // Monday's start afterwards
        QTest::addColumn<QStringList>("said"); // messages shown
        QTest::newRow("Cancelar") << "SSCommandExit" << false << "9" << QStringList();
        QTest::newRow("window closed") << "close" << false << "9" << QStringList();
        QTest::newRow("Cerrado") << "OptionTancatLunes" << true << "--:--" << QStringList();
        QTest::newRow("24h") << "Option24Lunes" << true << "00:00" << QStringList();
        QTest::newRow("Volver") << "SSCommandRetry" << true << "9" << QStringList();
        QTest::newRow("the day's confirmation") << "SSCommandLunes" << true << "9" << QStringList{"19"};
        QTest::newRow("the end field") << "MaskLunesFi" << true << "9" << QStringList{"19"};
    }
    void anIncompleteFieldHoldsNothingButTheChecks()
    {
        QFETCH(QString, action);
        QFETCH(bool, open);
        QFETCH(QString, start);
        QFETCH(QStringList, said);
        openSheet(QStringList(14, "--:--"));
        openEditor();
        // A click into a closed day's field and one digit.
        QTest::mouseClick(field("MaskLunesIni"), Qt::LeftButton);
        QVERIFY(option("OptionHorarioLunes")->isChecked());
        QTest::keyClicks(field("MaskLunesIni"), "9");
        QCOMPARE(text("MaskLunesIni"), QString("9"));
        if (action == "close")
            editor->close();
        else if (option(action))
            choose(action);
        else if (button(action))
            QTest::mouseClick(button(action), Qt::LeftButton);
        else
            QTest::mouseClick(field(action), Qt::LeftButton);
        QCoreApplication::processEvents();
        QStringList expected;
        for (const QString &n : said)
            expected << msg(n.toInt());
        QCOMPARE(answers->texts(), expected);
        QCOMPARE(bool(editor && editor->isVisible()), open);
        if (open) {
            QCOMPARE(text("MaskLunesIni"), start);
            QCOMPARE(editor->diaActual(), 0);
            if (!said.isEmpty())
                QTRY_COMPARE(QApplication::focusWidget(), field("MaskLunesIni"));
        } else {
            // The sheet keeps its texts and is marked as changed.
            QCOMPARE(sheet->texto("MaskLunesIni"), QString("--:--"));
            QCOMPARE(sheet->texto("MaskLunesFi"), QString("--:--"));
        }
        QVERIFY(modulo1().FitxaModificada);
    }

    // The fourteen fields show a whole "22:00" and "--:--" in the window's font, whatever
    // the language makes of the rest, and the window fits a 1280 x 800 screen.
    void fieldsShowWholeTimesInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        for (const char *l : {"Español", "Català", "English", "Deutsch", "Français", "Italiano", "Português"})
            QTest::newRow(l) << QString::fromUtf8(l);
    }
    void fieldsShowWholeTimesInEveryLanguage()
    {
        QFETCH(QString, language);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        openSheet(QStringList(14, "--:--"));
        openEditor();
        LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), " ");
        // Translated ("Cerrado" is Spanish alone).
        QCOMPARE(option("OptionTancatLunes")->text() == "Cerrado", language == "Español");
        editor->adjustSize();
        QVERIFY2(editor->width() <= 1280 && editor->height() <= 800,
                 qPrintable(QString("%1 x %2").arg(editor->width()).arg(editor->height())));
        for (int d = 0; d < 7; ++d) {
            for (const QString &end : {QString("Ini"), QString("Fi")}) {
                QLineEdit *e = field("Mask" + word(d) + end);
                QVERIFY(e->isVisible());
                // The room the field gives its text, as the line edit lays it out: its
                // contents less the text margins and the edit's own two pixels a side.
                QStyleOptionFrame opt;
                opt.initFrom(e);
                opt.rect = e->rect();
                opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
                opt.midLineWidth = 0;
                opt.state |= QStyle::State_Sunken;
                const QMargins margenes = e->textMargins();
                const int sitio = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e).width() -
                                  margenes.left() - margenes.right() - 2 * 2;
                const int cursor = e->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, e);
                for (const QString &t : {QString("22:00"), QString("--:--"), QString("00:00")}) {
                    // Whole, with the cursor after its last character, the text is not scrolled.
                    const int width = qCeil(QFontMetricsF(e->font()).horizontalAdvance(t));
                    QVERIFY2(sitio >= width + cursor,
                             qPrintable(QString("%1 %2: %3 px of room for %4 px and the cursor, in %5")
                                            .arg(e->objectName(), t)
                                            .arg(sitio)
                                            .arg(width)
                                            .arg(e->width())));
                }
            }
        }
    }

    void confirmButtonsAreNamedForAScreenReader()
    {
        openSheet({});
        openEditor();
        for (int d = 0; d < 7; ++d) {
            QPushButton *b = button("SSCommand" + word(d));
            QVERIFY(b->text().isEmpty());
            QVERIFY(!b->toolTip().isEmpty());
            QCOMPARE(b->accessibleName(), b->toolTip());
        }
    }

    void everyDesignTextHasItsTranslations()
    {
        Form10 window;
        QStringList labels = window.Chart2D1->translatableTexts();
        labels.removeAll(QString());
        QCOMPARE(labels, (QStringList{"Abierto", "Día", "Noche"}));
        const QStringList missing = slxtest::missingTranslations({&window}, home->file("Language.db"));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
    }

    void loadsWithNoSheetOpen()
    {
        // The text export loads every window: with no sheet the days are closed and nothing is asked.
        auto *window = qobject_cast<Form10 *>(FormRegistry::load("Form10"));
        QVERIFY(window);
        QVERIFY(window->findChild<QRadioButton *>("OptionTancatDomingo")->isChecked());
        QVERIFY(answers->shown().isEmpty());
        delete window;
    }

    void aClickOnADayFieldOpensTheEditor_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Monday start") << "MaskLunesIni";
        QTest::newRow("Sunday end") << "MaskDomingoFi";
    }
    void aClickOnADayFieldOpensTheEditor()
    {
        QFETCH(QString, name);
        QStringList days;
        for (int d = 0; d < 7; ++d)
            days << "--:--"
                 << "--:--";
        openSheet(days);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QString seen;
        bool modal = false;
        // The editor is modal: it is driven from a timer while the sheet waits for it.
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            auto *open = qobject_cast<Form10 *>(QApplication::activeModalWidget());
            if (!open)
                return;
            poll.stop();
            modal = open->isModal() && !open->parentWidget();
            seen = open->semana()[0].inicio;
            for (int d = 0; d < 7; ++d)
                QTest::mouseClick(open->findChild<QPushButton *>("SSCommand" + word(d)), Qt::LeftButton);
            auto *ini = open->findChild<QLineEdit *>("MaskLunesIni");
            auto *fi = open->findChild<QLineEdit *>("MaskLunesFi");
            ini->setText("09:00");
            fi->setText("18:00");
            QTest::mouseClick(open->SSCommandAceptar, Qt::LeftButton);
        });
        poll.start();
        QWidget *day = sheet->campo(name);
        QTest::mouseClick(day, Qt::LeftButton);
        QTRY_VERIFY(!seen.isEmpty());
        QVERIFY(modal);
        QCOMPARE(seen, QString("--:--"));
        QCOMPARE(sheet->texto("MaskLunesIni"), QString("09:00"));
        QCOMPARE(sheet->texto("MaskLunesFi"), QString("18:00"));
        QVERIFY(modulo1().FitxaModificada);
    }
};

QTEST_MAIN(TestForm10)
#include "tst_form10.moc"
