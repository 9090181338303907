#pragma once
// The programming exchange over an open device session: the read (the request,
// the device's answer, its block decoded into a device copy that is handed back) and
// the write (the sheet encoded into the write frame, sent byte by byte with its
// pause, and the device's one-byte answer handed back). It shows nothing and keeps
// nothing: the window shows what it is given, keeps the copy and asks the person.

#include "base/ProgramacioRebuda.h"
#include "base/Resultado.h"
#include "programming/FitxaProgramacio.h"

#include <QDateTime>
#include <QString>

namespace slx {

class DeviceSession;

class ProgrammingTransfer {
public:
    explicit ProgrammingTransfer(DeviceSession &session);
    ProgrammingTransfer(const ProgrammingTransfer &) = delete;
    ProgrammingTransfer &operator=(const ProgrammingTransfer &) = delete;

    // The read request (command 0x04).
    void DemanaProgramacio();
    // The answer to it, which must carry the whole block of firmware `version` (the
    // identified device's), decoded afresh. A failure carries the receiver's own
    // catalogue text (31, 62...), or 0 when the receiver had none to give (a stop, or
    // an answer whose block does not decode); the window then adds text 62.
    Resultado<ProgramacioRebuda> RecibirProgramacion(const QString &version);
    // Both, in that order.
    Resultado<ProgramacioRebuda> lee(const QString &version);

    // Encodes the sheet for the identified device's firmware `versionAparato` with
    // the clock `reloj`, sends the frame (one pause after every byte up to the ETX,
    // the check byte last, at once) and waits for the device's answer: 6 accepted
    // (kEscrituraAceptada), 21 any other byte, 24 nothing within the wait or a send
    // that did not go through. A sheet that cannot be encoded sends nothing: the
    // failure's text is the description, its detail the field (empty for none).
    Resultado<quint8> EnviarProgramacion(const FitxaProgramacio &fitxa, const QString &versionAparato,
                                         const QDateTime &reloj = QDateTime::currentDateTime());

private:
    DeviceSession &m_session;
};

} // namespace slx
