#pragma once
// Helpers of the main-window tests: settings files, modal windows closed in place of
// the user, and the main window loaded on a data folder.

#include "base/Modulo1.h"

#include <QApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <functional>

namespace slxtest {

inline void escribeIni(const QString &path, const QByteArray &lines)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(lines);
}

// Waits for the next modal window (polling, as a person would), hands it to act,
// which must close it. Gives up after about ten seconds.
inline void alAbrirModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w && ++*tries < 1000)
            return;
        timer->stop();
        timer->deleteLater();
        if (w) {
            // Laid out and on screen, so that clicks land where a person would click.
            if (!QTest::qWaitForWindowExposed(w))
                qWarning("the modal window was not shown");
            act(w);
        }
    });
    timer->start();
}

// The number of rows of a table of the program's database, -1 when it cannot be read.
inline int cuenta(const QString &tabla)
{
    QSqlQuery q(slx::modulo1().ConexionBD);
    if (!q.exec(QString("SELECT COUNT(*) FROM \"%1\"").arg(tabla)) || !q.next())
        return -1;
    return q.value(0).toInt();
}

// A value of the first Configuracion row, read through a connection of its own.
inline QVariant filaConfiguracion(const QString &dbPath, const QString &column)
{
    QVariant v;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check-config");
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QString("SELECT \"%1\" FROM Configuracion LIMIT 1").arg(column)) && q.next())
                v = q.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("check-config");
    return v;
}

} // namespace slxtest
