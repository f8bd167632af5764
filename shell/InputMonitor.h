// Tells the clock whether the user is giving input right now, so that a tick
// skips the views' redraw and the interface stays responsive.
//
// Qt delivers window-system input only when the event loop gets to it, so a
// timer handler cannot look into the queue. Instead an application-wide
// event filter notes the millisecond count of every mouse-button, key and
// touch event as it is dispatched; input counts as waiting while the last
// such event is younger than a short grace period. A click or a key press
// thus suspends drawing for the ticks that follow it closely, which is what
// keeps a slow machine answering to a stream of presses.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class InputMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr uint32_t kGraceMs = 100;

    // `clock` is the same millisecond counter the simulation clock uses.
    explicit InputMonitor(std::function<uint32_t()> clock, QObject* parent = nullptr);
    ~InputMonitor() override;

    // Watches every event of the application.
    void install();
    bool waiting(uint32_t now) const { return inputRecent(seen_, lastInput_, now); }
    void noteInput() {
        seen_ = true;
        lastInput_ = clock_();
    }

    static bool isUserInput(int eventType);
    static bool inputRecent(bool seen, uint32_t lastInput, uint32_t now) {
        return seen && static_cast<uint32_t>(now - lastInput) < kGraceMs;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<uint32_t()> clock_;
    bool seen_ = false;
    uint32_t lastInput_ = 0;
    bool installed_ = false;
};
