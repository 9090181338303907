#include "logs/Form5.h"

#include "localization/FormRegistry.h"
#include "main/Ventanas.h"

#include <QCoreApplication>

namespace slx {

QWidget *creaForm5()
{
    return creaVentanaPendiente(QStringLiteral("Form5"),
                                QCoreApplication::translate("Ventanas", "The incidents window (Form5)."), false);
}

void registraForm5()
{
    FormRegistry::add(QStringLiteral("Form5"), [] { return creaForm5(); });
}

} // namespace slx
