// The catalogue of the log tables' columns against the tables the program creates: every
// column of Intervalos and Sesiones is in it, under its stored name, in the table's order.

#include "VerificaResultado.h"
#include "base/ColumnasRegistro.h"
#include "base/Database.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace slx;

namespace {

QStringList columnasDe(const QString &file, const QString &tabla)
{
    QStringList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("catalogo"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(tabla));
            while (q.next())
                out << q.value(1).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("catalogo"));
    return out;
}

} // namespace

class TestColumnasRegistro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tablasCreadas()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("slx90.db"));
        SLX_VERIFY_OK(Database::create(file));
        QCOMPARE(registro::nombresIntervalo(), columnasDe(file, QStringLiteral("Intervalos")));
        QCOMPARE(registro::nombresSesion(), columnasDe(file, QStringLiteral("Sesiones")));
        // The layout before 3.0 stops before the D.N.A. values.
        QCOMPARE(registro::nombresIntervalo(registro::kColumnasIntervaloAntiguo),
                 columnasDe(file, QStringLiteral("Intervalos")).mid(0, 32));
        QCOMPARE(registro::nombre(registro::Intervalo::byDNA), QStringLiteral("ByDNA"));
    }

    void posicionEnUnaLista()
    {
        using enum registro::Sesion;
        constexpr std::array lista = {sLeq, tHoraInicioNoche, sL90};
        static_assert(registro::posicion(lista, tHoraInicioNoche) == 1);
        QCOMPARE(registro::posicion(lista, sL90), 2);
        QCOMPARE(registro::posicion(lista, lE3), -1);
        QCOMPARE(registro::lista(lista), QStringLiteral("SLeq, THoraInicioNoche, SL90"));
    }
};

QTEST_GUILESS_MAIN(TestColumnasRegistro)
#include "tst_columnasregistro.moc"
