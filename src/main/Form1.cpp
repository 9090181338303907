#include "main/Form1.h"

#include "main/MessageBox.h"

namespace slx {

Form1::Form1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ui::applicationTitle());
    resize(640, 420);
}

} // namespace slx
