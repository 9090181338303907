#pragma once
// The program's help, inside the program: one window, reused by every Help button, that
// shows the help page of the user's language from the data folder and follows its links
// inside itself (links to other sites go to the desktop, when it has a browser).

#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace slx {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The help window, or nullptr before the first Help.
    static HelpWindow *current();
    // The help window, created on first use.
    static HelpWindow *instance();

    // Shows the page (an HTML file) in front, over the window the user works in.
    void showPage(const QString &path);

    QTextBrowser *browser() const { return m_browser; }
    QToolButton *backButton() const { return m_back; }
    QToolButton *forwardButton() const { return m_forward; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HelpWindow(QWidget *parent = nullptr);
    // A modal window blocks every window but its own: the help window stands on the
    // modal window in use while there is one, and on its own again once it closes.
    void placeOver(QWidget *modal);
    void translate();
    void updateTitle();

    QTextBrowser *m_browser = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
};

// Opens the help page of the language codigoIdioma (the settings' CodigoIdioma) in the
// help window; a missing page is said in the user's language in a critical box over
// owner. Returns whether the page is shown.
bool AbreAyuda(qint16 codigoIdioma, QWidget *owner = nullptr);

} // namespace slx
