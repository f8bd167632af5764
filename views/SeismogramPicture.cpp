#include "views/SeismogramPicture.h"

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "sound/Sound.h"
#include "views/DrawText.h"
#include "views/ViewGeometry.h"
#include "views/ViewPane.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const QColor kLightRed(255, 0, 0);
const QColor kLightCyan(0, 255, 255);

// Shorter sample intervals than this are refused: stepping through them
// would take unbounded time.
constexpr float kSmallestInterval = 0.001f;

// A horizontal position in pixels. Far from the window start (a huge time,
// a narrow time window on a wide pane) the product would not fit an int;
// such positions only need to lie far outside the pane.
int pixelAt(double x) {
    if (!(x > -1.0e9)) return -1000000000;
    if (x > 1.0e9) return 1000000000;
    return static_cast<int>(x);
}

// Collects a trace's polyline, keeping of each pixel column only its first,
// lowest, highest and last point: the same pixels as every point, far fewer
// segments when many samples share a column.
class ColumnPolyline {
public:
    explicit ColumnPolyline(std::vector<QPoint>& out) : out_(out) { out_.clear(); }
    void add(QPoint p) {
        if (open_ && p.x() == x_) {
            minY_ = std::min(minY_, p.y());
            maxY_ = std::max(maxY_, p.y());
            last_ = p.y();
            ++inColumn_;
            return;
        }
        flush();
        open_ = true;
        x_ = p.x();
        first_ = minY_ = maxY_ = last_ = p.y();
        inColumn_ = 1;
    }
    void flush() {
        if (!open_) return;
        out_.emplace_back(x_, first_);
        if (inColumn_ > 1) {
            if (minY_ != first_) out_.emplace_back(x_, minY_);
            if (maxY_ != minY_) out_.emplace_back(x_, maxY_);
            out_.emplace_back(x_, last_);
        }
        open_ = false;
    }

private:
    std::vector<QPoint>& out_;
    bool open_ = false;
    int x_ = 0, first_ = 0, minY_ = 0, maxY_ = 0, last_ = 0, inColumn_ = 0;
};

const char* const kPhaseLabels[4] = {"P", "S", "PP", "SS"};
const QColor kPhaseColours[4] = {kLightRed, kLightCyan, kLightRed, kLightCyan};

// The first step j in [lo, hi] at which `reached` holds, for a condition
// that stays true once it holds; hi when it does not hold before.
template <class Reached>
long long firstStep(long long lo, long long hi, Reached reached) {
    while (lo < hi) {
        const long long mid = lo + (hi - lo) / 2;
        if (reached(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

QRect boundsOf(const std::vector<QPoint>& pts) {
    if (pts.empty()) return QRect();
    int minX = pts[0].x(), maxX = minX, minY = pts[0].y(), maxY = minY;
    for (const QPoint& q : pts) {
        minX = std::min(minX, q.x());
        maxX = std::max(maxX, q.x());
        minY = std::min(minY, q.y());
        maxY = std::max(maxY, q.y());
    }
    return QRect(QPoint(minX - 1, minY - 1), QPoint(maxX + 1, maxY + 1));
}
}   // namespace

SeismogramPicture::~SeismogramPicture() {
    // An earthquake sound of these traces stops with them.
    context_.sound.closeWave();
}

SeismogramPicture::SeismogramPicture(RunState& run, const ViewContext& context)
    : run_(run), context_(context) {
    labelFont_ = QFont(QStringLiteral("MS Sans Serif"));
    labelFont_.setPixelSize(8);
    labelFont_.setWeight(QFont::Normal);
    setSize(QSize(0, 0));
}

void SeismogramPicture::setSize(QSize size) {
    if (!image_.isNull() && size == size_) return;
    size_ = size;
    image_ = QImage(std::max(size.width(), 1), std::max(size.height(), 1), QImage::Format_RGB32);
    image_.fill(Qt::white);
}

int SeismogramPicture::timeWindow() const { return usableTimeWindow(run_.timeWindow); }

int SeismogramPicture::baselineOf(int i) const {
    return i >= 0 && i < traceCount() ? traces_[static_cast<std::size_t>(i)].baseline : 0;
}

bool SeismogramPicture::reset(float t) {
    image_.fill(Qt::white);
    tw_ = timeWindow();
    sx_ = static_cast<float>(size_.width()) / static_cast<float>(tw_);
    ws_ = windowStart(t, tw_);
    tl_ = 0;
    dirty_ = QRect();

    traces_.clear();
    const int n = std::min<int>(std::max<int>(run_.seismogramCount, 0),
                                static_cast<int>(run_.seismograms.size()));
    const int h = size_.height();
    for (int i = 0; i < n; ++i) {
        KSAC* k = run_.seismograms[static_cast<std::size_t>(i)].get();
        if (!k) continue;
        Trace tr;
        tr.k = k;
        const float dt = k->header.f[DELTA];
        tr.dt = std::isfinite(dt) && dt >= kSmallestInterval ? dt : 0;
        tr.npts = std::min<int>(std::max(k->npts(), 0), static_cast<int>(k->samples.size()));
        prepareTrace(k->samples, k->header.f[DEPMIN], k->header.f[DEPMAX], n, h, k->traceBuffer,
                     k->soundBuffer);
        tr.baseline = traceBaseline(i, n, h);
        k->baseline = tr.baseline;
        k->lastDrawn = 0;
        tr.last = QPoint(0, tr.baseline);
        traces_.push_back(tr);
    }
    // The picture is blank now: whatever it showed before (the last event
    // on this layout) is gone, so the next tick draws the frame, the axis
    // and the descriptions again before any trace.
    fullRedrawPending_ = true;
    return !traces_.empty();
}

void SeismogramPicture::drawAxis(QPainter& p, float a, float b) {
    const int w = size_.width(), h = size_.height();
    p.setPen(Qt::black);
    for (const AxisMark& m : axisMarks(a, b, ws_, sx_, w, tw_)) {
        p.drawLine(m.x, h, m.x, h - 4);
        if (m.labelled)
            drawText(p, m.labelX, h - 4, QString::number(m.minute), m.alignment, Qt::black);
    }
    drawText(p, w / 2, h - 4 - context_.cell.height(),
             QStringLiteral("Time since Earthquake (minutes)"), align::CentreBottom, Qt::black);
}

void SeismogramPicture::arrivalMark(QPainter& p, int x, const Trace& trace, const char* label,
                                    const QColor& colour, bool withSound) {
    if (withSound) context_.sound.playArrivalSound(context_.settings, *trace.k);
    const int yb = trace.baseline;
    dirty_ |= drawShadowText(p, x - 4, yb, QString::fromLatin1(label), align::RightTop, colour,
                             false, context_.cell);
    const int hh = size_.height() / (2 * static_cast<int>(traces_.size()) + 2);
    p.setPen(colour);
    p.drawLine(x, yb - hh, x, yb + hh);
    p.setPen(Qt::black);
    p.drawLine(x + 1, yb - hh + 1, x + 1, yb + hh + 1);
    dirty_ |= QRect(x - 1, yb - hh - 1, 4, 2 * hh + 4);
}

void SeismogramPicture::arrivalCheck(QPainter& p, int x, int second, const Trace& trace,
                                     bool withSound) {
    const auto& at = trace.k->arrivalTimes;   // P, S, PP, SS
    if (at[0] != 0 && at[0] == second) arrivalMark(p, x, trace, "P", kLightRed, withSound);
    if (at[1] != 0 && at[1] == second) arrivalMark(p, x, trace, "S", kLightCyan, withSound);
    if (at[2] != 0 && at[2] == second) arrivalMark(p, x, trace, "PP", kLightRed, withSound);
    if (at[3] != 0 && at[3] == second) arrivalMark(p, x, trace, "SS", kLightCyan, withSound);
}

void SeismogramPicture::drawTrace() {
    // One-pixel black lines set straight into the picture: a full redraw
    // draws thousands of short steep segments, which the painter's general
    // line drawing makes slow.
    const QRgb black = qRgb(0, 0, 0);
    const QRect clip = image_.rect();
    for (std::size_t i = 1; i < points_.size(); ++i)
        drawLinePixels(image_, points_[i - 1], points_[i], black, 1, clip);
}

void SeismogramPicture::fullRedraw(QPainter& p, float t) {
    const QRect client = rect();
    p.fillRect(client, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(client.adjusted(0, 0, -1, -1));
    p.setFont(font_);
    drawAxis(p, ws_, ws_ + static_cast<float>(tw_));
    const bool labelling = context_.settings.labelPhasesOnSeismogram;

    // The traces' descriptions and the marks redrawn with them are written
    // in the small font; the marks of later ticks in the view's own.
    p.setFont(labelFont_);
    for (Trace& tr : traces_) {
        const KSAC& k = *tr.k;
        if (ws_ == 0)
            drawText(p, 3, tr.baseline, QString::fromStdString(k.description), align::LeftBottom,
                     Qt::black);
        if (!(ws_ < k.endTime && t >= ws_) || tr.dt == 0) continue;
        // The steps tau = ws + j dt before t: which of them fall on the
        // trace's samples and which on an arrival second are found by
        // search, so that only those are visited.
        const double dt = tr.dt, ws = ws_, tb = k.startTime, te = k.endTime;
        auto tauAt = [&](long long j) { return ws + static_cast<double>(j) * dt; };
        const long long upper = static_cast<long long>(
                                    std::ceil((static_cast<double>(t) - ws) / dt))
                                + 2;
        const long long steps = firstStep(0, upper, [&](long long j) { return !(tauAt(j) < t); });
        const long long from = firstStep(0, steps, [&](long long j) { return tauAt(j) >= tb; });
        long long to = firstStep(from, steps, [&](long long j) {
            const double tau = tauAt(j);
            return !(tau < te) || !((tau - tb) / dt < tr.npts);
        });
        // A point list longer than its capacity ends the trace with a beep
        // (rounding aside, a trace of the window's length never gets there).
        const long long m = static_cast<long long>((t - ws_) / dt + 2);
        long long checked = steps;   // arrival checks for the steps before this
        if (to - from >= m) {
            to = from + m;
            checked = to - 1;
            context_.sound.backend().beep();
        }
        if (labelling) {
            marks_.clear();
            const auto& at = k.arrivalTimes;   // P, S, PP, SS
            for (int phase = 0; phase < 4; ++phase) {
                const int second = at[static_cast<std::size_t>(phase)];
                if (second == 0) continue;
                const long long first = firstStep(0, checked,
                                                  [&](long long j) { return tauAt(j) >= second; });
                const long long last = firstStep(first, checked, [&](long long j) {
                    return tauAt(j) >= static_cast<double>(second) + 1;
                });
                for (long long j = first; j < last; ++j) marks_.push_back({j, phase});
            }
            // In the order the steps meet them: by step, then P, S, PP, SS.
            std::sort(marks_.begin(), marks_.end());
            for (const auto& [j, phase] : marks_)
                arrivalMark(p, pixelAt((tauAt(j) - ws) * sx_), tr, kPhaseLabels[phase],
                            kPhaseColours[phase], false);
        }
        ColumnPolyline line(points_);
        QPoint lastPoint = tr.last;
        for (long long j = from; j < to; ++j) {
            const double tau = tauAt(j);
            const auto idx = static_cast<std::size_t>((tau - tb) / dt);
            lastPoint = QPoint(pixelAt((tau - ws) * sx_), tr.baseline + k.traceBuffer[idx]);
            line.add(lastPoint);
        }
        const bool any = to > from;
        line.flush();
        drawTrace();
        if (any) tr.last = lastPoint;
        tr.continuing = any;
    }
    p.setFont(font_);
    dirty_ = client;
}

QRect SeismogramPicture::tick(float t) {
    if (t <= 0 || t == tl_ || !std::isfinite(t)) return QRect();
    QPainter p(&image_);
    p.setFont(font_);
    if (fullRedrawPending_) {
        fullRedraw(p, t);
        fullRedrawPending_ = false;
        tl_ = t;
    }
    const int w = size_.width();
    const int xt = pixelAt((t - ws_) * sx_);
    const bool labelling = context_.settings.labelPhasesOnSeismogram;

    if (t > tl_) {
        for (Trace& tr : traces_) {
            const KSAC& k = *tr.k;
            // A trace that ended since the last tick still gets its last piece.
            if (!(k.endTime > tl_) || tr.dt == 0) continue;
            const double dt = tr.dt;
            const long long m = static_cast<long long>((t - tl_) / dt + 2.5);
            long long count = 0;
            ColumnPolyline line(points_);
            if (tr.continuing) {
                line.add(tr.last);
                count = 1;
            }
            QPoint lastPoint = tr.last;
            bool any = false;
            for (long long j = 0; count < m; ++j) {
                const double tau = tl_ + j * dt;
                if (!(tau < t) || !(tau < k.endTime)) break;
                const int px = pixelAt((tau - ws_) * sx_);
                const double rel = (tau - k.startTime) / dt;
                if (tau >= k.startTime && rel < tr.npts) {
                    tr.continuing = true;
                    lastPoint = QPoint(px,
                                       tr.baseline + k.traceBuffer[static_cast<std::size_t>(rel)]);
                    line.add(lastPoint);
                    any = true;
                    ++count;
                } else {
                    tr.continuing = false;
                }
                if (labelling) arrivalCheck(p, px, static_cast<int>(std::floor(tau)), tr, true);
            }
            line.flush();
            if (count <= m && points_.size() >= 2) {
                drawTrace();
                dirty_ |= boundsOf(points_);
            }
            if (any) tr.last = lastPoint;
        }
    } else if (t < tl_ && t > ws_) {
        // Time runs backwards: wipe what lies beyond t.
        const int x1 = xt;
        const int x2 = pixelAt((tl_ - ws_) * sx_ + 2);
        if (0 < x1 && x1 < x2 && x2 < w) {
            const QRect wipe(x1, 1, x2 - x1, size_.height() - 2);
            p.fillRect(wipe, Qt::white);
            for (Trace& tr : traces_) tr.last.setX(x1);
            drawAxis(p, t, tl_ + 120);
            dirty_ |= wipe;
            dirty_ |= QRect(0, size_.height() - 8 - 2 * context_.cell.height(), w,
                            8 + 2 * context_.cell.height());
        }
    }

    if (xt > w || xt < 0 || t < ws_) {
        ws_ = jumpedWindowStart(ws_, t, tw_, sx_, w);
        fullRedraw(p, t);
    }
    tl_ = t;
    const QRect changed = dirty_ & rect();
    dirty_ = QRect();
    return changed;
}
