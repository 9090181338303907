#include "reports/Form15.h"

#include "base/FormRegistry.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"

namespace slx {

QWidget *creaForm15()
{
    return creaVentanaPendiente(QStringLiteral("Form15"), TextoPropio("The print preview (Form15)."), true);
}

void registraForm15()
{
    FormRegistry::add(QStringLiteral("Form15"), [] { return creaForm15(); });
}

} // namespace slx
