#include "import/Form16.h"

#include "localization/FormRegistry.h"
#include "main/Ventanas.h"

#include <QCoreApplication>

namespace slx {

QWidget *creaForm16()
{
    return creaVentanaPendiente(QStringLiteral("Form16"),
                                QCoreApplication::translate("Ventanas", "The exchange-file import (Form16)."), true);
}

void registraForm16()
{
    FormRegistry::add(QStringLiteral("Form16"), [] { return creaForm16(); });
}

} // namespace slx
