// The reports window on a seeded database: its load, the two record pickers (rows,
// positions, texts, headings, colours and the counters of firmware 3.0), the picked,
// current and selected row as one, the empty device, the way in from the incidents
// window, its translation and the text export.

#include "ReportsFixture.h"
#include "widgets/Iconos.h"
#include "TestSupport.h"

#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "reports/Form6.h"
#include "widgets/TDBGrid.h"
#include "widgets/WindowedSqlModel.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QStyle>
#include <QtTest>

using namespace slx;
using namespace reportsfixture;

class TestForm6 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form6> form;

    bool open(qint32 serial, const QString &version)
    {
        device(serial, version);
        form = static_cast<Form6 *>(creaForm6());
        form->show();
        return QTest::qWaitForWindowExposed(form);
    }
    // The row the pickers' selection holds (-1 for none, -2 for several).
    static int selectedRow(TDBGrid *g)
    {
        const QModelIndexList rows = g->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return -1;
        if (rows.size() > 1)
            return -2;
        return g->firstRowShown() + rows.first().row();
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
        delete form;
        answers.reset();
        home.reset();
    }

    // "Imprimir" shows a printer, not the floppy disk of a save; "Ayuda" the help picture.
    void buttonsShowWhatTheyDo()
    {
        QVERIFY(seed());
        QVERIFY(open(100001, "4.1"));
        const auto imagen = [](const QIcon &i) {
            return i.pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
        };
        QCOMPARE(imagen(form->SSCommandImprimir->icon()), imagen(iconoImprimir()));
        QVERIFY(imagen(form->SSCommandImprimir->icon()) != imagen(form->style()->standardIcon(QStyle::SP_DialogSaveButton)));
        QCOMPARE(imagen(form->SSCommandHelp->icon()), imagen(iconoAyuda()));
        slxtest::captura(form, QStringLiteral("form6"));
    }

    // Both pickers list every interval of the device oldest first, the first on the
    // oldest and the second on the newest; the window reads the same as the layout says.
    void opensOnTheDevicesIntervals()
    {
        QVERIFY(seed());
        QVERIFY(open(100001, "4.1"));
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QCOMPARE(form->windowTitle(), QStringLiteral("SLX-90"));
        QVERIFY(form->OptionIntervalos->isChecked());
        QVERIFY(!form->OptionSesiones->isChecked());
        for (TDBGrid *g : {form->TDBGridInici, form->TDBGridFi}) {
            QCOMPARE(g->rows(), 7);
            QCOMPARE(g->textoCelda(0, 1), QStringLiteral("19/01/2023"));
            QCOMPARE(g->textoCelda(6, 2), QStringLiteral("00:00"));
            QCOMPARE(g->splitCount(), 2);
            QCOMPARE(g->splitCaption(0), QStringLiteral("REGISTROS LeqT Inicio <> Final"));
            QCOMPARE(g->splitCaption(1), QStringLiteral("INCIDENCIAS"));
            QCOMPARE(g->headLines(), 2);
            QVERIFY(g->split(0)->isColumnHidden(0));
            QVERIFY(g->split(1)->isColumnHidden(0));
            for (int c = 1; c <= 4; ++c)
                QVERIFY(!g->split(0)->isColumnHidden(c));
            QVERIFY(g->split(0)->isColumnHidden(5));
            QVERIFY(g->split(1)->isColumnHidden(4));
            QCOMPARE(g->split(0)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(g->split(0)->editTriggers(), QAbstractItemView::NoEditTriggers);
            QCOMPARE(g->editTriggers(), QAbstractItemView::NoEditTriggers);

            // Levels: 59 "UND", 121 "UP", 0 "---", values with one decimal; the reception
            // Leq too. A limit of 255 "---". The counters' texts as the layout has them.
            QCOMPARE(g->textoCelda(1, 6), QStringLiteral("80.0"));
            QCOMPARE(g->textoCelda(2, 6), QStringLiteral("UP"));
            QCOMPARE(g->textoCelda(3, 6), QStringLiteral("UND"));
            QCOMPARE(g->textoCelda(1, 10), QStringLiteral("---"));
            QCOMPARE(g->textoCelda(2, 10), QStringLiteral("UND"));
            QCOMPARE(g->textoCelda(3, 10), QStringLiteral("UP"));
            QCOMPARE(g->textoCelda(5, 10), QStringLiteral("50.0"));
            QCOMPARE(g->textoCelda(1, 7), QStringLiteral("---"));
            QCOMPARE(g->textoCelda(2, 32), QStringLiteral("Sin calibrar"));
            QCOMPARE(g->textoCelda(4, 33), QStringLiteral("Sin calibrar"));
            QCOMPARE(g->textoCelda(1, 34), QStringLiteral("255"));
            QCOMPARE(g->textoCelda(3, 34), QStringLiteral("120"));

            // Headings and colours.
            QCOMPARE(g->columnCaption(5), oLocGuru().GetS(41));
            QCOMPARE(g->columnCaption(6), QStringLiteral("LeqT(emisión)\rdBA"));
            QCOMPARE(g->columnCaption(15), QStringLiteral("Leq1'max\rFecha"));
            QCOMPARE(g->columnCaption(21), QString::fromUtf8("Límite\rdBA"));
            QCOMPARE(g->columnCaption(22), QStringLiteral("Pasadas"));
            QCOMPARE(g->columnCaption(27), QStringLiteral("L90\rdBA"));
            QCOMPARE(g->columnCaption(29), QString::fromUtf8("Reprogramación"));
            QCOMPARE(g->columnCaption(33), QStringLiteral("D.N.A.\rmin"));
            QCOMPARE(g->Columns(6).back, QColor(220, 220, 255));
            QCOMPARE(g->Columns(6).headBack, QColor(150, 150, 255));
            QCOMPARE(g->Columns(10).back, QColor(220, 220, 255));
            QCOMPARE(g->Columns(11).back, QColor(255, 220, 220));
            QCOMPARE(g->Columns(15).headBack, QColor(251, 248, 150));
            QCOMPARE(g->Columns(18).back, QColor(220, 255, 220));
            QCOMPARE(g->Columns(20).back, QColor(96, 253, 253));
            QCOMPARE(g->Columns(22).headBack, QColor(3, 233, 233));
            QCOMPARE(g->Columns(25).back, QColor(251, 205, 252));
            QCOMPARE(g->Columns(34).headBack, QColor(255, 150, 150));
            for (int c = 32; c <= 34; ++c)
                QVERIFY(!g->split(1)->isColumnHidden(c));
        }
        QCOMPARE(form->TDBGridInici->Columns(1).widthTwips, 2143);
        QCOMPARE(form->TDBGridFi->Columns(1).widthTwips, 2117);
        QCOMPARE(form->TDBGridInici->Columns(3).widthTwips, 2223);
        QCOMPARE(form->TDBGridFi->Columns(3).widthTwips, 2275);
        QCOMPARE(form->TDBGridInici->currentRow(), 0);
        QCOMPARE(form->TDBGridFi->currentRow(), 6);
        QCOMPARE(form->TDBGridInici->valorActual(1).toString(), QStringLiteral("2023-01-19"));
        QCOMPARE(form->TDBGridFi->valorActual(2).toString(), QStringLiteral("00:00"));
        QCOMPARE(selectedRow(form->TDBGridFi), 6);
        // Laying the grids out again adds no second "min".
        form->DisenyaGrids();
        QCOMPARE(form->TDBGridFi->columnCaption(34), QStringLiteral("E.N.A.\rmin"));
    }

    // The three counters exist from firmware 3.0: below it they are hidden in both pickers.
    void countersByFirmware_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("shown");
        QTest::newRow("2.9") << "2.9" << false;
        QTest::newRow("3.0") << "3.0" << true;
        QTest::newRow("10.1") << "10.1" << true;
    }
    void countersByFirmware()
    {
        QFETCH(QString, version);
        QFETCH(bool, shown);
        QVERIFY(seed());
        QVERIFY(open(200002, version));
        for (TDBGrid *g : {form->TDBGridInici, form->TDBGridFi}) {
            // One interval: both pickers stand on it.
            QCOMPARE(g->rows(), 1);
            QCOMPARE(g->currentRow(), 0);
            for (int c = 32; c <= 34; ++c) {
                QCOMPARE(g->columnVisible(c), shown);
                QCOMPARE(g->split(1)->isColumnHidden(c), !shown);
            }
        }
        QCOMPARE(form->TDBGridInici->textoCelda(0, 10), QStringLiteral("UND"));
    }

    // Keys, the mouse and the selection move one row: the one the print button reads.
    void pickedCurrentAndSelectedAreOne()
    {
        QVERIFY(seed());
        QVERIFY(open(100001, "4.1"));
        TDBGrid *g = form->TDBGridInici;
        g->setFocus();
        QTest::keyClick(g, Qt::Key_Down);
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(g->currentRow(), 2);
        QCOMPARE(selectedRow(g), 2);
        QCOMPARE(g->valorActual(2).toString(), QStringLiteral("10:15"));

        // A click in the left split.
        QTableView *left = g->split(0);
        const QRect cell = left->visualRect(left->model()->index(4 - g->firstRowShown(), 2));
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(g->currentRow(), 4);
        QCOMPARE(selectedRow(g), 4);

        // A click in the right split, then Ctrl+End.
        const QRect right = g->visualRect(g->model()->index(1 - g->firstRowShown(), 6));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, right.center());
        QCOMPARE(g->currentRow(), 1);
        QCOMPARE(selectedRow(g), 1);
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->currentRow(), 6);
        QCOMPARE(selectedRow(g), 6);

        // A heading click neither selects a column nor moves the row.
        QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(g->horizontalHeader()->sectionViewportPosition(6) + 5, 5));
        QCOMPARE(g->currentRow(), 6);
        QCOMPARE(selectedRow(g), 6);
        // The other picker kept its own row.
        QCOMPARE(form->TDBGridFi->currentRow(), 6);
        QCOMPARE(selectedRow(form->TDBGridFi), 6);
    }

    // A device without intervals, and no device at all: empty pickers, no message;
    // the print button does nothing and writes nothing.
    void deviceWithoutIntervals_data()
    {
        QTest::addColumn<int>("serial");
        QTest::newRow("no intervals") << 300003;
        QTest::newRow("no device") << 0;
    }
    void deviceWithoutIntervals()
    {
        QFETCH(int, serial);
        QVERIFY(seed());
        QVERIFY(open(serial, "3.0"));
        QCOMPARE(form->TDBGridInici->rows(), 0);
        QCOMPARE(form->TDBGridFi->rows(), 0);
        QCOMPARE(form->TDBGridInici->currentRow(), -1);
        QTest::mouseClick(form->SSCommandImprimir, Qt::LeftButton);
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QCOMPARE(value("SELECT Memo FROM Configuracion").toString(), QStringLiteral("old"));
        QVERIFY(!form->VSReport1);
    }

    // The incidents window's "Imprimir" opens this window by name, modally, on its
    // device; "Volver" unloads it and the next opening starts afresh.
    void openedFromTheIncidentsWindow()
    {
        QVERIFY(seed());
        registraForm6();
        modulo1().NumeroSerieAparato = 100001;
        QPointer<Form5> incidents = static_cast<Form5 *>(creaForm5());
        incidents->show();
        for (int opening = 0; opening < 2; ++opening) {
            QPointer<Form6> shown;
            QString caption;
            QTimer::singleShot(0, this, [&] {
                shown = qobject_cast<Form6 *>(FormRegistry::instance(QStringLiteral("Form6")));
                QVERIFY(shown && shown->isVisible() && shown->isModal());
                caption = shown->TDBGridFi->columnCaption(32);
                QCOMPARE(shown->TDBGridFi->rows(), 7);
                shown->SSCommandExit->click();
            });
            QTest::mouseClick(incidents->SSCommandImprimir, Qt::LeftButton);
            QCOMPARE(caption, QString::fromUtf8("Línea insuficiente\rmin"));
            QTRY_VERIFY(!shown);
            QVERIFY(!FormRegistry::instance(QStringLiteral("Form6")));
        }
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        delete incidents;
        FormRegistry::add(QStringLiteral("Form6"), nullptr);
        FormRegistry::addDesign(QStringLiteral("Form6"), nullptr);
    }

    // Every caption has its translations; in another language the catalogue headings
    // change, while "Sin calibrar" and "255" of the pickers stay as the layout has them.
    void translations()
    {
        QVERIFY(seed());
        {
            Form6 design;
            const QStringList missing = slxtest::missingTranslations({&design}, home->file("Language.db"));
            QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), "English"));
        QVERIFY(open(100001, "4.1"));
        TDBGrid *g = form->TDBGridInici;
        QCOMPARE(form->OptionIntervalos->text(), QStringLiteral("LeqT RECORDS"));
        QCOMPARE(form->SSCommandExit->toolTip(), QStringLiteral("Back"));
        QCOMPARE(g->splitCaption(1), QStringLiteral("INCIDENTS"));
        QVERIFY(g->columnCaption(6) != QStringLiteral("LeqT(emisión)\rdBA"));
        QCOMPARE(g->columnCaption(33).count(QStringLiteral("min")), 1);
        QCOMPARE(g->textoCelda(2, 32), QStringLiteral("Sin calibrar"));
        QCOMPARE(g->textoCelda(1, 34), QStringLiteral("255"));
        LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), " ");
    }

    // The text export reads the window as designed; loaded with no device and no
    // intervals it shows no message either.
    void textExport()
    {
        device(0, QString());
        registraForm6();
        LocGuruP_BAS::ExportAllFormStrings();
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QVERIFY(!FormRegistry::instance(QStringLiteral("Form6")));
        FormRegistry::addDesign(QStringLiteral("Form6"), nullptr);
        LocGuruP_BAS::ExportAllFormStrings();
        QVERIFY2(answers->shown().isEmpty(), qPrintable(answers->texts().join(" | ")));
        QVERIFY(FormRegistry::instance(QStringLiteral("Form6")));
        delete FormRegistry::instance(QStringLiteral("Form6"));
        FormRegistry::add(QStringLiteral("Form6"), nullptr);
    }
};

QTEST_MAIN(TestForm6)
#include "tst_form6.moc"
