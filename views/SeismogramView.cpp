#include "views/SeismogramView.h"

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "dialogs/Buttons.h"
#include "views/ViewPane.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

SeismogramView::SeismogramView(QWidget* parent, RunState& run) : QWidget(parent), run_(run) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

bool SeismogramView::reset(float) {
    placeInfoButton();
    // Scales, baselines and the time axis of the traces: set by the
    // seismogram drawing (next step of the views). Until then the traces'
    // baselines are spread evenly, as the station names expect.
    const int n = run_.seismogramCount;
    for (int i = 0; i < n && i < static_cast<int>(run_.seismograms.size()); ++i)
        if (run_.seismograms[static_cast<std::size_t>(i)])
            run_.seismograms[static_cast<std::size_t>(i)]->baseline = (i + 1) * height() / (n + 1);
    fullRedrawPending_ = false;
    update();
    return n > 0;
}

void SeismogramView::tick(float) {
    // Traces up to time t, arrival marks and arrival sounds: drawn by the
    // seismogram drawing (next step of the views).
    fullRedrawPending_ = false;
}

void SeismogramView::invalidateView() {
    fullRedrawPending_ = true;
    update();
}

void SeismogramView::placeInfoButton() {
    if (info_) return;
    const QFontMetrics fm(font());
    const QRect r = infoButtonRect(rect(), fm.averageCharWidth(), fm.height(),
                                   theSettings().buttonHeight);
    info_ = new FaceButton(this, kInfoButtonCommand, QStringLiteral("Info"), r.x(), r.y(),
                           r.width(), r.height());
    connect(info_, &FaceButton::command, this, [](int) { sendMainCommand(kInfoCommand); });
    info_->show();
}

void SeismogramView::paintEvent(QPaintEvent*) {
    // The platform clears the view to white; the next tick redraws it.
    fullRedrawPending_ = true;
}

void SeismogramView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && theSettings().rightButtonRestart)
        sendMainCommand(kMapCommand);
}
