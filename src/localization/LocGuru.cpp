#include "localization/LocGuru.h"

#include "base/TextoCatalogo.h"
#include "base/TextoPropio.h"

#include "base/Database.h"

#include "base/Cp1252.h"
#include "base/IniFile.h"
#include "base/MessageBox.h"
#include "localization/LocFailure.h"
#include "localization/NativeCatalogue.h"
#include "localization/ObjectProperties.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QWidget>
#include <cmath>
#include <limits>

namespace slx {

namespace {

const QString kInvalidTextDb = QStringLiteral("Not a valid Text Language Database");
const QString kTextOnlyAccess = QStringLiteral("Text can only be exported to an Access Language Database");
const QString kHeaderSection = QStringLiteral("Localization Guru");

LocFailure failure(const QString &description, qint64 number = 0, const QString &source = QStringLiteral("LocGuru"))
{
    return LocFailure{number, source, description};
}

// A decimal number read the way the header and the width table are read: rounded to an
// integer, halves to even. Returns false when the text is not a number.
bool roundedNumber(const QString &text, qint64 *out)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = static_cast<qint64>(std::nearbyint(v));
    return true;
}

// The header section of the text form, read once per column: keys are looked up by
// their first line, letter case ignored.
class TextHeader {
public:
    explicit TextHeader(const QString &path)
    {
        for (const auto &[key, value] : IniFile::readSection(path, kHeaderSection)) {
            const QString k = key.toLower();
            if (!m_values.contains(k))
                m_values.insert(k, value);
        }
    }
    QString text(const QString &key) const { return m_values.value(key.toLower()); }
    // A missing key, or one that is not a number, reads as 0.
    qint64 number(const QString &key) const
    {
        qint64 v = 0;
        return roundedNumber(m_values.value(key.toLower(), QStringLiteral("0")), &v) ? v : 0;
    }
    // The first k from 1 to count whose key "Language" k names the column, -1 when none.
    qint32 languageIndex(const QString &column, qint64 count) const
    {
        // An empty name is matched by the first key missing (a missing key reads as an empty
        // name), which is at most one past the keys the header holds.
        if (column.isEmpty()) {
            for (qint64 k = 1; k <= count; ++k) {
                if (text(QStringLiteral("Language%1").arg(k)).isEmpty())
                    return static_cast<qint32>(k);
            }
            return -1;
        }
        static const QRegularExpression key(QStringLiteral("^language([1-9][0-9]{0,9})$"));
        qint64 first = -1;
        for (auto it = m_values.constBegin(); it != m_values.constEnd(); ++it) {
            const auto m = key.match(it.key());
            if (!m.hasMatch() || it.value().compare(column, Qt::CaseInsensitive) != 0)
                continue;
            const qint64 k = m.captured(1).toLongLong();
            if (k <= count && (first < 0 || k < first))
                first = k;
        }
        return first > std::numeric_limits<qint32>::max() ? -1 : static_cast<qint32>(first);
    }

private:
    QHash<QString, QString> m_values;
};

bool isTrue(const QVariant &v)
{
    if (v.isNull())
        return false;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    return ok ? n != 0 : v.toBool();
}

// Lines of the text form end in CR LF; a lone CR or LF ends a line too.
struct LineReader {
    const QByteArray &bytes;
    bool utf8;
    qint64 pos;

    bool atEnd() const { return pos >= bytes.size(); }
    QString next()
    {
        const qint64 start = pos;
        qint64 end = start;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        pos = end;
        if (pos < bytes.size() && bytes.at(pos) == '\r')
            ++pos;
        if (pos < bytes.size() && bytes.at(pos) == '\n')
            ++pos;
        QByteArray raw = bytes.mid(start, end - start);
        if (start == 0 && raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3);
        return utf8 ? QString::fromUtf8(raw) : fromCp1252(raw);
    }
};

bool isUtf8WithBom(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

// The value of a value line: what follows the first "=" from the third character on, or
// the whole line.
QString valueOfLine(const QString &line)
{
    const qsizetype at = line.indexOf(QLatin1Char('='), 2);
    return at < 0 ? line : line.mid(at + 1);
}

} // namespace

LocGuru &oLocGuru()
{
    static LocGuru instance;
    // The floors below show the program's own messages through this instance.
    static const bool hooked = [] {
        instalaTraductorPropio([](const QString &text) { return oLocGuru().GetTranslation(text); });
        return true;
    }();
    Q_UNUSED(hooked);
    return instance;
}

namespace {
// The floors below read the catalogue's texts through this instance; installed when
// the program starts, before anything has asked for the engine.
[[maybe_unused]] const bool g_catalogoInstalado = [] {
    instalaBuscaCatalogo([](qint32 numero) { return oLocGuru().GetS(numero); });
    return true;
}();
} // namespace

LocGuru::LocGuru()
{
    m_sForeignColumnName = QStringLiteral("Foreign");
    m_bEnabled = true;
    m_bTestStrWidth = false;
    m_sStrWidthFactors = QStringLiteral("4:100,10:80,20:60,30:40,50:20,9999:10");
    m_sPadChar = QStringLiteral("W");
    m_bIsOpen = false;
    m_bConvertCrLf = true;
    m_lMaxNativeLength = 255;
    setsTagExclude(QStringLiteral("!"));
    m_sProperties = QStringLiteral("Caption,ToolTipText");
    ParsePropertyList();
    m_sUnknownStrID = QStringLiteral("GetS: Unknown String ID ");
}

LocGuru::~LocGuru()
{
    CloseLanguageDatabase();
}

qint32 LocGuru::LocaleID() const
{
    const QLocale l = QLocale::system();
    switch (l.language()) {
    case QLocale::Spanish: return 1034;
    case QLocale::Catalan: return 1027;
    case QLocale::German: return 1031;
    case QLocale::French: return 1036;
    case QLocale::Italian: return 1040;
    case QLocale::Portuguese: return l.territory() == QLocale::Brazil ? 1046 : 2070;
    case QLocale::English: return l.territory() == QLocale::UnitedKingdom ? 2057 : 1033;
    default: return 1033;
    }
}

void LocGuru::setsPadChar(const QString &value)
{
    m_sPadChar = value.isEmpty() ? QStringLiteral("W") : value.left(1);
}

void LocGuru::setsProperties(const QString &value)
{
    m_sProperties = value;
    ParsePropertyList();
}

void LocGuru::setsTagExclude(const QString &value)
{
    m_sTagExclude = value;
    m_lTagExcludeLength = static_cast<qint32>(value.size());
}

void LocGuru::ParsePropertyList()
{
    m_colProperties.clear();
    QString list = m_sProperties;
    for (;;) {
        const QString token = GetToken(list, QStringLiteral(",")).trimmed();
        if (token.isEmpty())
            break;
        m_colProperties << token;
    }
}

QString LocGuru::GetToken(QString &text, const QString &delimiter) const
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    QChar quote;
    if (i < text.size() && (text.at(i) == QLatin1Char('"') || text.at(i) == QLatin1Char('\''))) {
        quote = text.at(i);
        ++i;
    }
    QString token;
    const qsizetype dl = delimiter.size();
    while (i < text.size()) {
        if (!quote.isNull()) {
            if (text.at(i) == quote) {
                ++i;
                if (dl > 0 && QStringView(text).mid(i).startsWith(delimiter))
                    i += dl;
                break;
            }
            token += text.at(i++);
        } else {
            if (dl > 0 && QStringView(text).mid(i).startsWith(delimiter)) {
                i += dl;
                break;
            }
            token += text.at(i++);
        }
    }
    text = text.mid(i);
    return token;
}

QString LocGuru::ConvertCrLf(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("{\\r}"), QLatin1String("\r"));
    out.replace(QLatin1String("{\\n}"), QLatin1String("\n"));
    return out;
}

QString LocGuru::GetS(qint32 id, const QStringList &values) const
{
    QString text = GetTranslation(GetNativeString(id, m_sUnknownStrID));
    for (const QString &v : values) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at >= 0)
            text.replace(at, 2, v);
    }
    if (m_bConvertCrLf)
        text = ConvertCrLf(text);
    return text;
}

QString LocGuru::GetTranslation(const QString &text) const
{
    try {
        if (m_bTestStrWidth)
            return PadForWidthTest(text);
        if (m_eOpenDbType == 1)
            return TranslateText(text);
        return TranslateAccess(text);
    } catch (const LocFailure &f) {
        m_sErrDescription = f.description;
    } catch (const std::exception &e) {
        m_sErrDescription = QString::fromLocal8Bit(e.what());
    }
    return text;
}

QString LocGuru::PadForWidthTest(const QString &text) const
{
    const qint64 length = text.size();
    float factor = 1.0f;
    QString table = m_sStrWidthFactors;
    for (;;) {
        QString pair = GetToken(table, QStringLiteral(","));
        if (pair.isEmpty())
            break;
        qint64 maxLength = 0;
        qint64 percent = 0;
        if (!roundedNumber(GetToken(pair, QStringLiteral(":")), &maxLength) ||
            !roundedNumber(GetToken(pair, QStringLiteral(":")), &percent))
            throw failure(QStringLiteral("Type mismatch"));
        if (length <= maxLength) {
            factor = static_cast<float>(1 + static_cast<double>(percent) * 0.01);
            break;
        }
    }
    const qint64 newLength = static_cast<qint64>(std::nearbyint(static_cast<double>(length) * double(factor)));
    if (newLength <= length)
        return text;
    return text + QString(newLength - length, m_sPadChar.isEmpty() ? QLatin1Char('W') : m_sPadChar.at(0));
}

QString LocGuru::TranslateAccess(const QString &text) const
{
    if (text.isEmpty())
        return text;
    if (!(m_bEnabled && m_bIsOpen && m_bIsReadOnly))
        return text;
    const int column = ForeignColumn();
    if (column < 0)
        throw failure(QStringLiteral("The language database has no column %1").arg(m_sForeignColumnName));
    // The rows are keyed by their exact text: rows that differ in letter case only are other
    // texts, and the first row of the text decides (a skipped row translates nothing).
    const auto it = m_rows.constFind(text);
    if (it == m_rows.constEnd() || it->skip)
        return text;
    // An empty cell (Null) means "not translated yet": the native text stays.
    const QVariant cell = it->cells.value(column);
    if (cell.isNull())
        return text;
    return cell.toString();
}

int LocGuru::ForeignColumn() const
{
    if (!m_foreignKnown || m_foreignName != m_sForeignColumnName) {
        m_foreignName = m_sForeignColumnName;
        m_foreignIndex = -1;
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            if (m_columns.at(i).compare(m_foreignName, Qt::CaseInsensitive) == 0) {
                m_foreignIndex = static_cast<int>(i);
                break;
            }
        }
        m_foreignKnown = true;
    }
    return m_foreignIndex;
}

QString LocGuru::TranslateText(const QString &text) const
{
    if (text.isEmpty() || !(m_bEnabled && m_bIsOpen && m_bIsReadOnly))
        return text;
    qint64 low = 1;
    qint64 high = m_lNumberOfStrings;
    while (low <= high) {
        const qint64 middle = low + (high - low) / 2;
        if (middle < 1 || middle > m_asNative.size())
            return text;
        const int cmp = QString::compare(m_asNative.at(middle - 1), text, Qt::CaseSensitive);
        if (cmp == 0)
            return middle - 1 < m_asForeign.size() ? m_asForeign.at(middle - 1) : text;
        if (cmp < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return text;
}

bool LocGuru::OpenLanguageDatabase(const QString &sDatabase, bool bReadOnly, qint32 eDbType)
{
    bool result = true;
    try {
        CloseLanguageDatabase();
        m_eOpenDbType = eDbType;
        if (eDbType == 0) {
            OpenDatabaseForm(sDatabase, bReadOnly);
        } else if (eDbType == 1) {
            bReadOnly = true;
            result = LoadTextColumn(sDatabase, QStringLiteral("Native"), m_asNative) &&
                     LoadTextColumn(sDatabase, m_sForeignColumnName, m_asForeign);
        }
        m_bIsReadOnly = bReadOnly;
        m_sLanguageDB = sDatabase;
        m_bIsOpen = true;
    } catch (const LocFailure &f) {
        m_sErrDescription = f.description;
        result = false;
    } catch (const std::exception &e) {
        m_sErrDescription = QString::fromLocal8Bit(e.what());
        result = false;
    }
    if (!result)
        CloseLanguageDatabase();
    return result;
}

void LocGuru::OpenDatabaseForm(const QString &path, bool bReadOnly)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw failure(QStringLiteral("Could not find file '%1'.").arg(path));
    if (!info.isReadable())
        throw failure(QStringLiteral("Cannot read file '%1'.").arg(path));

    const QString name = QStringLiteral("LocGuru-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (bReadOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT rowid AS \"_rowid_\", * FROM LocGuru ORDER BY \"Native\", rowid"))) {
                error = q.lastError().text();
            } else {
                const QSqlRecord rec = q.record();
                m_columns.clear();
                for (int i = 1; i < rec.count(); ++i)
                    m_columns << rec.fieldName(i);
                m_foreignKnown = false;
                const int nativeCol = rec.indexOf(QStringLiteral("Native"));
                const int skipCol = rec.indexOf(QStringLiteral("bSkip"));
                if (nativeCol < 1) {
                    error = QStringLiteral("The table LocGuru has no column Native");
                } else {
                    while (q.next()) {
                        const QString native = q.value(nativeCol).toString();
                        if (m_rows.contains(native))
                            continue;
                        Row row;
                        row.rowid = q.value(0).toLongLong();
                        row.cells.reserve(rec.count() - 1);
                        for (int i = 1; i < rec.count(); ++i)
                            row.cells << q.value(i);
                        row.skip = skipCol >= 1 && isTrue(q.value(skipCol));
                        m_rows.insert(native, row);
                    }
                    // The defined size of Native, when the column declares one ("TEXT(255)"); an
                    // SQLite text without a size stands for the legacy table's 255 characters.
                    m_lMaxNativeLength = 255;
                    QSqlQuery info(db);
                    if (info.exec(QStringLiteral("PRAGMA table_info(LocGuru)"))) {
                        static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
                        while (info.next()) {
                            if (info.value(1).toString().compare(QLatin1String("Native"), Qt::CaseInsensitive))
                                continue;
                            const auto m = size.match(info.value(2).toString());
                            if (m.hasMatch())
                                m_lMaxNativeLength = m.captured(1).toInt();
                        }
                    }
                }
            }
        }
        if (!error.isEmpty() || bReadOnly)
            db.close();
    }
    if (!error.isEmpty() || bReadOnly) {
        QSqlDatabase::removeDatabase(name);
        if (!error.isEmpty()) {
            m_rows.clear();
            m_columns.clear();
            m_foreignKnown = false;
            throw failure(error);
        }
    } else {
        m_connection = name;
    }
}

void LocGuru::CloseLanguageDatabase()
{
    if (!m_connection.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
    }
    m_inTransaction = false;
    m_rows.clear();
    m_columns.clear();
    m_foreignKnown = false;
    m_asNative = QStringList{QString()};
    m_asForeign = QStringList{QString()};
    m_sLanguageDB.clear();
    m_bIsOpen = false;
    m_bIsReadOnly = false;
}

// ---- Text form -------------------------------------------------------------------------

qint32 LocGuru::ReadTextHeader(const QString &path, const QString &column, qint64 *offset)
{
    const TextHeader header(path);
    const qint64 languages = header.number(QStringLiteral("NumberOfLanguages"));
    const qint64 strings = header.number(QStringLiteral("NumberOfStrings"));
    m_lNumberOfStrings =
        static_cast<qint32>(qBound<qint64>(qint64(0), strings, qint64(std::numeric_limits<qint32>::max())));
    if (strings < 1 || languages < 1) {
        m_sErrDescription = kInvalidTextDb;
        return -1;
    }
    const qint32 index =
        column.compare(QLatin1String("Native"), Qt::CaseInsensitive) == 0 ? 0 : header.languageIndex(column, languages);
    *offset = header.number(QStringLiteral("Language%1_Offset").arg(index));
    return index;
}

bool LocGuru::FindTextSection(const QByteArray &bytes, const QString &column, qint64 offset, qint64 *pos)
{
    const QString section = QLatin1Char('[') + column + QLatin1Char(']');
    const bool utf8 = isUtf8WithBom(bytes);
    // First at the header's offset (counted from 1); an offset of 0, past the end or into
    // another line is answered by reading the file again from its first byte.
    if (offset >= 1 && offset <= bytes.size()) {
        LineReader at{bytes, utf8, offset - 1};
        if (at.next().compare(section, Qt::CaseInsensitive) == 0) {
            *pos = at.pos;
            return true;
        }
    }
    LineReader scan{bytes, utf8, 0};
    while (!scan.atEnd()) {
        if (scan.next().compare(section, Qt::CaseInsensitive) == 0) {
            *pos = scan.pos;
            return true;
        }
    }
    return false;
}

bool LocGuru::LoadTextColumn(const QString &path, const QString &column, QStringList &values)
{
    qint64 offset = 0;
    const qint32 index = ReadTextHeader(path, column, &offset);
    if (index < 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_sErrDescription = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_sErrDescription = file.errorString();
        return false;
    }
    file.close();
    qint64 pos = 0;
    if (!FindTextSection(bytes, column, offset, &pos))
        return false;
    values.clear();
    LineReader reader{bytes, isUtf8WithBom(bytes), pos};
    while (!reader.atEnd() && values.size() < m_lNumberOfStrings)
        values << valueOfLine(reader.next());
    if (values.size() < m_lNumberOfStrings) {
        m_sErrDescription = kInvalidTextDb;
        return false;
    }
    return true;
}

// ---- Windows ---------------------------------------------------------------------------

bool LocGuru::IsExcludedByTag(const QObject *object) const
{
    const QVariant tag = object->property("Tag");
    if (!tag.isValid())
        return false;
    return m_lTagExcludeLength >= 1 && tag.toString().left(m_lTagExcludeLength) == m_sTagExclude;
}

void LocGuru::TranslateObject(QObject *object)
{
    if (!object)
        return;
    try {
        if (IsExcludedByTag(object))
            return;
        for (const QString &name : std::as_const(m_colProperties)) {
            const QString v = ObjectProperties::get(object, name);
            if (!v.isEmpty()) {
                const QString t = GetTranslation(v);
                if (t != v)
                    ObjectProperties::set(object, name, t);
            }
        }
    } catch (...) {
    }
}

void LocGuru::TranslateForm(QWidget *form)
{
    if (!form || !(m_bTestStrWidth || (m_bIsOpen && m_bIsReadOnly)))
        return;
    const auto visit = [this](QObject *o) {
        try {
            if (!LocGuruP_BAS::TranslateSpecialControl(o, *this))
                TranslateObject(o);
        } catch (...) {
        }
    };
    visit(form);
    QList<QObject *> controls;
    try {
        controls = LocGuruP_BAS::FormControls(form);
    } catch (...) {
    }
    for (QObject *o : std::as_const(controls))
        visit(o);
}

// ---- Export ----------------------------------------------------------------------------

void LocGuru::RequireWritable() const
{
    if (!m_bIsOpen)
        throw failure(QStringLiteral("The language database is not open"));
    if (m_eOpenDbType == 1)
        throw failure(kTextOnlyAccess, 0x80040001LL, QStringLiteral("LocGuru.ExportOneString"));
    if (m_connection.isEmpty())
        throw failure(QStringLiteral("The language database is open for translating only"));
}

void LocGuru::RunBeginExportTransaction()
{
    RequireWritable();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        throw failure(db.lastError().text());
    m_inTransaction = true;
}

void LocGuru::RunCommitExportTransaction()
{
    if (!m_inTransaction)
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.commit())
        throw failure(db.lastError().text());
    m_inTransaction = false;
}

void LocGuru::RollbackExportTransaction()
{
    if (!m_inTransaction || m_connection.isEmpty())
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.rollback();
    m_inTransaction = false;
}

void LocGuru::RunExportStrings(qint32 lastId)
{
    RequireWritable();
    {
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        if (!q.exec(QStringLiteral("UPDATE LocGuru SET \"bIsUsed\" = 0")))
            throw failure(q.lastError().text());
    }
    struct Restore {
        bool &flag;
        ~Restore() { flag = true; }
    } restore{m_bConvertCrLf};
    m_bConvertCrLf = false;
    for (qint32 n = 1; n <= lastId; ++n) {
        const QString text = GetS(n);
        if (!text.startsWith(m_sUnknownStrID))
            RunExportOneString(text);
    }
}

void LocGuru::RunExportOneString(const QString &text)
{
    if (text.isEmpty())
        return;
    if (text.size() > m_lMaxNativeLength) {
        ui::MsgBox(QStringLiteral("The following string of %1 characters is longer than the maximum of %2 characters "
                                  "that can be stored in the language database:\r\r%3")
                       .arg(text.size())
                       .arg(m_lMaxNativeLength)
                       .arg(text),
                   ui::Icon::None, ui::OkOnly);
        return;
    }
    if (!m_bIsOpen)
        return;
    if (m_eOpenDbType == 1) {
        m_sErrDescription = kTextOnlyAccess;
        throw failure(kTextOnlyAccess, 0x80040001LL, QStringLiteral("LocGuru.ExportOneString"));
    }
    RequireWritable();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    const auto it = m_rows.constFind(text);
    if (it != m_rows.constEnd()) {
        q.prepare(QStringLiteral("UPDATE LocGuru SET \"bIsUsed\" = -1 WHERE rowid = ?"));
        q.addBindValue(it->rowid);
        if (!q.exec())
            throw failure(q.lastError().text());
        return;
    }
    const bool hasSkip = m_columns.contains(QStringLiteral("bSkip"), Qt::CaseInsensitive);
    q.prepare(QStringLiteral("INSERT INTO LocGuru (%1, %2%3) VALUES (?, -1%4)")
                  .arg(Database::quoteIdentifier(QStringLiteral("Native")),
                       Database::quoteIdentifier(QStringLiteral("bIsUsed")),
                       hasSkip ? QStringLiteral(", ") + Database::quoteIdentifier(QStringLiteral("bSkip")) : QString(),
                       hasSkip ? QStringLiteral(", 0") : QString()));
    q.addBindValue(text);
    if (!q.exec())
        throw failure(q.lastError().text());
    Row row;
    row.rowid = q.lastInsertId().toLongLong();
    m_rows.insert(text, row);
}

void LocGuru::RunExportObjectStrings(QObject *object)
{
    if (!object || IsExcludedByTag(object))
        return;
    const bool menuItem = qobject_cast<QAction *>(object) != nullptr;
    for (const QString &name : std::as_const(m_colProperties)) {
        const QString v = ObjectProperties::get(object, name);
        if (v.isEmpty())
            continue;
        if (menuItem && v == QLatin1String("-") && name.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
            continue;
        RunExportOneString(v);
    }
}

void LocGuru::RunExportFormStrings(QWidget *form)
{
    if (!form)
        return;
    RunExportObjectStrings(form);
    const QList<QObject *> controls = LocGuruP_BAS::FormControls(form);
    for (QObject *o : controls) {
        if (!LocExport::specialControlStrings(o, *this))
            RunExportObjectStrings(o);
    }
}

Resultado<> LocGuru::ExportStrings(qint32 lastId)
{
    return comoResultado([&] { RunExportStrings(lastId); });
}

Resultado<> LocGuru::ExportFormStrings(QWidget *form)
{
    return comoResultado([&] { RunExportFormStrings(form); });
}

Resultado<> LocGuru::ExportObjectStrings(QObject *object)
{
    return comoResultado([&] { RunExportObjectStrings(object); });
}

Resultado<> LocGuru::ExportOneString(const QString &text)
{
    return comoResultado([&] { RunExportOneString(text); });
}

Resultado<> LocGuru::BeginExportTransaction()
{
    return comoResultado([&] { RunBeginExportTransaction(); });
}

Resultado<> LocGuru::CommitExportTransaction()
{
    return comoResultado([&] { RunCommitExportTransaction(); });
}

void LocExport::strings(LocGuru &loc, qint32 lastId)
{
    loc.RunExportStrings(lastId);
}

void LocExport::formStrings(LocGuru &loc, QWidget *form)
{
    loc.RunExportFormStrings(form);
}

void LocExport::objectStrings(LocGuru &loc, QObject *object)
{
    loc.RunExportObjectStrings(object);
}

void LocExport::oneString(LocGuru &loc, const QString &text)
{
    loc.RunExportOneString(text);
}

void LocExport::beginTransaction(LocGuru &loc)
{
    loc.RunBeginExportTransaction();
}

void LocExport::commitTransaction(LocGuru &loc)
{
    loc.RunCommitExportTransaction();
}

} // namespace slx
