#include "localization/ObjectProperties.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace slx::ObjectProperties {

namespace {

enum class Kind { None, Caption, ToolTip, Text, Font };

Kind kindOf(const QString &name)
{
    if (name.compare(QLatin1String("Caption"), Qt::CaseInsensitive) == 0)
        return Kind::Caption;
    if (name.compare(QLatin1String("ToolTipText"), Qt::CaseInsensitive) == 0)
        return Kind::ToolTip;
    if (name.compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0)
        return Kind::Text;
    if (name.compare(QLatin1String("Font"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Font.Name"), Qt::CaseInsensitive) == 0)
        return Kind::Font;
    return Kind::None;
}

// The tool tip an action shows when none was set: its text without mnemonics and dots.
QString automaticToolTip(const QString &text)
{
    QString s = text;
    s.remove(QLatin1String("..."));
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('&')) {
            if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('&'))
                out += s.at(++i);
            continue;
        }
        out += s.at(i);
    }
    return out.trimmed();
}

QString captionOf(const QObject *o)
{
    if (const auto *a = qobject_cast<const QAction *>(o))
        return a->isSeparator() ? QString() : a->text();
    if (const auto *m = qobject_cast<const QMenu *>(o))
        return m->title();
    if (const auto *g = qobject_cast<const QGroupBox *>(o))
        return g->title();
    if (const auto *l = qobject_cast<const QLabel *>(o))
        return l->text();
    if (const auto *b = qobject_cast<const QAbstractButton *>(o))
        return b->text();
    if (const auto *d = qobject_cast<const QDockWidget *>(o))
        return d->windowTitle();
    if (const auto *w = qobject_cast<const QWidget *>(o); w && w->isWindow())
        return w->windowTitle();
    return QString();
}

void setCaption(QObject *o, const QString &v)
{
    if (auto *a = qobject_cast<QAction *>(o)) {
        if (!a->isSeparator())
            a->setText(v);
    } else if (auto *m = qobject_cast<QMenu *>(o)) {
        m->setTitle(v);
    } else if (auto *g = qobject_cast<QGroupBox *>(o)) {
        g->setTitle(v);
    } else if (auto *l = qobject_cast<QLabel *>(o)) {
        l->setText(v);
    } else if (auto *b = qobject_cast<QAbstractButton *>(o)) {
        b->setText(v);
    } else if (auto *d = qobject_cast<QDockWidget *>(o)) {
        d->setWindowTitle(v);
    } else if (auto *w = qobject_cast<QWidget *>(o); w && w->isWindow()) {
        w->setWindowTitle(v);
    }
}

QString toolTipOf(const QObject *o)
{
    if (const auto *a = qobject_cast<const QAction *>(o)) {
        const QString t = a->toolTip();
        return t == automaticToolTip(a->text()) ? QString() : t;
    }
    if (const auto *w = qobject_cast<const QWidget *>(o))
        return w->toolTip();
    return QString();
}

void setToolTip(QObject *o, const QString &v)
{
    if (auto *a = qobject_cast<QAction *>(o))
        a->setToolTip(v);
    else if (auto *w = qobject_cast<QWidget *>(o))
        w->setToolTip(v);
}

QString textOf(const QObject *o)
{
    if (const auto *e = qobject_cast<const QLineEdit *>(o))
        return e->text();
    if (const auto *e = qobject_cast<const QPlainTextEdit *>(o))
        return e->toPlainText();
    if (const auto *e = qobject_cast<const QTextEdit *>(o))
        return e->toPlainText();
    if (const auto *c = qobject_cast<const QComboBox *>(o); c && c->isEditable())
        return c->currentText();
    return QString();
}

void setText(QObject *o, const QString &v)
{
    if (auto *e = qobject_cast<QLineEdit *>(o))
        e->setText(v);
    else if (auto *e = qobject_cast<QPlainTextEdit *>(o))
        e->setPlainText(v);
    else if (auto *e = qobject_cast<QTextEdit *>(o))
        e->setPlainText(v);
    else if (auto *c = qobject_cast<QComboBox *>(o); c && c->isEditable())
        c->setEditText(v);
}

QString fontOf(const QObject *o)
{
    if (const auto *a = qobject_cast<const QAction *>(o))
        return a->font().family();
    if (const auto *w = qobject_cast<const QWidget *>(o))
        return w->font().family();
    return QString();
}

void setFont(QObject *o, const QString &v)
{
    if (auto *a = qobject_cast<QAction *>(o)) {
        QFont f = a->font();
        f.setFamily(v);
        a->setFont(f);
    } else if (auto *w = qobject_cast<QWidget *>(o)) {
        QFont f = w->font();
        f.setFamily(v);
        w->setFont(f);
    }
}

} // namespace

QString get(const QObject *object, const QString &name)
{
    if (!object)
        return QString();
    switch (kindOf(name)) {
    case Kind::Caption: return captionOf(object);
    case Kind::ToolTip: return toolTipOf(object);
    case Kind::Text: return textOf(object);
    case Kind::Font: return fontOf(object);
    case Kind::None: break;
    }
    return QString();
}

void set(QObject *object, const QString &name, const QString &value)
{
    if (!object)
        return;
    switch (kindOf(name)) {
    case Kind::Caption: setCaption(object, value); break;
    case Kind::ToolTip: setToolTip(object, value); break;
    case Kind::Text: setText(object, value); break;
    case Kind::Font: setFont(object, value); break;
    case Kind::None: break;
    }
}

} // namespace slx::ObjectProperties
