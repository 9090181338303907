#pragma once
// A small language database in the database form, holding the deliberate cases of the
// legacy language database: plain rows, an apostrophe, a Null cell and a deliberate empty
// cell, texts that differ in letter case only, a skipped row followed by a later row of
// the same text, a carriage return inside a native text with "{\r}" in a translation,
// a row no longer used, a "%s" and "{\r}{\n}" in translations.

#include "TestSupport.h"
#include "localization/LocGuru.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace slxtest {

// Runs fn on a connection to path, then closes it.
template <typename Fn> bool withDatabase(const QString &path, Fn fn)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        if (db.open()) {
            ok = fn(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    return ok;
}

// Creates the table LocGuru (without rows) at path.
inline bool createLanguageTable(QSqlDatabase &db)
{
    QString create = QStringLiteral("CREATE TABLE LocGuru (\"Native\" TEXT(255)");
    for (const QString &l : languageColumns())
        create += QStringLiteral(", \"%1\" TEXT(255)").arg(l);
    create += QStringLiteral(", \"bIsUsed\" INTEGER, \"bSkip\" INTEGER)");
    QSqlQuery q(db);
    return q.exec(create);
}

struct FixtureRow {
    QString native;
    QVariantList cells; // Español ... Português; a null QVariant is a Null cell
    int bIsUsed;
    QVariant bSkip; // null: a Null cell
};

inline QVariant nullCell()
{
    return QVariant(QMetaType(QMetaType::QString));
}

inline QVariantList same(const QString &text)
{
    return {text, text, text, text, text, text, text};
}

inline QList<FixtureRow> fixtureRows()
{
    const QString cr = QStringLiteral("\r");
    return {
        {QStringLiteral("Hora"), {"Hora", "Hora", "Time", "Uhrzeit", "Heure", "Ora", "Hora"}, -1, 0},
        {QStringLiteral("HORA"), {"HORA", "HORA", "TIME", "UHRZEIT", "HEURE", "ORA", "HORA"}, 0, 0},
        {QStringLiteral("Fecha"), {"Fecha", "Data", "Date", "Datum", "Date", "Data", "Data"}, -1, 0},
        {QStringLiteral("Idioma"), {"Idioma", "Idioma", "Language", "Sprache", "Langue", "Lingua", "Idioma"}, -1, 0},
        {QStringLiteral("Sábado"),
         {"Sábado", "Dissabte", "Saturday", "Samstag", "Samedi", "Sabato", "Sábado"},
         -1,
         nullCell()},
        {QStringLiteral("Sí"), {"Sí", "Sí", "Yes", "Ja", "Oui", "Sì", "Sim"}, -1, 0},
        {QStringLiteral("Leq1'max"), same(QStringLiteral("Leq1'max")), -1, 0},
        {QStringLiteral("¿Desea guardar los cambios?"),
         {"¿Desea guardar los cambios?", "Voleu desar els canvis?", "Save changes?",
          "Möchten Sie die Änderungen speichern?", "Enregistrer les modifications ?", "Salvare le modifiche?",
          "Deseja guardar as alterações?"},
         -1,
         0},
        {QStringLiteral("No hay datos"),
         {"No hay datos", "No hi ha dades", "No data", QString(""), "Aucune donnée", "Nessun dato", nullCell()},
         -1,
         0},
        {QStringLiteral("BUSCAR"), {"BUSCAR", "CERCA", "SEARCH", "SUCHEN", "RECHERCHER", "CERCA", "PROCURAR"}, -1, 0},
        {QStringLiteral("Buscar"), {"Buscar", "Cerca", "Search", "Suchen", "Rechercher", "Cerca", "Procurar"}, 0, 0},
        {QStringLiteral("Límite"), {"Límite", "Límit", "Limit", "Grenzwert", "Limite", "Limite", "Limite"}, -1, -1},
        {QStringLiteral("Límite"), same(QStringLiteral("later row")), -1, 0},
        {QStringLiteral("Sensor") + cr + QStringLiteral("inactivo"),
         {"Sensor" + cr + "inactivo", "Sensor" + cr + "inactiu", "Sensor{\\r}inactive", "Sensor" + cr + "inaktiv",
          "Capteur" + cr + "inactif", "Sensore" + cr + "inattivo", "Sensor" + cr + "inactivo"},
         -1,
         0},
        {QStringLiteral("Texto que ya no se usa"),
         {"Texto que ya no se usa", "Text que ja no s'usa", "Text no longer used", "Nicht mehr benutzter Text",
          "Texte qui n'est plus utilisé", "Testo non più usato", "Texto que já não se usa"},
         0,
         0},
        {QStringLiteral("Normativa"), same(QStringLiteral("Rule %s of %s")), -1, 0},
        {QStringLiteral("Valor incorrecto"), same(QStringLiteral("Wrong{\\r}{\\n}value")), -1, 0},
    };
}

// Writes the fixture database at path (replacing any file there).
inline bool writeLanguageFixture(const QString &path, bool withRows = true)
{
    QFile::remove(path);
    return withDatabase(path, [withRows](QSqlDatabase &db) {
        if (!createLanguageTable(db))
            return false;
        if (!withRows)
            return true;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO LocGuru VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const FixtureRow &r : fixtureRows()) {
            q.addBindValue(r.native);
            for (const QVariant &c : r.cells)
                q.addBindValue(c);
            q.addBindValue(r.bIsUsed);
            q.addBindValue(r.bSkip);
            if (!q.exec()) {
                qWarning("%s", qPrintable(q.lastError().text()));
                return false;
            }
        }
        return true;
    });
}

// Writes the fixture database at path and opens loc on it for translating into language.
inline bool openLanguageFixture(slx::LocGuru &loc, const QString &path,
                                const QString &language = QStringLiteral("English"))
{
    if (!writeLanguageFixture(path))
        return false;
    loc.setsForeignColumnName(language);
    return loc.OpenLanguageDatabase(path, true, 0);
}

} // namespace slxtest
