// The print preview on real windows: what it shows, its busy guard, the lazy page
// view (only pages in sight are painted), zoom, fit and keys, and printing through
// the dialog layer.

#include "TestSupport.h"
#include "base/Modulo1.h"
#include "printing/Form15.h"
#include "widgets/Iconos.h"
#include "printing/ReportEngine.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QSqlQuery>
#include <QToolButton>
#include <QScreen>
#include <QStyle>
#include <QtTest>

using namespace slx;

namespace {

const char *const kLayout = R"(<layouts version="1">
  <report name="R" width="210" height="297" size="9">
    <section name="Header" height="10"><text name="Titulo" x="0" y="0" width="80" height="6" text="Titulo"/></section>
    <section name="Detail" height="5">
      <subreport name="Filas" x="0" y="0" width="100" height="5">
        <report name="Filas">
          <section name="Header" height="5"><text name="TN" x="0" y="0" width="20" height="5" text="N"/></section>
          <section name="Detail" height="5"><text name="N" x="0" y="0" width="20" height="5" column="n"/></section>
        </report>
      </subreport>
    </section>
    <section name="PageFooter" height="6"><text name="P" x="0" y="0" width="80" height="5" text="{Page}/{Pages}"/></section>
  </report>
</layouts>
)";

} // namespace

class TestForm15 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<ReportEngine> motor;

    // A report of n rows (about 50 a page).
    void report(int n)
    {
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("CREATE TABLE IF NOT EXISTS Filas (n INTEGER)"));
        QVERIFY(q.exec("DELETE FROM Filas"));
        QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                                      "INSERT INTO Filas SELECT x FROM c")
                           .arg(n)));
        QFile f(home->file("r.xml"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kLayout);
        f.close();
        motor = std::make_unique<ReportEngine>();
        QVERIFY(motor->carga(home->file("r.xml"), "R"));
        Informe *filas = (*motor->informe())->subinforme("Filas").value();
        filas->setConexion(modulo1().ConexionBD);
        filas->setOrigen("SELECT n FROM Filas ORDER BY n");
        modulo1().InformeVistaPrevia = motor.get();
    }

    Form15 *open()
    {
        auto *f = new Form15;
        f->setAttribute(Qt::WA_DeleteOnClose, false);
        f->Form_Load(motor.get());
        f->resize(800, 900);
        f->show();
        return f;
    }

    int pdfPages(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        return int(QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
    }
    void cleanup()
    {
        motor.reset();
        home.reset();
    }

    void noReportShowsTheFailureAndOpensEmpty()
    {
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        QCOMPARE(answers.texts(), QStringList{"There is no report to show."});
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY(f->isVisible());
        QCOMPARE(f->windowTitle(), QStringLiteral("SLX-90"));
        QVERIFY(!f->VSPrinter1->modelo());
        f->findChild<QToolButton *>("SSCommandImprimir")->click();
        QCOMPARE(answers.shown().size(), 1);
    }

    // A busy engine is left alone: no layout, and "Imprimir" does nothing.
    void busyEngineLeavesThePreviewEmpty()
    {
        report(20000);
        QVERIFY(motor->render());
        QVERIFY(motor->ocupado());
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        QVERIFY(!f->VSPrinter1->modelo());
        f->findChild<QToolButton *>("SSCommandImprimir")->click();
        QCOMPARE(answers.shown().size(), 0);
        motor->cancela();
    }

    // The preview opens inside the available part of its screen, its buttons in sight;
    // "Imprimir" shows a printer, not the save button's picture.
    void fitsItsScreen()
    {
        report(3);
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        const QRect libre = f->screen()->availableGeometry();
        QVERIFY2(libre.contains(f->frameGeometry()) || libre.contains(f->geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(f->x()).arg(f->y()).arg(f->width()).arg(f->height())));
        for (auto *b : f->findChildren<QToolButton *>())
            QVERIFY(libre.contains(b->mapToGlobal(b->rect().bottomRight())));
        const QImage icono = f->findChild<QToolButton *>("SSCommandImprimir")->icon().pixmap(24, 24).toImage();
        const QImage guardar = f->style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(24, 24).toImage();
        QVERIFY(!icono.isNull());
        QVERIFY(icono.convertToFormat(QImage::Format_ARGB32) != guardar.convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(icono.convertToFormat(QImage::Format_ARGB32),
                 iconoImprimir().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32));
        // "Ayuda" shows the help picture, not a cross that reads as "close".
        const QImage ayuda = f->findChild<QToolButton *>("SSCommandHelp")->icon().pixmap(24, 24).toImage();
        QCOMPARE(ayuda.convertToFormat(QImage::Format_ARGB32),
                 iconoAyuda().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32));
        for (QStyle::StandardPixmap cruz : {QStyle::SP_DialogHelpButton, QStyle::SP_DialogCloseButton,
                                            QStyle::SP_DialogCancelButton})
            QVERIFY(ayuda.convertToFormat(QImage::Format_ARGB32) !=
                    f->style()->standardIcon(cruz).pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32));
        slxtest::captura(f.get(), QStringLiteral("form15"));
    }

    // Only the pages in sight are painted, however many the report has; the page
    // count grows while the layout runs; keys, wheel and the zoom controls.
    void lazyViewAndNavigation()
    {
        report(15000);
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        PageView *v = f->VSPrinter1;
        QVERIFY(v->modelo());
        QVERIFY(v->paginas() >= 1);
        QTRY_VERIFY_WITH_TIMEOUT(!motor->ocupado(), 30000);
        QVERIFY2(v->paginas() > 250, qPrintable(QString::number(v->paginas())));
        QCOMPARE(f->findChild<QLabel *>("Paginas")->text(), QStringLiteral("/ %1").arg(v->paginas()));
        v->repaint();
        QVERIFY(v->paginasPintadas() >= 1 && v->paginasPintadas() <= 3);
        QCOMPARE(v->ajuste(), PageView::Ajuste::Ancho);

        v->setFocus();
        QTest::keyClick(v, Qt::Key_PageDown);
        QCOMPARE(v->paginaActual(), 1);
        QCOMPARE(f->findChild<QSpinBox *>("Pagina")->value(), 2);
        QTest::keyClick(v, Qt::Key_End);
        QCOMPARE(v->paginaActual(), v->paginas() - 1);
        v->repaint();
        QVERIFY(v->paginasPintadas() >= 1 && v->paginasPintadas() <= 3);
        QTest::keyClick(v, Qt::Key_Home);
        QCOMPARE(v->paginaActual(), 0);
        f->findChild<QSpinBox *>("Pagina")->setValue(100);
        QCOMPARE(v->paginaActual(), 99);

        const double ancho = v->zoom();
        QTest::keyClick(v, Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(v->zoom() > ancho);
        QCOMPARE(v->ajuste(), PageView::Ajuste::Ninguno);
        QCOMPARE(v->paginaActual(), 99); // the page in sight stays
        QWheelEvent rueda(QPointF(50, 50), v->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        const double antes = v->zoom();
        QCoreApplication::sendEvent(v->viewport(), &rueda);
        QVERIFY(v->zoom() < antes);
        auto *zoom = f->findChild<QComboBox *>("Zoom");
        // The box shows the zoom in force, also one of no preset.
        QCOMPARE(zoom->currentText(), QStringLiteral("%1 %").arg(qRound(v->zoom() * 100)));
        zoom->activated(1);
        QCOMPARE(v->ajuste(), PageView::Ajuste::Pagina);
        v->repaint();
        QCOMPARE(v->paginasPintadas(), 1); // a whole page fits the view
        zoom->activated(zoom->findData(25));
        QCOMPARE(v->zoom(), 0.25);
        QCOMPARE(zoom->currentText(), QStringLiteral("25 %"));
        QCOMPARE(answers.shown().size(), 0);
    }

    // "Imprimir": the print dialog of the dialog layer, the range chosen, a cancel,
    // and a printer that cannot be opened.
    void printThroughTheDialog()
    {
        report(400);
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        QTRY_VERIFY(!motor->ocupado());
        const int n = f->VSPrinter1->paginas();
        QVERIFY(n >= 5);
        auto *imprimir = f->findChild<QToolButton *>("SSCommandImprimir");

        answers.then(QVariantMap{{"file", home->file("range.pdf")}, {"from", 2}, {"to", 3}});
        imprimir->click();
        QCOMPARE(answers.shown().last().kind, ui::Kind::Print);
        QCOMPARE(answers.shown().last().defecto, QString::number(n));
        QCOMPARE(pdfPages(home->file("range.pdf")), 2);

        answers.then(home->file("all.pdf"));
        imprimir->click();
        QCOMPARE(pdfPages(home->file("all.pdf")), n);

        answers.then(QVariant());
        imprimir->click();
        QCOMPARE(answers.shown().size(), 3); // cancelled: nothing more shown

        answers.then(home->file("no/such/folder/x.pdf"));
        imprimir->click();
        QCOMPARE(answers.shown().size(), 5);
        QCOMPARE(answers.shown().last().icon, ui::Icon::Critical);
        QVERIFY(answers.shown().last().text.startsWith("The document cannot be printed"));
    }

    // Closed and shown again: the report is laid out anew; a layout still going on
    // when the preview closes is stopped; the reference stays.
    void showingAgainRendersAnew()
    {
        report(20000);
        slxtest::Answers answers;
        std::unique_ptr<Form15> f(open());
        const auto primero = f->VSPrinter1->modelo();
        QVERIFY(motor->ocupado());
        f->findChild<QToolButton *>("SSCommandExit")->click();
        QVERIFY(!f->isVisible());
        QVERIFY(!motor->ocupado());
        QCOMPARE(modulo1().InformeVistaPrevia.data(), static_cast<QObject *>(motor.get()));
        std::unique_ptr<Form15> g(open());
        QVERIFY(g->VSPrinter1->modelo() != primero);
        QCOMPARE(answers.shown().size(), 0);
        g->close();
    }
};

QTEST_MAIN(TestForm15)
#include "tst_form15.moc"
