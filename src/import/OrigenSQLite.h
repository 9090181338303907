#pragma once
// Reader of the tables of another database of this program (SQLite), read-only: on a
// connection of its own, or (OrigenAdjunto) attached to the destination's connection.

#include "import/OrigenFusion.h"

#include <QSqlQuery>
#include <memory>

namespace slx::fusion {

class OrigenSQLite : public Origen {
public:
    OrigenSQLite();
    ~OrigenSQLite() override;

    bool abre(const QString &fichero, QString *error) override;
    bool tablas(QStringList *nombres, QString *error) override;
    bool abreTabla(const QString &tabla, QStringList *columnas, QString *error) override;
    bool siguienteFila(QVector<QVariant> *fila, QString *error) override;
    void cierraTabla() override;

protected:
    // Reads from the database db, whose tables are named with the prefix esquema
    // ("" or an attached schema and a point).
    OrigenSQLite(QSqlDatabase db, const QString &esquema);
    // A table of the source, quoted and with its schema.
    QString nombre(const QString &tabla) const;
    // Rows of q are what siguienteFila gives from now on.
    void leeDe(std::unique_ptr<QSqlQuery> q);
    QSqlDatabase m_db;

private:
    QString m_esquema;
    QString m_propia; // the name of the own connection; empty when reading through another
    std::unique_ptr<QSqlQuery> m_query;
    int m_columnas = 0;
};

} // namespace slx::fusion
