#pragma once
// The firmware versions from which the device's frames and records change, compared
// with versionAlMenys (base/TextFormats.h) against the identified device's version
// or a sheet's version field.

namespace slx::firmware {

// From 3.0 a Leq-interval record has its newer layout, with its three counters.
inline constexpr double kNewIntervalRecord = 3.0;
// From 3.3 the actuation bytes of a programming hold a Leq time in seconds.
inline constexpr double kActuationSeconds = 3.3;
// From 4.0 a programming carries one more byte, the global correction (column CMI).
inline constexpr double kGlobalCorrection = 4.0;

} // namespace slx::firmware
