#include "import/Form16.h"

#include "localization/FormRegistry.h"
#include "localization/TextoPropio.h"
#include "main/Ventanas.h"

namespace slx {

QWidget *creaForm16()
{
    return creaVentanaPendiente(QStringLiteral("Form16"), TextoPropio("The exchange-file import (Form16)."), true);
}

void registraForm16()
{
    FormRegistry::add(QStringLiteral("Form16"), [] { return creaForm16(); });
}

} // namespace slx
