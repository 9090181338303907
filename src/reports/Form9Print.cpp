#include "reports/Form9.h"

#include "base/MessageBox.h"
#include "base/Ventanas.h"

namespace slx {

void Form9::SSCommandImprimir_Click()
{
    ui::MsgBox(textoNoConstruida(), ui::Icon::Information, ui::OkOnly, this);
}

} // namespace slx
