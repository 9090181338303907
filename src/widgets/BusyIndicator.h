#pragma once
// A small busy indicator: a row of blocks with a bright one travelling from the
// computer's end to the device's end, shown while data goes to the device. It
// animates only while it runs and is visible, at a few frames a second, so that it
// costs next to nothing during a long exchange.

#include <QWidget>

class QTimer;

namespace slx {

class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_running; }
    // The block lit now (0 .. blocks() - 1).
    int step() const { return m_step; }
    static constexpr int blocks() { return 12; }
    // Time between two steps of the animation.
    static constexpr int stepMs() { return 90; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void advance();
    void updateTimer();

    QTimer *m_timer = nullptr;
    bool m_running = false;
    int m_step = 0;
};

} // namespace slx
