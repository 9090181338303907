#include "PageChecks.h"

#include "base/Modulo1.h"

#include <QProcess>
#include <QStandardPaths>

namespace slxtest {

using slx::ModeloPaginas;

QStringList longNoteLines(int lines)
{
    QStringList out;
    for (int i = 1; i <= lines; ++i)
        out << QStringLiteral("Note line %1 of the venue").arg(i, 3, 10, QLatin1Char('0'));
    return out;
}

QString longNote(int lines)
{
    return longNoteLines(lines).join(QStringLiteral("\r\n"));
}

void setAllDisabledIntervals()
{
    slx::Modulo1 &m = slx::modulo1();
    for (int i = 0; i < 30; ++i) {
        m.IntervalosInhabiles[i].DiaEmpieza = QStringLiteral("%1/04/09").arg(i + 1, 2, 10, QLatin1Char('0'));
        m.IntervalosInhabiles[i].HoraEmpieza = QStringLiteral("22:00");
        m.IntervalosInhabiles[i].DiaTermina = QStringLiteral("%1/05/09").arg(i + 1, 2, 10, QLatin1Char('0'));
        m.IntervalosInhabiles[i].HoraTermina = QStringLiteral("08:00");
    }
}

QStringList printedLines(const ModeloPaginas &modelo, const QString &field)
{
    QStringList out;
    for (const QString &t : modelo.textosDe(field))
        if (!t.isEmpty())
            out << t.split(QLatin1Char('\n'));
    return out;
}

QString outsideBody(const ModeloPaginas &modelo, double footerTop, double bottom, const QStringList &footerFields)
{
    for (int p = 0; p < modelo.paginas(); ++p) {
        for (const ModeloPaginas::Item &it : modelo.items(p)) {
            const bool delPie = footerFields.contains(it.nombre) ||
                                (it.nombre.isEmpty() && it.tipo == ModeloPaginas::Tipo::Linea &&
                                 it.caja.top() >= footerTop);
            const bool mal = delPie ? (it.caja.top() < footerTop - 0.5 || it.caja.bottom() > bottom + 0.5)
                                    : it.caja.bottom() > footerTop + 0.5;
            if (mal)
                return QStringLiteral("page %1: %2 \"%3\" from %4 to %5")
                    .arg(p + 1)
                    .arg(it.nombre, it.texto.left(40))
                    .arg(it.caja.top())
                    .arg(it.caja.bottom());
        }
    }
    return {};
}

QString headingAlone(const ModeloPaginas &modelo, const QString &heading, const QString &first)
{
    for (int p = 0; p < modelo.paginas(); ++p) {
        const QList<ModeloPaginas::Item> items = modelo.items(p);
        for (const ModeloPaginas::Item &h : items) {
            if (h.nombre != heading)
                continue;
            bool sigue = false;
            for (const ModeloPaginas::Item &it : items)
                sigue = sigue || (it.nombre == first && it.caja.top() >= h.caja.top());
            if (!sigue)
                return QStringLiteral("%1 alone at the bottom of page %2").arg(heading).arg(p + 1);
        }
    }
    return {};
}

QStringList textsThatDoNotFit(const ModeloPaginas &modelo, int page, double gap)
{
    QStringList out;
    QList<ModeloPaginas::Item> textos;
    for (const ModeloPaginas::Item &it : modelo.items(page))
        if (it.tipo == ModeloPaginas::Tipo::Texto && !it.texto.trimmed().isEmpty())
            textos << it;
    for (const ModeloPaginas::Item &it : std::as_const(textos))
        if (it.tinta.width() > it.caja.width() + 0.01)
            out << QStringLiteral("%1 \"%2\" is %3 wide in %4").arg(it.nombre, it.texto).arg(it.tinta.width()).arg(
                       it.caja.width());
    for (int i = 0; i < textos.size(); ++i) {
        for (int j = 0; j < textos.size(); ++j) {
            const ModeloPaginas::Item &a = textos[i], &b = textos[j];
            if (i == j || a.tinta.left() > b.tinta.left())
                continue;
            const double solapa = std::min(a.caja.bottom(), b.caja.bottom()) - std::max(a.caja.top(), b.caja.top());
            if (solapa < 10)
                continue; // not on one line
            if (b.tinta.left() - a.tinta.right() < gap)
                out << QStringLiteral("%1 \"%2\" touches %3 \"%4\"").arg(a.nombre, a.texto, b.nombre, b.texto);
        }
    }
    return out;
}

QString pdfText(const QString &pdf)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        return {};
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString missingInOrder(const QString &text, const QStringList &lines)
{
    qsizetype desde = 0;
    for (const QString &l : lines) {
        const qsizetype i = text.indexOf(l, desde);
        if (i < 0)
            return l;
        desde = i + l.size();
    }
    return {};
}

QStringList textsThatDoNotFit(const ModeloPaginas &modelo)
{
    QStringList out;
    for (int p = 0; p < modelo.paginas(); ++p)
        out << textsThatDoNotFit(modelo, p);
    return out;
}

namespace {

// The memo's entries, two to a line, without the blanks between them.
QStringList memoEntries(const ModeloPaginas &modelo)
{
    QStringList entradas;
    for (const QString &l : printedLines(modelo, QStringLiteral("LabelMemo")))
        for (const QString &e : l.split(QStringLiteral("     ,     ")))
            if (!e.isEmpty())
                entradas << e;
    return entradas;
}

} // namespace

QStringList longTextProblems(const ModeloPaginas &modelo, int noteLines)
{
    QStringList out;
    if (printedLines(modelo, QStringLiteral("VTNota")) != longNoteLines(noteLines))
        out << QStringLiteral("the note does not print whole and in order");
    const QStringList memo = memoEntries(modelo);
    if (memo.size() != 30 || !memo.last().startsWith(QStringLiteral("30 - 30/04/09 22:00 <-> 30/05/09 08:00")))
        out << QStringLiteral("the memo prints %1 entries").arg(memo.size());
    out << outsideBody(modelo, 2790, 2870, {QStringLiteral("TUsuario"), QStringLiteral("Pagina")});
    out << headingAlone(modelo, QStringLiteral("TIntervalos"), QStringLiteral("LabelMemo"));
    out << headingAlone(modelo, QStringLiteral("TNotas"), QStringLiteral("VTNota"));
    for (const char *heading : {"TReprog", "TBorrados", "TFinBateria"})
        out << headingAlone(modelo, QLatin1String(heading), QStringLiteral("THora")); // the list's header
    out.removeAll(QString());
    return out;
}

QString longTextMissingInPdf(const QString &pdf, const ModeloPaginas &modelo, int noteLines)
{
    const QString text = pdfText(pdf);
    if (text.isEmpty())
        return QStringLiteral("no text from %1 (is pdftotext of poppler-utils there?)").arg(pdf);
    const QString nota = missingInOrder(text, longNoteLines(noteLines));
    return nota.isEmpty() ? missingInOrder(text, memoEntries(modelo)) : nota;
}

} // namespace slxtest
