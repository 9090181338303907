#include "widgets/CalendarNames.h"

#include <QAction>
#include <QCalendarWidget>
#include <QMenu>
#include <QToolButton>

namespace slx {

namespace {

void aplicaMeses(QCalendarWidget *cal, const QStringList &months)
{
    auto *button = cal->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    if (!button)
        return;
    if (QMenu *menu = button->menu()) {
        const QList<QAction *> actions = menu->actions();
        for (int i = 0; i < actions.size() && i < months.size(); ++i)
            actions[i]->setText(months[i]);
    }
    const int month = cal->monthShown();
    if (month >= 1 && month <= months.size())
        button->setText(months[month - 1]);
}

} // namespace

void ponNombresCalendario(QCalendarWidget *cal, QLocale::Language idioma, const QStringList &months)
{
    if (!cal)
        return;
    cal->setLocale(QLocale(idioma));
    aplicaMeses(cal, months);
    // The calendar writes its own names back when the page changes.
    QObject::connect(cal, &QCalendarWidget::currentPageChanged, cal,
                     [cal, months](int, int) { aplicaMeses(cal, months); });
}

} // namespace slx
