// The help window on small pages of its own: links to another page and to an anchor are
// followed inside it, back and forward walk them, a link to another site goes to the
// desktop, and one window serves every opening.

#include "widgets/HelpWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace slx;

// Captures what goes to the desktop.
class Desktop : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class TestHelpWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &html)
    {
        QFile f(QDir(dir.path()).filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(html);
        return f.fileName();
    }
    // Moves the keyboard to the n-th link of the page and activates it, as a user does.
    void activateLink(HelpWindow *help, int n)
    {
        QTextBrowser *b = help->browser();
        b->setFocus();
        QTextCursor c = b->textCursor();
        c.movePosition(QTextCursor::Start);
        b->setTextCursor(c);
        for (int i = 0; i <= n; ++i)
            QTest::keyClick(b, Qt::Key_Tab);
        QTest::keyClick(b, Qt::Key_Return);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QByteArray filler;
        for (int i = 0; i < 200; ++i)
            filler += "<p>line</p>";
        write("a.html", "<html><head><title>Page A</title></head><body><h1>A</h1>"
                        "<p><a href=\"b.html\">to B</a> <a href=\"#end\">to the end</a> "
                        "<a href=\"https://example.org/slx\">a site</a></p>" +
                            filler + "<h2 id=\"end\">End of A</h2></body></html>");
        write("b.html", "<html><head><title>Page B</title></head><body><p>This is B.</p></body></html>");
    }

    void linksAreFollowedInside()
    {
        Desktop desk;
        QDesktopServices::setUrlHandler("https", &desk, "open");
        HelpWindow *help = HelpWindow::instance();
        const QUrl a = QUrl::fromLocalFile(QDir(dir.path()).filePath("a.html"));
        const QUrl b = QUrl::fromLocalFile(QDir(dir.path()).filePath("b.html"));
        help->showPage(a.toLocalFile());
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QCOMPARE(help->browser()->source(), a);
        QVERIFY(help->windowTitle().endsWith("Page A"));
        QVERIFY(!help->backButton()->isEnabled());

        // Another page of the folder.
        activateLink(help, 0);
        QTRY_COMPARE(help->browser()->source(), b);
        QVERIFY(help->browser()->toPlainText().contains("This is B."));
        QVERIFY(help->windowTitle().endsWith("Page B"));
        QVERIFY(help->backButton()->isEnabled());
        QTest::mouseClick(help->backButton(), Qt::LeftButton);
        QCOMPARE(help->browser()->source(), a);
        QVERIFY(help->forwardButton()->isEnabled());
        QTest::mouseClick(help->forwardButton(), Qt::LeftButton);
        QCOMPARE(help->browser()->source(), b);
        QTest::mouseClick(help->backButton(), Qt::LeftButton);

        // An anchor of the page: scrolled to it, on the same page.
        QCOMPARE(help->browser()->verticalScrollBar()->value(), 0);
        activateLink(help, 1);
        QTRY_VERIFY(help->browser()->verticalScrollBar()->value() > 0);
        QCOMPARE(help->browser()->source().adjusted(QUrl::RemoveFragment), a);

        // Another site goes to the desktop; the page stays.
        activateLink(help, 2);
        QTRY_COMPARE(desk.urls, QList<QUrl>{QUrl("https://example.org/slx")});
        QCOMPARE(help->browser()->source().adjusted(QUrl::RemoveFragment), a);
        QDesktopServices::unsetUrlHandler("https");
        help->close();
    }

    void oneWindowForEveryOpening()
    {
        HelpWindow *help = HelpWindow::instance();
        QCOMPARE(HelpWindow::instance(), help);
        const QString a = QDir(dir.path()).filePath("a.html");
        help->showPage(a);
        help->close();
        help->showPage(QDir(dir.path()).filePath("b.html"));
        QCOMPARE(HelpWindow::current(), help);
        QVERIFY(help->isVisible());
        int windows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows += qobject_cast<HelpWindow *>(w) ? 1 : 0;
        QCOMPARE(windows, 1);
        help->close();
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
