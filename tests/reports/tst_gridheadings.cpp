// The headings of every grid stand whole in each of the seven languages: the incidents
// window's five grids, the reports window's two record pickers and the programming
// sheet's disabled intervals, in real windows, every column shown.

#include "ReportsFixture.h"
#include "TestSupport.h"

#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "programming/Form2.h"
#include "reports/Form6.h"
#include "widgets/TDBGrid.h"

#include <QHeaderView>
#include <QTextLayout>
#include <QtTest>

using namespace slx;

namespace {

// How a heading wraps at its words into a width: its lines and the widest of them
// (a word wider than the width stands on a line of its own, wider than the width).
struct Partido {
    int lineas = 0;
    qreal ancho = 0;
};

Partido parte(const QString &texto, const QFont &fuente, qreal ancho)
{
    Partido p;
    for (const QString &parrafo : texto.split(QLatin1Char('\n'))) {
        QTextLayout layout(parrafo, fuente);
        QTextOption opcion(Qt::AlignCenter);
        opcion.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(opcion);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(ancho);
            p.ancho = std::max(p.ancho, l.naturalTextWidth());
            ++p.lineas;
        }
        layout.endLayout();
    }
    return p;
}

// The headings of a grid's views that do not stand whole in their sections: wrapped into
// the section less the heading's two pixels a side, more lines than the grid's heading
// lines or a line wider than the section.
QStringList cortadas(TDBGrid *g)
{
    QStringList out;
    QList<QTableView *> vistas{g};
    if (g->splitCount() == 2)
        vistas.prepend(g->split(0));
    for (QTableView *v : vistas) {
        QHeaderView *h = v->horizontalHeader();
        if (h->isHidden() || !h->model())
            continue;
        for (int i = 0; i < h->count(); ++i) {
            if (h->isSectionHidden(i) || h->sectionSize(i) <= 0)
                continue;
            const QString texto = h->model()->headerData(i, Qt::Horizontal).toString();
            if (texto.trimmed().isEmpty())
                continue;
            const qreal sitio = h->sectionSize(i) - 4;
            const Partido p = parte(texto, h->font(), sitio);
            if (p.lineas > g->headLines() || p.ancho > sitio)
                out << QStringLiteral("%1 column %2 \"%3\": %4 lines of up to %5 px in %6 px")
                           .arg(g->objectName())
                           .arg(i)
                           .arg(QString(texto).replace('\n', '/'))
                           .arg(p.lineas)
                           .arg(p.ancho)
                           .arg(sitio);
        }
    }
    return out;
}

} // namespace

class TestGridHeadings : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    std::unique_ptr<slxtest::Answers> answers;

    QStringList revisa(QWidget *w, const QString &language)
    {
        QStringList out;
        const QList<TDBGrid *> grids = w->findChildren<TDBGrid *>();
        if (grids.isEmpty())
            out << w->objectName() + ": no grid";
        for (TDBGrid *g : grids) {
            out << cortadas(g);
            if (g->dataSource())
                g->setLeftCol(qMax(0, g->columnCount() - 3)); // the last columns in the picture
        }
        slxtest::captura(w, w->objectName() + QLatin1Char('-') + language);
        return out;
    }

private Q_SLOTS:
    void initTestCase() { FormRegistry::add(QStringLiteral("Form5"), creaForm5); }
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QVERIFY(reportsfixture::seed());
        answers = std::make_unique<slxtest::Answers>();
    }
    void cleanup()
    {
        answers.reset();
        home.reset();
    }

    void headingsStandWhole_data() { slxtest::addLanguageRows(); }
    void headingsStandWhole()
    {
        QFETCH(QString, language);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        QStringList problemas;

        // The incidents window on a device whose logs have the minute columns.
        reportsfixture::device(100001, QStringLiteral("4.1"));
        {
            std::unique_ptr<QWidget> incidencias(creaForm5());
            incidencias->show();
            QVERIFY(QTest::qWaitForWindowExposed(incidencias.get()));
            problemas << revisa(incidencias.get(), language);
        }
        // The reports window's record pickers.
        reportsfixture::device(100001, QStringLiteral("4.1"));
        {
            std::unique_ptr<QWidget> informes(creaForm6());
            informes->show();
            QVERIFY(QTest::qWaitForWindowExposed(informes.get()));
            problemas << revisa(informes.get(), language);
        }
        // The programming sheet's disabled intervals.
        {
            auto hoja = std::make_unique<Form2>();
            QVERIFY(hoja->Form_Load());
            hoja->show();
            QVERIFY(QTest::qWaitForWindowExposed(hoja.get()));
            problemas << revisa(hoja.get(), language);
        }
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
    }
};

QTEST_MAIN(TestGridHeadings)
#include "tst_gridheadings.moc"
