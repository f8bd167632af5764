#include "RayTracer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;

double interpolate(double d, const ModelNode& a, const ModelNode& b, bool s) {
    double va = s ? a.vs : a.vp, vb = s ? b.vs : b.vp;
    if (b.depth <= a.depth) return va;
    return va + (vb - va) * (d - a.depth) / (b.depth - a.depth);
}

// Angle and time functions of the power-law shell: the distance between two
// points of a ray is |f(eta2) - f(eta1)| / |k|, the time |g(eta2) - g(eta1)| / |k|.
inline double gFn(double eta, double p) {
    double q = (eta - p) * (eta + p);
    return q > 0 ? std::sqrt(q) : 0.0;
}
inline double fFn(double eta, double p) { return std::atan2(gFn(eta, p), p); }

struct TraceState {
    double t = 0;
    double theta = 0;
    double minR = 0;
    RaySink* sink = nullptr;
    double stepKm = 25;
};

// Moves the ray inside one shell from eta `ea` (at radius ra) to eta `eb`
// (at radius rb); one of the two is a shell boundary or the turning point.
void piece(const Shell& s, Wave w, double p, double ea, double ra, double eb, double rb,
           TraceState& st) {
    double k = s.k[w];
    double ak = std::fabs(k);
    double fa = fFn(ea, p), ga = gFn(ea, p);
    double fb = fFn(eb, p), gb = gFn(eb, p);
    double dTheta = std::fabs(fb - fa) / ak;
    double dT = std::fabs(gb - ga) / ak;
    if (st.sink) {
        double arc = std::hypot(ra - rb, 0.5 * (ra + rb) * dTheta);
        int n = static_cast<int>(std::ceil(arc / st.stepKm));
        n = std::clamp(n, 1, 400);
        for (int i = 1; i < n; ++i) {
            double u = ga + (gb - ga) * i / n;
            double eta = std::sqrt(u * u + p * p);
            double r = s.rTop * std::pow(eta / s.etaTop[w], 1.0 / k);
            st.sink->sample(
                {st.t + std::fabs(u - ga) / ak, r, st.theta + std::fabs(fFn(eta, p) - fa) / ak, w});
        }
        st.sink->sample({st.t + dT, rb, st.theta + dTheta, w});
    }
    st.t += dT;
    st.theta += dTheta;
    st.minR = std::min(st.minR, std::min(ra, rb));
}

bool passable(const Shell& s, Wave w, double p) {
    return s.vTop[w] > 0 && s.vBot[w] > 0 && s.etaTop[w] >= p && s.etaBot[w] >= p;
}

bool goDown(const Shell& s, Wave w, double p, TraceState& st) {
    if (!passable(s, w, p)) return false;
    piece(s, w, p, s.etaTop[w], s.rTop, s.etaBot[w], s.rBot, st);
    return true;
}

bool goUp(const Shell& s, Wave w, double p, TraceState& st) {
    if (!passable(s, w, p)) return false;
    piece(s, w, p, s.etaBot[w], s.rBot, s.etaTop[w], s.rTop, st);
    return true;
}

}   // namespace

ShellModel::ShellModel(const EarthModel& model, const std::vector<double>& extraDepthsKm,
                       double maxThicknessKm)
    : radius_(model.radius) {
    if (model.empty()) return;
    maxThicknessKm = std::max(maxThicknessKm, 0.5);
    std::vector<double> extras = extraDepthsKm;
    std::sort(extras.begin(), extras.end());
    const auto& nodes = model.nodes;
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        const ModelNode& a = nodes[i];
        const ModelNode& b = nodes[i + 1];
        if (b.depth <= a.depth) continue;
        std::vector<double> cuts{a.depth};
        for (double e : extras)
            if (e > a.depth + 1e-9 && e < b.depth - 1e-9) cuts.push_back(e);
        cuts.push_back(b.depth);
        bool fluidS = a.vs <= 0 || b.vs <= 0;
        for (std::size_t c = 0; c + 1 < cuts.size(); ++c) {
            double d0 = cuts[c], d1 = cuts[c + 1];
            int n = std::max(1, static_cast<int>(std::ceil((d1 - d0) / maxThicknessKm)));
            for (int m = 0; m < n; ++m) {
                double top = d0 + (d1 - d0) * m / n;
                double bot = (m + 1 == n) ? d1 : d0 + (d1 - d0) * (m + 1) / n;
                Shell s;
                s.rTop = radius_ - top;
                s.rBot = std::max(0.0, radius_ - bot);
                for (int w = 0; w < 2; ++w) {
                    bool sw = (w == WaveS);
                    if (sw && fluidS) continue;
                    s.vTop[w] = interpolate(top, a, b, sw);
                    s.vBot[w] = interpolate(bot, a, b, sw);
                    if (s.vTop[w] <= 0 || s.vBot[w] <= 0) {
                        s.vTop[w] = s.vBot[w] = 0;
                        continue;
                    }
                    s.etaTop[w] = s.rTop / s.vTop[w];
                    if (s.rBot <= 0) {
                        // The centre: constant velocity, eta falls to 0.
                        s.k[w] = 1.0;
                        s.etaBot[w] = 0.0;
                        continue;
                    }
                    double b_ = std::log(s.vTop[w] / s.vBot[w]) / std::log(s.rTop / s.rBot);
                    double k = 1.0 - b_;
                    if (std::fabs(k) < 1e-6) k = k < 0 ? -1e-6 : 1e-6;
                    s.k[w] = k;
                    // Computed like the next shell's etaTop, so that a ray
                    // grazing a continuous boundary is not lost to rounding.
                    s.etaBot[w] = s.rBot / s.vBot[w];
                }
                shells_.push_back(s);
            }
        }
    }
    int n = static_cast<int>(shells_.size());
    for (int j = 0; j < n; ++j) {
        bool fluid = shells_[j].vTop[WaveS] <= 0;
        if (cmb_ < 0 && fluid && j > 0)
            cmb_ = j;
        else if (cmb_ >= 0 && !fluid) {
            icb_ = j;
            break;
        }
    }
}

int ShellModel::boundaryAt(double depthKm) const {
    double r = radius_ - depthKm;
    for (std::size_t j = 0; j < shells_.size(); ++j)
        if (std::fabs(shells_[j].rTop - r) < 1e-6) return static_cast<int>(j);
    return -1;
}

int ShellModel::floorBelow(int b) const {
    if (cmb_ >= 0 && b < cmb_) return cmb_;
    if (icb_ >= 0 && b < icb_) return icb_;
    return static_cast<int>(shells_.size());
}

double ShellModel::etaBelow(int b, Wave wave) const {
    if (b < 0 || b >= static_cast<int>(shells_.size())) return 0;
    return shells_[b].etaTop[wave];
}

std::vector<PhaseDef> crossSectionPhases(bool withDepthPhases) {
    const char* names[] = {"P", "PP", "PcP", "PKP", "PKIKP", "PKiKP", "ScP", "PcS",
                           "S", "SS", "ScS", "SKS", "SKKS",  "pP",    "sP"};
    std::vector<PhaseDef> out;
    for (const char* n : names) {
        if (!withDepthPhases && (n[0] == 'p' || n[0] == 's')) continue;
        out.push_back(phaseByName(n));
    }
    return out;
}

PhaseDef phaseByName(const std::string& name) {
    const Place src = AtSource, surf = AtSurface, cmb = AtCoreMantle, icb = AtInnerCore;
    PhaseDef d;
    d.name = name;
    d.takeoffWave = WaveP;
    if (name == "P" || name == "S") {
        Wave w = name == "P" ? WaveP : WaveS;
        d.takeoffWave = w;
        d.upLegs = {{w, src, surf, false}};
        d.downLegs = {{w, src, surf, true}};
    } else if (name == "PP" || name == "SS") {
        Wave w = name == "PP" ? WaveP : WaveS;
        d.takeoffWave = w;
        d.downLegs = {{w, src, surf, true}, {w, surf, surf, true}};
    } else if (name == "PcP" || name == "ScS" || name == "ScP" || name == "PcS") {
        Wave w1 = name[0] == 'P' ? WaveP : WaveS;
        Wave w2 = name[2] == 'P' ? WaveP : WaveS;
        d.takeoffWave = w1;
        d.downLegs = {{w1, src, cmb, false}, {w2, cmb, surf, false}};
    } else if (name == "PKP" || name == "SKS") {
        Wave w = name[0] == 'P' ? WaveP : WaveS;
        d.takeoffWave = w;
        d.downLegs = {{w, src, cmb, false}, {WaveP, cmb, cmb, true}, {w, cmb, surf, false}};
    } else if (name == "SKKS") {
        d.takeoffWave = WaveS;
        d.downLegs = {{WaveS, src, cmb, false},
                      {WaveP, cmb, cmb, true},
                      {WaveP, cmb, cmb, true},
                      {WaveS, cmb, surf, false}};
    } else if (name == "PKIKP") {
        d.downLegs = {{WaveP, src, cmb, false},
                      {WaveP, cmb, icb, false},
                      {WaveP, icb, icb, true},
                      {WaveP, icb, cmb, false},
                      {WaveP, cmb, surf, false}};
    } else if (name == "PKiKP") {
        d.downLegs = {{WaveP, src, cmb, false},
                      {WaveP, cmb, icb, false},
                      {WaveP, icb, cmb, false},
                      {WaveP, cmb, surf, false}};
    } else if (name == "pP" || name == "sP") {
        Wave w = name[0] == 'p' ? WaveP : WaveS;
        d.takeoffWave = w;
        d.upLegs = {{w, src, surf, false}, {WaveP, surf, surf, true}};
    } else {
        d.name.clear();
    }
    return d;
}

bool resolveLegs(const ShellModel& shells, const std::vector<LegDef>& defs, int sourceBoundary,
                 std::vector<Leg>& out) {
    out.clear();
    auto place = [&](Place p) {
        switch (p) {
        case AtSource: return sourceBoundary;
        case AtSurface: return 0;
        case AtCoreMantle: return shells.coreMantleBoundary();
        case AtInnerCore: return shells.innerCoreBoundary();
        }
        return -1;
    };
    for (const LegDef& d : defs) {
        int a = place(d.from), b = place(d.to);
        if (a < 0 || b < 0) return false;
        out.push_back({d.wave, a, b, d.turn});
    }
    return !out.empty();
}

RayResult traceRay(const ShellModel& model, double p, const std::vector<Leg>& legs, RaySink* sink,
                   double stepKm) {
    RayResult res;
    const auto& sh = model.shells();
    const int n = static_cast<int>(sh.size());
    if (legs.empty() || n == 0 || !(p >= 0)) return res;
    p = std::max(p, 1e-9);
    TraceState st;
    st.sink = sink;
    st.stepKm = std::max(stepKm, 0.5);
    int b0 = legs.front().from;
    if (b0 < 0 || b0 > n) return res;
    double r0 = b0 < n ? sh[b0].rTop : 0.0;
    st.minR = r0;
    if (sink) sink->sample({0, r0, 0, legs.front().wave});
    for (const Leg& leg : legs) {
        Wave w = leg.wave;
        if (leg.from < 0 || leg.from > n || leg.to < 0 || leg.to > n) return res;
        if (!leg.turn) {
            for (int j = leg.from; j < leg.to; ++j)
                if (!goDown(sh[j], w, p, st)) return res;
            for (int j = leg.from - 1; j >= leg.to; --j)
                if (!goUp(sh[j], w, p, st)) return res;
            continue;
        }
        int floor = model.floorBelow(leg.from);
        int j = leg.from;
        bool turned = false;
        while (j < floor) {
            const Shell& s = sh[j];
            if (s.vTop[w] <= 0 || s.vBot[w] <= 0) return res;
            if (s.etaTop[w] < p) {
                // Total reflection at the top of this shell.
                if (j == leg.from) return res;
                turned = true;
                break;
            }
            if (s.etaBot[w] >= p) {
                piece(s, w, p, s.etaTop[w], s.rTop, s.etaBot[w], s.rBot, st);
                ++j;
                continue;
            }
            double rTurn = s.rTop * std::pow(p / s.etaTop[w], 1.0 / s.k[w]);
            piece(s, w, p, s.etaTop[w], s.rTop, p, rTurn, st);
            piece(s, w, p, p, rTurn, s.etaTop[w], s.rTop, st);
            turned = true;
            break;
        }
        if (!turned || leg.to > j) return res;
        for (int jj = j - 1; jj >= leg.to; --jj)
            if (!goUp(sh[jj], w, p, st)) return res;
    }
    res.valid = true;
    res.theta = st.theta;
    res.time = st.t;
    res.minRadius = st.minR;
    return res;
}

void resetVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper" ::: "memory");
#endif
}

double directTravelTime(const ShellModel& model, const PhaseDef& phase, double sourceDepthKm,
                        double distanceDeg) {
    int b = model.boundaryAt(sourceDepthKm);
    if (b < 0 || phase.name.empty()) return -1;
    double etaS = model.etaBelow(b, phase.takeoffWave);
    std::vector<Leg> up, down;
    bool hasUp = b > 0 && resolveLegs(model, phase.upLegs, b, up);
    bool hasDown = resolveLegs(model, phase.downLegs, b, down);
    const double target = distanceDeg * kPi / 180.0;
    const double smooth = 0.25 * kPi / 180.0;
    double best = -1;
    auto consider = [&](double t) {
        if (best < 0 || t < best) best = t;
    };
    // Scans one direction's fan (take-off angle from the vertical, 0..pi/2,
    // p = etaS sin) and homes in on every crossing of the target distance.
    // Neighbours that land far apart are split until they are close, so that
    // narrow branches are not stepped over.
    auto scan = [&](const std::vector<Leg>& legs) {
        auto trace = [&](double a) { return traceRay(model, etaS * std::sin(a), legs); };
        std::function<void(double, const RayResult&, double, const RayResult&, int)> segment;
        segment = [&](double a0, const RayResult& r0, double a1, const RayResult& r1, int depth) {
            bool both = r0.valid && r1.valid;
            if (both && std::fabs(r1.theta - r0.theta) <= smooth) {
                if ((r0.theta - target) * (r1.theta - target) > 0) return;
                double lo = a0, hi = a1;
                RayResult rlo = r0, rhi = r1;
                for (int it = 0; it < 60 && hi - lo > 1e-15; ++it) {
                    double mid = 0.5 * (lo + hi);
                    RayResult rm = trace(mid);
                    if (!rm.valid) break;
                    if ((rlo.theta - target) * (rm.theta - target) <= 0) {
                        hi = mid;
                        rhi = rm;
                    } else {
                        lo = mid;
                        rlo = rm;
                    }
                }
                double span = rhi.theta - rlo.theta;
                double f = std::fabs(span) > 0 ? (target - rlo.theta) / span : 0.0;
                consider(rlo.time + f * (rhi.time - rlo.time));
                return;
            }
            if ((!r0.valid && !r1.valid) || depth >= 30 || a1 - a0 < 1e-12) return;
            double mid = 0.5 * (a0 + a1);
            RayResult rm = trace(mid);
            segment(a0, r0, mid, rm, depth + 1);
            segment(mid, rm, a1, r1, depth + 1);
        };
        const int n = 2000;
        double prevA = 0;
        RayResult prev = trace(0);
        if (prev.valid && std::fabs(prev.theta - target) < 1e-12) consider(prev.time);
        for (int i = 1; i <= n; ++i) {
            double a = 0.5 * kPi * i / n;
            RayResult cur = trace(a);
            segment(prevA, prev, a, cur, 0);
            prev = cur;
            prevA = a;
        }
    };
    if (hasUp) scan(up);
    if (hasDown) scan(down);
    return best;
}

DistanceRange phaseDistanceRange(const ShellModel& model, const PhaseDef& phase,
                                 double sourceDepthKm) {
    DistanceRange range;
    int b = model.boundaryAt(sourceDepthKm);
    if (b < 0 || phase.name.empty()) return range;
    const double etaS = model.etaBelow(b, phase.takeoffWave);
    auto include = [&](const RayResult& r) {
        if (!r.valid) return;
        if (range.from < 0 || r.theta < range.from) range.from = r.theta;
        range.to = std::max(range.to, r.theta);
    };
    auto scan = [&](const std::vector<Leg>& legs) {
        auto trace = [&](double a) { return traceRay(model, etaS * std::sin(a), legs); };
        const int n = 2000;
        double prevA = 0;
        RayResult prev = trace(0);
        include(prev);
        for (int i = 1; i <= n; ++i) {
            const double a = 0.5 * kPi * i / n;
            const RayResult cur = trace(a);
            include(cur);
            // The branch ends between two take-off angles: home in on the
            // last ray that still arrives.
            if (prev.valid != cur.valid) {
                double valid = prev.valid ? prevA : a, invalid = prev.valid ? a : prevA;
                for (int it = 0; it < 60 && std::fabs(valid - invalid) > 1e-9; ++it) {
                    const double mid = 0.5 * (valid + invalid);
                    const RayResult r = trace(mid);
                    include(r);
                    (r.valid ? valid : invalid) = mid;
                }
            }
            prev = cur;
            prevA = a;
        }
    };
    std::vector<Leg> legs;
    if (b > 0 && resolveLegs(model, phase.upLegs, b, legs)) scan(legs);
    if (resolveLegs(model, phase.downLegs, b, legs)) scan(legs);
    return range;
}
