#include "programming/MatrizInhabil.h"

#include <QMetaObject>
#include <QRegularExpression>

namespace slx::grid {

int messageOf(int code)
{
    switch (code) {
    case FechaIncorrecta: return 18;
    case FinNoPosterior: return 24;
    case HoraIncorrecta: return 19;
    default: return 0;
    }
}

QDate parseDate(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return QDate();
    int y = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        y += y < 50 ? 2000 : 1900;
    else if (y < 1950 || y > 2049)
        return QDate(); // the cells hold two-digit years: another century cannot be kept
    return QDate(y, m.captured(2).toInt(), m.captured(1).toInt());
}

QTime parseTime(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return QTime();
    const int h = m.captured(1).toInt();
    const int n = m.captured(2).toInt();
    if (h > 23 || n > 59)
        return QTime();
    return QTime(h, n);
}

namespace {

QString dateText(const QDate &d)
{
    return textoFechaFitxa(d);
}

QString timeText(const QTime &t)
{
    return t.toString(QStringLiteral("hh:mm"));
}

// The date-time of a date cell and a time cell; invalid when either is not valid.
QDateTime at(const QString &date, const QString &time)
{
    const QDate d = parseDate(date);
    const QTime t = parseTime(time);
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t);
}

bool endNotAfterStart(const Row &r)
{
    const QDateTime start = at(r[1], r[2]);
    const QDateTime end = at(r[3], r[4]);
    if (!start.isValid())
        return false;
    return !end.isValid() || end <= start;
}

void moveEnd(Row &r)
{
    const QDateTime start = at(r[1], r[2]);
    if (!start.isValid())
        return;
    const QDateTime end = start.addSecs(60);
    r[3] = dateText(end.date());
    r[4] = timeText(end.time());
}

void emptyRow(Row &r)
{
    r[1] = kFechaVacia;
    r[2] = kHoraVacia;
    r[3] = kFechaVacia;
    r[4] = kHoraVacia;
}

// The first steps of a start or end date cell: "00/00/00" empties the row, a date that
// is not valid is refused, and the other date of the row takes this one when it is empty.
// True when the remaining steps of the column are to run.
bool dateCell(Row &r, int column, int other, Outcome *out)
{
    if (r[column].left(8) == kFechaVacia) {
        emptyRow(r);
        return false;
    }
    const QDate d = parseDate(r[column]);
    if (!d.isValid()) {
        *out = {true, FechaIncorrecta};
        return false;
    }
    r[column] = dateText(d);
    if (r[other] == kFechaVacia)
        r[other] = r[column];
    return true;
}

} // namespace

Outcome checkCell(int column, Row &r)
{
    Outcome out;
    switch (column) {
    case 1: {
        if (!dateCell(r, 1, 3, &out))
            return out;
        if (endNotAfterStart(r))
            moveEnd(r);
        return {};
    }
    case 2: {
        const QTime t = parseTime(r[2]);
        if (!t.isValid())
            return {true, HoraIncorrecta};
        if (!parseDate(r[1]).isValid())
            return {true, FechaIncorrecta};
        r[2] = timeText(t);
        if (endNotAfterStart(r))
            moveEnd(r);
        return {};
    }
    case 3: {
        if (!dateCell(r, 3, 1, &out))
            return out;
        // A start time that is not valid (received so) makes the row unusable.
        if (!parseTime(r[2]).isValid())
            return {true, HoraIncorrecta};
        if (endNotAfterStart(r)) {
            moveEnd(r);
            return {false, FinNoPosterior};
        }
        return {};
    }
    case 4: {
        const QTime t = parseTime(r[4]);
        if (!t.isValid())
            return {true, HoraIncorrecta};
        if (!parseDate(r[3]).isValid())
            return {true, FechaIncorrecta};
        r[4] = timeText(t);
        if (endNotAfterStart(r))
            return {true, FinNoPosterior};
        return {};
    }
    default: return {};
    }
}

MatrizInhabil::MatrizInhabil(QObject *parent)
    : QAbstractTableModel(parent)
{
    for (int i = 0; i < kRows; ++i) {
        m_rows[i][0] = QString::number(i + 1);
        emptyRow(m_rows[i]);
    }
    m_headers = {QString(), QStringLiteral("Fecha"), QStringLiteral("Hora"), QStringLiteral("Fecha"),
                 QStringLiteral("Hora")};
}

int MatrizInhabil::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kRows;
}

int MatrizInhabil::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant MatrizInhabil::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_rows[index.row()][index.column()];
}

bool MatrizInhabil::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() == 0)
        return false;
    // An editor left with its text as it was is no edit: nothing is checked or shown.
    if (value.toString() == m_rows[index.row()][index.column()])
        return true;
    Row row = m_rows[index.row()];
    row[index.column()] = value.toString();
    const Outcome out = checkCell(index.column(), row);
    if (out.postCode != NoCode) {
        const int code = out.postCode;
        QMetaObject::invokeMethod(
            this, [this, code] { Q_EMIT posted(code); }, Qt::QueuedConnection);
    }
    if (out.cancel)
        return false;
    m_rows[index.row()] = row;
    Q_EMIT dataChanged(this->index(index.row(), 1), this->index(index.row(), kColumns - 1));
    Q_EMIT edited();
    return true;
}

Qt::ItemFlags MatrizInhabil::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() > 0)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant MatrizInhabil::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return m_headers.value(section);
    return QVariant();
}

bool MatrizInhabil::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_headers[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

QString MatrizInhabil::value(int row, int column) const
{
    if (row < 1 || row > kRows || column < 1 || column > kColumns)
        return QString();
    return m_rows[row - 1][column - 1];
}

void MatrizInhabil::setValue(int row, int column, const QString &text)
{
    if (row < 1 || row > kRows || column < 1 || column > kColumns)
        return;
    m_rows[row - 1][column - 1] = text;
    const QModelIndex i = index(row - 1, column - 1);
    Q_EMIT dataChanged(i, i);
}

void MatrizInhabil::loadFromRows(const std::array<FilaInhabil, kRows> &rows)
{
    beginResetModel();
    for (int i = 0; i < kRows; ++i)
        m_rows[i] = {QString::number(i + 1), rows[i].DiaEmpieza, rows[i].HoraEmpieza, rows[i].DiaTermina,
                     rows[i].HoraTermina};
    endResetModel();
}

std::array<FilaInhabil, kRows> MatrizInhabil::handedOver() const
{
    std::array<FilaInhabil, kRows> filas;
    for (int i = 0; i < kRows; ++i) {
        const QDate start = parseDate(m_rows[i][1]);
        const QDate end = parseDate(m_rows[i][3]);
        filas[i] = {i + 1, start.isValid() ? dateText(start) : m_rows[i][1], m_rows[i][2].left(5),
                    end.isValid() ? dateText(end) : m_rows[i][3], m_rows[i][4].left(5)};
    }
    return filas;
}

} // namespace slx::grid
