#include "base/Ventanas.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/TextoPropio.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>

namespace slx {

namespace {

// Ends a local event loop when its window is hidden or closed.
class FinModal : public QObject {
public:
    FinModal(QWidget *w, QEventLoop *loop)
        : QObject(w)
        , m_loop(loop)
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop *m_loop;
};

} // namespace

void muestraModal(QWidget *w)
{
    if (!w)
        return;
    if (auto *d = qobject_cast<QDialog *>(w)) {
        d->exec();
        return;
    }
    QPointer<QWidget> guard(w);
    QEventLoop loop;
    auto *fin = new FinModal(w, &loop);
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->setWindowModality(Qt::NonModal);
        delete fin;
    }
}

void muestraNoModal(QWidget *w)
{
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

QString textoNoConstruida()
{
    return TextoPropio("This function is not built yet.");
}

QWidget *abreVentana(const QString &nombre, bool modal, QWidget *parent)
{
    QWidget *w = FormRegistry::load(nombre);
    if (!w) {
        // A registered window that could not open has shown its own failure.
        if (!FormRegistry::has(nombre))
            ui::MsgBox(textoNoConstruida(), ui::Icon::Information, ui::OkOnly, parent);
        return nullptr;
    }
    if (modal)
        muestraModal(w);
    else
        muestraNoModal(w);
    return w;
}

bool ofrecenGuardarVentanas(QWidget *except)
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget> &w : windows) {
        if (!w || w == except || !w->isVisible() || w->metaObject()->indexOfMethod("OfreceGuardar()") < 0)
            continue;
        bool nadaPendiente = true;
        QMetaObject::invokeMethod(w, "OfreceGuardar", Qt::DirectConnection, Q_RETURN_ARG(bool, nadaPendiente));
        if (!nadaPendiente)
            return false;
    }
    return true;
}

} // namespace slx
