// The world map between runs. For now a plain grey screen that reports
// itself ready and, after the user time-out, starts the first event of the
// catalogue (or exits when EXIT WHEN DONE is set); the map picture, the event
// labels and the station choice come with the world map's own work.
#pragma once

#include <QBasicTimer>
#include <QWidget>

#include <cstdint>
#include <string>

struct Settings;
class EventCatalogue;

// What the world map asks of the main window.
class WorldMapHost {
public:
    virtual ~WorldMapHost() = default;
    virtual void worldMapReady() = 0;                         // the screen is complete
    virtual void chooseEvent(int catalogueIndex, const std::string& fileName) = 0;
    virtual void worldMapCommand(int command) = 0;            // 1025 start, 203 exit
};

class WorldMapWindow : public QWidget {
    Q_OBJECT
public:
    WorldMapWindow(QWidget* parent, WorldMapHost& host, Settings& settings,
                   EventCatalogue& catalogue);
    ~WorldMapWindow() override;

    // Seconds until the map starts an event by itself (0: never).
    void setUserTimeout(uint32_t seconds);
    int32_t countdown() const { return countdown_; }
    // One second of the map's countdown (its timer calls this).
    void secondPassed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    WorldMapHost& host_;
    Settings& settings_;
    EventCatalogue& catalogue_;
    QBasicTimer timer_;
    int32_t countdown_ = 0;
    bool reported_ = false;
};
