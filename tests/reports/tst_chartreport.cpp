// The chart report from the charts window's Print button: both charts written beside the
// layout as SVG pictures and placed on the page, the device's frame around them, the memo
// in Configuracion, and the failures (a picture that cannot be written, no device row).

#include "OrdinaryUser.h"
#include "PageChecks.h"
#include "PreviewCatcher.h"
#include "TestSupport.h"

#include "SemillaGraficas.h"
#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "printing/Form15.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "reports/Form9.h"
#include "widgets/Chart2D.h"
#include "widgets/ChartPainter.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSqlQuery>
#include <QSvgRenderer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest>

using namespace slx;

namespace {

QVariant consulta(const QString &sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}

QByteArray contenido(const QString &fichero)
{
    QFile f(fichero);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A colour drawn with antialiasing near another.
bool cercano(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

} // namespace

class TestChartReport : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::DataHome> home;
    QPointer<Form5> incidencias;
    QPointer<Form9> form;
    bool previewShown = false;
    std::shared_ptr<const ModeloPaginas> modelo;
    slxtest::PreviewCatcher preview;

    // The incidents window as the charts window finds it: its totals stamp and version.
    void openIncidents(const QString &version)
    {
        incidencias = new Form5;
        incidencias->MaskFechaTotales->setText(QStringLiteral("15/03/2009"));
        incidencias->MaskHoraTotales->setText(QStringLiteral("14:32:10"));
        incidencias->TextVersion->setText(version);
        FormRegistry::setInstance(QStringLiteral("Form5"), incidencias);
    }
    bool openCharts()
    {
        Modulo1 &m = modulo1();
        m.NumeroSerieAparato = semilla::kSerie;
        m.VersionAparato = QStringLiteral("4.1");
        m.LocalAparato = QStringLiteral("Sala Gràfica");
        m.FechaAparato = QStringLiteral("01/02/09");
        form = static_cast<Form9 *>(creaForm9());
        form->show();
        return QTest::qWaitForWindowExposed(form);
    }
    // Clicks Print; the preview, when shown, is read and closed.
    void print()
    {
        preview.run([this] { QTest::mouseClick(form->SSCommandImprimir, Qt::LeftButton); });
        previewShown = preview.shown;
        modelo = preview.modelo;
    }
    QString one(const QString &field)
    {
        const QStringList t = modelo ? modelo->textosDe(field) : QStringList();
        return t.size() == 1 ? t.first() : QStringLiteral("<%1 times>").arg(t.size());
    }
    // The pictures of the model: file name by field name, and their pages.
    QMap<QString, QString> pictures(QList<int> *pages = nullptr)
    {
        QMap<QString, QString> out;
        for (int p = 0; modelo && p < modelo->paginas(); ++p)
            for (const ModeloPaginas::Item &it : modelo->items(p))
                if (it.tipo == ModeloPaginas::Tipo::Imagen) {
                    out.insert(it.nombre, it.texto);
                    if (pages)
                        *pages << p;
                }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registraForm5();
        registraForm9();
    }
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QVERIFY(semilla::siembra());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("Español")));
        QLocale::setDefault(QLocale::c());
        Modulo1 &m = modulo1();
        for (int i = 0; i < 31; ++i) {
            m.IntervalosInhabiles[i].DiaEmpieza = QStringLiteral("00/00/00");
            m.IntervalosInhabiles[i].HoraEmpieza = m.IntervalosInhabiles[i].DiaTermina =
                m.IntervalosInhabiles[i].HoraTermina = QStringLiteral("00:00");
        }
    }
    void cleanup()
    {
        delete form;
        delete incidencias;
        home.reset();
    }

    // The page model of a seeded device: both pictures placed as written, the frame filled
    // from the device row, the incidents window and Configuracion; the AVIR rows from 4.0;
    // a footer that holds no value prints empty.
    void reportOfSeededDevice_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QVariant>("usuario");
        QTest::newRow("4.1, footer") << "4.1" << QVariant(QString::fromUtf8("Servei Tècnic"));
        QTest::newRow("4.0, no footer") << "4.0" << QVariant();
        QTest::newRow("3.9") << "3.9" << QVariant(QStringLiteral("Lab"));
    }
    void reportOfSeededDevice()
    {
        QFETCH(QString, version);
        QFETCH(QVariant, usuario);
        QSqlQuery q(modulo1().ConexionBD);
        q.prepare(QStringLiteral("UPDATE Configuracion SET TUsuario = ?, Memo = 'old'"));
        q.addBindValue(usuario.isNull() ? QVariant(QMetaType(QMetaType::QString)) : usuario);
        QVERIFY(q.exec());
        modulo1().IntervalosInhabiles[1].DiaEmpieza = QStringLiteral("24/12/08");
        modulo1().IntervalosInhabiles[1].HoraEmpieza = QStringLiteral("22:00");
        modulo1().IntervalosInhabiles[1].DiaTermina = QStringLiteral("25/12/08");
        modulo1().IntervalosInhabiles[1].HoraTermina = QStringLiteral("08:00");
        openIncidents(version);
        QVERIFY(openCharts());
        slxtest::Answers answers;
        print();
        QVERIFY2(previewShown, qPrintable(answers.texts().join('\n')));
        QVERIFY(answers.shown().isEmpty());
        QVERIFY(modelo && modelo->completo());

        // Both charts written beside the layout, as the window draws them, and placed.
        const QString arriba = DataFolder::file("XML/SLX90_4Pic3.svg");
        const QString abajo = DataFolder::file("XML/SLX90_4Pic2.svg");
        QVERIFY(QSvgRenderer(arriba).isValid());
        QVERIFY(QSvgRenderer(abajo).isValid());
        QVERIFY(contenido(arriba).contains("dBA"));
        QVERIFY(contenido(arriba) != contenido(abajo));
        // The gap bands (hatched) stand in the picture as the report engine reads it.
        QVERIFY(!contenido(arriba).contains("url(#fillpattern"));
        const QColor banda = std::as_const(*form->Chart2D1).model().series(2, graficas::SinDatos).color;
        QSvgRenderer lector(arriba);
        QImage imagen(lector.defaultSize(), QImage::Format_RGB32);
        imagen.fill(Qt::white);
        {
            QPainter p(&imagen);
            lector.render(&p);
        }
        int pixelesBanda = 0;
        for (int y = 0; y < imagen.height(); ++y)
            for (int x = 0; x < imagen.width(); ++x)
                pixelesBanda += cercano(imagen.pixelColor(x, y), banda);
        QVERIFY2(pixelesBanda > 50, qPrintable(QString::number(pixelesBanda) + banda.name()));
        QList<int> pages;
        QCOMPARE(pictures(&pages), (QMap<QString, QString>{{"GraficaNiveles", "SLX90_4Pic3.svg"},
                                                           {"GraficaEventos", "SLX90_4Pic2.svg"}}));
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0], pages[1]);

        // The frame.
        QCOMPARE(one("VLNumeroSerie"), QStringLiteral("500005"));
        QCOMPARE(one("VTLocal"), QString::fromUtf8("Sala Gràfica"));
        QCOMPARE(one("IntervalTotals"), QStringLiteral("15/03/2009 14:32:10"));
        QCOMPARE(one("LabelMemo"), QStringLiteral("02 - 24/12/08 22:00 <-> 25/12/08 08:00     ,     "));
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), one("LabelMemo"));
        // The footer on every page.
        QCOMPARE(modelo->textosDe("TUsuario"), QStringList(modelo->paginas(), usuario.toString()));
        const QStringList fechas = modelo->textosDe("TTFecha");
        QCOMPARE(fechas.size(), modelo->paginas());
        for (const QString &fecha : fechas)
            QVERIFY2(preview.isDayOfRun(fecha, "dd/MM/yyyy"), qPrintable(fecha));
        QCOMPARE(one("TReprog"), QStringLiteral("REPROGRAMACIONES:"));
        QCOMPARE(modelo->textosDe("THora"), (QStringList{"Hora:", "Hora:", "Hora:"}));
        QCOMPARE(one("TCMI"), version == "3.9" ? QStringLiteral("<0 times>") : QStringLiteral("AVIR"));
        QCOMPARE(modulo1().InformeVistaPrevia.data(), static_cast<QObject *>(form->VSReport1));
    }

    // A note of 120 lines and all 30 disabled intervals flow over the pages between the
    // page header and footer, whole and in order; the charts follow on a page of their own.
    void longTextsFlowOverPages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("German") << "Deutsch";
    }
    void longTextsFlowOverPages()
    {
        QFETCH(QString, language);
        QSqlQuery q(modulo1().ConexionBD);
        q.prepare("UPDATE Programacion SET TNota = ? WHERE LNumeroSerie = ?");
        q.addBindValue(slxtest::longNote(120));
        q.addBindValue(semilla::kSerie);
        QVERIFY(q.exec());
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        slxtest::setAllDisabledIntervals();
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        slxtest::Answers answers;
        print();
        QVERIFY2(previewShown, qPrintable(answers.texts().join('\n')));
        const QStringList problemas = slxtest::longTextProblems(*modelo, 120);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
        QList<int> pages;
        QCOMPARE(pictures(&pages).size(), 2);
        QCOMPARE(pages[0], pages[1]);
        QCOMPARE(pages[0], modelo->paginas() - 1);
    }

    // Every caption, label and value of the frame fits its field, with a gap from its
    // neighbour, in each of the seven languages.
    void labelsFitInEveryLanguage_data() { slxtest::addLanguageRows(); }
    void labelsFitInEveryLanguage()
    {
        QFETCH(QString, language);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), language));
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        slxtest::Answers answers;
        print();
        QVERIFY(previewShown);
        const QStringList problemas = slxtest::textsThatDoNotFit(*modelo);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas.join('\n')));
    }

    // Levels of 130 dB, limits of 255 and levels under the range print nothing outside
    // the plots of the pictures written for the report; the pictures are laid out on
    // their boxes' proportions and placed keeping them.
    void chartsPrintInsideTheirPlots()
    {
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        for (Chart2D *c : {form->Chart2D1, form->Chart2D2}) {
            chart::Model &m = c->model();
            for (int g = 1; g <= m.groupCount(); ++g)
                for (int k = 1; k <= int(m.group(g).series.size()); ++k)
                    for (int i = 1; i <= m.pointCount(); ++i)
                        c->setValue(g, k, i, i % 3 == 0 ? 130.0 : i % 3 == 1 ? 255.0 : 1.0);
        }
        slxtest::Answers answers;
        print();
        QVERIFY(previewShown);
        const QMap<QString, Chart2D *> charts{{"SLX90_4Pic3.svg", form->Chart2D1}, {"SLX90_4Pic2.svg", form->Chart2D2}};
        for (auto it = charts.cbegin(); it != charts.cend(); ++it) {
            const chart::Model &m = std::as_const(*it.value()).model();
            QSvgRenderer lector(DataFolder::file("XML/" + it.key()));
            QVERIFY(lector.isValid());
            const QSize tamano = lector.viewBoxF().size().toSize();
            QImage imagen(tamano, QImage::Format_RGB32);
            imagen.fill(Qt::white);
            {
                QPainter p(&imagen);
                lector.render(&p, QRectF(QPointF(0, 0), tamano));
            }
            const chart::Layout lay = chart::layout(m, tamano, it.value()->font());
            QList<QRectF> dentro{lay.plot.adjusted(-2, -2, 2, 2), lay.legend.adjusted(-2, -2, 2, 2)};
            for (const chart::Label &l : m.labels())
                dentro << chart::labelRect(lay, m, it.value()->font(), l).adjusted(-2, -2, 2, 2);
            QList<QColor> colores;
            for (int g = 1; g <= m.groupCount(); ++g)
                for (const chart::Series &se : m.group(g).series)
                    if (se.shown && se.color.hsvSaturation() > 80)
                        colores << se.color;
            QVERIFY(!colores.isEmpty());
            int fuera = 0;
            for (int y = 0; y < imagen.height(); ++y)
                for (int x = 0; x < imagen.width(); ++x) {
                    const QPointF px(x + 0.5, y + 0.5);
                    if (std::any_of(dentro.begin(), dentro.end(), [&](const QRectF &r) { return r.contains(px); }))
                        continue;
                    const QColor c = imagen.pixelColor(x, y);
                    fuera += std::any_of(colores.begin(), colores.end(), [&](const QColor &s) { return cercano(c, s); });
                }
            QVERIFY2(fuera == 0, qPrintable(QStringLiteral("%1: %2 pixels outside the plot").arg(it.key()).arg(fuera)));
        }
        // Placed as they are drawn: the proportions of the box, kept.
        for (int p = 0; p < modelo->paginas(); ++p)
            for (const ModeloPaginas::Item &it : modelo->items(p)) {
                if (it.tipo != ModeloPaginas::Tipo::Imagen)
                    continue;
                const QSizeF propio = QSvgRenderer(DataFolder::file("XML/" + it.texto)).viewBoxF().size();
                const double proporcion = (it.caja.width() / it.caja.height()) / (propio.width() / propio.height());
                QVERIFY2(std::abs(proporcion - 1) < 0.03, qPrintable(it.texto));
                QVERIFY2(std::abs(it.caja.width() - 1800) < 54, qPrintable(it.texto)); // the box's whole width
            }
    }

    // On paper the charts keep the screen's proportions: no pen of the pictures is a
    // hairline of the printer, every line is at least 0.2 mm wide, the limits are broken
    // lines whose dashes and gaps can be seen (the dash about a millimetre), on the page as
    // the printer gets it; the point numbers of the lower chart stand apart.
    void chartsPrintAtThePrintedSize()
    {
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        // The dashed limits alone on the upper chart, level across it.
        QList<QColor> limites;
        {
            chart::Model &m = form->Chart2D1->model();
            for (int g = 1; g <= m.groupCount(); ++g)
                for (int k = 1; k <= int(m.group(g).series.size()); ++k) {
                    const bool limite = m.group(g).kind == chart::Kind::Lines &&
                                        m.series(g, k).penStyle == Qt::DashLine;
                    if (limite && m.series(g, k).shown)
                        limites << m.series(g, k).color;
                    for (int i = 1; i <= m.pointCount(); ++i)
                        form->Chart2D1->setValue(g, k, i, limite ? 80.0 : m.holeValue());
                }
        }
        QVERIFY(!limites.isEmpty());
        slxtest::Answers answers;
        print();
        QVERIFY(previewShown);
        QMap<QString, QRectF> cajas; // the pictures as placed on the page, tenths of a millimetre
        int pagina = -1;
        for (int p = 0; p < modelo->paginas(); ++p)
            for (const ModeloPaginas::Item &it : modelo->items(p))
                if (it.tipo == ModeloPaginas::Tipo::Imagen) {
                    cajas.insert(it.texto, it.caja);
                    pagina = p;
                }
        QCOMPARE(cajas.size(), 2);

        for (auto it = cajas.cbegin(); it != cajas.cend(); ++it) {
            const QString fichero = DataFolder::file("XML/" + it.key());
            const QByteArray svg = contenido(fichero);
            QVERIFY2(!svg.contains("non-scaling-stroke"), qPrintable(it.key()));
            const double mmPorUnidad = it.value().width() / 10 / QSvgRenderer(fichero).viewBoxF().width();
            // Every stroke's width, and the dashes of each colour, at the printed size.
            QXmlStreamReader xml(svg);
            QMap<QString, double> guion; // the longest dash drawn in a colour, in mm
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                const QXmlStreamAttributes a = xml.attributes();
                const QString trazo = a.value("stroke").toString();
                if (trazo.isEmpty() || trazo == "none")
                    continue;
                const double ancho = a.value("stroke-width").toDouble() * mmPorUnidad;
                QVERIFY2(ancho >= 0.2 - 1e-9,
                         qPrintable(QStringLiteral("%1: a %2 line %3 mm wide").arg(it.key(), trazo).arg(ancho)));
                const QStringList patron = a.value("stroke-dasharray").toString().split(',', Qt::SkipEmptyParts);
                if (patron.size() >= 2)
                    guion[trazo] = std::max(guion.value(trazo), patron.at(0).toDouble() * mmPorUnidad);
            }
            if (it.key() != QLatin1String("SLX90_4Pic3.svg"))
                continue;
            for (const QColor &c : std::as_const(limites))
                QVERIFY2(guion.value(c.name()) >= 0.9,
                         qPrintable(QStringLiteral("%1 dashes of %2 mm").arg(c.name()).arg(guion.value(c.name()))));
        }

        // The upper chart's region of the page at 300 dots an inch, as a printer paints it.
        const QRectF caja = cajas.value("SLX90_4Pic3.svg");
        constexpr double puntosPorUnidad = 300 / 254.0;
        QImage papel((caja.size() * puntosPorUnidad).toSize(), QImage::Format_RGB32);
        papel.fill(Qt::white);
        {
            QPainter p(&papel);
            const QSizeF hoja = modelo->tamano * puntosPorUnidad;
            pintaPagina(p, *modelo, pagina,
                        QRectF(-caja.topLeft() * puntosPorUnidad, hoja));
        }
        papel.save(QDir::temp().filePath("slx-chart-printed.png"));
        // Along the limits' line (all at 80 dB): long runs of colour broken by gaps.
        const QSvgRenderer lector(DataFolder::file("XML/SLX90_4Pic3.svg"));
        const QSizeF diseno = lector.viewBoxF().size();
        const chart::Model &m = std::as_const(*form->Chart2D1).model();
        const chart::Layout lay = chart::layout(m, diseno, form->Chart2D1->font());
        const double escala = papel.width() / diseno.width();
        const int y = qRound(chart::toPixel(lay, m, 1, 80).y() * escala);
        const int x0 = qRound(chart::toPixel(lay, m, 1, 80).x() * escala) + 5;
        const int x1 = qRound(chart::toPixel(lay, m, m.pointCount(), 80).x() * escala) - 5;
        const auto deLimite = [&](int x, int yy) {
            const QColor c = papel.pixelColor(x, yy);
            return std::any_of(limites.begin(), limites.end(), [&](const QColor &l) { return cercano(c, l); });
        };
        int huecos = 0, hueco = 0, grueso = 0;
        for (int x = x0; x <= x1; ++x) {
            int columna = 0;
            for (int yy = y - 6; yy <= y + 6; ++yy)
                columna += deLimite(x, yy);
            grueso = std::max(grueso, columna);
            if (columna == 0) {
                ++hueco;
                continue;
            }
            huecos += hueco >= 4; // 0.34 mm and more
            hueco = 0;
        }
        QVERIFY2(grueso >= 3, qPrintable(QStringLiteral("a line %1 dots thick").arg(grueso)));
        QVERIFY2(huecos >= 20, qPrintable(QStringLiteral("%1 gaps along %2 dots").arg(huecos).arg(x1 - x0)));

        // The lower chart's point numbers, as written: each one clear of the next.
        QXmlStreamReader xml(contenido(DataFolder::file("XML/SLX90_4Pic2.svg")));
        QList<QRectF> numeros;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("text"))
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            const double x = a.value("x").toDouble(), yy = a.value("y").toDouble();
            QFont f(a.value("font-family").toString());
            f.setPixelSize(qMax(1, qRound(a.value("font-size").toDouble())));
            bool numero = false;
            const QString texto = xml.readElementText().trimmed();
            const int n = texto.toInt(&numero);
            if (!numero || n < 1 || n > 50)
                continue;
            numeros << QRectF(x, yy - 1, QFontMetricsF(f).horizontalAdvance(texto), 2);
        }
        std::sort(numeros.begin(), numeros.end(), [](const QRectF &a, const QRectF &b) { return a.left() < b.left(); });
        int fila = 0;
        for (int i = 1; i < numeros.size(); ++i) {
            if (std::abs(numeros[i].top() - numeros[i - 1].top()) > 1)
                continue; // the Y axis's numbers stand in a column, not on a row
            ++fila;
            QVERIFY2(numeros[i].left() >= numeros[i - 1].right() + 1,
                     qPrintable(QStringLiteral("numbers at %1 and %2").arg(numeros[i - 1].left()).arg(numeros[i].left())));
        }
        QVERIFY2(fila >= 4, qPrintable(QString::number(fila)));
    }

    // Every click writes the pictures again, as the charts stand then; no disabled
    // interval is a memo of one blank.
    void secondPrintRewritesThePictures()
    {
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        slxtest::Answers answers;
        print();
        QVERIFY(previewShown);
        QCOMPARE(one("LabelMemo"), QStringLiteral(" "));
        const QByteArray primero = contenido(DataFolder::file("XML/SLX90_4Pic3.svg"));
        form->Slider1->setValue(0);
        print();
        QVERIFY(previewShown);
        const QByteArray segundo = contenido(DataFolder::file("XML/SLX90_4Pic3.svg"));
        QVERIFY(!segundo.isEmpty());
        QVERIFY(primero != segundo);
        QVERIFY(segundo.contains("05.03.09"));
        QVERIFY(answers.shown().isEmpty());
    }

    // A picture that cannot be written: one critical box naming it, no preview.
    void unwritablePicture_data()
    {
        QTest::addColumn<bool>("carpetaSoloLectura");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("a folder in the picture's place") << false;
    }
    void unwritablePicture()
    {
        QFETCH(bool, carpetaSoloLectura);
        const QString carpeta = QFileInfo(DataFolder::file("XML/slx90_4.xml")).absolutePath();
        if (carpetaSoloLectura) {
            QVERIFY(QFile::setPermissions(carpeta, QFile::ReadOwner | QFile::ExeOwner));
        } else {
            QVERIFY(QDir(carpeta).mkdir("SLX90_4Pic3.svg"));
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        slxtest::Answers answers;
        {
            slxtest::OrdinaryUser usuario;
            QVERIFY(usuario.holds());
            print();
        }
        if (carpetaSoloLectura)
            QFile::setPermissions(carpeta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!previewShown);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY2(answers.texts().first().startsWith(
                     "The picture " + QDir::toNativeSeparators(carpeta + "/SLX90_4Pic3.svg") + " cannot be written: "),
                 qPrintable(answers.texts().first()));
        QVERIFY(!QFile::exists(carpeta + "/SLX90_4Pic2.svg"));
    }

    // A serial without a device row: the failure comes after the memo, the pictures and
    // the layout, with the description alone, and no preview.
    void noDeviceRow()
    {
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file("Language.db"), QStringLiteral("English")));
        openIncidents(QStringLiteral("4.1"));
        QVERIFY(openCharts());
        form->TextNumeroSerie->setText(QStringLiteral("999999"));
        slxtest::Answers answers;
        print();
        QVERIFY(!previewShown);
        QCOMPARE(answers.texts(), QStringList{"The device 999999 has no stored programming sheet."});
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QCOMPARE(consulta("SELECT Memo FROM Configuracion").toString(), QStringLiteral(" "));
        QVERIFY(QFile::exists(DataFolder::file("XML/SLX90_4Pic2.svg")));
        QVERIFY(form->VSReport1 && form->VSReport1->cargado());
    }
};

QTEST_MAIN(TestChartReport)
#include "tst_chartreport.moc"
