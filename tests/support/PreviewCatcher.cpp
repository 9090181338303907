#include "PreviewCatcher.h"

#include "base/Modulo1.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

namespace slxtest {

void PreviewCatcher::run(const std::function<void()> &click)
{
    shown = false;
    modelo.reset();
    title.clear();
    tooltips.clear();
    m_first = QDate::currentDate();
    QTimer::singleShot(0, [this] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *f = qobject_cast<slx::Form15 *>(w);
            if (!f || !f->isVisible())
                continue;
            shown = true;
            auto *motor = qobject_cast<slx::ReportEngine *>(slx::modulo1().InformeVistaPrevia.data());
            while (motor && motor->ocupado())
                QCoreApplication::processEvents();
            modelo = f->VSPrinter1->modelo();
            title = f->windowTitle();
            for (auto *b : f->findChildren<QToolButton *>(QRegularExpression(QStringLiteral("^SSCommand"))))
                tooltips << b->toolTip();
            if (whilePreviewed)
                whilePreviewed(f);
            f->findChild<QToolButton *>(QStringLiteral("SSCommandExit"))->click();
        }
    });
    click();
    m_last = QDate::currentDate();
}

QStringList PreviewCatcher::all(const QString &field) const
{
    return modelo ? modelo->textosDe(field) : QStringList();
}

QString PreviewCatcher::one(const QString &field) const
{
    const QStringList t = all(field);
    return t.size() == 1 ? t.first() : QStringLiteral("<%1 times>").arg(t.size());
}

bool PreviewCatcher::isDayOfRun(const QString &text, const QString &format) const
{
    for (QDate d = m_first; d.isValid() && d <= m_last; d = d.addDays(1))
        if (d.toString(format) == text)
            return true;
    return false;
}

} // namespace slxtest
