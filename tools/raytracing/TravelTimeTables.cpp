#include "TravelTimeTables.h"

#include "RayTracer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

// One ray parameter's integrals from the surface down to its turning point,
// read at the source boundaries of the columns.
struct ColumnValues {
    bool upValid = false, downValid = false;
    double upD = 0, upT = 0, downD = 0, downT = 0;
};

struct Sample {
    double p = 0;
    bool turned = false;   // turns above the core: the surface-to-surface leg exists
    double legD = 0, legT = 0;
    std::vector<ColumnValues> cols;
};

class Evaluator {
public:
    Evaluator(const ShellModel& sm, Wave w, const std::vector<int>& sources)
        : sm_(sm), w_(w), src_(sources) {
        cumD_.resize(sm.boundaryCount());
        cumT_.resize(sm.boundaryCount());
    }

    Sample eval(double p) {
        const auto& sh = sm_.shells();
        Sample smp;
        smp.p = p;
        double pp = std::max(p, 1e-9);
        int floor = sm_.floorBelow(0);
        int reached = 0;   // boundaries 0..reached are reached going down
        double turnD = 0, turnT = 0;
        cumD_[0] = cumT_[0] = 0;
        bool turned = false;
        for (int j = 0; j < floor; ++j) {
            const Shell& s = sh[j];
            if (s.vTop[w_] <= 0 || s.vBot[w_] <= 0) break;
            if (s.etaTop[w_] < pp) {
                turned = j > 0;
                turnD = cumD_[j];
                turnT = cumT_[j];
                break;
            }
            double k = std::fabs(s.k[w_]);
            double fa = f(s.etaTop[w_], pp), ga = g(s.etaTop[w_], pp);
            if (s.etaBot[w_] >= pp) {
                cumD_[j + 1] = cumD_[j] + std::fabs(f(s.etaBot[w_], pp) - fa) / k;
                cumT_[j + 1] = cumT_[j] + std::fabs(g(s.etaBot[w_], pp) - ga) / k;
                reached = j + 1;
                continue;
            }
            turned = true;
            turnD = cumD_[j] + std::fabs(std::atan2(0.0, pp) - fa) / k;
            turnT = cumT_[j] + ga / k;
            break;
        }
        smp.turned = turned;
        smp.legD = 2 * turnD;
        smp.legT = 2 * turnT;
        smp.cols.resize(src_.size());
        for (std::size_t c = 0; c < src_.size(); ++c) {
            int s = src_[c];
            ColumnValues& v = smp.cols[c];
            if (s < 0 || reached < s || p > sm_.etaBelow(s, w_)) continue;
            v.upValid = s > 0;
            v.upD = cumD_[s];
            v.upT = cumT_[s];
            if (turned) {
                v.downValid = true;
                v.downD = 2 * turnD - cumD_[s];
                v.downT = 2 * turnT - cumT_[s];
            }
        }
        return smp;
    }

private:
    static double g(double eta, double p) {
        double q = (eta - p) * (eta + p);
        return q > 0 ? std::sqrt(q) : 0.0;
    }
    static double f(double eta, double p) { return std::atan2(g(eta, p), p); }

    const ShellModel& sm_;
    Wave w_;
    std::vector<int> src_;
    std::vector<double> cumD_, cumT_;
};

// Whether two neighbouring ray parameters are too far apart in distance on
// any branch of any column (or one has a branch the other lacks).
bool needsRefinement(const Sample& a, const Sample& b, double tol) {
    if (a.turned != b.turned) return true;
    if (a.turned && std::fabs(a.legD - b.legD) > tol) return true;
    for (std::size_t c = 0; c < a.cols.size(); ++c) {
        const ColumnValues& x = a.cols[c];
        const ColumnValues& y = b.cols[c];
        if (x.upValid != y.upValid || x.downValid != y.downValid) return true;
        if (x.upValid && std::fabs(x.upD - y.upD) > tol) return true;
        if (x.downValid && std::fabs(x.downD - y.downD) > tol) return true;
    }
    return false;
}

struct FanPoint {
    bool valid;
    double d, t, p;
};

// Lowest time of the fan's pieces at every whole degree. Neighbouring points
// further apart than `maxGap` are not joined (a jump in the fan).
void minimumOverFan(const std::vector<FanPoint>& fan, double maxGap, ArrivalCurve& best) {
    for (std::size_t i = 0; i + 1 < fan.size(); ++i) {
        const FanPoint& a = fan[i];
        const FanPoint& b = fan[i + 1];
        if (!a.valid || !b.valid || std::fabs(b.d - a.d) > maxGap) continue;
        double lo = std::min(a.d, b.d), hi = std::max(a.d, b.d);
        int d0 = static_cast<int>(std::ceil(lo / kDeg - 1e-9));
        int d1 = static_cast<int>(std::floor(hi / kDeg + 1e-9));
        d0 = std::max(d0, 0);
        d1 = std::min(d1, kTableDegrees - 1);
        for (int d = d0; d <= d1; ++d) {
            double x = d * kDeg;
            double t;
            double span = b.d - a.d;
            if (std::fabs(span) < 1e-12) {
                t = std::min(a.t, b.t);
            } else {
                // dT/dD = p, taken as varying linearly over the piece.
                double s = x - a.d;
                t = a.t + a.p * s + (b.p - a.p) * s * s / (2 * span);
            }
            if (best[d] < 0 || t < best[d]) best[d] = t;
        }
    }
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}   // namespace

double tableColumnDepth(int column) { return column <= 0 ? 0.0 : 33.0 + (column - 1) * 63.38; }

std::vector<ArrivalCurve> firstArrivals(const EarthModel& model, const std::string& phase,
                                        const std::vector<double>& depthsKm) {
    ArrivalCurve none;
    none.fill(-1.0);
    std::vector<ArrivalCurve> out(depthsKm.size(), none);
    bool direct = phase == "P" || phase == "S";
    bool reflected = phase == "PP" || phase == "SS";
    if ((!direct && !reflected) || model.empty()) return out;
    resetVectorState();
    Wave w = phase[0] == 'P' ? WaveP : WaveS;
    ShellModel sm(model, depthsKm);
    if (sm.shells().empty()) return out;
    std::vector<int> sources;
    double pMax = 0;
    for (double d : depthsKm) {
        int b = sm.boundaryAt(d);
        sources.push_back(b);
        if (b >= 0) pMax = std::max(pMax, sm.etaBelow(b, w));
    }
    if (pMax <= 0) return out;

    // Ray parameters: a uniform grid plus each source's horizontal ray, then
    // bisection wherever neighbours land too far apart.
    std::vector<double> ps;
    const int n0 = 1500;
    for (int i = 0; i <= n0; ++i) ps.push_back(pMax * i / n0);
    for (int b : sources)
        if (b >= 0) ps.push_back(sm.etaBelow(b, w));
    std::sort(ps.begin(), ps.end());
    ps.erase(std::unique(ps.begin(), ps.end()), ps.end());

    Evaluator ev(sm, w, sources);
    std::vector<Sample> samples;
    samples.reserve(ps.size() * 2);
    const double tol = 0.1 * kDeg;
    const double minStep = pMax * 1e-9;
    std::vector<Sample> stack;
    Sample prev = ev.eval(ps[0]);
    samples.push_back(prev);
    for (std::size_t i = 1; i < ps.size(); ++i) {
        Sample next = ev.eval(ps[i]);
        // Depth-first bisection between prev and next, keeping the order.
        stack.clear();
        stack.push_back(next);
        while (!stack.empty()) {
            Sample& hi = stack.back();
            if (hi.p - prev.p > minStep && needsRefinement(prev, hi, tol)) {
                Sample mid = ev.eval(0.5 * (prev.p + hi.p));
                stack.push_back(std::move(mid));
            } else {
                prev = std::move(stack.back());
                stack.pop_back();
                samples.push_back(prev);
            }
        }
    }

    const double maxGap = 2 * tol;
    std::vector<FanPoint> fan;
    for (std::size_t c = 0; c < depthsKm.size(); ++c) {
        fan.clear();
        if (direct) {
            // Take-off angle from straight up to straight down: up-going rays
            // with p rising, then down-going rays with p falling; the two meet
            // at the source's horizontal ray, which is on the grid.
            for (const Sample& s : samples)
                if (s.cols[c].upValid) fan.push_back({true, s.cols[c].upD, s.cols[c].upT, s.p});
            for (auto it = samples.rbegin(); it != samples.rend(); ++it)
                fan.push_back({it->cols[c].downValid, it->cols[c].downD, it->cols[c].downT, it->p});
        } else {
            for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
                const ColumnValues& v = it->cols[c];
                bool ok = v.downValid && it->turned;
                fan.push_back({ok, v.downD + it->legD, v.downT + it->legT, it->p});
            }
        }
        minimumOverFan(fan, maxGap, out[c]);
    }
    return out;
}

std::string formatTravelTimeTable(const std::vector<ArrivalCurve>& columns) {
    const int nc = std::min<int>(static_cast<int>(columns.size()), kTableColumnCount);
    std::vector<int> first(nc, -1), last(nc, -2);
    for (int c = 0; c < nc; ++c) {
        const ArrivalCurve& a = columns[c];
        int d = 0;
        while (d < kTableDegrees && a[d] < 0) ++d;
        if (d == kTableDegrees) continue;
        first[c] = d;
        while (d + 1 < kTableDegrees && a[d + 1] >= 0) ++d;
        last[c] = d;
    }
    std::string out;
    char buf[16];
    for (int d = 0; d < kTableDegrees; ++d) {
        std::string line;
        std::snprintf(buf, sizeof buf, "%5d", d);
        line = buf;
        int written = 0;
        for (int c = 0; c < nc; ++c) {
            if (first[c] < 0 || d > last[c]) break;
            double t = columns[c][std::max(d, first[c])];
            std::snprintf(buf, sizeof buf, "%7.1f", t);
            line += buf;
            ++written;
        }
        if (written == 0) break;
        out += line;
        out += '\n';
    }
    return out;
}

bool writeTravelTimeTables(const EarthModel& model, const std::string& outDir) {
    if (model.empty()) return false;
    std::vector<double> depths;
    for (int c = 0; c < kTableColumnCount; ++c) depths.push_back(tableColumnDepth(c));
    for (const char* phase : {"P", "S", "PP", "SS"}) {
        std::string text = formatTravelTimeTable(firstArrivals(model, phase, depths));
        if (text.empty()) return false;
        std::string path = joinPath(outDir, std::string(phase) + ".JB");
        std::string tmp = path + ".tmp";
        {
            std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
            if (!f) return false;
            f << text;
            if (!f.flush()) return false;
        }
        if (std::rename(tmp.c_str(), path.c_str()) != 0) return false;
    }
    return true;
}
