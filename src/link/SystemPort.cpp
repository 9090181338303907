#include "link/SystemPort.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

namespace slx {

namespace {

const QRegularExpression &serialName()
{
    static const QRegularExpression re(QStringLiteral("^/dev/tty(S|USB|ACM)([0-9]+)$"));
    return re;
}

// (kind, number) of a serial device, for the order of the list.
std::pair<int, qlonglong> orden(const QString &device)
{
    const QRegularExpressionMatch m = serialName().match(device);
    if (!m.hasMatch())
        return {3, 0};
    const QString kind = m.captured(1);
    const int k = kind == QLatin1String("S") ? 0 : kind == QLatin1String("USB") ? 1 : 2;
    return {k, m.captured(2).toLongLong()};
}

} // namespace

bool isSerialDevice(const QString &device)
{
    return serialName().match(device).hasMatch();
}

void sortPorts(QList<SystemPort> &ports)
{
    std::stable_sort(ports.begin(), ports.end(),
                     [](const SystemPort &a, const SystemPort &b) { return orden(a.device) < orden(b.device); });
}

QList<SystemPort> systemPorts()
{
    QList<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        if (isSerialDevice(info.systemLocation()))
            ports.append({info.systemLocation(), info.description()});
    sortPorts(ports);
    return ports;
}

} // namespace slx
