#pragma once
// The programming block: the device's whole programming as one run of bytes, shared
// by the read answer (command 0x04, block at frame offset 4) and the write frame
// (command 0x08, block at frame offset 10); 364 bytes, 365 from firmware 4.0.
//
// Conversions: a read answer into the device copy, the sheet into the write frame,
// and the device copy into the sheet (CarregaProgAqt).

#include "base/ProgramacioRebuda.h"
#include "base/Resultado.h"
#include "programming/FitxaProgramacio.h"

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <optional>
#include <span>

namespace slx {

inline constexpr int kBloqueCorto = 364; // firmware below 4.0
inline constexpr int kBloqueLargo = 365; // from 4.0: the global-correction byte

// Length of the read answer that carries the whole block for that firmware
// (370 below 4.0, 371 from 4.0).
int longitudRespuestaProgramacio(const QString &version);

// Decodes the read answer in trama (the received frame from its STX) with the
// firmware version of the identified device. The copy is decoded afresh: a field
// the block does not carry (a language byte above 5, the global-correction byte
// below 4.0) is empty / 0, never the previous device's value. An answer whose
// declared length is shorter than its firmware's block gives false and leaves copia
// unchanged; the caller then reports text 62.
bool DecodificaProgramacio(std::span<const quint8> trama, const QString &version, ProgramacioRebuda &copia);

// The whole write frame, check byte included: 376 bytes, 377 when the sheet's
// MaskVersion is 4.0 or later. The actuation bytes follow versionAparato (the
// identified device); the intervals come from the sheet's MatrizInhabil rows; the
// clock bytes from reloj. A sheet with a field that cannot be encoded gives no frame but
// the failure of the first such field (detail: the field; text: "Type mismatch" or
// "Overflow"), so that nothing is sent.
Resultado<QByteArray> TramaEnviaProgramacio(const FitxaProgramacio &fitxa, const QString &versionAparato,
                                            const QDateTime &reloj);
// The same with the PC clock: the frame to send to a device of that version, check
// byte last.
Resultado<QByteArray> CodificaProgramacio(const FitxaProgramacio &fitxa, const QString &versionAparato);

// Puts the device copy into the sheet and its grid array MatrizInhabil (the intervals the
// window then hands over as IntervalosInhabiles); the copy's own version governs the
// firmware switches. The sheet is then modified.
EstadoFitxa CarregaProgAqt(const ProgramacioRebuda &copia, FitxaProgramacio &fitxa);

} // namespace slx
