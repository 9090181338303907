#include "import/Form16.h"

#include "base/FormRegistry.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"

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
