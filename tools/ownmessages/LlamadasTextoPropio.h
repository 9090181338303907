#pragma once
// The TextoPropio("...") calls of a source text, for the tool that lists the program's own
// messages and for the test that checks their translations: one reading for both.
// Adjacent literals are joined as the compiler joins them.

#include <QList>
#include <QString>

namespace slx::mensajes {

struct Llamada {
    QString texto;
    qsizetype linea = 0;  // 1-based line of the call
    bool literal = false; // false: the argument is not a string literal, texto is empty
};

// Reads one C++ string literal at pos (just past its opening quote); false when the
// literal does not close on that line.
inline bool leeLiteral(const QString &src, qsizetype &pos, QString *out)
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
        default: *out += e; break; // \" \\ \'
        }
    }
    return false;
}

inline void saltaBlancos(const QString &src, qsizetype &pos)
{
    while (pos < src.size() && src.at(pos).isSpace())
        ++pos;
}

// Every call of TextoPropio in src, in order; its declaration and definition are not calls.
inline QList<Llamada> llamadasTextoPropio(const QString &src)
{
    QList<Llamada> out;
    const QString marca = QStringLiteral("TextoPropio(");
    for (qsizetype at = src.indexOf(marca); at >= 0; at = src.indexOf(marca, at + 1)) {
        if (at > 0 && (src.at(at - 1).isLetterOrNumber() || src.at(at - 1) == QLatin1Char('_')))
            continue;
        qsizetype pos = at + marca.size();
        saltaBlancos(src, pos);
        if (src.mid(pos, 11) == QLatin1String("const char "))
            continue;
        Llamada l;
        l.linea = src.left(at).count(QLatin1Char('\n')) + 1;
        bool cerrado = true;
        while (pos < src.size() && src.at(pos) == QLatin1Char('"')) {
            ++pos;
            if (!leeLiteral(src, pos, &l.texto)) {
                cerrado = false;
                break;
            }
            l.literal = true;
            saltaBlancos(src, pos);
        }
        l.literal = l.literal && cerrado && pos < src.size() && src.at(pos) == QLatin1Char(')');
        if (!l.literal)
            l.texto.clear();
        out << l;
    }
    return out;
}

} // namespace slx::mensajes
