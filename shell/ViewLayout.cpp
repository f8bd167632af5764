#include "shell/ViewLayout.h"

#include "data/RunSetup.h"
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "views/CrossSectionView.h"
#include "views/GlobeView.h"
#include "views/SeismogramView.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QSlider>

namespace {

const QColor kGrey(128, 128, 128);
const QColor kLightGrey(192, 192, 192);

QRect toQRect(const PaneRect& r) { return QRect(r.x, r.y, r.width, r.height); }

void place(QWidget* w, const PaneRect& r) {
    if (w) w->setGeometry(toQRect(r));
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::Button, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

}   // namespace

// ---------------------------------------------------------------- filler

FillerPane::FillerPane(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setBackground(this, kGrey);
}

void FillerPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kGrey);
    drawBevelFrame(p, rect(), std::nullopt, 0);
}

// ---------------------------------------------------------------- station names

StationNameColumn::StationNameColumn(QWidget* parent, const RunState& run, CharacterCell cell)
    : QWidget(parent), run_(run), cell_(cell) {
    setBackground(this, kLightGrey);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(8);
    f.setWeight(QFont::Normal);
    setFont(f);
}

int StationNameColumn::neededWidth() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (const auto& k : run_.seismograms)
        if (k) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(k->label)));
    return std::max(38, widest + cell_.width + 3);
}

void StationNameColumn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawBevelFrame(p, rect(), kLightGrey, 0);
    p.setPen(Qt::black);
    p.setFont(font());
    const QFontMetrics fm(font());
    const int right = width() - cell_.width;
    for (const auto& k : run_.seismograms) {
        if (!k) continue;
        const QString label = QString::fromStdString(k->label);
        p.drawText(right - fm.horizontalAdvance(label), k->baseline, label);
    }
}

// ---------------------------------------------------------------- button bar

ButtonBar::ButtonBar(QWidget* parent, const Settings& settings, const PaneGeometry& geometry,
                     float timeAcceleration, std::function<void(Command)> onCommand,
                     std::function<void(Command)> mainCommand)
    : QWidget(parent), settings_(settings), geometry_(geometry), onCommand_(std::move(onCommand)) {
    setBackground(this, kLightGrey);
    for (const BarButton& b : barButtons(settings, geometry.cell)) {
        auto* button = new FaceButton(this, b.command, QString::fromStdString(b.label), b.rect.x,
                                      b.rect.y, b.rect.width, b.rect.height,
                                      settings.rightButtonRestart);
        connect(button, &FaceButton::command, this, [this](Command id) {
            if (onCommand_) onCommand_(id);
        });
        connect(button, &FaceButton::restartRequested, this, [mainCommand] {
            if (mainCommand) mainCommand(Command::Map);
        });
        buttons_.push_back(button);
        buttonsBottom_ = b.rect.bottom();
    }
    speed_.setUp(timeAcceleration);
    if (settings.slider) {
        slider_ = new QSlider(Qt::Vertical, this);
        slider_->setObjectName(QStringLiteral("1032"));
        slider_->setRange(kSliderMinimum, kSliderMaximum);
        slider_->setInvertedAppearance(true);   // position 0, speed 100, at the top
        slider_->setTickPosition(QSlider::TicksBothSides);
        slider_->setTickInterval(20);
        slider_->setSingleStep(1);
        slider_->setPageStep(20);
        slider_->setValue(speed_.position);
        setBackground(slider_, kLightGrey);
    }
    placeLowerPart();
}

FaceButton* ButtonBar::button(Command command) const {
    for (FaceButton* b : buttons_)
        if (b->commandId() == command) return b;
    return nullptr;
}

void ButtonBar::setPauseLabel(bool paused) {
    if (FaceButton* b = button(Command::Pause)) {
        b->setLabel(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        b->update();
    }
}

void ButtonBar::placeLowerPart() {
    sliderRect_ = sliderRect(geometry_, buttonsBottom_, height());
    const QFontMetrics fm(font());
    const int boxWidth = fm.horizontalAdvance(QStringLiteral(" 0:00 "));
    minutesBox_ = minutesBoxRect(width(), sliderRect_.y, geometry_.cell, boxWidth, fm.height());
    if (slider_) slider_->setGeometry(toQRect(sliderRect_));
}

void ButtonBar::resizeEvent(QResizeEvent*) { placeLowerPart(); }

void ButtonBar::showTime(float t) {
    std::string text = minutesText(t);
    if (text == minutes_) return;
    minutes_ = std::move(text);
    update(toQRect(minutesBox_));
}

void ButtonBar::readSpeed(float& timeAcceleration) {
    if (!slider_) return;
    speed_.position = slider_->value();
    speed_.readSpeed(timeAcceleration);
    if (slider_->value() != speed_.position) slider_->setValue(speed_.position);
}

void ButtonBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    // Background with its light and dark bands.
    p.fillRect(rect(), kLightGrey);
    p.fillRect(QRect(0, 0, w, 2), kLightGrey);
    p.fillRect(QRect(0, 0, 2, h), kLightGrey);
    p.fillRect(QRect(1, h - 2, w - 1, 2), kGrey);
    p.fillRect(QRect(w - 2, 1, 2, h - 3), kGrey);

    drawBevelFrame(p, rect(), std::nullopt, 0);
    const QRect box = toQRect(minutesBox_);
    drawSunkenSurround(p, box);

    const QFontMetrics fm(font());
    p.setPen(Qt::black);
    const QString minutesLabel = QStringLiteral("Minutes");
    p.drawText(w / 2 - fm.horizontalAdvance(minutesLabel) / 2, box.y() - 4 - fm.descent(),
               minutesLabel);
    p.fillRect(box, Qt::white);

    if (slider_) {
        const QString speed = QStringLiteral("SPEED");
        p.drawText(w / 2 - fm.horizontalAdvance(speed) / 2,
                   sliderRect_.y - geometry_.cell.height - fm.descent(), speed);
        const int right = w - geometry_.cell.width;
        for (const ScaleMark& mark : speedScale(sliderRect_)) {
            const QString label = QString::asprintf("%4d", mark.value);
            p.drawText(right - fm.horizontalAdvance(label), mark.baseline, label);
        }
    }
    // The elapsed minutes, right-aligned in the box, on white.
    const QString minutes = QString::fromStdString(minutes_);
    p.drawText(box.right() + 1 - fm.horizontalAdvance(minutes), box.y() + fm.ascent(), minutes);
}

void ButtonBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && settings_.rightButtonRestart && onCommand_)
        onCommand_(Command::RightClickWorldMenu);
}

// ---------------------------------------------------------------- layout

ViewLayout::ViewLayout(QWidget* parent, ViewMode mode, const PaneGeometry& geometry,
                       const Settings& settings, Sound& sound, RunState& run,
                       std::function<bool()> eventShown, std::function<void(Command)> barCommand,
                       std::function<void(Command)> mainCommand)
    : QWidget(parent), mode_(mode), geometry_(geometry) {
    setWindowTitle(QStringLiteral("Orvanta"));
    geometry_.wideLayout = settings.wideLayout;
    const ViewContext context{settings, sound, QSize(geometry.cell.width, geometry.cell.height),
                              std::move(eventShown), std::move(mainCommand)};
    if (mode != ViewMode::CrossSection) globe_ = new GlobeView(this, run, context);
    if (mode != ViewMode::Globe3D) crossSection_ = new CrossSectionView(this, run, context);
    if (mode == ViewMode::All) {
        seismograms_ = new SeismogramView(this, run, context);
        stationNames_ = new StationNameColumn(this, run, geometry.cell);
        // The wide arrangement fills the sides of the two squares; on a
        // layout no wider than 4:3 the fillers get no room.
        if (settings.wideLayout) {
            fillerA_ = new FillerPane(this);
            fillerB_ = new FillerPane(this);
        }
    } else {
        fillerA_ = new FillerPane(this);
        fillerB_ = new FillerPane(this);
    }
    bar_ = new ButtonBar(this, settings, geometry, run.timeAcceleration, std::move(barCommand),
                         context.mainCommand);
    if (globe_) views_.push_back(globe_);
    if (crossSection_) views_.push_back(crossSection_);
    if (seismograms_) views_.push_back(seismograms_);
    if (parent) setGeometry(parent->rect());
    arrange();
}

void ViewLayout::arrange() {
    PaneGeometry g = paneGeometry(geometry_.cell, width());
    g.wideLayout = geometry_.wideLayout;
    if (stationNames_) g.stationColumnWidth = stationNames_->neededWidth();
    const LayoutRects r = arrangePanes(mode_, g, width(), height());
    place(bar_, r.bar);
    place(globe_, r.globe);
    place(crossSection_, r.crossSection);
    place(stationNames_, r.stationNames);
    place(seismograms_, r.seismograms);
    place(fillerA_, r.fillerA);
    place(fillerB_, r.fillerB);
}

void ViewLayout::resizeEvent(QResizeEvent*) { arrange(); }
