#pragma once
// frmSplash: the splash screen. Shown at start-up when no other instance
// runs; stays on top, shows the version, the platform and the disclaimer,
// and closes itself after 10 seconds (the bar shrinks from 10 to 0), or at
// once on a click or a key. A click on the bar restarts the countdown.

#include <QPointer>
#include <QWidget>

#include "core/splash_countdown.hpp"

class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // The splash screen while it exists (hidden or shown), else nullptr.
    static frmSplash* current();

    void Form_Load();
    void Timer1_Timer();

    QProgressBar* progressBar() const { return ProgressBar1; }
    const SplashCountdown& countdown() const { return m_countdown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFrame* Frame1;
    QLabel* Picture1;
    QLabel* Picture2;
    QLabel* Picture3;
    QLabel* Label2;
    QLabel* lblVersion;
    QLabel* lblDisclaimer;
    QProgressBar* ProgressBar1;
    QTimer* Timer1;
    SplashCountdown m_countdown;
};
