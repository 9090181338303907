// The shipped language database (built from data/language/*.tsv and seeded into the data
// folder): every catalogue text has exactly one row, translated into all seven languages,
// keeping its line breaks, its trailing blank, its figures and its units.

#include "TestSupport.h"
#include "localization/NativeCatalogue.h"
#include "base/DataFolder.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace slx;

namespace {

// The figures of a text, in order ("31.5", "90", ...).
QStringList numbers(const QString &text)
{
    static const QRegularExpression figure(QStringLiteral("\\d+(?:\\.\\d+)?"));
    QStringList out;
    for (auto it = figure.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

} // namespace

class TestLanguageDb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void catalogueRows_data();
    void catalogueRows();
    void nativesAreUnique();

private:
    slxtest::DataHome *m_home = nullptr;
    std::unique_ptr<slxtest::ReadOnlyDatabase> m_shipped;
    QSqlDatabase m_db;
    const QStringList m_languages = slxtest::languageColumns();
};

void TestLanguageDb::initTestCase()
{
    m_home = new slxtest::DataHome;
    QVERIFY(m_home->seed());
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(QFile::exists(path));
    m_shipped = std::make_unique<slxtest::ReadOnlyDatabase>(path, QStringLiteral("shipped"));
    m_db = m_shipped->db();
    QVERIFY(m_db.isOpen());
    const QSqlRecord rec = m_db.record(QStringLiteral("LocGuru"));
    QCOMPARE(rec.fieldName(0), QStringLiteral("Native"));
    for (int i = 0; i < m_languages.size(); ++i)
        QCOMPARE(rec.fieldName(i + 1), m_languages.at(i));
    QCOMPARE(rec.fieldName(8), QStringLiteral("bIsUsed"));
    QCOMPARE(rec.fieldName(9), QStringLiteral("bSkip"));
}

void TestLanguageDb::cleanupTestCase()
{
    m_db = QSqlDatabase();
    m_shipped.reset();
    delete m_home;
}

void TestLanguageDb::catalogueRows_data()
{
    QTest::addColumn<int>("id");
    for (int n = 1; n <= kNativeCount; ++n)
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestLanguageDb::catalogueRows()
{
    QFETCH(int, id);
    const QString native = GetNativeString(id, QString());
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT * FROM LocGuru WHERE \"Native\" = ?"));
    q.addBindValue(native);
    QVERIFY(q.exec());
    QVERIFY2(q.next(), "no row");
    const QSqlRecord row = q.record();
    QVERIFY2(!q.next(), "more than one row");
    QCOMPARE(row.value(QStringLiteral("bSkip")).toInt(), 0);
    for (const QString &language : m_languages) {
        const QVariant v = row.value(language);
        const QString t = v.toString();
        QVERIFY2(!v.isNull() && !t.trimmed().isEmpty(), qPrintable(language));
        QVERIFY2(t.count(QLatin1Char('\r')) == native.count(QLatin1Char('\r')), qPrintable(language));
        QVERIFY2(t.count(QLatin1Char('\n')) == native.count(QLatin1Char('\n')), qPrintable(language));
        QVERIFY2(t.endsWith(QLatin1Char(' ')) == native.endsWith(QLatin1Char(' ')), qPrintable(language));
        QVERIFY2(t.count(QStringLiteral("%s")) == native.count(QStringLiteral("%s")), qPrintable(language));
        QVERIFY2(!t.contains(QLatin1Char('\t')) && t == t.trimmed() + (t.endsWith(QLatin1Char(' ')) ? " " : ""),
                 qPrintable(language));
        // Figures (limits, bands, versions, ports) and units stay as they are.
        QVERIFY2(numbers(t) == numbers(native), qPrintable(language + QStringLiteral(": ") + t));
        for (const QString &unit : {QStringLiteral("dBA"), QStringLiteral("Hz"), QStringLiteral("T(s)"),
                                    QStringLiteral("Leq"), QStringLiteral("LFmax"), QStringLiteral("dd/MM/yy")}) {
            if (native.contains(unit))
                QVERIFY2(t.contains(unit), qPrintable(language + QStringLiteral(": ") + t));
        }
    }
}

void TestLanguageDb::nativesAreUnique()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("SELECT \"Native\", COUNT(*) FROM LocGuru GROUP BY \"Native\" HAVING COUNT(*) > 1")));
    QVERIFY2(!q.next(), qPrintable(q.value(0).toString()));
}

QTEST_MAIN(TestLanguageDb)
#include "tst_languagedb.moc"
