#include "localization/LocGuru.h"

#include "localization/NativeCatalogue.h"

namespace slx {

LocGuru &oLocGuru()
{
    static LocGuru instance;
    return instance;
}

QString LocGuru::GetS(qint32 id, const QStringList &values) const
{
    QString text = GetNativeString(id, QStringLiteral("GetS: Unknown String ID "));
    for (const QString &v : values) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        text.replace(at, 2, v);
    }
    return text;
}

void LocGuru::TranslateForm(QWidget *)
{
}

namespace LocGuruP_BAS {

bool SetupLanguage(const QString &, const QString &)
{
    return true;
}

void ExportAllFormStrings()
{
}

} // namespace LocGuruP_BAS

} // namespace slx
