#include "reports/Form15.h"

#include "localization/FormRegistry.h"
#include "main/Ventanas.h"

#include <QCoreApplication>

namespace slx {

QWidget *creaForm15()
{
    return creaVentanaPendiente(QStringLiteral("Form15"),
                                QCoreApplication::translate("Ventanas", "The print preview (Form15)."), true);
}

void registraForm15()
{
    FormRegistry::add(QStringLiteral("Form15"), [] { return creaForm15(); });
}

} // namespace slx
