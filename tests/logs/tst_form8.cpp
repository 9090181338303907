// The date-range dialog of a download: its default period, the order check and the
// ten bytes it leaves, and every way of giving the download up.

#include "TestSupport.h"
#include "VerificaResultado.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/Form8.h"
#include "logs/LogStorage.h"

#include <QDateTimeEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;

namespace {

QDateTime minute(const QDateTime &dt)
{
    return QDateTime(dt.date(), QTime(dt.time().hour(), dt.time().minute()), Qt::UTC);
}

QDateTime at(int d, int m, int y, int h, int n)
{
    return QDateTime(QDate(y, m, d), QTime(h, n), Qt::UTC);
}

} // namespace

class TestForm8 : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<slxtest::DataHome>();
        QVERIFY(m_home->openDatabase());
        modulo1().NumeroSerieAparato = 100123;
    }
    void cleanup() { m_home.reset(); }

    void defaultPeriodWithoutIntervals()
    {
        const QDateTime before = minute(QDateTime::currentDateTime());
        Form8 d;
        const QDateTime after = minute(QDateTime::currentDateTime());
        QVERIFY(d.MaskFechaFi->dateTime() == before || d.MaskFechaFi->dateTime() == after);
        QCOMPARE(d.MaskFechaIni->dateTime(), d.MaskFechaFi->dateTime().addDays(-60));
        QCOMPARE(d.MaskFechaFi->displayFormat(), QStringLiteral("dd/MM/yy HH:mm"));
    }

    // The proposed start: the newest record of the last download that ran to its end
    // when one is kept, else the newest stored interval; a device without intervals
    // goes 60 days back whatever is kept.
    void defaultStart_data()
    {
        QTest::addColumn<bool>("intervals");
        QTest::addColumn<QString>("kept"); // empty = no completed download kept
        QTest::addColumn<QString>("shown");
        QTest::newRow("newest stored interval") << true << QString() << QStringLiteral("23/12/09 22:15");
        QTest::newRow("the last completed download's newest record")
            << true << QStringLiteral("2009-11-30 23:59") << QStringLiteral("30/11/09 23:59");
        QTest::newRow("no interval: 60 days back") << false << QStringLiteral("2009-11-30 23:59") << QString();
    }
    void defaultStart()
    {
        QFETCH(bool, intervals);
        QFETCH(QString, kept);
        QFETCH(QString, shown);
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("INSERT INTO \"Intervalos\" (\"LNumeroSerie\", \"DFechaInicio\", \"THoraInicio\") VALUES "
                       "(555, '2010-01-01', '00:00')"));
        if (intervals)
            QVERIFY(q.exec("INSERT INTO \"Intervalos\" (\"LNumeroSerie\", \"DFechaInicio\", \"THoraInicio\") VALUES "
                           "(100123, '2009-12-23', '22:15'), (100123, '2009-12-23', '09:00'), "
                           "(100123, '2009-11-30', '23:59')"));
        if (!kept.isEmpty()) {
            logs::LogStorage store(modulo1().ConexionBD);
            const QDateTime t = QDateTime(QDate::fromString(kept.left(10), Qt::ISODate),
                                          QTime::fromString(kept.mid(11), QStringLiteral("HH:mm")), Qt::UTC);
            SLX_VERIFY_OK(store.beginDownload(100123, t));
            SLX_VERIFY_OK(store.beginDownload(555, t.addDays(100)));
        }
        Form8 d;
        if (shown.isEmpty())
            QCOMPARE(d.MaskFechaIni->dateTime(), d.MaskFechaFi->dateTime().addDays(-60));
        else
            QCOMPARE(d.MaskFechaIni->text(), shown);
    }

    void acceptFillsTheRange_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two days") << at(5, 1, 2010, 8, 30) << at(7, 1, 2010, 17, 45)
                                  << QByteArray::fromHex("05010a081e07010a112d");
        QTest::newRow("one minute, years 2000 and 2009")
            << at(31, 12, 2000, 23, 59) << at(1, 1, 2009, 0, 0) << QByteArray::fromHex("1f0c00173b0101090000");
        QTest::newRow("end one minute after the start")
            << at(1, 2, 1999, 10, 0) << at(1, 2, 1999, 10, 1) << QByteArray::fromHex("0102630a000102630a01");
    }
    void acceptFillsTheRange()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QByteArray, bytes);
        modulo1().CancelaRangoFechas = true;
        Form8 d;
        d.MaskFechaIni->setDateTime(start);
        d.MaskFechaFi->setDateTime(end);
        slxtest::Answers answers;
        QVERIFY(d.CommandVolver_Click());
        QVERIFY(answers.shown().isEmpty());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!modulo1().CancelaRangoFechas);
        // The period goes back to the caller, and stays in the shared bytes for their readers.
        QVERIFY(d.periodo());
        const auto &r = *d.periodo();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.data()), 10).toHex(), bytes.toHex());
        QVERIFY(modulo1().RangoFechas == r);
    }

    void endNotAfterStartIsRefused()
    {
        const std::array<quint8, 10> earlier = {1, 1, 10, 0, 0, 2, 1, 10, 0, 0};
        modulo1().RangoFechas = earlier;
        modulo1().CancelaRangoFechas = true;
        Form8 d;
        d.show();
        d.MaskFechaIni->setDateTime(at(5, 1, 2010, 8, 30));
        d.MaskFechaFi->setDateTime(at(5, 1, 2010, 8, 30));
        d.CommandVolver->setFocus();
        slxtest::Answers answers;
        QVERIFY(!d.CommandVolver_Click());
        QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(24)});
        QCOMPARE(answers.shown().first().icon, ui::Icon::None);
        QVERIFY(d.isVisible());
        QCOMPARE(d.focusWidget(), d.MaskFechaIni);
        QVERIFY(modulo1().CancelaRangoFechas);
        QVERIFY(modulo1().RangoFechas == earlier);
    }

    void everyWayOutButAceptarCancels_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancelar") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("window frame") << 2;
    }
    void everyWayOutButAceptarCancels()
    {
        QFETCH(int, way);
        const std::array<quint8, 10> earlier = {5, 1, 10, 8, 30, 7, 1, 10, 17, 45};
        modulo1().RangoFechas = earlier;
        modulo1().CancelaRangoFechas = false;
        Form8 d;
        d.show();
        if (way == 0)
            d.SSCommandCancelar->click();
        else if (way == 1)
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            d.close();
        QVERIFY(!d.isVisible());
        QVERIFY(!d.periodo());
        QVERIFY(modulo1().CancelaRangoFechas);
        QVERIFY(modulo1().RangoFechas == earlier);
    }

private:
    std::unique_ptr<slxtest::DataHome> m_home;
};

QTEST_MAIN(TestForm8)
#include "tst_form8.moc"
