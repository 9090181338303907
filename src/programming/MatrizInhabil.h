#pragma once
// The disabled-interval grid: 30 rows of interval number, start date, start time,
// end date and end time ("dd/mm/yy", "hh:nn"; "00/00/00" and "00:00" when unused),
// the check of every edited cell and the model the grid view shows.

#include "programming/FitxaProgramacio.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <array>

namespace slx::grid {

inline constexpr int kRows = 30;
inline constexpr int kColumns = 5; // number, start date, start time, end date, end time

using slx::kFechaVacia;
using slx::kHoraVacia;

// Error codes of the cell check and their catalogue texts.
enum Code { NoCode = 0, FechaIncorrecta = 1, FinNoPosterior = 2, HoraIncorrecta = 3 };
int messageOf(int code); // 18, 24, 19; 0 for any other code

using Row = std::array<QString, kColumns>;

struct Outcome {
    bool cancel = false; // the edit is refused: the cell keeps its old value
    int postCode = NoCode;
};

// Reads "dd/mm/yy" (also one-digit day or month and a four-digit year from 1950 to
// 2049; two-digit years 50-99 are 1950-1999, 00-49 2000-2049). Returns an invalid
// date otherwise.
QDate parseDate(const QString &text);
// Reads "hh:nn" (also a one-digit hour), hours 0-23, minutes 0-59.
QTime parseTime(const QString &text);

// Checks the edit of one cell. row holds the new value in its column; the check
// writes its corrections into the other cells of the row (and writes the edited
// cell in its normal form).
Outcome checkCell(int column, Row &row);

// MatrizInhabil: the grid's 30 x 5 array, as a model: the window's copy of the
// sheet's disabled intervals. Every accepted edit is announced through edited(), on
// which the window hands the rows over (handedOver()); codes come back through posted().
class MatrizInhabil : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MatrizInhabil(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // Array access, row 1..30 and column 1..5 as in the grid's array.
    QString value(int row, int column) const;
    void setValue(int row, int column, const QString &text);

    // Fills the array from a sheet's rows.
    void loadFromRows(const std::array<FilaInhabil, kRows> &rows);
    // The rows as the window hands them over to the shared disabled intervals: a date
    // cell that reads as a date in its normal form "dd/mm/yy" (any other text as it
    // stands), a time cell's first five characters.
    std::array<FilaInhabil, kRows> handedOver() const;

Q_SIGNALS:
    // A code of the cell check, emitted after the edit has ended (queued).
    void posted(int code);
    // An edit was stored.
    void edited();

private:
    std::array<Row, kRows> m_rows;
    QStringList m_headers;
};

} // namespace slx::grid
