#include "base/Resultado.h"

#include "base/TextoCatalogo.h"

namespace slx {

QString Fallo::mensaje() const
{
    if (!text.isEmpty())
        return text;
    return texto != 0 ? TextoCatalogo(texto) : QString();
}

} // namespace slx
