// The localization module: start-up, the special controls and the export of all texts.

#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Idiomas.h"
#include "base/MessageBox.h"
#include "localization/LocFailure.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"
#include "widgets/Translatable.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBox>
#include <QTranslator>
#include <QWidget>
#include <exception>
#include <memory>

namespace slx::LocGuruP_BAS {

namespace {

const QString kTestWidth = QStringLiteral("<TESTWIDTH>");

// Qt's translation files by language column name, in the order they are tried.
QStringList qtLocales(const QString &language)
{
    const IdiomaPrograma *idioma = idiomaDeNombre(language);
    return idioma ? QString::fromLatin1(idioma->qt).split(QLatin1Char(',')) : QStringList();
}

std::unique_ptr<QTranslator> &qtTranslator()
{
    static std::unique_ptr<QTranslator> t;
    return t;
}

bool isMenuAction(const QAction *a)
{
    const auto *menu = qobject_cast<const QMenu *>(a->parent());
    return menu && menu->menuAction() == a;
}

// A button that Qt made and names itself (OK, Cancel... of a button box).
bool isStandardButton(const QObject *o)
{
    const auto *b = qobject_cast<const QAbstractButton *>(o);
    const auto *box = b ? qobject_cast<const QDialogButtonBox *>(b->parentWidget()) : nullptr;
    return box && box->standardButton(const_cast<QAbstractButton *>(b)) != QDialogButtonBox::NoButton;
}

void collect(QObject *parent, QList<QObject *> &out)
{
    for (QObject *c : parent->children()) {
        const bool widget = c->isWidgetType();
        auto *action = qobject_cast<QAction *>(c);
        if (!widget && !action)
            continue;
        if (action && isMenuAction(action))
            continue;
        if (widget) {
            auto *w = static_cast<QWidget *>(c);
            // Other windows are walked on their own; menus are popups of this one.
            if (w->isWindow() && !qobject_cast<QMenu *>(w))
                continue;
            // The tab bar of a tab widget belongs to the tab widget.
            if (qobject_cast<QTabBar *>(w) && qobject_cast<QTabWidget *>(w->parentWidget()))
                continue;
        }
        const bool internal = c->objectName().startsWith(QLatin1String("qt_")) || isStandardButton(c);
        if (!internal)
            out << c;
        if (dynamic_cast<Translatable *>(c))
            continue;
        collect(c, out);
    }
}

// The texts of a chart, grid or tab control, or false when the control is none of them.
bool specialTexts(QObject *control, QStringList *texts)
{
    if (auto *t = dynamic_cast<Translatable *>(control)) {
        *texts = t->translatableTexts();
        return true;
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(control)) {
        texts->clear();
        for (int i = 0; i < tabs->count(); ++i)
            *texts << tabs->tabText(i);
        return true;
    }
    if (auto *bar = qobject_cast<QTabBar *>(control)) {
        texts->clear();
        for (int i = 0; i < bar->count(); ++i)
            *texts << bar->tabText(i);
        return true;
    }
    if (auto *box = qobject_cast<QToolBox *>(control)) {
        texts->clear();
        for (int i = 0; i < box->count(); ++i)
            *texts << box->itemText(i);
        return true;
    }
    return false;
}

void setSpecialText(QObject *control, int index, const QString &text)
{
    if (auto *t = dynamic_cast<Translatable *>(control))
        t->setTranslatableText(index, text);
    else if (auto *tabs = qobject_cast<QTabWidget *>(control))
        tabs->setTabText(index, text);
    else if (auto *bar = qobject_cast<QTabBar *>(control))
        bar->setTabText(index, text);
    else if (auto *box = qobject_cast<QToolBox *>(control))
        box->setItemText(index, text);
}

void restoreCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace

QString GetNativeString(qint32 id, const QString &prefix)
{
    return slx::GetNativeString(id, prefix);
}

bool InstallQtTranslation(const QString &sLanguage)
{
    if (!QCoreApplication::instance())
        return false;
    auto &current = qtTranslator();
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &locale : qtLocales(sLanguage)) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(QStringLiteral("qtbase_") + locale, dir)) {
            QCoreApplication::installTranslator(t.get());
            current = std::move(t);
            return true;
        }
    }
    return false;
}

bool SetupLanguage(const QString &sDatabase, const QString &sLanguage, LocGuru &loc)
{
    try {
        loc.setbTestStrWidth(false);
        if (sDatabase.trimmed().toUpper() == kTestWidth) {
            loc.setbTestStrWidth(true);
            // The width test lengthens the native texts: Qt's buttons are Spanish too.
            InstallQtTranslation(QStringLiteral("Español"));
            return true;
        }
        bool result = true;
        QString failure;
        if (!sDatabase.trimmed().isEmpty() && !sLanguage.trimmed().isEmpty()) {
            const qint32 type = sDatabase.contains(QLatin1String(".db"), Qt::CaseInsensitive) ? 0 : 1;
            loc.setsForeignColumnName(sLanguage);
            result = loc.OpenLanguageDatabase(sDatabase, true, type);
            if (!result) {
                // The failure on the path as given names the cause; the second try, in the
                // data folder, mostly adds "file not found".
                failure = loc.sErrDescription();
                result = loc.OpenLanguageDatabase(DataFolder::path() + QLatin1Char('/') + sDatabase, true, type);
            }
        } else {
            loc.CloseLanguageDatabase();
        }
        // Qt's own buttons follow the language the program shows: Spanish without a database,
        // already on the box that says so.
        InstallQtTranslation(loc.bIsOpen() ? sLanguage : QStringLiteral("Español"));
        if (!result)
            ui::MsgBox(QStringLiteral("While opening Language Database (") + sDatabase +
                           QStringLiteral(") the following error occurred:\r\r") + failure,
                       ui::Icon::Exclamation, ui::OkOnly);
        return result;
    } catch (const std::exception &e) {
        ui::MsgBox(QStringLiteral("SetupLanguage() Error: ") + QString::fromLocal8Bit(e.what()), ui::Icon::Exclamation,
                   ui::OkOnly);
    } catch (...) {
        ui::MsgBox(QStringLiteral("SetupLanguage() Error: ") + QStringLiteral("unknown failure"), ui::Icon::Exclamation,
                   ui::OkOnly);
    }
    return false;
}

QList<QObject *> FormControls(QWidget *form)
{
    QList<QObject *> out;
    if (form && !dynamic_cast<Translatable *>(form))
        collect(form, out);
    return out;
}

bool TranslateSpecialControl(QObject *control, LocGuru &loc)
{
    bool handled = false;
    try {
        QStringList texts;
        if (!specialTexts(control, &texts))
            return false;
        handled = true;
        for (int i = 0; i < texts.size(); ++i) {
            try {
                const QString t = loc.GetTranslation(texts.at(i));
                if (t != texts.at(i))
                    setSpecialText(control, i, t);
            } catch (...) {
            }
        }
    } catch (...) {
    }
    return handled;
}

Resultado<bool> ExportSpecialControlStrings(QObject *control, LocGuru &loc)
{
    bool handled = false;
    if (const auto r = comoResultado([&] { handled = LocExport::specialControlStrings(control, loc); }); !r)
        return std::unexpected(r.error());
    return handled;
}

QStringList ExportedForms()
{
    return {QStringLiteral("Form1"), QStringLiteral("Form2"),  QStringLiteral("Form3"), QStringLiteral("Form4"),
            QStringLiteral("Form5"), QStringLiteral("Form6"),  QStringLiteral("Form7"), QStringLiteral("Form8"),
            QStringLiteral("Form9"), QStringLiteral("Form10"), QStringLiteral("Form15")};
}

QStringList OwnMessages()
{
    QStringList out;
    QFile f(QStringLiteral(":/localization/own-messages.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QString s = QString::fromUtf8(line);
        QString text;
        for (qsizetype i = 0; i < s.size(); ++i) {
            QChar c = s.at(i);
            if (c == QLatin1Char('\\') && i + 1 < s.size()) {
                const QChar e = s.at(++i);
                c = e == QLatin1Char('r')   ? QChar(13)
                    : e == QLatin1Char('n') ? QChar(10)
                    : e == QLatin1Char('t') ? QChar(9)
                                            : e;
            }
            text += c;
        }
        out << text;
    }
    return out;
}

void ExportAllFormStrings(LocGuru &loc)
{
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    const QString kept = loc.sLanguageDB();
    const qint32 keptType = loc.eOpenDbType();
    // Padded texts must never reach the database.
    const bool widthTest = loc.bTestStrWidth();
    loc.setbTestStrWidth(false);
    const auto reopen = [&] {
        loc.CloseLanguageDatabase();
        if (!kept.isEmpty())
            loc.OpenLanguageDatabase(kept, true, keptType);
    };
    try {
        if (!loc.OpenLanguageDatabase(path, false, 0))
            throw LocFailure{0, QStringLiteral("LocGuru"), loc.sErrDescription()};
        LocExport::beginTransaction(loc);
        LocExport::strings(loc, 179);
        // The program's own messages are texts in use too.
        for (const QString &message : OwnMessages())
            LocExport::oneString(loc, message);
        for (const QString &name : ExportedForms()) {
            // A window registered as designed gives its design-time texts, whatever the
            // loaded one shows now (another language, a clock, a sheet's values).
            if (FormRegistry::hasDesign(name)) {
                std::unique_ptr<QWidget> designed;
                try {
                    designed.reset(FormRegistry::design(name));
                } catch (const LocFailure &) {
                    throw;
                } catch (const std::exception &e) {
                    throw LocFailure{0, name, QString::fromLocal8Bit(e.what())};
                }
                LocExport::formStrings(loc, designed.get());
                continue;
            }
            if (!FormRegistry::has(name) && !FormRegistry::instance(name))
                continue;
            QWidget *form = nullptr;
            try {
                form = FormRegistry::load(name);
            } catch (const LocFailure &) {
                throw;
            } catch (const std::exception &e) {
                throw LocFailure{0, name, QString::fromLocal8Bit(e.what())};
            }
            if (!form)
                continue;
            form->show();
            LocExport::formStrings(loc, form);
        }
        LocExport::commitTransaction(loc);
        reopen();
    } catch (const LocFailure &f) {
        loc.RollbackExportTransaction();
        if (f.number != 32755)
            ui::MsgBox(f.description, ui::Icon::Exclamation, ui::OkOnly);
        reopen();
    } catch (const std::exception &e) {
        loc.RollbackExportTransaction();
        ui::MsgBox(QString::fromLocal8Bit(e.what()), ui::Icon::Exclamation, ui::OkOnly);
        reopen();
    } catch (...) {
        loc.RollbackExportTransaction();
        reopen();
    }
    loc.setbTestStrWidth(widthTest);
    restoreCursor();
}

} // namespace slx::LocGuruP_BAS

namespace slx {

bool LocExport::specialControlStrings(QObject *control, LocGuru &loc)
{
    QStringList texts;
    try {
        if (!LocGuruP_BAS::specialTexts(control, &texts))
            return false;
    } catch (...) {
        return false;
    }
    // A failure of the database (or the refusal of the text form) still ends the export.
    for (const QString &t : std::as_const(texts))
        oneString(loc, t);
    return true;
}

} // namespace slx
