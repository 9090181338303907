// Translating a window: labels, buttons, tool tips, tabs, a group box, a menu, a Tag "!"
// control and a composite grid, in each of the seven languages of the shipped database.

#include "FakeGrid.h"
#include "LanguageFixture.h"
#include "TestSupport.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"
#include "base/DataFolder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

using namespace slx;

namespace {

QString native(int id)
{
    return GetNativeString(id, QString());
}

struct Window {
    std::unique_ptr<QMainWindow> form;
    QLabel *labelFecha = nullptr;
    QLineEdit *maskFecha = nullptr;
    QPushButton *buscar = nullptr;
    QCheckBox *check = nullptr;
    QGroupBox *frame = nullptr;
    QTabWidget *tabs = nullptr;
    QLabel *labelLunes = nullptr;
    QLabel *excluded = nullptr;
    QLabel *notExcluded = nullptr;
    slxtest::FakeGrid *grid = nullptr;
    QMenu *menu = nullptr;
    QAction *actionSabado = nullptr;
    QAction *separator = nullptr;
    QAction *actionViernes = nullptr;
};

// Every text is a catalogue text, so that the shipped database translates it.
Window buildWindow()
{
    Window w;
    w.form = std::make_unique<QMainWindow>();
    w.form->setObjectName(QStringLiteral("Form1"));
    w.form->setWindowTitle(native(1)); // Idioma
    auto *central = new QWidget(w.form.get());
    auto *layout = new QVBoxLayout(central);
    w.labelFecha = new QLabel(native(4), central); // Fecha:
    w.labelFecha->setObjectName(QStringLiteral("LabelFecha"));
    w.maskFecha = new QLineEdit(native(16), central);
    w.maskFecha->setObjectName(QStringLiteral("MaskFecha"));
    w.labelFecha->setBuddy(w.maskFecha);
    w.buscar = new QPushButton(native(32), central); // BUSCAR
    w.buscar->setObjectName(QStringLiteral("SSCommandBuscar"));
    w.buscar->setToolTip(native(20)); // Buscar en el campo
    w.check = new QCheckBox(native(11), central);
    w.check->setObjectName(QStringLiteral("CheckImpresion"));
    w.frame = new QGroupBox(native(113), central); // Normativa
    w.frame->setObjectName(QStringLiteral("Frame1"));
    w.tabs = new QTabWidget(central);
    w.tabs->setObjectName(QStringLiteral("SSTab1"));
    w.tabs->setToolTip(native(100)); // a tab control's tool tip stays
    auto *page = new QWidget;
    w.labelLunes = new QLabel(native(70), page);
    w.labelLunes->setObjectName(QStringLiteral("LabelLunes"));
    w.tabs->addTab(page, native(98));             // Día
    w.tabs->addTab(new QWidget, native(99));      // Noche
    w.excluded = new QLabel(native(71), central); // Martes
    w.excluded->setObjectName(QStringLiteral("LabelExcluded"));
    w.excluded->setProperty("Tag", QStringLiteral("!fixed"));
    w.excluded->setToolTip(native(72));
    w.notExcluded = new QLabel(native(72), central);
    w.notExcluded->setObjectName(QStringLiteral("LabelTagged"));
    w.notExcluded->setProperty("Tag", QStringLiteral("x!"));
    w.grid = new slxtest::FakeGrid(central);
    w.grid->setObjectName(QStringLiteral("TDBGrid1"));
    w.grid->caption = native(36); // Límite
    w.grid->columns = {native(16), native(17)};
    w.grid->splits = {native(100)};
    w.grid->setProperty("Tag", QStringLiteral("!"));
    w.grid->setToolTip(native(76));
    for (QWidget *c : std::initializer_list<QWidget *>{w.labelFecha, w.maskFecha, w.buscar, w.check, w.frame, w.tabs,
                                                       w.excluded, w.notExcluded, w.grid})
        layout->addWidget(c);
    w.form->setCentralWidget(central);
    w.menu = w.form->menuBar()->addMenu(native(144)); // Importar datos
    w.menu->setObjectName(QStringLiteral("mnuImportar"));
    w.actionSabado = w.menu->addAction(native(75));
    w.actionSabado->setToolTip(native(106));
    w.separator = w.menu->addSeparator();
    w.actionViernes = w.menu->addAction(native(74));
    return w;
}

QString cell(const QString &path, const QString &language, const QString &nativeText)
{
    QString out;
    slxtest::withDatabase(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT \"%1\" FROM LocGuru WHERE \"Native\" = ?").arg(language));
        q.addBindValue(nativeText);
        if (!q.exec() || !q.next())
            return false;
        out = q.value(0).toString();
        return true;
    });
    return out;
}

} // namespace

class TestTranslateForm : public QObject {
    Q_OBJECT

private slots:
    void everyLanguage_data();
    void everyLanguage();
    void nothingWhileClosedOrWriting();
    void disabledWritesBack();
    void emptyTagExcludeExcludesNothing();
    void hiddenColumnHeaders();
    void widthTestWithoutDatabase();
    void captionsOnly();
    void otherPropertyNames();
    void walkOrder();
};

void TestTranslateForm::everyLanguage_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &l : slxtest::languageColumns())
        QTest::newRow(qPrintable(l)) << l;
}

void TestTranslateForm::everyLanguage()
{
    QFETCH(QString, language);
    slxtest::DataHome home;
    slxtest::Answers answers;
    QVERIFY(home.seed());
    const QString db = DataFolder::file(QStringLiteral("Language.db"));
    LocGuru loc;
    QVERIFY(LocGuruP_BAS::SetupLanguage(db, language, loc));
    Window w = buildWindow();
    loc.TranslateForm(w.form.get());

    const auto expect = [&](int id) {
        const QString t = cell(db, language, native(id));
        if (t.isEmpty())
            qWarning("no %s cell for text %d", qPrintable(language), id);
        return t;
    };
    QCOMPARE(w.form->windowTitle(), expect(1));
    QCOMPARE(w.labelFecha->text(), expect(4));
    QCOMPARE(w.buscar->text(), expect(32));
    QCOMPARE(w.buscar->toolTip(), expect(20));
    QCOMPARE(w.check->text(), expect(11));
    QCOMPARE(w.frame->title(), expect(113));
    QCOMPARE(w.tabs->tabText(0), expect(98));
    QCOMPARE(w.tabs->tabText(1), expect(99));
    QCOMPARE(w.labelLunes->text(), expect(70));
    QCOMPARE(w.notExcluded->text(), expect(72));
    QCOMPARE(w.grid->caption, expect(36));
    QCOMPARE(w.grid->columns, (QStringList{expect(16), expect(17)}));
    QCOMPARE(w.grid->splits, QStringList{expect(100)});
    QCOMPARE(w.menu->title(), expect(144));
    QCOMPARE(w.actionSabado->text(), expect(75));
    QCOMPARE(w.actionSabado->toolTip(), expect(106));
    QCOMPARE(w.actionViernes->text(), expect(74));

    // Left as they are: a Tag "!" control, a field's contents, the inside and the tool tip
    // of a composite control (whose Tag is not looked at), a tab control's tool tip.
    QCOMPARE(w.excluded->text(), native(71));
    QCOMPARE(w.excluded->toolTip(), native(72));
    QCOMPARE(w.maskFecha->text(), native(16));
    QCOMPARE(w.grid->inner->text(), QStringLiteral("Jueves"));
    QCOMPARE(w.grid->toolTip(), native(76));
    QCOMPARE(w.tabs->toolTip(), native(100));
    QVERIFY(w.separator->isSeparator());
    QCOMPARE(w.labelFecha->buddy(), w.maskFecha);
    if (language == QStringLiteral("English")) {
        QCOMPARE(w.form->windowTitle(), QStringLiteral("Language"));
        QCOMPARE(w.tabs->tabText(1), QStringLiteral("Night"));
    }
}

void TestTranslateForm::nothingWhileClosedOrWriting()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("English"));
    Window w = buildWindow();
    w.labelLunes->setText(QStringLiteral("Hora"));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.labelLunes->text(), QStringLiteral("Hora"));
    QVERIFY(loc.OpenLanguageDatabase(path, false, 0));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.labelLunes->text(), QStringLiteral("Hora"));
    QVERIFY(loc.OpenLanguageDatabase(path, true, 0));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.labelLunes->text(), QStringLiteral("Time"));
    loc.TranslateForm(nullptr); // harmless
}

void TestTranslateForm::disabledWritesBack()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    loc.setbEnabled(false);
    Window w = buildWindow();
    w.labelLunes->setText(QStringLiteral("Hora"));
    w.grid->caption = QStringLiteral("Fecha");
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.labelLunes->text(), QStringLiteral("Hora"));
    QCOMPARE(w.grid->caption, QStringLiteral("Fecha"));
}

void TestTranslateForm::emptyTagExcludeExcludesNothing()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    Window w = buildWindow();
    w.excluded->setText(QStringLiteral("Fecha"));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.excluded->text(), QStringLiteral("Fecha"));
    loc.setsTagExclude(QString());
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.excluded->text(), QStringLiteral("Date"));
}

void TestTranslateForm::hiddenColumnHeaders()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    Window w = buildWindow();
    w.grid->caption = QStringLiteral("Idioma");
    w.grid->columns = {QStringLiteral("Fecha"), QStringLiteral("Hora")};
    w.grid->splits = {QStringLiteral("Sí"), QStringLiteral("BUSCAR")};
    w.grid->columnHeaders = false;
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.grid->caption, QStringLiteral("Language"));
    QCOMPARE(w.grid->columns, (QStringList{"Fecha", "Hora"}));
    QCOMPARE(w.grid->splits, (QStringList{"Yes", "SEARCH"}));
}

void TestTranslateForm::widthTestWithoutDatabase()
{
    LocGuru loc;
    loc.setbTestStrWidth(true);
    Window w = buildWindow();
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.form->windowTitle(), native(1) + QStringLiteral("WWWWW")); // 6 characters, +80 %
    QCOMPARE(w.tabs->tabText(1), native(99) + QStringLiteral("WWWW"));
    QCOMPARE(w.excluded->text(), native(71));
}

void TestTranslateForm::captionsOnly()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    loc.setsProperties(QStringLiteral("Caption,,ToolTipText"));
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    Window w = buildWindow();
    w.buscar->setText(QStringLiteral("Hora"));
    w.buscar->setToolTip(QStringLiteral("Fecha"));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.buscar->text(), QStringLiteral("Time"));
    QCOMPARE(w.buscar->toolTip(), QStringLiteral("Fecha"));
}

void TestTranslateForm::otherPropertyNames()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    loc.setsProperties(QStringLiteral("text, BackColor"));
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    Window w = buildWindow();
    w.maskFecha->setText(QStringLiteral("Fecha"));
    w.labelLunes->setText(QStringLiteral("Hora"));
    loc.TranslateForm(w.form.get());
    QCOMPARE(w.maskFecha->text(), QStringLiteral("Date"));  // "Text" is a field's contents
    QCOMPARE(w.labelLunes->text(), QStringLiteral("Hora")); // captions are not in the list now
}

void TestTranslateForm::walkOrder()
{
    Window w = buildWindow();
    const QList<QObject *> controls = LocGuruP_BAS::FormControls(w.form.get());
    QStringList names;
    for (QObject *o : controls)
        names << o->objectName();
    QVERIFY(controls.contains(w.labelFecha));
    QVERIFY(controls.contains(w.labelLunes));
    QVERIFY(controls.contains(w.menu));
    QVERIFY(controls.contains(w.actionSabado));
    QVERIFY(controls.contains(w.grid));
    QVERIFY(!controls.contains(w.grid->inner));
    QVERIFY(!controls.contains(w.menu->menuAction()));
    QVERIFY(!controls.contains(w.form.get()));
    QVERIFY(names.indexOf(QStringLiteral("LabelFecha")) < names.indexOf(QStringLiteral("SSCommandBuscar")));
    QCOMPARE(controls.count(w.actionSabado), 1);
}

QTEST_MAIN(TestTranslateForm)
#include "tst_translateform.moc"
