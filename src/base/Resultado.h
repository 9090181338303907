#pragma once
// How core code fails: a function that can fail returns a Resultado, which holds either
// its value or one Fallo. The type is [[nodiscard]], so a caller that drops a failure is
// pointed at by the compiler. Windows turn a Fallo into a message with mensaje().
//
//   Resultado<Fitxa> carga(...);          // the value, or why not
//   Resultado<> guarda(...);              // nothing, or why not
//   if (!r) return std::unexpected(r.error());
//   return fallo(31);                     // a text of the catalogue
//   return fallo(mensajePropio, nombre);  // the program's own message, and a detail
//
// Exceptions stay inside the module that throws them; its API returns a Resultado.

#include <QString>

#include <expected>
#include <utility>

namespace slx {

struct Fallo {
    // A text of the catalogue (31 "No hay respuesta...", 62...); 0 when `text` says it.
    int texto = 0;
    // The program's own message, already in the user's language; empty with a `texto`.
    QString text;
    // What the failure concerns, when the message names it apart: a field of the sheet, a
    // file, a table, the description of a driver's error.
    QString detail;

    bool empty() const { return texto == 0 && text.isEmpty(); }
    // The message to show: the program's own text, else the catalogue's text.
    QString mensaje() const;
};

template <class T = void>
class [[nodiscard]] Resultado : public std::expected<T, Fallo> {
public:
    using std::expected<T, Fallo>::expected;
    Resultado(const std::expected<T, Fallo> &otro) : std::expected<T, Fallo>(otro) {}
    Resultado(std::expected<T, Fallo> &&otro) : std::expected<T, Fallo>(std::move(otro)) {}
};

inline std::unexpected<Fallo> fallo(int texto, QString detail = {})
{
    return std::unexpected(Fallo{texto, {}, std::move(detail)});
}

inline std::unexpected<Fallo> fallo(QString text, QString detail = {})
{
    return std::unexpected(Fallo{0, std::move(text), std::move(detail)});
}

inline std::unexpected<Fallo> fallo(Fallo f)
{
    return std::unexpected(std::move(f));
}

} // namespace slx
