#pragma once
// Catches the print preview that a click opens modally: waits until its report is laid
// out, keeps what it showed (the page model, the caption, the buttons' tool tips), lets
// the test act on it, and closes it. The days the click ran over are kept too, so that
// a test comparing a printed date with today holds across midnight.

#include "printing/ModeloPaginas.h"

#include <QDate>
#include <QStringList>
#include <functional>
#include <memory>

namespace slx {
class Form15;
}

namespace slxtest {

class PreviewCatcher {
public:
    // Runs click (which may open the preview) and catches the preview it opens.
    void run(const std::function<void()> &click);

    // Called on the open preview, once its layout is done, before it is closed.
    std::function<void(slx::Form15 *)> whilePreviewed;

    bool shown = false;
    std::shared_ptr<const slx::ModeloPaginas> modelo;
    QString title;
    QStringList tooltips; // of the SSCommand buttons, in their order

    // Every text of the fields of that name, page by page; one() the only one, else
    // "<n times>".
    QStringList all(const QString &field) const;
    QString one(const QString &field) const;

    // True when text is a day from the start of the last run to its end, in format.
    bool isDayOfRun(const QString &text, const QString &format) const;

private:
    QDate m_first;
    QDate m_last;
};

} // namespace slxtest
