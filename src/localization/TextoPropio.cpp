#include "localization/TextoPropio.h"

#include "localization/LocGuru.h"

namespace slx {

QString TextoPropio(const char *text)
{
    return oLocGuru().GetTranslation(QString::fromUtf8(text));
}

} // namespace slx
