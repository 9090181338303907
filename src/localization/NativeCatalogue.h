#pragma once
// The catalogue of the program's own texts (Spanish), numbered 1 to 178.

#include <QString>

namespace slx {

inline constexpr int kNativeCount = 178;

// Text number id; for any other number, prefix followed by the number.
QString GetNativeString(qint32 id, const QString &prefix);

} // namespace slx
