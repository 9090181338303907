#include "logs/Form5.h"

#include "base/FormRegistry.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"

namespace slx {

QWidget *creaForm5()
{
    return creaVentanaPendiente(QStringLiteral("Form5"), TextoPropio("The incidents window (Form5)."), false);
}

void registraForm5()
{
    FormRegistry::add(QStringLiteral("Form5"), [] { return creaForm5(); });
}

} // namespace slx
