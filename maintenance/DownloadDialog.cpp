#include "maintenance/DownloadDialog.h"

#include "dialogs/HelpLauncher.h"
#include "fileio/FileSystem.h"
#include "fileio/Logging.h"
#include "import/TimeText.h"
#include "views/MapProjection.h"
#include "views/WorldMapLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr int kMapWidth = 360, kMapHeight = 220;

}   // namespace

std::array<QString, 4> eventRowTexts(const EventInfo& e) {
    QString time = e.originTime ? qs(formatTimeText(*e.originTime, 0)) : QStringLiteral("?");
    time.replace(QLatin1Char('T'), QLatin1Char(' '));
    return {time, qs(e.place.empty() ? e.eventId : e.place),
            e.magnitude ? QString::number(*e.magnitude, 'f', 1) : QStringLiteral("?"),
            e.depthKm ? QStringLiteral("%1 km").arg(*e.depthKm, 0, 'f', 0) : QStringLiteral("?")};
}

DownloadDialog::DownloadDialog(QWidget* parent, std::string installation, MessageFunction message,
                               FdsnServer server)
    : QDialog(parent), installation_(std::move(installation)), message_(std::move(message)),
      base_(std::move(server)) {
    setWindowTitle(tr("Download Earthquake"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(tr("Data centre:")), 0, 0);
    centre_ = new QComboBox;
    for (const FdsnCentre& c : fdsnCentres()) centre_->addItem(qs(c.name), qs(c.baseUrl));
    centre_->addItem(tr("Other (type its address)"), QString());
    top->addWidget(centre_, 0, 1, 1, 3);
    top->addWidget(new QLabel(tr("Address:")), 1, 0);
    url_ = new QLineEdit;
    url_->setObjectName(QStringLiteral("url"));
    top->addWidget(url_, 1, 1, 1, 3);
    top->addWidget(new QLabel(tr("Last days:")), 2, 0);
    days_ = new QLineEdit(QStringLiteral("30"));
    top->addWidget(days_, 2, 1);
    top->addWidget(new QLabel(tr("Smallest magnitude:")), 2, 2);
    minMagnitude_ = new QLineEdit(QStringLiteral("6"));
    top->addWidget(minMagnitude_, 2, 3);
    find_ = new QPushButton(tr("&Find Earthquakes"));
    top->addWidget(find_, 2, 4);
    layout->addLayout(top);

    auto* middle = new QHBoxLayout;
    table_ = new QTableWidget(0, 4);
    table_->setObjectName(QStringLiteral("events"));
    table_->setHorizontalHeaderLabels(
        {tr("Time (UTC)"), tr("Place"), tr("Magnitude"), tr("Depth")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    middle->addWidget(table_, 1);
    map_ = new QLabel;
    map_->setFixedSize(kMapWidth, kMapHeight);
    middle->addWidget(map_);
    layout->addLayout(middle, 1);

    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(tr("Networks:")));
    networks_ = new QLineEdit(QStringLiteral("IU,II"));
    options->addWidget(networks_);
    options->addWidget(new QLabel(tr("Most stations:")));
    maxStations_ = new QLineEdit(QStringLiteral("30"));
    options->addWidget(maxStations_);
    replace_ = new QCheckBox(tr("&Replace an existing event of the same date and hour"));
    options->addWidget(replace_);
    layout->addLayout(options);

    stations_ = new QLabel;
    stations_->setObjectName(QStringLiteral("stations"));
    step_ = new QLabel(tr("Choose a data centre and find its recent earthquakes."));
    step_->setObjectName(QStringLiteral("step"));
    step_->setWordWrap(true);
    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    layout->addWidget(stations_);
    layout->addWidget(step_);
    layout->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton(tr("&Help"));
    download_ = new QPushButton(tr("&Download"));
    download_->setEnabled(false);
    cancel_button_ = new QPushButton(tr("Close"));
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(download_);
    buttons->addWidget(cancel_button_);
    layout->addLayout(buttons);
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    find_->setDefault(true);
    resize(1000, 640);

    // The map picture of the installation, if it has one.
    const std::string world = resolvePath("WORLD.SAV");
    if (fileExists(world)) worldMap_ = QImage(qs(world), "BMP");

    const auto chooseCentre = [this](int index) {
        const QString url = centre_->itemData(index).toString();
        if (!url.isEmpty()) url_->setText(url);
        url_->setFocus();
    };
    connect(centre_, &QComboBox::activated, this, chooseCentre);
    // A typed address names the preset it matches, else "Other".
    connect(url_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const QString url = QString::fromStdString(normalizeBaseUrl(typed.trimmed().toStdString()));
        int match = centre_->count() - 1;
        for (int i = 0; i + 1 < centre_->count(); ++i)
            if (!url.isEmpty()
                && QString::fromStdString(
                       normalizeBaseUrl(centre_->itemData(i).toString().toStdString()))
                       == url)
                match = i;
        centre_->setCurrentIndex(match);
    });
    if (!base_.baseUrl.empty()) {
        url_->setText(qs(base_.baseUrl));
        centre_->setCurrentIndex(centre_->count() - 1);
    } else {
        chooseCentre(0);
    }
    connect(find_, &QPushButton::clicked, this, &DownloadDialog::findEvents);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous) chooseEvent(row);
            });
    connect(download_, &QPushButton::clicked, this, &DownloadDialog::startDownload);
    connect(cancel_button_, &QPushButton::clicked, this, &DownloadDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { openHelp(this, kDownloadHelpTopic); });
    drawMap();
}

DownloadDialog::~DownloadDialog() {
    cancel_ = true;
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

FdsnServer DownloadDialog::server() const {
    FdsnServer s = base_;
    s.baseUrl = normalizeBaseUrl(url_->text().trimmed().toStdString());
    // A preset whose events come from another service keeps it.
    s.eventUrl.clear();
    for (const FdsnCentre& c : fdsnCentres())
        if (normalizeBaseUrl(c.baseUrl) == s.baseUrl) s.eventUrl = c.eventUrl;
    return s;
}

ImportProgress DownloadDialog::progressFunction() {
    return [this](double f, const std::string& s) {
        QMetaObject::invokeMethod(
            this, [this, f, s] { progress(f, s); }, Qt::QueuedConnection);
    };
}

void DownloadDialog::progress(double fraction, const std::string& step) {
    progress_->setValue(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * 1000)));
    step_->setText(qs(step));
}

void DownloadDialog::setBusy(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             centre_, url_, days_, minMagnitude_, networks_, maxStations_, replace_, table_, find_})
        w->setEnabled(!on);
    download_->setEnabled(!on && chosen_ >= 0 && stationsToCome_ > 0);
    cancel_button_->setText(on ? tr("Cancel") : tr("Close"));
}

// The work runs on a thread of its own (with its own event loop for the
// network); its result comes back to this window through `done`.
void DownloadDialog::run(std::function<void()> work, std::function<void()> done) {
    if (worker_) return;
    cancel_ = false;
    onDone_ = std::move(done);
    worker_ = QThread::create(std::move(work));
    connect(worker_, &QThread::finished, this, &DownloadDialog::finishWork, Qt::QueuedConnection);
    setBusy(true);
    worker_->start();
}

void DownloadDialog::finishWork() {
    if (!worker_) return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    auto done = std::move(onDone_);
    onDone_ = nullptr;
    setBusy(false);
    if (done) done();
    setBusy(false);
}

void DownloadDialog::waitForWorker() {
    while (worker_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void DownloadDialog::findEvents() {
    const FdsnServer s = server();
    if (s.baseUrl.empty()) {
        message_(this, tr("\"%1\" is not the address of a data centre. Type it like "
                          "https://service.example.org.")
                           .arg(url_->text()));
        return;
    }
    bool daysOk = false, magOk = false;
    const double days = days_->text().toDouble(&daysOk);
    const double minMag = minMagnitude_->text().toDouble(&magOk);
    if (!daysOk || days < 1 || days > 3650 || !magOk || minMag < 0 || minMag > 10) {
        message_(this, tr("Give the days as a number from 1 to 3650 and the smallest magnitude "
                          "from 0 to 10."));
        return;
    }
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    auto result = std::make_shared<FdsnEvents>();
    step_->setText(tr("Asking %1 for its earthquakes...").arg(qs(s.baseUrl)));
    run(
        [s, now, days, minMag, result, report = progressFunction(), this] {
            *result = fdsnSearchEvents(s, now - days * 86400, now, minMag, report, &cancel_);
        },
        [this, result] {
            events_ = result->events;
            chosen_ = -1;
            stationsToCome_ = -1;
            showEvents();
            progress_->setValue(0);
            if (result->cancelled)
                step_->setText(tr("Cancelled."));
            else if (!result->error.empty()) {
                qCWarning(lcNetwork) << "earthquake search failed:" << result->error.c_str();
                step_->setText(tr("The data centre did not answer: %1").arg(qs(result->error)));
            } else
                step_->setText(
                    events_.empty()
                        ? tr("No earthquake matches. Try more days or a smaller magnitude.")
                        : tr("%1 earthquakes. Choose one.").arg(events_.size()));
        });
}

void DownloadDialog::showEvents() {
    table_->blockSignals(true);
    table_->setRowCount(0);
    for (const EventInfo& e : events_) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        const auto cells = eventRowTexts(e);
        for (int c = 0; c < 4; ++c)
            table_->setItem(row, c, new QTableWidgetItem(cells[std::size_t(c)]));
    }
    table_->resizeColumnsToContents();
    table_->blockSignals(false);
    stations_->clear();
    drawMap();
}

void DownloadDialog::drawMap() {
    QPixmap pixmap(kMapWidth, kMapHeight);
    pixmap.fill(QColor(20, 40, 90));
    QPainter p(&pixmap);
    Rect rect{0, 0, kMapWidth, kMapHeight};
    MapProjection projection;
    projection.leftLongitude = kMapLeftLongitude;
    projection.fitMap(360, kMapSouth, kMapNorth, rect);
    const QRect area(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (!worldMap_.isNull()) p.drawImage(area, worldMap_);
    p.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const EventInfo& e = events_[i];
        if (!e.latitude || !e.longitude) continue;
        int32_t x = 0, y = 0;
        projection.mapPoint(*e.latitude, *e.longitude, x, y);
        const bool chosen = int(i) == chosen_;
        const double r = chosen ? 6 : 2 + std::clamp(e.magnitude.value_or(6) - 5.5, 0.0, 3.0);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(chosen ? QColor(255, 0, 255) : QColor(255, 220, 0));
        p.drawEllipse(QPointF(area.left() + x, area.top() + y), r, r);
    }
    p.end();
    map_->setPixmap(pixmap);
}

void DownloadDialog::chooseEvent(int row) {
    if (busy() || row < 0 || row >= int(events_.size())) return;
    chosen_ = row;
    stationsToCome_ = -1;
    drawMap();
    const EventInfo e = events_[std::size_t(row)];
    if (!e.originTime || !e.latitude || !e.longitude) {
        stations_->setText(tr("The data centre gives no time or epicentre for this earthquake."));
        return;
    }
    const FdsnServer s = server();
    const std::string networks = networks_->text().trimmed().toStdString();
    const std::size_t most = std::clamp(maxStations_->text().toInt(), 1, 200);
    const std::string installation = installation_;
    auto count = std::make_shared<int>(-1);
    auto error = std::make_shared<std::string>();
    stations_->setText(tr("Counting the stations that recorded it..."));
    run(
        [s, e, networks, most, installation, count, error, report = progressFunction(), this] {
            const FdsnStations st = fdsnFetchStations(s, *e.originTime, 3600, networks, "BH?,HH?",
                                                      report, &cancel_);
            *error = st.cancelled ? std::string("cancelled") : st.error;
            if (error->empty())
                *count = int(chooseStations(st.channels, *e.latitude, *e.longitude, most,
                                            installedStationCodes(installation))
                                 .size());
        },
        [this, count, error] {
            stationsToCome_ = *count;
            progress_->setValue(0);
            if (!error->empty())
                stations_->setText(tr("The stations could not be listed: %1").arg(qs(*error)));
            else if (*count == 0)
                stations_->setText(
                    tr("No station of %1 recorded this earthquake.").arg(networks_->text()));
            else
                stations_->setText(
                    tr("%1 stations will come, spread over distance and direction.").arg(*count));
            step_->setText(*count > 0 ? tr("Download brings the earthquake into the exhibit.")
                                      : QString());
        });
}

void DownloadDialog::startDownload() {
    if (busy() || chosen_ < 0 || stationsToCome_ <= 0) return;
    FdsnDownloadRequest r;
    r.server = server();
    r.centreName = centre_->currentData().toString().isEmpty()
                       ? std::string()
                       : centre_->currentText().toStdString();
    r.eventId = events_[std::size_t(chosen_)].eventId;
    r.networks = networks_->text().trimmed().toStdString();
    r.maxStations = std::size_t(std::clamp(maxStations_->text().toInt(), 1, 200));
    r.installation = installation_;
    r.replace = replace_->isChecked();
    auto result = std::make_shared<FdsnDownloadReport>();
    run([r, result, report = progressFunction(),
         this] { *result = downloadEarthquake(r, report, &cancel_); },
        [this, result] {
            if (result->ok()) {
                qCInfo(lcImport).noquote()
                    << QStringLiteral("download: created %1 (%2 stations gave no recording)")
                           .arg(qs(result->import.createdEvent))
                           .arg(result->noData.size() + result->failures.size());
                createdEvent_ = result->import.createdEvent;
                if (!result->noData.empty() || !result->failures.empty())
                    message_(this, tr("%1 stations gave no recording; the others were imported.")
                                       .arg(result->noData.size() + result->failures.size()));
                accept();
                return;
            }
            progress_->setValue(0);
            if (result->import.cancelled) {
                qCInfo(lcImport) << "download cancelled";
                step_->setText(tr("Cancelled; the exhibit is as it was."));
                return;
            }
            QString why = qs(result->import.error);
            if (!why.isEmpty()) why[0] = why[0].toUpper();
            why.replace(QStringLiteral("give --replace to replace it"),
                        QStringLiteral("tick Replace to replace it"));
            qCWarning(lcImport) << "download failed:" << result->import.error.c_str();
            step_->setText(why);
            message_(this, tr("Nothing was downloaded into the exhibit. %1").arg(why));
        });
}

void DownloadDialog::reject() {
    if (busy()) {
        cancelWork();
        step_->setText(tr("Cancelling..."));
        return;
    }
    QDialog::reject();
}
