// The grid control and its windowed SQL model: counting, pages on demand and their cache,
// both kinds of order, cell texts, and the grid's window over many rows, its splits,
// header clicks, current row and the texts it shows to the translation walk.

#include "TestSupport.h"

#include "base/Modulo1.h"
#include "widgets/GridColumn.h"
#include "widgets/TDBGrid.h"
#include "widgets/WindowedSqlModel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;

namespace {

constexpr int kRows = 1234; // of device 7; device 8 has 50

// Row i of device 7 (0 = the oldest): one a minute from 2020-01-01 00:00.
QString fecha(int i)
{
    return QDate(2020, 1, 1).addDays(i / 1440).toString(Qt::ISODate);
}
QString hora(int i)
{
    return QTime(0, 0).addSecs((i % 1440) * 60).toString(QStringLiteral("hh:mm"));
}
double leq(int i)
{
    return 60 + (i * 37 % 500) / 10.0; // not in time order
}

bool seed()
{
    QSqlDatabase db = modulo1().ConexionBD;
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal, ByDNA) "
                             "VALUES (?, ?, ?, ?, ?)"));
    for (int serial : {7, 8}) {
        const int n = serial == 7 ? kRows : 50;
        for (int i = 0; i < n; ++i) {
            q.addBindValue(serial);
            q.addBindValue(fecha(i));
            q.addBindValue(hora(i));
            q.addBindValue(serial == 7 ? leq(i) : 59.0);
            q.addBindValue(i % 2 ? 255 : 12);
            if (!q.exec())
                return false;
        }
    }
    return db.commit();
}

QVector<GridColumn> columnas()
{
    GridColumn none;
    none.visible = false;
    GridColumn f{QStringLiteral("DFechaInicio"), QStringLiteral("Fecha")};
    GridColumn h{QStringLiteral("THoraInicio"), QStringLiteral("Hora")};
    GridColumn l{QStringLiteral("SLeqLocal"), QStringLiteral("LeqT(emisión)\rdBA")};
    l.numberFormat = QStringLiteral("0.0");
    l.valueItems = {{59, QStringLiteral("UND")}, {121, QStringLiteral("UP")}, {0, QStringLiteral("---")}};
    GridColumn d{QStringLiteral("ByDNA"), QStringLiteral("D.N.A.\rmin")};
    d.valueItems = {{255, QStringLiteral("Sin calibrar")}};
    return {none, f, h, l, d};
}

QVector<WindowedSqlModel::Orden> porFecha(bool desc)
{
    return {{QStringLiteral("DFechaInicio"), desc}, {QStringLiteral("THoraInicio"), desc}};
}

} // namespace

class TestTDBGrid : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<slxtest::DataHome> home;

private slots:
    void init()
    {
        home = std::make_unique<slxtest::DataHome>();
        QVERIFY(home->openDatabase());
        QVERIFY(seed());
    }
    void cleanup() { home.reset(); }

    // Cell texts: items by the stored number, formats, a missing value.
    void cellTexts_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("59 level") << QVariant(59.0) << "0.0"
                                  << "UND";
        QTest::newRow("121 level") << QVariant(121.0) << "0.0"
                                   << "UP";
        QTest::newRow("0 level") << QVariant(0.0) << "0.0"
                                 << "---";
        QTest::newRow("65.3") << QVariant(65.3) << "0.0"
                              << "65.3";
        QTest::newRow("70") << QVariant(70.0) << "0.0"
                            << "70.0";
        QTest::newRow("59.04 is no item") << QVariant(59.04) << "0.0"
                                          << "59.0";
        QTest::newRow("integer 59") << QVariant(qlonglong(59)) << ""
                                    << "UND";
        QTest::newRow("number as text") << QVariant(QStringLiteral("121")) << "0.0"
                                        << "UP";
        QTest::newRow("null") << QVariant(QMetaType(QMetaType::Double)) << "0.0"
                              << "";
        QTest::newRow("date") << QVariant(QStringLiteral("2021-03-04")) << "Short Date"
                              << "04/03/2021";
        QTest::newRow("text") << QVariant(QStringLiteral("Leq5s")) << ""
                              << "Leq5s";
    }
    void cellTexts()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        GridColumn c = columnas().at(3);
        c.numberFormat = format;
        QCOMPARE(textoCelda(c, stored), shown);
    }

    void headingLineBreak()
    {
        QCOMPARE(textoCabecera(QStringLiteral("D.N.A.\rmin")), QStringLiteral("D.N.A.\nmin"));
        QCOMPARE(textoCabecera(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    }

    // One COUNT, the device's rows only, newest first; both ends read alike.
    void countAndIndexOrder()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        const auto leido =
            m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 7, porFecha(true));
        QVERIFY2(leido, leido ? "" : qPrintable(leido.error().mensaje()));
        QCOMPARE(m.rowCount(), kRows);
        QVERIFY(!m.ordenTemporal());
        QCOMPARE(m.pagesRead(), 0); // nothing read before it is looked at
        QCOMPARE(m.valor(0, 1).toString(), fecha(kRows - 1));
        QCOMPARE(m.valor(0, 2).toString(), hora(kRows - 1));
        QCOMPARE(m.valor(kRows - 1, 2).toString(), hora(0));
        for (int row : {99, 100, 617, 1133, 1134, 1200})
            QCOMPARE(m.valor(row, 2).toString(), hora(kRows - 1 - row));
        QVERIFY(!m.valor(kRows, 1).isValid());
        QVERIFY(!m.valor(-1, 1).isValid());

        QVERIFY(m.setOrder(porFecha(false)));
        QVERIFY(!m.ordenTemporal());
        for (int row : {0, 150, 1233})
            QCOMPARE(m.valor(row, 2).toString(), hora(row));
    }

    // A read the database refuses is a failure with the database's own text, and the
    // model is left empty rather than showing the rows of before.
    void failedReadIsReported()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        const auto tabla = m.setSource(modulo1().ConexionBD, QStringLiteral("NoSuchTable"),
                                       QStringLiteral("LNumeroSerie"), 7, porFecha(true));
        QVERIFY(!tabla);
        QVERIFY(!tabla.error().text.isEmpty());
        QCOMPARE(tabla.error().text, m.lastError());
        QCOMPARE(m.rowCount(), 0);

        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 7,
                            porFecha(true)));
        QCOMPARE(m.rowCount(), kRows);
        const auto otra = m.setSource(modulo1().ConexionBD, QStringLiteral("NoSuchTable"),
                                      QStringLiteral("LNumeroSerie"), 7, porFecha(true));
        QVERIFY(!otra);
        QCOMPARE(m.rowCount(), 0);
        QVERIFY(!m.refresh());
        QCOMPARE(m.rowCount(), 0);
    }

    // Pages are read once while cached and dropped beyond the cache.
    void pageCache()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 7,
                            porFecha(true)));
        for (int row = 0; row < 100; ++row)
            m.data(m.index(row, 3));
        QCOMPARE(m.pagesRead(), 1);
        for (int row = 0; row < kRows; ++row)
            m.data(m.index(row, 3));
        QCOMPARE(m.pagesRead(), (kRows + 99) / 100);
        QCOMPARE(m.pagesCached(), WindowedSqlModel::kCachedPages);
        const int read = m.pagesRead();
        m.valor(kRows - 1, 1); // still cached
        QCOMPARE(m.pagesRead(), read);
        m.valor(0, 1); // dropped long ago
        QCOMPARE(m.pagesRead(), read + 1);
    }

    // A value column is ordered through a temporary ordering of row ids, both ways.
    void valueOrder()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 7,
                            porFecha(true)));
        QVERIFY(m.setOrder({{QStringLiteral("SLeqLocal"), false}}));
        QVERIFY(m.ordenTemporal());
        QCOMPARE(m.rowCount(), kRows);
        double last = -1;
        for (int row = 0; row < kRows; ++row) {
            const double v = m.valor(row, 3).toDouble();
            QVERIFY(v >= last);
            last = v;
        }
        QVERIFY(m.setOrder({{QStringLiteral("SLeqLocal"), true}}));
        QCOMPARE(m.valor(0, 3).toDouble(), 109.9);
        QCOMPARE(m.valor(kRows - 1, 3).toDouble(), 60.0);
        QCOMPARE(m.texto(kRows - 1, 3), QStringLiteral("60.0"));
        // Back to an order the index serves: the temporary table goes.
        QVERIFY(m.setOrder(porFecha(true)));
        QVERIFY(!m.ordenTemporal());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM temp.sqlite_master")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }

    // The filter value is bound: a text that would close a literal finds nothing and breaks nothing.
    void boundFilter()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"),
                            QStringLiteral("7' OR '1'='1"), porFecha(true)));
        QCOMPARE(m.rowCount(), 0);
        m.clear();
        QCOMPARE(m.rowCount(), 0);
    }

    // The grid's views hold the rows in sight only; its scroll bar runs over all of them.
    void windowOverManyRows()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 7,
                            porFecha(true)));
        TDBGrid grid;
        grid.setDataSource(&m);
        grid.resize(500, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QVERIFY(grid.model()->rowCount() < 40);
        QScrollBar *bar = grid.verticalScrollBar();
        QVERIFY(bar->maximum() > kRows - 40);
        QCOMPARE(grid.currentRow(), 0);
        QCOMPARE(grid.valorActual(2).toString(), hora(kRows - 1));

        bar->setValue(bar->maximum()); // a jump to the end
        QCOMPARE(grid.firstRowShown(), bar->maximum());
        QCOMPARE(grid.model()->index(grid.model()->rowCount() - 1, 2).data().toString(), hora(0));
        QVERIFY(m.pagesCached() <= WindowedSqlModel::kCachedPages);

        // Keys move the current row over the whole source.
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.currentRow(), kRows - 1);
        QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(grid.currentRow(), 0);
        QCOMPARE(grid.firstRowShown(), 0);
        QTest::keyClick(&grid, Qt::Key_Down);
        QTest::keyClick(&grid, Qt::Key_PageDown);
        QVERIFY(grid.currentRow() > 5);
        QCOMPARE(grid.valorActual(2).toString(), hora(kRows - 1 - grid.currentRow()));

        grid.setCurrentRow(700);
        QCOMPARE(grid.currentRow(), 700);
        QVERIFY(grid.firstRowShown() <= 700 && grid.firstRowShown() > 650);
        QCOMPARE(grid.textoCelda(700, 2), hora(kRows - 1 - 700));

        // A new order starts again on the first row.
        QVERIFY(m.setOrder({{QStringLiteral("SLeqLocal"), true}}));
        QCOMPARE(grid.currentRow(), 0);
        QCOMPARE(grid.firstRowShown(), 0);
        QCOMPARE(grid.valorActual(3).toDouble(), 109.9);
        QCOMPARE(bar->value(), 0);
    }

    // Two splits: columns on each side, the same current row, header clicks with the column index,
    // column states kept across a new order, and the texts and names a person reads.
    void splits()
    {
        WindowedSqlModel m;
        m.setColumns(columnas());
        QVERIFY(m.setSource(modulo1().ConexionBD, QStringLiteral("Intervalos"), QStringLiteral("LNumeroSerie"), 8,
                            porFecha(true)));
        TDBGrid grid;
        grid.setDataSource(&m);
        grid.setHeadLines(2);
        grid.setSplits(1, 2, QStringLiteral("REGISTROS"), QStringLiteral("INCIDENCIAS"));
        grid.resize(600, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTableView *left = grid.split(0);
        QVERIFY(left != &grid);
        QCOMPARE(grid.split(1), static_cast<QTableView *>(&grid));
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(left->isColumnHidden(c), !(c == 1 || c == 2));
            QCOMPARE(grid.isColumnHidden(c), c <= 2);
        }
        QCOMPARE(left->selectionModel(), grid.selectionModel());
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                          QPoint(left->columnViewportPosition(1) + 5, left->rowViewportPosition(3) + 5));
        QCOMPARE(grid.currentRow(), 3);
        QCOMPARE(grid.currentIndex().row(), 3);
        QCOMPARE(grid.textoCelda(3, 3), QStringLiteral("UND"));

        QSignalSpy clicks(&grid, &TDBGrid::HeadClick);
        QHeaderView *h = grid.horizontalHeader();
        const int y = h->height() - 5;
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(4) + 5, y));
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(4) + 5, 3)); // caption
        QHeaderView *lh = left->horizontalHeader();
        QTest::mouseClick(lh->viewport(), Qt::LeftButton, {}, QPoint(lh->sectionViewportPosition(2) + 5, y));
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(clicks.at(0).at(0).toInt(), 4);
        QCOMPARE(clicks.at(1).at(0).toInt(), 2);

        grid.setColumnVisible(4, false);
        grid.horizontalHeader()->resizeSection(3, 123);
        QVERIFY(m.setOrder({{QStringLiteral("SLeqLocal"), false}}));
        QVERIFY(grid.isColumnHidden(4));
        QCOMPARE(grid.columnWidth(3), 123);

        QCOMPARE(grid.translatableTexts(),
                 QStringList({QString(), QString(), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                              QStringLiteral("LeqT(emisión)\rdBA"), QStringLiteral("D.N.A.\rmin"),
                              QStringLiteral("REGISTROS"), QStringLiteral("INCIDENCIAS")}));
        grid.setTranslatableText(5, QStringLiteral("D.N.A.\rmin."));
        grid.setTranslatableText(7, QStringLiteral("INCIDÈNCIES"));
        QCOMPARE(grid.columnCaption(4), QStringLiteral("D.N.A.\rmin."));
        QCOMPARE(m.headerData(4, Qt::Horizontal).toString(), QStringLiteral("D.N.A.\nmin."));
        QCOMPARE(grid.splitCaption(1), QStringLiteral("INCIDÈNCIES"));
        QCOMPARE(left->accessibleName(), QStringLiteral("REGISTROS"));
        QVERIFY(grid.accessibleName().contains(QStringLiteral("INCIDÈNCIES")));
        QVERIFY(grid.accessibleName().contains(QStringLiteral("REGISTROS")));
        QVERIFY(grid.horizontalHeader()->height() == left->horizontalHeader()->height());
    }
};

QTEST_MAIN(TestTDBGrid)
#include "tst_tdbgrid.moc"
