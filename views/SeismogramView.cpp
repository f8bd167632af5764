#include "views/SeismogramView.h"

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "views/ViewPane.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

SeismogramView::~SeismogramView() = default;

SeismogramView::SeismogramView(QWidget* parent, RunState& run, const ViewContext& context)
    : QWidget(parent), run_(run), context_(context), picture_(run, context) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_.setSize(size());
}

bool SeismogramView::reset(float t) {
    picture_.setSize(size());
    picture_.setFont(font());
    shownWindow_ = run_.timeWindow;
    const bool any = picture_.reset(t);
    placeInfoButton();
    update();
    return any;
}

void SeismogramView::tick(float t) {
    if (run_.timeWindow != shownWindow_) {
        reset(t);
        invalidateView();
        return;
    }
    const QRect changed = picture_.tick(t);
    if (!changed.isEmpty()) update(changed);
}

void SeismogramView::invalidateView() {
    picture_.invalidate();
    update();
}

void SeismogramView::placeInfoButton() {
    const QFontMetrics fm(font());
    const QRect r = infoButtonRect(rect(), fm.averageCharWidth(), fm.height(),
                                   context_.settings.buttonHeight);
    if (info_) {
        if (info_->faceRect() != r) info_->setFaceGeometry(r.x(), r.y(), r.width(), r.height());
        return;
    }
    info_ = new FaceButton(this, Command::InfoButton, QStringLiteral("Info"), r.x(), r.y(),
                           r.width(), r.height());
    connect(info_, &FaceButton::command, this,
            [this] { context_.sendToMain(Command::SeismogramInfo); });
    info_->show();
}

void SeismogramView::paintEvent(QPaintEvent* event) {
    // The picture keeps everything drawn, so an exposed area is simply shown again.
    QPainter p(this);
    p.drawImage(event->rect(), picture_.image(), event->rect());
}

void SeismogramView::resizeEvent(QResizeEvent*) {
    if (picture_.size() == size()) return;
    const float shownTime = picture_.lastDrawnTime();
    const bool running = context_.eventShownNow() && picture_.traceCount() > 0;
    picture_.setSize(size());
    if (info_) placeInfoButton();   // the button keeps its corner
    if (!running) return;
    // Fit the traces to the new size and draw again what was shown.
    reset(shownTime);
    if (shownTime > 0) tick(shownTime);
}

void SeismogramView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && context_.settings.rightButtonRestart)
        context_.sendToMain(Command::Map);
}
