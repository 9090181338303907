#pragma once
// The one serial control of the program, MSComm1(), over QSerialPort: what the
// device link and the windows that talk to the device use of it.
//
// Port N is the device named by key COM<N> of section [Ports] of the settings file
// when present, else /dev/ttyS<N-1>. A read or resource error (a peer that
// vanished, a cable pulled out of a USB adapter) closes the port, so that no wait
// spins on a dead line. Writes are handed to the system at once.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace slx {

// The device path of port number n.
QString PortDevice(int n);

class SerialControl : public QObject {
    Q_OBJECT
public:
    explicit SerialControl(QObject *parent = nullptr);
    ~SerialControl() override;

    // Port number; refused (false) while the port is open on another number, or
    // for a number below 1.
    bool setCommPort(int n);
    int CommPort() const { return m_commPort; }

    // "19200,n,8,1": speed, parity (n, e, o, m, s), data bits (5 to 8), stop bits
    // (1, 1.5, 2). Refused (false, settings kept) when malformed; applied at once
    // when the port is open.
    bool setSettings(const QString &settings);
    QString Settings() const { return m_settings; }

    bool PortOpen() const;
    // Opens (true) or closes (false) the port. Opening returns false with
    // errorString() set when the device does not exist, is busy or is refused.
    bool setPortOpen(bool open);

    // Bytes returned by one Input() at most.
    void setInputLen(int n) { m_inputLen = n < 1 ? 1 : n; }
    int InputLen() const { return m_inputLen; }

    // Writes the bytes, in order; false when the port is closed or refuses them.
    bool Output(const QByteArray &bytes);
    bool Output(quint8 byte) { return Output(QByteArray(1, static_cast<char>(byte))); }

    // Bytes received and not read yet (read from the system, not only Qt's buffer).
    int InBufferCount();
    // Up to InputLen() waiting bytes (none when nothing is waiting).
    QByteArray Input();
    // One waiting byte; false when nothing is waiting.
    bool readByte(quint8 &byte);
    // One byte the port has already taken from the system, without asking the system
    // for more; false when the port's own buffer is empty (bytes may still wait there).
    bool readBuffered(quint8 &byte);
    // InBufferCount = 0: discards waiting input.
    void ClearInBuffer();
    // OutBufferCount = 0: discards output not sent yet.
    void ClearOutBuffer();
    int OutBufferCount() const;
    // Hands any output still queued to the system without blocking.
    void flush();

    // Drops DTR and closes the port (ends a modem call).
    void hangUp();

    // The device path the port number maps to (when opened: the one in use).
    QString deviceName() const;
    // Description of the last failure.
    QString errorString() const { return m_error; }
    // Why the last setPortOpen(true) failed: the system's reason and its kind
    // (NoError after a successful open).
    QString openErrorReason() const { return m_openReason; }
    QSerialPort::SerialPortError openError() const { return m_openError; }

    QSerialPort &port() { return m_port; }

signals:
    void readyRead();
    // The port was closed by close(), hangUp() or a line failure.
    void closed();

private:
    void onError(QSerialPort::SerialPortError error);
    bool apply();

    QSerialPort m_port;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    qint32 m_baud = 9600;
    QSerialPort::Parity m_parity = QSerialPort::NoParity;
    QSerialPort::DataBits m_dataBits = QSerialPort::Data8;
    QSerialPort::StopBits m_stopBits = QSerialPort::OneStop;
    int m_inputLen = 1;
    QString m_error;
    QString m_openReason;
    QSerialPort::SerialPortError m_openError = QSerialPort::NoError;
    QString m_device;
};

// The program's serial control (created on first use, owned by the application).
SerialControl &MSComm1();

} // namespace slx
