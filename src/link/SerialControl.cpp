#include "link/SerialControl.h"

#include "base/DataFolder.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"

#include <QCoreApplication>
#include <QPointer>

#include <sys/ioctl.h>

namespace slx {

QString PortDevice(int n)
{
    const QString mapped = LeerIni(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), QString(),
                                   DataFolder::file(QStringLiteral("slx90.ini")));
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

SerialControl::SerialControl(QObject *parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialControl::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialControl::onError);
}

SerialControl::~SerialControl()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialControl::setCommPort(int n)
{
    if (n < 1) {
        m_error = TextoPropio("Invalid port number %1").arg(n);
        return false;
    }
    if (m_port.isOpen() && n != m_commPort) {
        m_error = TextoPropio("Port already open");
        return false;
    }
    m_commPort = n;
    return true;
}

bool SerialControl::setSettings(const QString &settings)
{
    const QStringList parts = settings.trimmed().split(QLatin1Char(','));
    if (parts.size() != 4) {
        m_error = TextoPropio("Invalid port settings \"%1\"").arg(settings);
        return false;
    }
    bool ok = false;
    const qint32 baud = parts[0].trimmed().toInt(&ok);
    const QString parity = parts[1].trimmed().toLower();
    const QString data = parts[2].trimmed();
    const QString stop = parts[3].trimmed();
    QSerialPort::Parity p = QSerialPort::NoParity;
    if (parity == QLatin1String("n"))
        p = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        p = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        p = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        p = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        p = QSerialPort::SpaceParity;
    else
        ok = false;
    QSerialPort::DataBits d = QSerialPort::Data8;
    if (data == QLatin1String("5"))
        d = QSerialPort::Data5;
    else if (data == QLatin1String("6"))
        d = QSerialPort::Data6;
    else if (data == QLatin1String("7"))
        d = QSerialPort::Data7;
    else if (data != QLatin1String("8"))
        ok = false;
    QSerialPort::StopBits s = QSerialPort::OneStop;
    if (stop == QLatin1String("1.5"))
        s = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s = QSerialPort::TwoStop;
    else if (stop != QLatin1String("1"))
        ok = false;
    if (!ok || baud <= 0) {
        m_error = TextoPropio("Invalid port settings \"%1\"").arg(settings);
        return false;
    }
    m_settings = settings.trimmed();
    m_baud = baud;
    m_parity = p;
    m_dataBits = d;
    m_stopBits = s;
    if (m_port.isOpen())
        return apply();
    return true;
}

bool SerialControl::apply()
{
    const bool ok = m_port.setBaudRate(m_baud) && m_port.setParity(m_parity) && m_port.setDataBits(m_dataBits) &&
                    m_port.setStopBits(m_stopBits) && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        m_error = m_port.errorString();
    return ok;
}

bool SerialControl::PortOpen() const
{
    return m_port.isOpen();
}

bool SerialControl::setPortOpen(bool open)
{
    if (!open) {
        if (m_port.isOpen()) {
            m_port.close();
            emit closed();
        }
        return true;
    }
    if (m_port.isOpen())
        return true;
    m_device = PortDevice(m_commPort);
    m_port.setPortName(m_device);
    m_port.setBaudRate(m_baud);
    m_port.setParity(m_parity);
    m_port.setDataBits(m_dataBits);
    m_port.setStopBits(m_stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = m_port.error();
        m_openReason = m_port.errorString();
        m_error = QStringLiteral("COM%1 (%2): %3").arg(m_commPort).arg(m_device, m_openReason);
        m_port.clearError();
        return false;
    }
    m_openError = QSerialPort::NoError;
    m_openReason.clear();
    m_error.clear();
    return true;
}

bool SerialControl::Output(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) != bytes.size()) {
        m_error = m_port.errorString();
        return false;
    }
    m_port.flush();
    return true;
}

int SerialControl::InBufferCount()
{
    if (!m_port.isOpen())
        return 0;
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_port.handle()), FIONREAD, &waiting) < 0)
        waiting = 0;
    return static_cast<int>(m_port.bytesAvailable()) + waiting;
}

QByteArray SerialControl::Input()
{
    if (!m_port.isOpen())
        return {};
    if (m_port.bytesAvailable() < m_inputLen && InBufferCount() > m_port.bytesAvailable())
        m_port.waitForReadyRead(0);
    return m_port.read(m_inputLen);
}

bool SerialControl::readByte(quint8 &byte)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.bytesAvailable() == 0 && InBufferCount() > 0)
        m_port.waitForReadyRead(0);
    char c = 0;
    if (!m_port.getChar(&c))
        return false;
    byte = static_cast<quint8>(c);
    return true;
}

bool SerialControl::readBuffered(quint8 &byte)
{
    char c = 0;
    if (m_port.bytesAvailable() <= 0 || !m_port.getChar(&c))
        return false;
    byte = static_cast<quint8>(c);
    return true;
}

void SerialControl::ClearInBuffer()
{
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
    }
}

void SerialControl::ClearOutBuffer()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Output);
}

int SerialControl::OutBufferCount() const
{
    return m_port.isOpen() ? static_cast<int>(m_port.bytesToWrite()) : 0;
}

void SerialControl::flush()
{
    if (!m_port.isOpen())
        return;
    m_port.flush();
    if (m_port.bytesToWrite() > 0)
        m_port.waitForBytesWritten(1000);
}

void SerialControl::hangUp()
{
    if (!m_port.isOpen())
        return;
    // A pseudo-terminal has no modem lines: dropping DTR is refused there and the
    // close alone ends the call.
    m_port.setDataTerminalReady(false);
    m_port.clearError();
    m_port.close();
    emit closed();
}

QString SerialControl::deviceName() const
{
    return m_port.isOpen() ? m_device : PortDevice(m_commPort);
}

void SerialControl::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
        m_error = m_port.errorString();
        if (m_port.isOpen()) {
            m_port.close();
            emit closed();
        }
    }
}

SerialControl &MSComm1()
{
    static QPointer<SerialControl> instance;
    if (!instance)
        instance = new SerialControl(QCoreApplication::instance());
    return *instance;
}

} // namespace slx
