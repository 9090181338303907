#include "link/Trama.h"

namespace slx {

quint8 checkByte(QByteArrayView bytes)
{
    quint8 check = 0;
    for (const char c : bytes)
        check ^= static_cast<quint8>(c);
    return check;
}

QByteArray trama(quint8 comando, QByteArrayView datos)
{
    const qsizetype longitud = datos.size() + 6;
    QByteArray f;
    f.reserve(longitud);
    f.append(char(STX));
    f.append(char((longitud >> 8) & 0xFF));
    f.append(char(longitud & 0xFF));
    f.append(char(comando));
    f.append(datos);
    f.append(char(ETX));
    f.append(char(checkByte(f)));
    return f;
}

} // namespace slx
