#include "base/MessageBox.h"

#include "base/TextoPropio.h"

#include <QFileIconProvider>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QVariantMap>

namespace slx::ui {

namespace {

Responder &responder()
{
    static Responder r;
    return r;
}

QList<Request> &log()
{
    static QList<Request> l;
    return l;
}

// Icons and type names from what a listing already knows (folder or file, the name's
// suffix), never from the file's contents. The default provider asks the MIME database,
// which opens and reads the files it types: one of them is the program's own database,
// and closing a descriptor of it drops every POSIX lock SQLite holds on it.
class IconosSinLeer : public QFileIconProvider {
public:
    IconosSinLeer()
        : m_carpeta(TextoPropio("Folder"))
        , m_fichero(TextoPropio("File"))
        , m_deTipo(TextoPropio("%1 file"))
    {
        setOptions(DontUseCustomDirectoryIcons);
    }
    using QFileIconProvider::icon;
    // Called from the model's own thread as well: only the texts made above are used.
    QIcon icon(const QFileInfo &info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return m_carpeta;
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? m_fichero : m_deTipo.arg(suffix.toUpper());
    }

private:
    const QString m_carpeta, m_fichero, m_deTipo;
};

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(Buttons b)
{
    switch (b) {
    case OkOnly: return QMessageBox::Ok;
    case OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case YesNo: return QMessageBox::Yes | QMessageBox::No;
    case RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

int result(QMessageBox::StandardButton b)
{
    switch (b) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

// Texts of the program break lines with a carriage return alone (two-line messages of the
// catalogue, the language messages); Qt's labels break only at line feeds.
QString shownText(const QString &text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QWidget *owner(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("SLX-90");
}

void setResponder(Responder r)
{
    responder() = std::move(r);
}

bool hasResponder()
{
    return static_cast<bool>(responder());
}

const QList<Request> &requests()
{
    return log();
}

void clearRequests()
{
    log().clear();
}

int MsgBox(const QString &text, Icon icon, Buttons buttons, QWidget *parent)
{
    Request req{Kind::Message, text, applicationTitle(), icon, buttons, QString()};
    log().append(req);
    if (responder()) {
        const QVariant v = responder()(req);
        return v.isValid() ? v.toInt() : (buttons == OkOnly ? vbOK : vbCancel);
    }
    QMessageBox box(qtIcon(icon), applicationTitle(), shownText(text), qtButtons(buttons), owner(parent));
    if (buttons == YesNo || buttons == YesNoCancel)
        box.setDefaultButton(QMessageBox::Yes);
    return result(static_cast<QMessageBox::StandardButton>(box.exec()));
}

QString InputBox(const QString &prompt, const QString &title, const QString &defecto, bool *ok, QWidget *parent,
                 int maxLength)
{
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    Request req{Kind::Input, prompt, shownTitle, Icon::None, OkCancel, defecto};
    log().append(req);
    if (responder()) {
        const QVariant v = responder()(req);
        if (ok)
            *ok = !v.isNull();
        return v.isNull() ? QString() : v.toString();
    }
    QInputDialog dialog(owner(parent));
    dialog.setWindowTitle(shownTitle);
    dialog.setLabelText(shownText(prompt));
    dialog.setTextValue(defecto);
    if (maxLength > 0) {
        if (auto *edit = dialog.findChild<QLineEdit *>())
            edit->setMaxLength(maxLength);
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    return accepted ? dialog.textValue() : QString();
}

QString GetOpenFileName(const QString &title, const QString &filters, const QString &dir, QWidget *parent)
{
    const QString shownTitle = title.isEmpty() ? applicationTitle() : title;
    Request req{Kind::OpenFile, QString(), shownTitle, Icon::None, OkCancel, filters};
    log().append(req);
    if (responder()) {
        const QVariant v = responder()(req);
        return v.isNull() ? QString() : v.toString();
    }
    // The program's own dialog, whatever the desktop: a native one types the files it lists
    // by reading them, inside this process.
    IconosSinLeer iconos;
    QFileDialog dialog(owner(parent), shownTitle, dir, filters);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setIconProvider(&iconos);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool PrintDialog(QPrinter &printer, int paginas, int *desde, int *hasta, QWidget *parent)
{
    Request req{Kind::Print, QString(), applicationTitle(), Icon::None, OkCancel, QString::number(paginas)};
    log().append(req);
    int primera = 1;
    int ultima = paginas;
    if (responder()) {
        const QVariant v = responder()(req);
        if (v.isNull() || !v.isValid())
            return false;
        QString fichero = v.toString();
        if (v.typeId() == QMetaType::QVariantMap) {
            const QVariantMap m = v.toMap();
            fichero = m.value(QStringLiteral("file")).toString();
            primera = m.value(QStringLiteral("from"), 1).toInt();
            ultima = m.value(QStringLiteral("to"), paginas).toInt();
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fichero);
    } else {
        QPrintDialog dialog(&printer, owner(parent));
        dialog.setWindowTitle(applicationTitle());
        dialog.setMinMax(1, std::max(1, paginas));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            primera = printer.fromPage();
            ultima = printer.toPage() > 0 ? printer.toPage() : paginas;
        }
    }
    if (desde)
        *desde = std::clamp(primera, 1, std::max(1, paginas));
    if (hasta)
        *hasta = std::clamp(ultima, 1, std::max(1, paginas));
    return true;
}

} // namespace slx::ui
