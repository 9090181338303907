// Lists the program's own messages: the text of every TextoPropio("...") call of the
// sources (adjacent literals joined as the compiler joins them), one per line, for the
// text export to mark them as used texts. In a line, "\r", "\n", "\t" and "\\" stand for
// a carriage return, a line feed, a tab and a backslash (as in the language tables).
//
// usage: ownmessages OUTPUT.txt SOURCE_DIR

#include "LlamadasTextoPropio.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

namespace {

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else
            out += c;
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: ownmessages OUTPUT.txt SOURCE_DIR\n");
        return 1;
    }
    QStringList files;
    QDirIterator it(args.at(2), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    QStringList messages;
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "ownmessages: cannot read %s\n", qPrintable(path));
            return 1;
        }
        for (const slx::mensajes::Llamada &l : slx::mensajes::llamadasTextoPropio(QString::fromUtf8(f.readAll())))
            if (l.literal && !messages.contains(l.texto))
                messages << l.texto;
    }
    QSaveFile out(args.at(1));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "ownmessages: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (const QString &m : messages)
        out.write(escaped(m).toUtf8() + '\n');
    return out.commit() ? 0 : 1;
}
