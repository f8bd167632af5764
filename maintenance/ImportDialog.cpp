#include "maintenance/ImportDialog.h"

#include "dialogs/HelpLauncher.h"
#include "fileio/Logging.h"
#include "import/TimeText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

enum Field {
    kName,
    kOrigin,
    kLatitude,
    kLongitude,
    kDepth,
    kMagnitude,
    kRate,
    kLimit,
    kFieldCount
};

std::string number(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A typed number: the whole text must be one finite number.
std::optional<double> parseNumber(const std::string& typed) {
    const std::string text = trimmed(typed);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return {};
    return value;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The import's reason in the dialog's words: missing event values are typed
// into the fields here, not given as command-line options.
QString reasonText(const ImportReport& report) {
    if (!report.event.originTime && !report.error.empty()
        && report.error.find("origin") != std::string::npos)
        return QObject::tr("No origin time in the recordings: type it above (UTC), then Import.");
    if ((!report.event.latitude || !report.event.longitude)
        && report.error.find("epicentre") != std::string::npos)
        return QObject::tr("No epicentre in the recordings: type its latitude and longitude above, "
                           "then Import.");
    QString text = qs(report.error);
    text.replace(QStringLiteral("give --replace to replace it"),
                 QStringLiteral("tick Replace to replace it"));
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

}   // namespace

ImportFields importFieldsFrom(const EventInfo& event, const std::string& name) {
    ImportFields f;
    f.name = name;
    if (event.originTime) f.origin = formatTimeText(*event.originTime, 1);
    if (event.latitude) f.latitude = number(*event.latitude, 4);
    if (event.longitude) f.longitude = number(*event.longitude, 4);
    if (event.depthKm) f.depth = number(*event.depthKm, 1);
    if (event.magnitude) f.magnitude = number(*event.magnitude, 1);
    return f;
}

std::optional<std::string> applyImportFields(const ImportFields& fields, ImportRequest& request) {
    request.name = trimmed(fields.name);
    request.event = EventInfo{};
    if (!trimmed(fields.origin).empty()) {
        request.event.originTime = parseTimeText(fields.origin);
        if (!request.event.originTime)
            return "The origin time \"" + trimmed(fields.origin)
                   + "\" is not a time. Type it in UTC as YYYY-MM-DDTHH:MM:SS.s, "
                     "for example 2011-03-11T05:46:24.1.";
    }
    struct Check {
        const std::string* text;
        std::optional<double>* target;
        const char* what;
        double low, high;
    };
    std::optional<double> rate, limit;
    const Check checks[] = {
        {&fields.latitude, &request.event.latitude, "latitude", -90, 90},
        {&fields.longitude, &request.event.longitude, "longitude", -180, 360},
        {&fields.depth, &request.event.depthKm, "depth (km)", 0, 800},
        {&fields.magnitude, &request.event.magnitude, "magnitude", -2, 10},
        {&fields.rate, &rate, "samples per second", 1, 200},
        {&fields.limit, &limit, "time limit (s)", 300, 10800},
    };
    for (const Check& c : checks) {
        if (trimmed(*c.text).empty()) continue;
        const std::optional<double> value = parseNumber(*c.text);
        if (!value || *value < c.low || *value > c.high)
            return std::string("The ") + c.what + " must be a number from " + number(c.low, 0)
                   + " to " + number(c.high, 0) + "; \"" + trimmed(*c.text) + "\" is not.";
        *c.target = value;
    }
    if (rate) request.sampleRate = *rate;
    if (limit) request.timeLimit = *limit;
    return std::nullopt;
}

ImportDialog::ImportDialog(QWidget* parent, std::string installation, MessageFunction message)
    : QDialog(parent), installation_(std::move(installation)), message_(std::move(message)) {
    setWindowTitle(tr("Import Recordings"));
    auto* layout = new QVBoxLayout(this);

    // Inputs.
    auto* inputs = new QGridLayout;
    inputs->addWidget(new QLabel(tr("Recordings (SAC or miniSEED files, or folders):")), 0, 0, 1,
                      2);
    inputList_ = new QListWidget;
    inputList_->setObjectName(QStringLiteral("inputs"));
    inputList_->setMaximumHeight(90);
    inputs->addWidget(inputList_, 1, 0);
    auto* inputButtons = new QVBoxLayout;
    addFiles_ = new QPushButton(tr("Add &Files..."));
    addFolder_ = new QPushButton(tr("Add F&older..."));
    inputButtons->addWidget(addFiles_);
    inputButtons->addWidget(addFolder_);
    inputButtons->addStretch();
    inputs->addLayout(inputButtons, 1, 1);
    inputs->addWidget(new QLabel(tr("Station file (FDSN station text or StationXML; optional):")),
                      2, 0, 1, 2);
    stationFile_ = new QLineEdit;
    stationFile_->setObjectName(QStringLiteral("stationFile"));
    auto* browse = new QPushButton(tr("&Browse..."));
    inputs->addWidget(stationFile_, 3, 0);
    inputs->addWidget(browse, 3, 1);
    layout->addLayout(inputs);

    // Event values and options.
    auto* form = new QGridLayout;
    const char* labels[kFieldCount] = {"Event name",         "Origin time (UTC)", "Latitude",
                                       "Longitude",          "Depth (km)",        "Magnitude",
                                       "Samples per second", "Time limit (s)"};
    const char* names[kFieldCount] = {"name",  "origin",    "latitude", "longitude",
                                      "depth", "magnitude", "rate",     "limit"};
    for (int i = 0; i < kFieldCount; ++i) {
        fields_[i] = new QLineEdit;
        fields_[i]->setObjectName(QString::fromLatin1(names[i]));
        form->addWidget(new QLabel(tr(labels[i])), i / 2, (i % 2) * 2);
        form->addWidget(fields_[i], i / 2, (i % 2) * 2 + 1);
    }
    fields_[kOrigin]->setPlaceholderText(QStringLiteral("YYYY-MM-DDTHH:MM:SS.s"));
    fields_[kRate]->setText(QStringLiteral("20"));
    fields_[kLimit]->setText(QStringLiteral("3600"));
    replace_ = new QCheckBox(tr("&Replace an existing event of the same date and hour"));
    replace_->setObjectName(QStringLiteral("replace"));
    form->addWidget(replace_, 4, 0, 1, 4);
    layout->addLayout(form);

    // What the scan found.
    stations_ = new QTableWidget(0, 6);
    stations_->setObjectName(QStringLiteral("stations"));
    stations_->setHorizontalHeaderLabels(
        {tr("Station"), tr("Sensor"), tr("Distance"), tr("Components"), tr("Rate"), tr("Notes")});
    stations_->horizontalHeader()->setStretchLastSection(true);
    stations_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stations_->verticalHeader()->hide();
    layout->addWidget(stations_, 1);
    files_ = new QPlainTextEdit;
    files_->setObjectName(QStringLiteral("files"));
    files_->setReadOnly(true);
    files_->setMaximumHeight(90);
    layout->addWidget(files_);

    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    step_ = new QLabel(tr("Add the recordings of one earthquake."));
    step_->setObjectName(QStringLiteral("step"));
    layout->addWidget(step_);
    layout->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton(tr("&Help"));
    import_ = new QPushButton(tr("&Import"));
    import_->setObjectName(QStringLiteral("import"));
    import_->setEnabled(false);
    cancel_button_ = new QPushButton(tr("Cancel"));
    cancel_button_->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(import_);
    buttons->addWidget(cancel_button_);
    layout->addLayout(buttons);
    // Return imports; it never opens one of the file choosers by surprise.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    import_->setDefault(true);
    resize(900, 760);

    connect(addFiles_, &QPushButton::clicked, this,
            [this] { addInputs(QFileDialog::getOpenFileNames(this, tr("Recordings"))); });
    connect(addFolder_, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Folder of recordings"));
        if (!dir.isEmpty()) addInputs({dir});
    });
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, tr("Station file"));
        if (file.isEmpty()) return;
        stationFile_->setText(file);
        scan();
    });
    connect(stationFile_, &QLineEdit::editingFinished, this, [this] {
        if (!inputs_.isEmpty()) scan();
    });
    // A typed epicentre or time moves the distances and the first selection
    // at once; nothing is read again.
    for (int i = kOrigin; i <= kMagnitude; ++i)
        connect(fields_[i], &QLineEdit::editingFinished, this, [this] {
            if (busy() || !scanned_) return;
            ImportRequest r = request();
            if (applyImportFields(typedFields(), r)) return;
            updateImportPlan(r, scan_);
            showScan();
        });
    connect(help, &QPushButton::clicked, this, [this] { openHelp(this, kImportHelpTopic); });
    connect(import_, &QPushButton::clicked, this, &ImportDialog::startImport);
    connect(cancel_button_, &QPushButton::clicked, this, &ImportDialog::reject);
}

ImportDialog::~ImportDialog() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void ImportDialog::addInputs(const QStringList& paths) {
    bool added = false;
    for (const QString& p : paths) {
        if (p.isEmpty() || inputs_.contains(p)) continue;
        inputs_.append(p);
        inputList_->addItem(p);
        added = true;
    }
    if (added) scan();
}

ImportRequest ImportDialog::request() const {
    ImportRequest r;
    for (const QString& p : inputs_) r.inputs.push_back(p.toStdString());
    r.installation = installation_;
    r.stationFile = stationFile_->text().trimmed().toStdString();
    r.replace = replace_->isChecked();
    return r;
}

void ImportDialog::progress(double fraction, const std::string& step) {
    progress_->setValue(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * 1000)));
    step_->setText(qs(step));
}

void ImportDialog::setBusy(bool on) {
    addFiles_->setEnabled(!on);
    addFolder_->setEnabled(!on);
    stationFile_->setEnabled(!on);
    for (QLineEdit* f : fields_) f->setEnabled(!on);
    replace_->setEnabled(!on);
    // Values the recordings lack can still be typed: import needs only recordings.
    import_->setEnabled(!on && scanned_ && !scan_.recordings.empty());
    cancel_button_->setText(on ? tr("Cancel") : tr("Close"));
}

void ImportDialog::run(std::function<void()> work) {
    if (worker_.joinable()) return;
    cancel_ = false;
    setBusy(true);
    worker_ = std::thread([this, work = std::move(work)] {
        work();
        QMetaObject::invokeMethod(
            this, [this] { finishWork(); }, Qt::QueuedConnection);
    });
}

void ImportDialog::finishWork() {
    if (worker_.joinable()) worker_.join();
    setBusy(false);
    if (onDone_) {
        auto done = std::move(onDone_);
        onDone_ = nullptr;
        done();
    }
    setBusy(false);
}

void ImportDialog::waitForWorker() {
    while (worker_.joinable()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

ImportFields ImportDialog::typedFields() const {
    ImportFields typed;
    std::string* slot[kFieldCount] = {&typed.name,      &typed.origin, &typed.latitude,
                                      &typed.longitude, &typed.depth,  &typed.magnitude,
                                      &typed.rate,      &typed.limit};
    for (int i = 0; i < kFieldCount; ++i) *slot[i] = fields_[i]->text().toStdString();
    return typed;
}

void ImportDialog::scan() {
    if (busy() || inputs_.isEmpty()) return;
    // Values already typed (an epicentre the files lack, say) count for the
    // distances; a field that does not read yet is left to the files.
    ImportRequest r = request();
    ImportRequest typed = r;
    if (!applyImportFields(typedFields(), typed)) r = typed;
    auto result = std::make_shared<ImportScan>();
    onDone_ = [this, result] {
        scan_ = std::move(*result);
        scanned_ = !cancel_;
        // The files' values fill the fields still empty; typed ones stay.
        const ImportFields found = importFieldsFrom(scan_.report.event, scan_.report.eventName);
        const std::string* values[] = {&found.name,      &found.origin, &found.latitude,
                                       &found.longitude, &found.depth,  &found.magnitude};
        for (int i = 0; i < kRate; ++i)
            if (fields_[i]->text().trimmed().isEmpty()) fields_[i]->setText(qs(*values[i]));
        showScan();
    };
    step_->setText(tr("Reading the recordings..."));
    run([r, result, this] { *result = scanImport(r, progressFunction(), &cancel_); });
}

ImportProgress ImportDialog::progressFunction() {
    return [this](double f, const std::string& s) {
        QMetaObject::invokeMethod(
            this, [this, f, s] { progress(f, s); }, Qt::QueuedConnection);
    };
}

void ImportDialog::showScan() {
    const ImportReport& rep = scan_.report;
    stations_->setRowCount(0);
    for (const ImportStation& s : rep.stations) {
        const int row = stations_->rowCount();
        stations_->insertRow(row);
        const std::string sensor = (s.location.empty() ? std::string("--") : s.location) + "."
                                   + s.band;
        std::string notes = s.skipped.empty() ? std::string() : "skipped: " + s.skipped;
        for (const std::string& n : s.notes) notes += (notes.empty() ? "" : "; ") + n;
        if (s.selected) notes = "shown first" + std::string(notes.empty() ? "" : "; ") + notes;
        const QString cells[] = {qs(s.network + "." + s.station),
                                 qs(sensor),
                                 s.distance < 0 ? QStringLiteral("?")
                                                : QStringLiteral("%1°").arg(s.distance, 0, 'f', 1),
                                 qs(s.components),
                                 QStringLiteral("%1/s").arg(s.sampleRate),
                                 qs(notes)};
        for (int c = 0; c < 6; ++c) stations_->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    stations_->resizeColumnsToContents();
    QString lines;
    for (const ImportFileLine& f : rep.files)
        if (!f.used) lines += qs(f.path + ": skipped, " + f.what) + "\n";
    for (const std::string& w : rep.warnings) lines += qs(w) + "\n";
    files_->setPlainText(lines);
    progress_->setValue(0);
    if (!rep.ok())
        step_->setText(reasonText(rep));
    else
        step_->setText(
            tr("%1 stations found. Check the event values, then Import.").arg(rep.stations.size()));
}

void ImportDialog::startImport() {
    if (busy() || !scanned_) return;
    ImportRequest r = request();
    if (const auto problem = applyImportFields(typedFields(), r)) {
        message_(this, qs(*problem));
        return;
    }
    auto result = std::make_shared<ImportReport>();
    onDone_ = [this, result] {
        if (result->ok() && !result->createdEvent.empty()) {
            qCInfo(lcImport) << "import: created" << result->createdEvent.c_str();
            createdEvent_ = result->createdEvent;
            accept();
            return;
        }
        if (result->cancelled)
            qCInfo(lcImport) << "import cancelled";
        else
            qCWarning(lcImport).noquote() << "import failed:" << reasonText(*result);
        progress_->setValue(0);
        step_->setText(result->cancelled ? tr("Cancelled; the installation is as it was.")
                                         : reasonText(*result));
        if (!result->cancelled)
            message_(this, tr("Nothing was imported. %1").arg(reasonText(*result)));
    };
    ImportScan scan = scan_;
    run([r, scan = std::move(scan), result, report = progressFunction(), this]() mutable {
        *result = writeImport(r, std::move(scan), report, &cancel_);
    });
}

void ImportDialog::cancelWork() { cancel_ = true; }

void ImportDialog::reject() {
    // Cancel first stops the work; the dialog closes once it has stopped.
    if (busy()) {
        cancelWork();
        step_->setText(tr("Cancelling..."));
        return;
    }
    QDialog::reject();
}
