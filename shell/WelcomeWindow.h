// The first screen: "OVINIT.BMP" on black, the version in light yellow and a
// Start button. Start, the Enter key or the initial time-out leave it.
#pragma once

#include "shell/LayoutGeometry.h"

#include <QBasicTimer>
#include <QImage>
#include <QWidget>

#include <functional>

struct Settings;
class FaceButton;

class WelcomeWindow : public QWidget {
    Q_OBJECT
public:
    // `onStart` stops the music and lets the main window replace this screen.
    WelcomeWindow(QWidget* parent, const Settings& settings, std::function<void()> onStart);

    // Start button, the Enter key and the time-out.
    void start();
    FaceButton* startButton() const { return start_; }
    int timeoutTimerId() const { return timer_.timerId(); }
    bool timeoutArmed() const { return timer_.isActive(); }
    CharacterCell cell() const { return cell_; }

    // Called once after the first paint (start-up measurement).
    void setFirstPaintHook(std::function<void()> hook) { firstPaintHook_ = std::move(hook); }

signals:
    // A right click on Start with RIGHT BUTTON RESTART set (the Map command).
    void restartRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void paintWelcome();
    // The Start button where the current size puts it.
    void placeStartButton();

    const Settings& settings_;
    std::function<void()> onStart_;
    std::function<void()> firstPaintHook_;
    QBasicTimer timer_;
    FaceButton* start_ = nullptr;
    CharacterCell cell_;
    QImage picture_;
    bool pictureRead_ = false;
    bool started_ = false;
};
