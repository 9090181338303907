#pragma once
// The main window.

#include <QMainWindow>

namespace slx {

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
};

} // namespace slx
