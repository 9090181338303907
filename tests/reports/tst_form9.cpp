// The charts window on a seeded device: what both charts draw, the slider and its arrows
// at both ends, the mouse on either chart with the two value labels at known pixels, the
// popup's copies and show/hide items, the incidents window's wait panel, a device without
// intervals, and its translation.

#include "TestSupport.h"

#include "SemillaGraficas.h"
#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "reports/Form9.h"
#include "widgets/BusyIndicator.h"
#include "widgets/Chart2D.h"
#include "widgets/ChartPainter.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

using namespace slx;
using namespace slx::graficas;

class TestForm9 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form9> form;

    bool open(qint32 serial = semilla::kSerie, const QString &version = QStringLiteral("4.1"))
    {
        Modulo1 &m = modulo1();
        m.NumeroSerieAparato = serial;
        m.VersionAparato = version;
        m.LocalAparato = QStringLiteral("Sala Gràfica");
        m.FechaAparato = QStringLiteral("01/02/09");
        form = static_cast<Form9 *>(creaForm9());
        form->show();
        return QTest::qWaitForWindowExposed(form);
    }
    // The pixel of a data position on a chart as laid out on the screen.
    static QPoint pixel(Chart2D *c, double x, double y)
    {
        return chart::toPixel(c->chartLayout(), c->model(), x, y).toPoint();
    }
    static const chart::Label &onBar(Chart2D *c) { return *std::as_const(*c).model().label(QStringLiteral("OnBar")); }
    // The drawn values of the upper chart's group, series and the lower chart, at a point.
    static double arriba(Form9 *f, int g, int s, int p) { return f->Chart2D1->value(g, s, p); }
    static double abajo(Form9 *f, int s, int p) { return f->Chart2D2->value(1, s, p); }

private slots:
    void initTestCase()
    {
        registraForm5();
        registraForm9();
    }
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        answers = std::make_unique<slxtest::Answers>();
        QLocale::setDefault(QLocale::c());
    }
    void cleanup()
    {
        delete form;
        answers.reset();
        home.reset();
    }

    // Opening: the device's boxes, the newest 50 drawn, the percentiles hidden, the events of
    // firmware 3.0 shown, the labels hidden, no message.
    void opensOnTheNewest50()
    {
        QVERIFY(semilla::siembra());
        QVERIFY(open());
        QVERIFY(answers->shown().isEmpty());
        QCOMPARE(form->windowTitle(), ui::applicationTitle());
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("500005"));
        QCOMPARE(form->TextLocal->text(), QStringLiteral("Sala Gràfica"));
        QCOMPARE(form->TextFecha->text(), QStringLiteral("01/02/09"));
        QCOMPARE(form->Slider1->minimum(), 0);
        QCOMPARE(form->Slider1->maximum(), 70);
        QCOMPARE(form->Slider1->value(), 70);
        QVERIFY(form->tieneOrigen());

        // The drawn values are those of the rows 70 to 119.
        QCOMPARE(form->Chart2D1->model().pointLabel(1), QStringLiteral("06.03.09  03:45 <> 04:00"));
        QCOMPARE(arriba(form, 1, LeqLocal, 50), kBajoRango);
        QCOMPARE(arriba(form, 1, LeqLocal, 49), 121.0);
        QCOMPARE(arriba(form, 1, LeqLocal, 48), kSinValor);
        QCOMPARE(arriba(form, 1, LimiteLocal, 48), 85.0);
        QCOMPARE(arriba(form, 1, LimiteLocal, 47), kSinValor);
        QCOMPARE(arriba(form, 1, LimiteVecino, 47), kSinValor);
        QCOMPARE(arriba(form, 1, LimiteMFast, 47), 100.0);
        QCOMPARE(arriba(form, 2, L10, 50), kBajoRango);
        QList<int> bandas;
        for (int p = 1; p <= 50; ++p)
            if (arriba(form, 2, SinDatos, p) == kBanda)
                bandas << p;
        QCOMPARE(bandas, (QList<int>{30, 31, 44, 45}));
        QCOMPARE(abajo(form, 4, 48), 1.0); // sensor inactive
        QCOMPARE(abajo(form, 6, 43), 1.0); // line insufficient 3
        QCOMPARE(abajo(form, 6, 44), 0.0); // 255: not available
        QCOMPARE(abajo(form, 7, 44), 1.0); // D.N.A. 12
        QCOMPARE(abajo(form, 1, 1), 1.0);  // row 70: a disconnection every 7th row
        QCOMPARE(abajo(form, 2, 1), 1.0);  // and exceedances every 5th
        QCOMPARE(abajo(form, 3, 1), 0.0);

        for (int s = L1; s <= L90; ++s)
            QVERIFY(!form->Chart2D1->isSeriesShown(2, s));
        QVERIFY(form->Chart2D1->isSeriesShown(2, SinDatos));
        for (int s = 1; s <= 8; ++s) {
            QVERIFY(form->Chart2D1->isSeriesShown(1, s));
            QVERIFY(form->Chart2D2->isSeriesShown(1, s));
        }
        QVERIFY(!onBar(form->Chart2D1).shown);
        QVERIFY(!onBar(form->Chart2D2).shown);
        // Each point of the lower chart stands under the same point of the upper one.
        QCOMPARE(form->Chart2D1->width(), form->Chart2D2->width());
        for (int p : {1, 25, 50})
            QCOMPARE(pixel(form->Chart2D1, p, 60).x(), pixel(form->Chart2D2, p, 0).x());
        QCOMPARE(onBar(form->Chart2D1).background, QColor(0, 255, 255));
        QCOMPARE(onBar(form->Chart2D1).distance, 10);
        for (int i = 1; i <= 9; ++i)
            QVERIFY(form->PopUpMnu2[i]->isChecked());
        QVERIFY(!form->PopUpMnu2[0]->isCheckable());
    }

    // Below firmware 3.0 the three newer event series are hidden and the lower label stops
    // after the maximum-fast exceedances.
    void olderFirmware()
    {
        QVERIFY(semilla::siembra(120, QStringLiteral("2.0")));
        QVERIFY(open(semilla::kSerie, QStringLiteral("2.0")));
        for (int s = 6; s <= 8; ++s)
            QVERIFY(!form->Chart2D2->isSeriesShown(1, s));
        QCOMPARE(abajo(form, 7, 44), 0.0);
        QTest::mouseClick(form->Chart2D2, Qt::LeftButton, {}, pixel(form->Chart2D2, 43, 2));
        QVERIFY(onBar(form->Chart2D2).text.endsWith(oLocGuru().GetS(54) + QStringLiteral("0")));
    }

    // A left click on point 50 of the upper chart: both labels on that interval, the upper one
    // at the pointer's height and to the left of its point; a click on the lower chart puts
    // the upper label at 21; the bottom of the upper plot gives 20; outside the plot both go.
    void clicksAndLabels()
    {
        QVERIFY(semilla::siembra());
        QVERIFY(open());
        Chart2D *c1 = form->Chart2D1, *c2 = form->Chart2D2;

        QTest::mouseClick(c1, Qt::LeftButton, {}, pixel(c1, 50, 80));
        QCOMPARE(modulo1().GraficaActiva, quint8(1));
        const chart::Label &l1 = onBar(c1);
        const chart::Label &l2 = onBar(c2);
        QVERIFY(l1.shown && l2.shown);
        QCOMPARE(l1.x, 50.0);
        QVERIFY2(qAbs(l1.y - 80) < 1, qPrintable(QString::number(l1.y)));
        QCOMPARE(l1.anchor, chart::Anchor::NorthWest);
        const QString gs = oLocGuru().GetS(55);
        QCOMPARE(l1.text, gs + QStringLiteral(":UND ") + oLocGuru().GetS(58) + QStringLiteral(":59.0 ") +
                              oLocGuru().GetS(14) + QStringLiteral(":90.5 ") + oLocGuru().GetS(12) +
                              QStringLiteral(":80.0 ") + oLocGuru().GetS(13) +
                              QStringLiteral(":61.0\r\rL1:70.0 L5:64.0 L10:UND L50:64.0 L90:62.0"));
        QCOMPARE(l2.x, 50.0);
        QCOMPARE(l2.y, 0.0);
        QCOMPARE(l2.anchor, chart::Anchor::NorthWest);
        // Row 119: one disconnection (a multiple of 7), every other counter 0.
        QCOMPARE(l2.text, oLocGuru().GetS(50) + "1 " + oLocGuru().GetS(51) + "0 " + oLocGuru().GetS(52) + "0 " +
                              oLocGuru().GetS(53) + "0 " + oLocGuru().GetS(54) + "0 " + oLocGuru().GetS(110) + "0 " +
                              oLocGuru().GetS(108) + ":0' " + oLocGuru().GetS(109) + ":0'");
        // The labels are what a screen reader reads of the chart.
        QTRY_VERIFY(c1->accessibleDescription().contains(QStringLiteral("L10:UND")));

        // Lower chart, point 10: the upper label at 21, both to the right of their point.
        QTest::mouseClick(c2, Qt::LeftButton, {}, pixel(c2, 10, 3));
        QCOMPARE(modulo1().GraficaActiva, quint8(2));
        QCOMPARE(l1.x, 10.0);
        QCOMPARE(l1.y, 21.0);
        QCOMPARE(l1.anchor, chart::Anchor::NorthEast);
        QCOMPARE(l2.x, 10.0);
        QCOMPARE(l2.anchor, chart::Anchor::NorthEast);
        // Point 25 of the upper chart: centred; the point's row (94) reads 94 % 40 + 60 = 74.
        QTest::mouseClick(c1, Qt::LeftButton, {}, pixel(c1, 25, 100));
        QCOMPARE(l1.anchor, chart::Anchor::North);
        QVERIFY(l1.text.startsWith(gs + QStringLiteral(":74.0 ")));
        QCOMPARE(l2.anchor, chart::Anchor::North);

        // The lowest pixel row of the upper plot: the label is never attached below 20.
        const chart::Layout lay = c1->chartLayout();
        QPoint bajo(pixel(c1, 5, 20).x(), int(lay.plot.bottom()) + 2);
        while (c1->hitTest(bajo).region != chart::Region::Plot)
            bajo.ry() -= 1;
        QTest::mouseClick(c1, Qt::LeftButton, {}, bajo);
        QCOMPARE(l1.x, 5.0);
        QCOMPARE(l1.y, qMax(20.0, c1->hitTest(bajo).y));
        QVERIFY(qAbs(l1.y - 20) < 1);

        // Outside the plot (the header corner): both labels hidden and emptied.
        QTest::mouseClick(c1, Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!l1.shown && !l2.shown);
        QVERIFY(l1.text.isEmpty() && l2.text.isEmpty());
    }

    // 30 intervals, point 40 picked: every value "---" above, zeros below.
    void pointAfterTheLastRow()
    {
        QVERIFY(semilla::siembra(30));
        QVERIFY(open());
        QTest::mouseClick(form->Chart2D1, Qt::LeftButton, {}, pixel(form->Chart2D1, 40, 60));
        const chart::Label &l1 = onBar(form->Chart2D1);
        QVERIFY(l1.shown);
        QCOMPARE(l1.text.count(QStringLiteral("---")), 10);
        QCOMPARE(form->Chart2D1->model().pointLabel(40), QStringLiteral(" "));
        QVERIFY(!onBar(form->Chart2D2).text.contains(QRegularExpression(QStringLiteral("[1-9]"))));
    }

    // The slider at both ends and the arrows: the left arrow moves one back and redraws, hiding
    // the labels with their texts kept; the right arrow at the end and the left one at 0 do
    // nothing.
    void sliderAndArrows()
    {
        QVERIFY(semilla::siembra());
        QVERIFY(open());
        QTest::mouseClick(form->Chart2D1, Qt::LeftButton, {}, pixel(form->Chart2D1, 50, 80));
        const QString texto = onBar(form->Chart2D1).text;
        QTest::mouseClick(form->SSCommandSliderRight, Qt::LeftButton);
        QCOMPARE(form->Slider1->value(), 70);
        QVERIFY(onBar(form->Chart2D1).shown);

        QTest::mouseClick(form->SSCommandSliderLeft, Qt::LeftButton);
        QCOMPARE(form->Slider1->value(), 69);
        QVERIFY(!onBar(form->Chart2D1).shown && !onBar(form->Chart2D2).shown);
        QCOMPARE(onBar(form->Chart2D1).text, texto);
        // Point 50 is now row 118 (over range), point 1 row 69.
        QCOMPARE(arriba(form, 1, LeqLocal, 50), 121.0);
        QCOMPARE(form->Chart2D1->model().pointLabel(1),
                 semilla::inicioFila(69).toString(QStringLiteral("dd.MM.yy  hh:mm <> ")) +
                     semilla::inicioFila(69).addSecs(900).toString(QStringLiteral("hh:mm")));

        form->Slider1->setValue(0);
        QCOMPARE(form->Chart2D1->model().pointLabel(1), QStringLiteral("05.03.09  10:15 <> 10:30"));
        QCOMPARE(arriba(form, 1, LeqLocal, 1), 60.0);
        for (int p = 1; p <= 50; ++p)
            QCOMPARE(arriba(form, 2, SinDatos, p), kSinValor);
        QTest::mouseClick(form->SSCommandSliderLeft, Qt::LeftButton);
        QCOMPARE(form->Slider1->value(), 0);
        // The end by the keyboard.
        form->Slider1->setFocus();
        QTest::keyClick(form->Slider1, Qt::Key_End);
        QCOMPARE(form->Slider1->value(), 70);
        QCOMPARE(arriba(form, 1, LeqLocal, 50), kBajoRango);
    }

    // 40 intervals: no scrolling; the arrows and the slider redraw nothing.
    void noScrolling()
    {
        QVERIFY(semilla::siembra(40));
        QVERIFY(open());
        QCOMPARE(form->Slider1->minimum(), -1);
        QCOMPARE(form->Slider1->maximum(), 0);
        QCOMPARE(form->Slider1->value(), 0);
        QTest::mouseClick(form->Chart2D1, Qt::LeftButton, {}, pixel(form->Chart2D1, 3, 80));
        QTest::mouseClick(form->SSCommandSliderLeft, Qt::LeftButton);
        QTest::mouseClick(form->SSCommandSliderRight, Qt::LeftButton);
        form->Slider1->setValue(-1);
        QCOMPARE(form->Slider1->value(), -1);
        QVERIFY(onBar(form->Chart2D1).shown); // nothing redrew
        QCOMPARE(form->Chart2D1->model().pointLabel(1), QStringLiteral("05.03.09  10:15 <> 10:30"));
    }

    // The popup: a right click sets the active chart; the copies take it in their format; the
    // show/hide items toggle the upper chart's series and their marks, whichever chart.
    void popup()
    {
        QVERIFY(semilla::siembra());
        QVERIFY(open());
        QTest::mouseClick(form->Chart2D2, Qt::RightButton, {}, QPoint(40, 40));
        QCOMPARE(modulo1().GraficaActiva, quint8(2));
        QTRY_VERIFY(form->PopUp->isVisible());
        form->PopUp->hide();

        QGuiApplication::clipboard()->clear();
        form->PopUpMnu1[0]->trigger();
        const QMimeData *copia = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copia && copia->hasImage());
        QCOMPARE(qvariant_cast<QImage>(copia->imageData()).size(), form->Chart2D2->size());
        QVERIFY(!copia->hasFormat(QStringLiteral("image/svg+xml")));

        QTest::mouseClick(form->Chart2D1, Qt::RightButton, {}, QPoint(40, 40));
        form->PopUp->hide();
        form->PopUpMnu1[1]->trigger();
        copia = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copia->hasFormat(QStringLiteral("image/svg+xml")));
        QCOMPARE(qvariant_cast<QImage>(copia->imageData()).size(), form->Chart2D1->size());
        form->PopUpMnu1_Click(4); // no such format: nothing

        // From the lower chart, "LFmax": the upper chart's series goes and comes back.
        modulo1().GraficaActiva = 2;
        form->PopUpMnu2[3]->trigger();
        QVERIFY(!form->Chart2D1->isSeriesShown(1, MaxFast));
        QVERIFY(!form->PopUpMnu2[3]->isChecked());
        form->PopUpMnu2[3]->trigger();
        QVERIFY(form->Chart2D1->isSeriesShown(1, MaxFast));
        QVERIFY(form->PopUpMnu2[3]->isChecked());
        form->PopUpMnu2[9]->trigger();
        QVERIFY(!form->Chart2D1->isSeriesShown(2, SinDatos));
        QVERIFY(!form->PopUpMnu2[9]->isChecked());
        QVERIFY(!form->Chart2D1->isBatched());
        // A hidden series is not drawn: the picture changes when it comes back.
        const QImage sin = form->Chart2D1->toImage();
        form->PopUpMnu2[9]->trigger();
        QVERIFY(form->Chart2D1->toImage() != sin);

        // "Cursor" hides both labels and empties them.
        QTest::mouseClick(form->Chart2D1, Qt::LeftButton, {}, pixel(form->Chart2D1, 20, 80));
        QVERIFY(onBar(form->Chart2D1).shown);
        form->PopUpMnu2[0]->trigger();
        QVERIFY(!onBar(form->Chart2D1).shown && onBar(form->Chart2D2).text.isEmpty());
    }

    // No intervals (and the text export's load): empty charts, no message.
    void noIntervals()
    {
        QVERIFY(open(0));
        QVERIFY(answers->shown().isEmpty());
        QVERIFY(!form->tieneOrigen());
        QCOMPARE(form->Slider1->minimum(), -1);
        for (int p = 1; p <= 50; ++p) {
            QCOMPARE(form->Chart2D1->model().pointLabel(p), QStringLiteral(" "));
            QCOMPARE(arriba(form, 1, LeqLocal, p), kSinValor);
            QCOMPARE(abajo(form, 1, p), 0.0);
        }
    }

    // Opened by name from the incidents window: its wait panel is stopped once the charts are
    // drawn, and also when the load fails.
    void waitPanelOfTheIncidentsWindow()
    {
        QVERIFY(semilla::siembra());
        modulo1().NumeroSerieAparato = semilla::kSerie;
        QPointer<QWidget> incidencias = FormRegistry::load(QStringLiteral("Form5"));
        QVERIFY(incidencias);
        auto *form5 = static_cast<Form5 *>(incidencias.data());
        form5->show();
        bool visto = false, parado = false;
        QTimer::singleShot(0, this, [&] {
            auto *charts = FormRegistry::instance(QStringLiteral("Form9"));
            visto = charts && charts->isVisible();
            parado = form5->SSPanel1->isHidden() && !form5->Animation1->isRunning();
            if (charts)
                static_cast<Form9 *>(charts)->SSCommandExit->click();
        });
        form5->SSCommandGrafica->click();
        QVERIFY(visto);
        QVERIFY(parado);
        QTRY_VERIFY(!FormRegistry::instance(QStringLiteral("Form9")));

        // A database that fails: its description, and the panel stopped all the same.
        form5->SSPanel1->show();
        form5->Animation1->start();
        modulo1().ConexionBD.close();
        QVERIFY(open());
        QCOMPARE(answers->shown().size(), 1);
        QCOMPARE(answers->shown().first().icon, ui::Icon::Critical);
        QVERIFY(form5->SSPanel1->isHidden());
        delete incidencias;
    }

    void translations()
    {
        {
            Form9 design;
            const QStringList missing = slxtest::missingTranslations({&design}, home->file("Language.db"));
            QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), "English"));
        QVERIFY(open(0));
        QCOMPARE(form->SSCommandExit->text(), QStringLiteral("Back"));
        QCOMPARE(form->Chart2D1->model().series(1, 1).label, oLocGuru().GetS(55));
        QVERIFY(form->Chart2D2->model().series(1, 4).label != QStringLiteral("Sensor inhábil"));
        QVERIFY(form->PopUpMnu0[1]->title() != QStringLiteral("Ocultar/Mostrar"));
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), "Español"));
    }
};

QTEST_MAIN(TestForm9)
#include "tst_form9.moc"
