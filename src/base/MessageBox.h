#pragma once
// Message boxes, input boxes and file dialogs of the program. Every box shows the
// application's title. Tests install a responder that answers in place of the
// user, so no modal loop runs; every request is also recorded.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QPrinter;
class QWidget;

namespace slx::ui {

enum class Icon { None, Critical, Question, Exclamation, Information };

// Button sets and results keep the values the rest of the program compares with.
enum Buttons { OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum Result { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

QString applicationTitle();

int MsgBox(const QString &text, Icon icon = Icon::None, Buttons buttons = OkOnly, QWidget *parent = nullptr);

// Returns the typed text; *ok is false (and the result empty) when cancelled.
QString InputBox(const QString &prompt, const QString &title = QString(), const QString &defecto = QString(),
                 bool *ok = nullptr, QWidget *parent = nullptr, int maxLength = 0);

// Returns the chosen file, or an empty text when cancelled. filters as in QFileDialog.
QString GetOpenFileName(const QString &title, const QString &filters, const QString &dir = QString(),
                        QWidget *parent = nullptr);

// The system's print dialog for a document of paginas pages: printer, copies, page
// range and printing to a PDF file. False when cancelled; otherwise the printer is set
// up and *desde, *hasta hold the pages to print (from 1). A test answers with the path
// of a PDF file to print to (all pages), or a map {"file", "from", "to"}; a null
// answer cancels.
bool PrintDialog(QPrinter &printer, int paginas, int *desde, int *hasta, QWidget *parent = nullptr);

enum class Kind { Message, Input, OpenFile, Print };

struct Request {
    Kind kind = Kind::Message;
    QString text;  // message or prompt
    QString title; // title of an input box or file dialog
    Icon icon = Icon::None;
    Buttons buttons = OkOnly;
    QString defecto; // input default, file filters, or the page count of a print
};

// Answers a request in place of the user: an int result for a message, a text for
// an input box (a null QVariant = cancelled), a path for a file dialog, or what
// PrintDialog describes for a print.
using Responder = std::function<QVariant(const Request &)>;

void setResponder(Responder responder);
bool hasResponder();
const QList<Request> &requests();
void clearRequests();

} // namespace slx::ui
