#include "main/RegistroVentanas.h"

#include "base/FormRegistry.h"
#include "import/Form16.h"
#include "logs/Form5.h"
#include "logs/Form8.h"
#include "main/Form1.h"
#include "main/Form4.h"
#include "main/Form7.h"
#include "printing/Form15.h"
#include "programming/Form10.h"
#include "programming/Form2.h"
#include "programming/Form3.h"
#include "reports/Form6.h"
#include "reports/Form9.h"

namespace slx {

void registraVentanas()
{
    FormRegistry::add(QStringLiteral("Form1"), [] { return new Form1; });
    FormRegistry::add(QStringLiteral("Form4"), [] { return new Form4; });
    FormRegistry::add(QStringLiteral("Form7"), [] { return new Form7; });
    // The windows as designed, for the text export.
    FormRegistry::addDesign(QStringLiteral("Form1"), [] { return new Form1; });
    FormRegistry::addDesign(QStringLiteral("Form2"), [] { return new Form2; });
    FormRegistry::addDesign(QStringLiteral("Form4"), [] { return new Form4; });
    FormRegistry::addDesign(QStringLiteral("Form7"), [] { return new Form7; });
    registraForm2();
    registraForm10();
    registraForm3();
    registraForm5();
    registraForm6();
    registraForm8();
    registraForm9();
    registraForm15();
    registraForm16();
}

} // namespace slx
