#include "Commands.h"

namespace slxemu {

void identification(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    const Identity id = s.identity();
    QByteArray data;
    data.append(char(id.type));
    data.append(char(id.major));
    data.append(char(id.minor));
    data.append(id.serial);
    data.append(char(id.mode));
    s.sendFrame(0x01, data);
}

QList<CommandEntry> defaultCommands()
{
    return {{0x01, identification}};
}

} // namespace slxemu
