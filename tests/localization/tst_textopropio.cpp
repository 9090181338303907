// The program's own messages (TextoPropio): every text the sources pass to it has its row in
// the shipped language database, translated into all seven languages with the same
// placeholders and line breaks, and the messages come out in the open language.

#include "LlamadasTextoPropio.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "import/ImportaBaseDatos.h"
#include "localization/LocGuru.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace slx;

namespace {

struct Llamada {
    QString texto;
    QString donde; // file:line of the first call
};

// Every TextoPropio("...") of the sources, adjacent literals joined as the compiler joins
// them; a call whose argument is not a literal goes to *otras (the check could not see it).
QList<Llamada> llamadas(QStringList *otras)
{
    QList<Llamada> out;
    QSet<QString> vistos;
    const QString raiz = QStringLiteral(SLX_SOURCE_DIR "/src");
    QDirIterator it(raiz, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString rel = path.mid(raiz.size() + 1);
        for (const mensajes::Llamada &l : mensajes::llamadasTextoPropio(QString::fromUtf8(f.readAll()))) {
            const QString donde = QStringLiteral("%1:%2").arg(rel).arg(l.linea);
            if (!l.literal)
                *otras << donde;
            else if (!vistos.contains(l.texto)) {
                vistos.insert(l.texto);
                out << Llamada{l.texto, donde};
            }
        }
    }
    return out;
}

QStringList marcadores(const QString &t)
{
    static const QRegularExpression re(QStringLiteral("%\\d+"));
    QStringList out;
    for (auto it = re.globalMatch(t); it.hasNext();)
        out << it.next().captured();
    out.sort();
    return out;
}

} // namespace

class TestTextoPropio : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void everyCallIsALiteral();
    void rows_data();
    void rows();
    void untranslatedTextStaysAsItIs();
    void german();

private:
    std::unique_ptr<slxtest::DataHome> m_home;
    std::unique_ptr<slxtest::ReadOnlyDatabase> m_shipped;
    QSqlDatabase m_db;
    QList<Llamada> m_llamadas;
    QStringList m_otras;
    const QStringList m_languages = slxtest::languageColumns();
};

void TestTextoPropio::initTestCase()
{
    m_home = std::make_unique<slxtest::DataHome>();
    QVERIFY(m_home->seed());
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(QFile::exists(path));
    m_shipped = std::make_unique<slxtest::ReadOnlyDatabase>(path, QStringLiteral("shipped"));
    m_db = m_shipped->db();
    QVERIFY(m_db.isOpen());
    m_llamadas = llamadas(&m_otras);
    // The sources do call it: an empty list would mean the search is broken.
    QVERIFY(m_llamadas.size() > 10);
}

void TestTextoPropio::cleanupTestCase()
{
    m_db = QSqlDatabase();
    m_shipped.reset();
    m_home.reset();
}

void TestTextoPropio::cleanup()
{
    oLocGuru().CloseLanguageDatabase();
}

void TestTextoPropio::everyCallIsALiteral()
{
    QVERIFY2(m_otras.isEmpty(), qPrintable(m_otras.join(QLatin1String(", "))));
}

void TestTextoPropio::rows_data()
{
    QTest::addColumn<QString>("native");
    for (const Llamada &l : m_llamadas)
        QTest::newRow(qPrintable(l.donde)) << l.texto;
}

void TestTextoPropio::rows()
{
    QFETCH(QString, native);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT * FROM LocGuru WHERE \"Native\" = ?"));
    q.addBindValue(native);
    QVERIFY(q.exec());
    QVERIFY2(q.next(), qPrintable(QStringLiteral("no row for \"%1\"").arg(native)));
    const QSqlRecord row = q.record();
    QVERIFY2(!q.next(), "more than one row");
    QCOMPARE(row.value(QStringLiteral("bSkip")).toInt(), 0);
    QCOMPARE(row.value(QStringLiteral("English")).toString(), native);
    const QStringList esperados = marcadores(native);
    for (const QString &language : m_languages) {
        const QVariant v = row.value(language);
        const QString t = v.toString();
        QVERIFY2(!v.isNull() && !t.trimmed().isEmpty(), qPrintable(language));
        QVERIFY2(marcadores(t) == esperados, qPrintable(language + QLatin1String(": ") + t));
        QVERIFY2(t.count(QLatin1Char('\n')) == native.count(QLatin1Char('\n')), qPrintable(language));
        QVERIFY2(t.count(QLatin1Char('\r')) == native.count(QLatin1Char('\r')), qPrintable(language));
        QVERIFY2(t == t.trimmed(), qPrintable(language));
    }
}

void TestTextoPropio::untranslatedTextStaysAsItIs()
{
    QVERIFY(!oLocGuru().bIsOpen());
    QCOMPARE(TextoPropio("Close"), QStringLiteral("Close"));
    QCOMPARE(TextoPropio("A text of no row"), QStringLiteral("A text of no row"));
    QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), QStringLiteral("Deutsch")));
    QCOMPARE(TextoPropio("A text of no row"), QStringLiteral("A text of no row"));
}

void TestTextoPropio::german()
{
    QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), QStringLiteral("Deutsch")));
    QCOMPARE(TextoPropio("Close"), QStringLiteral("Schließen"));
    QCOMPARE(TextoPropio("The file %1 does not exist.").arg(QStringLiteral("/tmp/x.db")),
             QStringLiteral("Die Datei /tmp/x.db existiert nicht."));
    QCOMPARE(TextoPropio("The database %1 cannot be opened: %2").arg(QStringLiteral("a.db"), QStringLiteral("b")),
             QStringLiteral("Die Datenbank a.db kann nicht geöffnet werden: b"));

    // Through the merge, as the main window shows it.
    const ResultadoFusion sinOrigen = ImportaBaseDatos(QString(), QSqlDatabase());
    QCOMPARE(sinOrigen.error, QStringLiteral("Es wurde keine Datenbank zum Importieren ausgewählt."));
    const QString falta = m_home->file(QStringLiteral("missing.db"));
    QCOMPARE(ImportaBaseDatos(falta, QSqlDatabase()).error, QStringLiteral("Die Datei %1 existiert nicht.").arg(falta));
    ResultadoFusion hecha;
    hecha.anadidas = 3;
    hecha.duplicadas = 1;
    hecha.rechazadas = 1;
    hecha.motivos << QStringLiteral("Lecturas: ") + TextoPropio("\"%1\" is not a date").arg(QStringLiteral("x"));
    QCOMPARE(hecha.resumen(), QStringLiteral("Hinzugefügte Datensätze: 3\n"
                                             "Bereits in der Datenbank vorhandene Datensätze (übersprungen): 1\n"
                                             "Abgelehnte Datensätze: 1\n"
                                             "Lecturas: \"x\" ist kein Datum"));
    QCOMPARE(textoNoConstruida(), QStringLiteral("Diese Funktion ist noch nicht implementiert."));
}

QTEST_MAIN(TestTextoPropio)
#include "tst_textopropio.moc"
