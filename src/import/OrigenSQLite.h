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

    Resultado<> abre(const QString &fichero) override;
    Resultado<QStringList> tablas() override;
    Resultado<QStringList> abreTabla(const QString &tabla) override;
    Resultado<bool> siguienteFila(QVector<QVariant> *fila) override;
    void cierraTabla() override;
    QStringList danos() const override { return m_danos; }

protected:
    // Reads from the database db, whose tables are named with the prefix esquema
    // ("" or an attached schema and a point).
    OrigenSQLite(QSqlDatabase db, const QString &esquema);
    // A table of the source, quoted and with its schema.
    QString nombre(const QString &tabla) const;
    // The columns of a table of the source, refused (with why) when the file computes
    // any of them: a generated column, a virtual table.
    Resultado<QStringList> columnasLeibles(const QString &tabla) const;
    // A column read for the conversion: a text comes as its bytes, so that what is not
    // UTF-8 is seen as such.
    static QString enBytes(const QString &columnaEntreComillas);
    // The check of the file's pages (PRAGMA quick_check) into danos().
    void compruebaFichero();
    // Rows of q are what siguienteFila gives from now on.
    void leeDe(std::unique_ptr<QSqlQuery> q);
    QSqlDatabase m_db;

private:
    QString m_esquema;
    QStringList m_danos;
    QString m_propia; // the name of the own connection; empty when reading through another
    std::unique_ptr<QSqlQuery> m_query;
    int m_columnas = 0;
};

} // namespace slx::fusion
