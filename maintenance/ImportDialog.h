// "Import Recordings": the operator picks recording files or folders, sees
// the stations found (distance, components, rate, what is skipped and why)
// and the event values read from the files, corrects them, and imports with
// a progress bar and a cancel button. Reading and writing run on a worker
// thread so the window stays alive on large imports; the decisions are the
// import library's, and the checks of what was typed are plain functions.
#pragma once

#include "import/EventImport.h"
#include "maintenance/Messages.h"

#include <QDialog>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// Help page of the dialog.
constexpr int kImportHelpTopic = 1050;

// What the operator typed in the event and option fields.
struct ImportFields {
    std::string name, origin, latitude, longitude, depth, magnitude;
    std::string rate = "20", limit = "3600";
};

// The fields as typed for the values a scan found (empty where none was found).
ImportFields importFieldsFrom(const EventInfo& event, const std::string& name);

// Applies the typed fields to `request`: an empty event field leaves the value
// to the files, a filled one must be a number (or a time "YYYY-MM-DDTHH:MM:SS")
// within its range. Returns the message for the first bad field, else nothing.
std::optional<std::string> applyImportFields(const ImportFields& fields, ImportRequest& request);

class ImportDialog : public QDialog {
public:
    // Imports into the installation `installation` (the folder with OV.INI).
    ImportDialog(QWidget* parent, std::string installation, MessageFunction message);
    ~ImportDialog() override;

    // Adds files or folders to the inputs and reads them again.
    void addInputs(const QStringList& paths);
    // Reads the inputs (on the worker) and shows what would be imported.
    void scan();
    // Imports what the last scan found, with the typed values.
    void startImport();
    // Cancels the work under way; the installation stays as it was.
    void cancelWork();
    bool busy() const { return worker_.joinable(); }
    // Runs the event loop until the worker has finished (tests, closing).
    void waitForWorker();

    // The event file made by the import ("2011031105.evt"); empty until then.
    const std::string& createdEvent() const { return createdEvent_; }
    const ImportReport& report() const { return scan_.report; }

    void reject() override;

private:
    ImportRequest request() const;
    ImportFields typedFields() const;
    ImportProgress progressFunction();
    void run(std::function<void()> work);
    void finishWork();
    void showScan();
    void setBusy(bool on);
    void progress(double fraction, const std::string& step);

    std::string installation_;
    MessageFunction message_;
    QStringList inputs_;
    ImportScan scan_;
    bool scanned_ = false;
    std::string createdEvent_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::function<void()> onDone_;

    QListWidget* inputList_;
    QLineEdit* stationFile_;
    QLineEdit* fields_[8];
    QCheckBox* replace_;
    QTableWidget* stations_;
    QPlainTextEdit* files_;
    QProgressBar* progress_;
    QLabel* step_;
    QPushButton* addFiles_;
    QPushButton* addFolder_;
    QPushButton* import_;
    QPushButton* cancel_button_;
};
