// Lists the program's own messages: the text of every TextoPropio("...") call of the
// sources (adjacent literals joined as the compiler joins them), one per line, for the
// text export to mark them as used texts. In a line, "\r", "\n", "\t" and "\\" stand for
// a carriage return, a line feed, a tab and a backslash (as in the language tables).
//
// usage: ownmessages OUTPUT.txt SOURCE_DIR

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

namespace {

// Reads one C++ string literal at pos (just past its opening quote); false when it does
// not close on its line.
bool literal(const QString &src, qsizetype &pos, QString *out)
{
    while (pos < src.size()) {
        const QChar c = src.at(pos++);
        if (c == QLatin1Char('"'))
            return true;
        if (c == QLatin1Char('\n'))
            return false;
        if (c != QLatin1Char('\\')) {
            *out += c;
            continue;
        }
        if (pos >= src.size())
            return false;
        const QChar e = src.at(pos++);
        switch (e.unicode()) {
        case 'n': *out += QLatin1Char('\n'); break;
        case 'r': *out += QLatin1Char('\r'); break;
        case 't': *out += QLatin1Char('\t'); break;
        default: *out += e; break;
        }
    }
    return false;
}

void blanks(const QString &src, qsizetype &pos)
{
    while (pos < src.size() && src.at(pos).isSpace())
        ++pos;
}

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
    const QString mark = QStringLiteral("TextoPropio(");
    QStringList messages;
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "ownmessages: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QString src = QString::fromUtf8(f.readAll());
        for (qsizetype at = src.indexOf(mark); at >= 0; at = src.indexOf(mark, at + 1)) {
            qsizetype pos = at + mark.size();
            QString text;
            bool any = false;
            for (;;) {
                blanks(src, pos);
                if (pos >= src.size() || src.at(pos) != QLatin1Char('"'))
                    break;
                ++pos;
                if (!literal(src, pos, &text))
                    break;
                any = true;
            }
            if (any && !messages.contains(text))
                messages << text;
        }
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
