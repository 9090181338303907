#include "widgets/HelpWindow.h"

#include "base/DataFolder.h"
#include "base/Idiomas.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace slx {

namespace {
QPointer<HelpWindow> g_window;
} // namespace

HelpWindow *HelpWindow::current()
{
    return g_window;
}

HelpWindow *HelpWindow::instance()
{
    if (!g_window)
        g_window = new HelpWindow;
    return g_window;
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    m_back = new QToolButton(this);
    m_back->setObjectName(QStringLiteral("HelpBack"));
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_back->setEnabled(false);
    m_forward = new QToolButton(this);
    m_forward->setObjectName(QStringLiteral("HelpForward"));
    m_forward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_forward->setEnabled(false);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Pages and anchors of the data folder open here; other sites go to the desktop.
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    auto *tools = new QHBoxLayout;
    tools->addWidget(m_back);
    tools->addWidget(m_forward);
    tools->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_browser, 1);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    resize(qMin(900, room.width() * 9 / 10), qMin(700, room.height() * 9 / 10));
    translate();
    updateTitle();
}

void HelpWindow::translate()
{
    // In the language of the moment: the window outlives a change of language.
    m_back->setToolTip(TextoPropio("Previous page"));
    m_back->setAccessibleName(m_back->toolTip());
    m_forward->setToolTip(TextoPropio("Next page"));
    m_forward->setAccessibleName(m_forward->toolTip());
}

void HelpWindow::updateTitle()
{
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? ui::applicationTitle() : ui::applicationTitle() + QLatin1String(" - ") + page);
}

void HelpWindow::showPage(const QString &path)
{
    placeOver(QApplication::activeModalWidget());
    translate();
    const QUrl url = QUrl::fromLocalFile(path);
    // The same page again is read again (it may have changed), its history kept.
    if (m_browser->source() == url)
        m_browser->reload();
    else
        m_browser->setSource(url);
    updateTitle();
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void HelpWindow::placeOver(QWidget *modal)
{
    if (modal == this)
        modal = nullptr;
    QWidget *over = modal ? modal->window() : nullptr;
    if (parentWidget() == over)
        return;
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
    const QRect where = geometry();
    const bool shown = isVisible();
    setParent(over, Qt::Window);
    setGeometry(where);
    if (over)
        over->installEventFilter(this);
    if (shown)
        show();
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The modal window it stood on closes: it stays open on its own.
    if (watched == parentWidget() && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
        placeOver(nullptr);
    return QWidget::eventFilter(watched, event);
}

bool AbreAyuda(qint16 codigoIdioma, QWidget *owner)
{
    const QString path = DataFolder::file(ficheroAyuda(codigoIdioma));
    if (!ExisteFichero(path)) {
        ui::MsgBox(TextoPropio("The help file %1 is missing.").arg(path), ui::Icon::Critical, ui::OkOnly, owner);
        return false;
    }
    HelpWindow::instance()->showPage(path);
    return true;
}

} // namespace slx
