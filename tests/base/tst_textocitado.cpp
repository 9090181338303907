// Values and lists as the messages quote them: whole when short, cut with their size when
// long, never half of a character, a value holding "%2" kept as it is.

#include "base/TextoCitado.h"

#include <QtTest>

using namespace slx;

class TestTextoCitado : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void citaValor_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("short") << "Gran Teatre" << "Gran Teatre";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("at the most") << QString(64, 'a') << QString(64, 'a');
        QTest::newRow("one more") << QString(65, 'a') << QString(48, 'a') + "... (65 characters)";
        QTest::newRow("grouped size") << QString(1234567, 'b') << QString(48, 'b') + "... (1,234,567 characters)";
        // 70 characters outside the first plane are 140 UTF-16 halves.
        const QString clave = QString::fromUcs4(U"\U0001D11E");
        QTest::newRow("pairs counted once") << clave.repeated(70) << clave.repeated(48) + "... (70 characters)";
        QTest::newRow("never half a pair") << QString(47, 'c') + clave.repeated(30)
                                           << QString(47, 'c') + clave + "... (77 characters)";
        QTest::newRow("placeholders in the value")
            << QString("%2%1").repeated(40) << QString("%2%1").repeated(12) + "... (160 characters)";
    }
    void citaValor()
    {
        QFETCH(QString, value);
        QFETCH(QString, quoted);
        QCOMPARE(slx::citaValor(value), quoted);
    }

    // A value of which only the start is at hand is told by its whole size.
    void citaDelInicio()
    {
        QCOMPARE(citaInicio(QString(100, 'd'), qint64(104857600)), QString(48, 'd') + "... (104,857,600 characters)");
        QCOMPARE(citaInicio(QString("short"), 5), QString("short"));
    }

    void listas_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("lines");
        QTest::newRow("none") << 0 << "" << "";
        QTest::newRow("one") << 1 << "n0" << "n0";
        QTest::newRow("all shown") << 10 << "n0, n1, n2, n3, n4, n5, n6, n7, n8, n9"
                                   << "n0\nn1\nn2\nn3\nn4\nn5\nn6\nn7\nn8\nn9";
        QTest::newRow("one more") << 11 << "n0, n1, n2, n3, n4, n5, n6, n7, n8, n9 and 1 more"
                                  << "n0\nn1\nn2\nn3\nn4\nn5\nn6\nn7\nn8\nn9\nn10";
        QStringList veinte;
        for (int i = 0; i < 20; ++i)
            veinte << QString("n%1").arg(i);
        QTest::newRow("twenty thousand") << 20000 << "n0, n1, n2, n3, n4, n5, n6, n7, n8, n9 and 19,990 more"
                                         << veinte.join('\n') + "\nand 19,980 more";
    }
    void listas()
    {
        QFETCH(int, count);
        QFETCH(QString, names);
        QFETCH(QString, lines);
        QStringList l;
        for (int i = 0; i < count; ++i)
            l << QString("n%1").arg(i);
        QCOMPARE(listaNombres(l), names);
        QCOMPARE(listaLineas(l), lines);
    }

    // A long line of a list is cut too.
    void lineaLarga()
    {
        const QString t = listaLineas({QString(300, 'e'), "short"});
        QCOMPARE(t, QString(150, 'e') + "... (300 characters)\nshort");
    }

    void numeroAgrupado_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0";
        QTest::newRow("999") << qint64(999) << "999";
        QTest::newRow("1000") << qint64(1000) << "1,000";
        QTest::newRow("1048576") << qint64(1048576) << "1,048,576";
        QTest::newRow("negative") << qint64(-1234567) << "-1,234,567";
        QTest::newRow("lowest") << std::numeric_limits<qint64>::min() << "-9,223,372,036,854,775,808";
    }
    void numeroAgrupado()
    {
        QFETCH(qint64, n);
        QFETCH(QString, text);
        QCOMPARE(slx::numeroAgrupado(n), text);
    }
};

QTEST_MAIN(TestTextoCitado)
#include "tst_textocitado.moc"
