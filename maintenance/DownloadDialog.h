// "Download Earthquake": the operator chooses a data centre (one of the
// public ones or any URL), sees the recent earthquakes it knows in a list and
// on a small world map, picks one, sees how many stations will come, and
// downloads it with a progress bar and a cancel button. Every network call
// runs on a worker thread; the window stays alive and Cancel stops at once,
// leaving the installation as it was.
#pragma once

#include "import/FdsnClient.h"
#include "maintenance/Messages.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <array>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
class QCheckBox;

// Help page of the dialog.
constexpr int kDownloadHelpTopic = 1051;

// The cells of one event's row: time (UTC), place, magnitude, depth.
std::array<QString, 4> eventRowTexts(const EventInfo& event);

class DownloadDialog : public QDialog {
public:
    // Downloads into `installation`; `server` sets the time-outs (tests make
    // them short) and, when its base URL is set, the data centre shown first.
    DownloadDialog(QWidget* parent, std::string installation, MessageFunction message,
                   FdsnServer server = {});
    ~DownloadDialog() override;

    // Asks the data centre for its recent earthquakes.
    void findEvents();
    // Chooses the event of that row and counts the stations that will come.
    void chooseEvent(int row);
    // Downloads and imports the chosen event.
    void startDownload();
    void cancelWork() { cancel_ = true; }
    bool busy() const { return worker_ != nullptr; }
    void waitForWorker();

    const std::vector<EventInfo>& events() const { return events_; }
    int stationsToCome() const { return stationsToCome_; }
    const std::string& createdEvent() const { return createdEvent_; }
    void reject() override;

private:
    FdsnServer server() const;
    void run(std::function<void()> work, std::function<void()> done);
    void finishWork();
    ImportProgress progressFunction();
    void progress(double fraction, const std::string& step);
    void setBusy(bool on);
    void showEvents();
    void drawMap();

    std::string installation_;
    MessageFunction message_;
    FdsnServer base_;
    std::vector<EventInfo> events_;
    int chosen_ = -1;
    int stationsToCome_ = -1;
    std::string createdEvent_;
    QThread* worker_ = nullptr;
    std::function<void()> onDone_;
    std::atomic<bool> cancel_{false};
    QImage worldMap_;

    QComboBox* centre_;
    QLineEdit* url_;
    QLineEdit* days_;
    QLineEdit* minMagnitude_;
    QLineEdit* networks_;
    QLineEdit* maxStations_;
    QCheckBox* replace_;
    QTableWidget* table_;
    QLabel* map_;
    QLabel* stations_;
    QLabel* step_;
    QProgressBar* progress_;
    QPushButton* find_;
    QPushButton* download_;
    QPushButton* cancel_button_;
};
