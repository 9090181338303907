#include "widgets/SessionGuard.h"

#include "base/TextoCatalogo.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace slx {

namespace {

// The guard of the exchange that runs now, until it is released.
const WindowGuard *g_running = nullptr;

class CloseGuard : public QObject {
public:
    explicit CloseGuard(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || !WindowGuard::blocksClose(m_window))
            return false;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape)
                return true;
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

WindowGuard::WindowGuard(QWidget *window, const QList<QWidget *> &buttons, const GuardOptions &options, bool active)
    : m_window(window)
    , m_options(options)
    , m_active(active)
{
    if (!m_active)
        return;
    for (QWidget *b : buttons)
        m_buttons << QPointer<QWidget>(b);
    g_running = this;
}

WindowGuard::~WindowGuard()
{
    release();
}

bool WindowGuard::blocksClose(const QWidget *window)
{
    const WindowGuard *g = g_running;
    if (!g || !window)
        return false;
    const QWidget *w = g->m_window.data();
    return w && (w == window || window->isAncestorOf(w));
}

bool WindowGuard::ask(int texto)
{
    return ui::MsgBox(TextoCatalogo(texto), ui::Icon::Information, ui::OkCancel, m_window) == ui::vbOK;
}

void WindowGuard::report(int texto, ui::Icon icon)
{
    ui::MsgBox(TextoCatalogo(texto), icon, ui::OkOnly, m_window);
}

void WindowGuard::report(const QString &text)
{
    ui::MsgBox(text, ui::Icon::Critical, ui::OkOnly, m_window);
}

bool WindowGuard::askHangUp()
{
    return ui::MsgBox(TextoCatalogo(112), ui::Icon::Question, ui::YesNo, m_window) == ui::vbYes;
}

void WindowGuard::lock()
{
    if (!m_active || m_locked || m_released)
        return;
    m_locked = true;
    for (const QPointer<QWidget> &b : m_buttons) {
        // The button's own state, not the one it takes from a disabled parent.
        m_enabled << (b && !b->testAttribute(Qt::WA_ForceDisabled));
        if (b)
            b->setEnabled(false);
    }
    if (m_window) {
        m_hadCursor = m_window->testAttribute(Qt::WA_SetCursor);
        m_cursor = m_window->cursor();
        m_window->setCursor(m_options.cursor);
    }
    if (m_options.busy)
        m_options.busy(true);
}

void WindowGuard::release()
{
    if (!m_active || m_released)
        return;
    m_released = true;
    if (g_running == this)
        g_running = nullptr;
    if (!m_locked)
        return;
    if (m_options.busy)
        m_options.busy(false);
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i))
            m_buttons.at(i)->setEnabled(m_enabled.at(i));
    }
    if (m_window) {
        if (m_hadCursor)
            m_window->setCursor(m_cursor);
        else
            m_window->unsetCursor();
    }
}

void protegeCierre(QWidget *window)
{
    if (window)
        window->installEventFilter(new CloseGuard(window));
}

} // namespace slx
