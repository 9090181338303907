#pragma once
// The localization object: texts by number in the chosen language, and the translation
// of windows.
//
// The key of every translation is the native (Spanish) text itself. The translation is
// the cell of the column sForeignColumnName (a language name such as "English") in the
// row whose Native is that text. The language database has two forms:
//   - the database form, an SQLite file (a path containing ".db"), table LocGuru with the
//     columns Native, one column per language, bIsUsed and bSkip; the only form that the
//     text export writes;
//   - the text form, a read-only Windows-1252 file with a "Localization Guru" header
//     section that gives the counts and the byte offsets of one section per column.
// Opening reads the whole language column into memory; GetS and TranslateForm never
// query the database.
//
// Nothing here lets a failure reach its caller while translating: a failed lookup returns
// the text unchanged and leaves its description in sErrDescription. The export operations
// (ExportStrings, ExportFormStrings, ExportObjectStrings, ExportOneString) return a
// failure with its description (and its source as the detail); one failed step ends them.
// LocGuruP_BAS::ExportAllFormStrings shows it.

#include "base/Resultado.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class QObject;
class QWidget;

namespace slx {

class LocGuru {
public:
    LocGuru();
    ~LocGuru();
    LocGuru(const LocGuru &) = delete;
    LocGuru &operator=(const LocGuru &) = delete;

    // Lookups translate only while set.
    bool bEnabled() const { return m_bEnabled; }
    void setbEnabled(bool on) { m_bEnabled = on; }
    // Width-test mode: every text is lengthened with sPadChar instead of translated.
    bool bTestStrWidth() const { return m_bTestStrWidth; }
    void setbTestStrWidth(bool on) { m_bTestStrWidth = on; }
    // The system's default locale identifier (Windows numbering, 1033 when unknown).
    qint32 LocaleID() const;
    // Description of the last failure of an open, a lookup or an export.
    QString sErrDescription() const { return m_sErrDescription; }
    // Path of the last successful open; empty after a close.
    QString sLanguageDB() const { return m_sLanguageDB; }
    // One character; a write keeps the first character, an empty value sets "W".
    QString sPadChar() const { return m_sPadChar; }
    void setsPadChar(const QString &value);
    // Comma-separated property names translated and exported ("Caption,ToolTipText").
    QString sProperties() const { return m_sProperties; }
    void setsProperties(const QString &value);
    // Width-test table, pairs maxLength:percent, parsed on every padded lookup.
    QString sStrWidthFactors() const { return m_sStrWidthFactors; }
    void setsStrWidthFactors(const QString &value) { m_sStrWidthFactors = value; }
    // Tag prefix that leaves an object out of translation and export.
    QString sTagExclude() const { return m_sTagExclude; }
    void setsTagExclude(const QString &value);
    // Name of the language column to translate into.
    QString sForeignColumnName() const { return m_sForeignColumnName; }
    void setsForeignColumnName(const QString &value) { m_sForeignColumnName = value; }
    // Prefix of the text returned for an unknown text number.
    QString sUnknownStrID() const { return m_sUnknownStrID; }
    void setsUnknownStrID(const QString &value) { m_sUnknownStrID = value; }

    void CloseLanguageDatabase();
    // Marks every row unused, then writes catalogue texts 1 to lastId.
    Resultado<> ExportStrings(qint32 lastId);
    // "{\r}" becomes a carriage return, then "{\n}" a line feed.
    static QString ConvertCrLf(const QString &text);
    // The window and every control of it.
    Resultado<> ExportFormStrings(QWidget *form);
    Resultado<> ExportObjectStrings(QObject *object);
    // Marks the text's row used, adding it when missing.
    Resultado<> ExportOneString(const QString &text);
    // Text number id of the catalogue in the open language, each "%s" filled from values.
    QString GetS(qint32 id, const QStringList &values = {}) const;
    // The translation of a text (the text itself when there is none).
    QString GetTranslation(const QString &text) const;
    // Takes the first token of text (which loses it) up to delimiter; quotes group.
    QString GetToken(QString &text, const QString &delimiter) const;
    // eDbType 0 = database form, 1 = text form. bReadOnly: open for translating.
    bool OpenLanguageDatabase(const QString &sDatabase, bool bReadOnly, qint32 eDbType);
    // Translates the captions and tool tips of a window and its controls.
    void TranslateForm(QWidget *form);
    void TranslateObject(QObject *object);

    // State, for the module routines and tests.
    bool bIsOpen() const { return m_bIsOpen; }
    bool bIsReadOnly() const { return m_bIsReadOnly; }
    qint32 eOpenDbType() const { return m_eOpenDbType; }
    qint32 lMaxNativeLength() const { return m_lMaxNativeLength; }
    qint32 lTagExcludeLength() const { return m_lTagExcludeLength; }
    qint32 lNumberOfStrings() const { return m_lNumberOfStrings; }
    bool bConvertCrLf() const { return m_bConvertCrLf; }
    QStringList colProperties() const { return m_colProperties; }

    // The export's writes as one unit (database form open for writing).
    Resultado<> BeginExportTransaction();
    Resultado<> CommitExportTransaction();
    void RollbackExportTransaction();

private:
    // The export's steps: they stop by throwing the module's own failure, which the
    // public operations above return as their result.
    friend struct LocExport;
    void RunExportStrings(qint32 lastId);
    void RunExportFormStrings(QWidget *form);
    void RunExportObjectStrings(QObject *object);
    void RunExportOneString(const QString &text);
    void RunBeginExportTransaction();
    void RunCommitExportTransaction();

    struct Row {
        qint64 rowid = 0;
        QVariantList cells; // by m_columns; a null (or missing) cell: no translation
        bool skip = false;
    };

    void ParsePropertyList();
    QString PadForWidthTest(const QString &text) const;
    // TranslateAccess keeps the name of the lookup in the Access form of the language
    // database, whose place the SQLite file Language.db takes; OpenDatabaseForm opens it.
    QString TranslateAccess(const QString &text) const;
    QString TranslateText(const QString &text) const;
    void OpenDatabaseForm(const QString &path, bool bReadOnly);
    qint32 ReadTextHeader(const QString &path, const QString &column, qint64 *offset);
    bool FindTextSection(const QByteArray &bytes, const QString &column, qint64 offset, qint64 *pos);
    bool LoadTextColumn(const QString &path, const QString &column, QStringList &values);
    void RequireWritable() const;
    bool IsExcludedByTag(const QObject *object) const;
    // Index in m_columns of the column sForeignColumnName (letter case ignored), -1 when none.
    int ForeignColumn() const;

    bool m_bEnabled = true;
    bool m_bTestStrWidth = false;
    mutable QString m_sErrDescription;
    QString m_sForeignColumnName;
    QString m_sLanguageDB;
    QString m_sPadChar;
    QString m_sProperties;
    QString m_sStrWidthFactors;
    QString m_sTagExclude;
    QString m_sUnknownStrID;
    qint32 m_lTagExcludeLength = 1;
    qint32 m_lMaxNativeLength = 255;
    bool m_bIsOpen = false;
    bool m_bIsReadOnly = false;
    bool m_bConvertCrLf = true;
    QStringList m_colProperties;
    qint32 m_eOpenDbType = 0;
    qint32 m_lNumberOfStrings = 0;
    QStringList m_asNative; // text form, sorted by character codes
    QStringList m_asForeign;

    // Database form in memory: the first row of each native text with all its cells, so
    // that the language column is the one sForeignColumnName names at each lookup.
    QHash<QString, Row> m_rows;
    QStringList m_columns;
    mutable bool m_foreignKnown = false;
    mutable QString m_foreignName;
    mutable int m_foreignIndex = -1;
    QString m_connection; // open only while writing
    bool m_inTransaction = false;
};

// The one instance, for the whole run.
LocGuru &oLocGuru();

namespace LocGuruP_BAS {
// Catalogue text id; for any other number, prefix followed by the number.
QString GetNativeString(qint32 id, const QString &prefix);
// Opens the language database at start-up on the column of that language: a path with
// ".db" is the database form, any other the text form; "<TESTWIDTH>" turns the width
// test on. Shows its own message when the database cannot be opened; the program then
// runs with the native texts. Also installs Qt's own translations (dialog buttons).
bool SetupLanguage(const QString &sDatabase, const QString &sLanguage, LocGuru &loc = oLocGuru());
// Qt's own texts (Yes, No, Cancel, OK...) in that language ("Español", ..., "Português").
bool InstallQtTranslation(const QString &sLanguage);
// The chart, grid and tab controls: translates their texts; true when the control was
// one of them.
bool TranslateSpecialControl(QObject *control, LocGuru &loc = oLocGuru());
// The same controls for the export; true when the control was one of them, a failure
// when one of its texts cannot be written.
Resultado<bool> ExportSpecialControlStrings(QObject *control, LocGuru &loc = oLocGuru());
// Writes every native text of the program and of its windows into Language.db of the
// data folder, for the translators, in one transaction.
void ExportAllFormStrings(LocGuru &loc = oLocGuru());
// The windows the export walks, in order.
QStringList ExportedForms();
// The program's own messages (the texts its TextoPropio calls pass), listed from the
// sources at build time; the export marks them as used texts.
QStringList OwnMessages();
// The controls of a window that the walks visit, in order: widgets and actions (menus
// included), not the window itself, not Qt's internal parts, not the inside of a
// Translatable control, not other windows.
QList<QObject *> FormControls(QWidget *form);
} // namespace LocGuruP_BAS

} // namespace slx
