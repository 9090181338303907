// The programming sheet window's fields and the sheet value behind them: every
// control maps to the member of the same name.

#include "base/Firmware.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "programming/Comparison.h"
#include "programming/Form2.h"
#include "programming/ProgrammingBlock.h"
#include "programming/FitxaProgramacio.h"
#include "programming/SheetChecks.h"
#include "programming/SheetStorage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace slx {

namespace {

// The text members of the sheet value, with the control of the same name.
struct TextMember {
    const char *name;
    QString FitxaProgramacio::*member;
};

const TextMember kTexts[] = {
    {"MaskNumeroSerie", &FitxaProgramacio::MaskNumeroSerie},
    {"MaskFecha", &FitxaProgramacio::MaskFecha},
    {"MaskContacto", &FitxaProgramacio::MaskContacto},
    {"MaskLocal", &FitxaProgramacio::MaskLocal},
    {"MaskDireccion", &FitxaProgramacio::MaskDireccion},
    {"MaskPoblacion", &FitxaProgramacio::MaskPoblacion},
    {"MaskTelefono", &FitxaProgramacio::MaskTelefono},
    {"TextNota", &FitxaProgramacio::TextNota},
    {"MaskVersion", &FitxaProgramacio::MaskVersion},
    {"MaskTempsActLoc", &FitxaProgramacio::MaskTempsActLoc},
    {"MaskTempsActVei", &FitxaProgramacio::MaskTempsActVei},
    {"MaskTLeq", &FitxaProgramacio::MaskTLeq},
    {"MaskMFast", &FitxaProgramacio::MaskMFast},
    {"MaskLunesIni", &FitxaProgramacio::MaskLunesIni},
    {"MaskLunesFi", &FitxaProgramacio::MaskLunesFi},
    {"MaskMartesIni", &FitxaProgramacio::MaskMartesIni},
    {"MaskMartesFi", &FitxaProgramacio::MaskMartesFi},
    {"MaskMiercolesIni", &FitxaProgramacio::MaskMiercolesIni},
    {"MaskMiercolesFi", &FitxaProgramacio::MaskMiercolesFi},
    {"MaskJuevesIni", &FitxaProgramacio::MaskJuevesIni},
    {"MaskJuevesFi", &FitxaProgramacio::MaskJuevesFi},
    {"MaskViernesIni", &FitxaProgramacio::MaskViernesIni},
    {"MaskViernesFi", &FitxaProgramacio::MaskViernesFi},
    {"MaskSabadoIni", &FitxaProgramacio::MaskSabadoIni},
    {"MaskSabadoFi", &FitxaProgramacio::MaskSabadoFi},
    {"MaskDomingoIni", &FitxaProgramacio::MaskDomingoIni},
    {"MaskDomingoFi", &FitxaProgramacio::MaskDomingoFi},
    {"MaskDiaLocal", &FitxaProgramacio::MaskDiaLocal},
    {"MaskDiaVei", &FitxaProgramacio::MaskDiaVei},
    {"MaskEmpiezaNoche", &FitxaProgramacio::MaskEmpiezaNoche},
    {"MaskTerminaNoche", &FitxaProgramacio::MaskTerminaNoche},
    {"MaskEmpiezaDia", &FitxaProgramacio::MaskEmpiezaDia},
    {"MaskTerminaDia", &FitxaProgramacio::MaskTerminaDia},
    {"MaskNitLocal", &FitxaProgramacio::MaskNitLocal},
    {"MaskNitVei", &FitxaProgramacio::MaskNitVei},
    {"MaskTiempoAtenuacion", &FitxaProgramacio::MaskTiempoAtenuacion},
    {"MaskRings", &FitxaProgramacio::MaskRings},
};

struct CheckMember {
    const char *name;
    bool FitxaProgramacio::*member;
};

const CheckMember kChecks[] = {
    {"CheckCambioHora", &FitxaProgramacio::CheckCambioHora},
    {"CheckImpresion", &FitxaProgramacio::CheckImpresion},
    {"CheckApliCorrecioGlobal", &FitxaProgramacio::CheckApliCorrecioGlobal},
};

// A note's line breaks (LF, CR LF or a lone CR) as CR LF.
QString notaConCrLf(QString nota)
{
    nota.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    nota.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    nota.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return nota;
}

const char *const kOptionLocal[] = {"OptionLocalLeq1s", "OptionLocalLeq125"};
const char *const kOptionVei[] = {"OptionVeiNo", "OptionVeiLeq1s", "OptionVeiLeq125"};

} // namespace

FitxaProgramacio Form2::fitxa() const
{
    FitxaProgramacio f;
    for (const TextMember &t : kTexts)
        f.*t.member = texto(QString::fromLatin1(t.name));
    // The note as stored while the box shows it unchanged (the box turns every line
    // break into its own); an edited note breaks its lines with CR LF, as the notes
    // of the device's world do.
    if (f.TextNota == m_notaMostrada)
        f.TextNota = m_notaCargada;
    else
        f.TextNota = notaConCrLf(f.TextNota);
    for (const CheckMember &c : kChecks)
        if (auto *box = qobject_cast<QCheckBox *>(campo(QString::fromLatin1(c.name))))
            f.*c.member = box->isChecked();
    if (auto *box = campo(QStringLiteral("CheckApliCorrecioGlobal")))
        f.CheckApliCorrecioGlobalVisible = !box->isHidden();
    f.MaskTempsActEnabled = campo(QStringLiteral("MaskTempsActLoc"))->isEnabled();
    for (int i = 0; i < 6; ++i)
        if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromUtf16(kOpcionesIdioma[i]))); o && o->isChecked())
            f.OptionIdioma = static_cast<OpcionIdioma>(i);
    for (int i = 0; i < 2; ++i)
        if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromLatin1(kOptionLocal[i]))); o && o->isChecked())
            f.OptionLocal = static_cast<OpcionLocal>(i);
    for (int i = 0; i < 3; ++i)
        if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromLatin1(kOptionVei[i]))); o && o->isChecked())
            f.OptionVei = static_cast<OpcionVei>(i);
    for (int i = 0; i < 9; ++i)
        f.MaskOctava[i] = texto(QStringLiteral("MaskOctava%1").arg(i + 1));
    for (int r = 0; r < grid::kRows; ++r)
        f.MatrizInhabil[r] = {r + 1, m_matriz->value(r + 1, 2), m_matriz->value(r + 1, 3), m_matriz->value(r + 1, 4),
                              m_matriz->value(r + 1, 5)};
    return f;
}

void Form2::setFitxa(const FitxaProgramacio &f)
{
    for (const TextMember &t : kTexts)
        setTexto(QString::fromLatin1(t.name), f.*t.member);
    m_notaCargada = f.TextNota;
    m_notaMostrada = texto(QStringLiteral("TextNota"));
    for (const CheckMember &c : kChecks)
        if (auto *box = qobject_cast<QCheckBox *>(campo(QString::fromLatin1(c.name))))
            box->setChecked(f.*c.member);
    campo(QStringLiteral("CheckApliCorrecioGlobal"))->setVisible(f.CheckApliCorrecioGlobalVisible);
    campo(QStringLiteral("MaskTempsActLoc"))->setEnabled(f.MaskTempsActEnabled);
    campo(QStringLiteral("MaskTempsActVei"))->setEnabled(f.MaskTempsActEnabled);
    if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromUtf16(kOpcionesIdioma[int(f.OptionIdioma)]))))
        o->setChecked(true);
    if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromLatin1(kOptionLocal[int(f.OptionLocal)]))))
        o->setChecked(true);
    if (auto *o = qobject_cast<QRadioButton *>(campo(QString::fromLatin1(kOptionVei[int(f.OptionVei)]))))
        o->setChecked(true);
    for (int i = 0; i < 9; ++i)
        setTexto(QStringLiteral("MaskOctava%1").arg(i + 1), f.MaskOctava[i]);
    m_matriz->loadFromRows(f.MatrizInhabil);
}

void Form2::CreaProgramacio()
{
    FitxaProgramacio f = fitxa();
    const EstadoFitxa estado = slx::CreaProgramacio(f);
    entrega(f, estado);
    setFitxa(f);
    m_filaCargada = 0;
}

bool Form2::CarregaProgramacio(qint32 serial)
{
    Modulo1 &m = modulo1();
    FitxaProgramacio f = fitxa();
    const Resultado<FitxaCargada> carga =
        slx::CarregaProgramacio(m.ConexionBD, f, serial, QDateTime::currentDateTime());
    if (!carga) {
        showFailure(carga.error());
        return false;
    }
    publicaIntervalos(f.MatrizInhabil);
    m.NumeroSerieAparato = carga->numeroSerie;
    m.VersionAparato = carga->version;
    m.FitxaModificada = carga->modificada;
    setFitxa(f);
    m_filaCargada = serial;
    return true;
}

FitxaProgramacio Form2::fitxaPerGuardar() const
{
    // A sheet loaded from a stored row is that row's, whatever its serial field came to show.
    FitxaProgramacio f = fitxa();
    if (m_filaCargada != 0)
        f.MaskNumeroSerie = QString::number(m_filaCargada);
    return f;
}

void Form2::guardada(const FitxaProgramacio &f)
{
    m_filaCargada = static_cast<qint32>(valorInicial(f.MaskNumeroSerie));
    m_notaCargada = f.TextNota;
    m_notaMostrada = texto(QStringLiteral("TextNota"));
}

bool Form2::GrabaProgramacio()
{
    if (!camposRevisados())
        return false;
    const FitxaProgramacio f = fitxaPerGuardar();
    if (const Resultado<> grabacion = slx::GrabaProgramacio(modulo1().ConexionBD, f, QDateTime::currentDateTime());
        !grabacion) {
        showFailure(grabacion.error());
        return false;
    }
    modulo1().FitxaModificada = false;
    guardada(f);
    return true;
}

bool Form2::Modificat()
{
    return ofreceGuardarCambios() == Oferta::Guardada;
}

Form2::Oferta Form2::ofreceGuardarCambios()
{
    if (!offersToSave(fitxaPerGuardar(), modulo1().FitxaModificada))
        return Oferta::SinCambios;
    if (ui::MsgBox(oLocGuru().GetS(23), ui::Icon::Question, ui::OkCancel, this) != ui::vbOK)
        return Oferta::Rehusada;
    if (!GrabaProgramacio())
        return Oferta::Fallida;
    // A sheet saved here may be new to the table: the rows are read again.
    reloadSerials();
    return Oferta::Guardada;
}

void Form2::showFailure(const Fallo &failure)
{
    // A failure of a field (its detail) gets the field's own message and the focus; any
    // other, the storage's description.
    if (failure.detail.isEmpty()) {
        ui::MsgBox(failure.mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    ui::MsgBox(oLocGuru().GetS(sheet::failureMessage(failure.detail)), ui::Icon::Critical, ui::OkOnly, this);
    focusField(failure.detail);
}

void Form2::ComparaPcAqt()
{
    Modulo1 &m = modulo1();
    FitxaProgramacio f = fitxa();
    bool difiere = false;
    m.TextoComparacion = TextoComparacion(f, m.ProgramacioRebuda, &difiere);
    if (versionAlMenys(f.MaskVersion, firmware::kGlobalCorrection))
        campo(QStringLiteral("CheckApliCorrecioGlobal"))->setVisible(true);
    if (!difiere || ui::MsgBox(m.TextoComparacion, ui::Icon::Question, ui::OkCancel, this) != ui::vbOK)
        return;
    const ProgramacioRebuda copia = m.ProgramacioRebuda;
    f = fitxa();
    const EstadoFitxa estado = CarregaProgAqt(copia, f);
    entrega(f, estado);
    setFitxa(f);
}

} // namespace slx
