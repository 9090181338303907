#include "base/IniFile.h"

#include "base/Cp1252.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace slx::IniFile {

namespace {

struct Parsed {
    QStringList lines;
    bool crlf = true;
    FormaTexto forma = FormaTexto::Cp1252;
    bool finalBreak = true;
};

Parsed load(const QByteArray &bytes)
{
    Parsed p;
    const QString text = decodeTextFile(bytes, &p.forma);
    p.crlf = text.isEmpty() || text.contains(QLatin1String("\r\n"));
    QString norm = text;
    norm.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    norm.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    p.finalBreak = norm.isEmpty() || norm.endsWith(QLatin1Char('\n'));
    if (norm.endsWith(QLatin1Char('\n')))
        norm.chop(1);
    if (!norm.isEmpty() || !text.isEmpty())
        p.lines = norm.split(QLatin1Char('\n'));
    return p;
}

// The section name of a line "[name]", or a null text when the line is none.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    QString name = t.mid(1, close - 1).trimmed();
    if (name.isNull())
        name = QLatin1String("");
    return name;
}

bool isComment(const QString &line)
{
    return line.trimmed().startsWith(QLatin1Char(';'));
}

// Splits "key=value"; a line without '=' is a key with an empty value.
void splitKey(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) {
        *key = line.trimmed();
        *value = QString();
        return;
    }
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
}

QString unquote(const QString &v)
{
    if (v.size() >= 2) {
        const QChar f = v.front();
        if ((f == QLatin1Char('"') || f == QLatin1Char('\'')) && v.back() == f)
            return v.mid(1, v.size() - 2);
    }
    return v;
}

// Index of the first line of the first section named so, -1 when none.
int findSection(const QStringList &lines, const QString &section)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString s = sectionOf(lines.at(i));
        if (!s.isNull() && s.compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

QString read(const QString &path, const QString &section, const QString &key, const QString &defecto)
{
    const QString wanted = key.trimmed();
    for (const auto &[k, v] : readSection(path, section)) {
        if (k.compare(wanted, Qt::CaseInsensitive) == 0)
            return v;
    }
    QString def = defecto;
    while (def.endsWith(QLatin1Char(' ')))
        def.chop(1);
    return def;
}

QList<QPair<QString, QString>> readSection(const QString &path, const QString &section)
{
    QList<QPair<QString, QString>> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const Parsed p = load(f.readAll());
    const int start = findSection(p.lines, section);
    if (start < 0)
        return out;
    for (int i = start + 1; i < p.lines.size(); ++i) {
        const QString &line = p.lines.at(i);
        if (!sectionOf(line).isNull())
            break;
        if (line.trimmed().isEmpty() || isComment(line))
            continue;
        QString k, v;
        splitKey(line, &k, &v);
        out.append({k, unquote(v)});
    }
    return out;
}

bool write(const QString &path, const QString &section, const QString &key, const QString &value)
{
    Parsed p;
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return false;
        p = load(in.readAll());
        in.close();
    }
    // A line break in the value would start a new line of the file.
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString wanted = key.trimmed();

    const int start = findSection(p.lines, section);
    if (start < 0) {
        if (!p.lines.isEmpty() && !p.lines.last().trimmed().isEmpty())
            p.lines << QString();
        p.lines << QStringLiteral("[%1]").arg(section.trimmed()) << wanted + QLatin1Char('=') + v;
    } else {
        int lastKey = start;
        bool done = false;
        for (int i = start + 1; i < p.lines.size(); ++i) {
            const QString &line = p.lines.at(i);
            if (!sectionOf(line).isNull())
                break;
            if (line.trimmed().isEmpty())
                continue;
            lastKey = i;
            if (isComment(line))
                continue;
            QString k, old;
            splitKey(line, &k, &old);
            if (k.compare(wanted, Qt::CaseInsensitive) == 0) {
                p.lines[i] = k + QLatin1Char('=') + v;
                done = true;
                break;
            }
        }
        if (!done)
            p.lines.insert(lastKey + 1, wanted + QLatin1Char('=') + v);
    }

    const QString eol = p.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = p.lines.join(eol);
    text += eol;
    // Written back in the form it was read in; a new file is Windows-1252.
    const QByteArray bytes = encodeTextFile(text, p.forma);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

} // namespace slx::IniFile
