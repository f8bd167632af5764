#include "RayPathTables.h"

#include "RayTracer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct FanRay {
    double angle = 0;   // take-off angle from straight up, rad
    bool up = false;
    RayResult res;
};

struct PhaseFan {
    double etaS = 0;
    std::vector<Leg> up, down;
    bool hasUp = false, hasDown = false;
};

RayResult traceFanRay(const ShellModel& sm, const PhaseFan& f, double angle, bool up,
                      RaySink* sink = nullptr) {
    return traceRay(sm, f.etaS * std::sin(angle), up ? f.up : f.down, sink);
}

bool needsRefinement(const FanRay& a, const FanRay& b, double radius, double tolKm) {
    double gap = b.angle - a.angle;
    if (a.res.valid != b.res.valid) return gap > 1e-6;
    if (!a.res.valid || gap < 1e-7) return false;
    return std::fabs(a.res.theta - b.res.theta) * radius > tolKm
           || std::fabs(a.res.minRadius - b.res.minRadius) > tolKm;
}

// The fan of take-off angles of one phase, bisected until neighbouring rays
// end close together (or the gap between them is a true jump).
std::vector<FanRay> buildFan(const ShellModel& sm, const PhaseFan& f, double tolKm) {
    std::vector<FanRay> init;
    const int n = 360;
    for (int i = 0; i <= n; ++i) {
        double a = kPi * i / n;
        bool up = i * 2 < n;
        if ((up && !f.hasUp) || (!up && !f.hasDown)) continue;
        init.push_back({a, up, traceFanRay(sm, f, a, up)});
    }
    std::vector<FanRay> out;
    if (init.empty()) return out;
    out.push_back(init[0]);
    std::vector<FanRay> stack;
    const std::size_t cap = 60000;
    for (std::size_t i = 1; i < init.size(); ++i) {
        stack.clear();
        stack.push_back(init[i]);
        while (!stack.empty()) {
            const FanRay& lo = out.back();
            FanRay& hi = stack.back();
            if (lo.up == hi.up && out.size() + stack.size() < cap
                && needsRefinement(lo, hi, sm.radius(), tolKm)) {
                double a = 0.5 * (lo.angle + hi.angle);
                FanRay mid{a, lo.up, traceFanRay(sm, f, a, lo.up)};
                stack.push_back(mid);
            } else {
                out.push_back(stack.back());
                stack.pop_back();
            }
        }
    }
    return out;
}

// Collects a ray's position at every whole time step.
class StepSink : public RaySink {
public:
    struct Pos {
        float r = 0, theta = 0;
        int8_t leg = 0;   // 0: the ray is not under way at this step
    };
    StepSink(Pos* out, int steps, double dt) : out_(out), steps_(steps), dt_(dt) {}

    void sample(const RaySample& s) override {
        if (!hasPrev_) {
            prev_ = s;
            hasPrev_ = true;
            return;
        }
        while (next_ <= steps_ && next_ * dt_ <= s.t) {
            double span = s.t - prev_.t;
            double f = span > 0 ? (next_ * dt_ - prev_.t) / span : 1.0;
            Pos& p = out_[next_];
            p.r = static_cast<float>(prev_.r + f * (s.r - prev_.r));
            p.theta = static_cast<float>(prev_.theta + f * (s.theta - prev_.theta));
            p.leg = s.wave == WaveP ? 1 : 2;
            ++next_;
        }
        prev_ = s;
    }

private:
    Pos* out_;
    int steps_;
    double dt_;
    RaySample prev_{};
    bool hasPrev_ = false;
    int next_ = 1;
};

struct XY {
    double x, y;
};

double segDistance(const XY& p, const XY& a, const XY& b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Douglas-Peucker thinning, iterative so that long fronts cannot exhaust the stack.
std::vector<XY> simplify(const std::vector<XY>& pts, double tol) {
    if (pts.size() < 3) return pts;
    std::vector<char> keep(pts.size(), 0);
    keep.front() = keep.back() = 1;
    std::vector<std::pair<std::size_t, std::size_t>> work{{0, pts.size() - 1}};
    while (!work.empty()) {
        auto [a, b] = work.back();
        work.pop_back();
        double worst = -1;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            double d = segDistance(pts[i], pts[a], pts[b]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tol) {
            keep[at] = 1;
            work.push_back({a, at});
            work.push_back({at, b});
        }
    }
    std::vector<XY> out;
    for (std::size_t i = 0; i < pts.size(); ++i)
        if (keep[i]) out.push_back(pts[i]);
    return out;
}

int16_t toKm(double v) { return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L)); }

XY toXY(double r, double theta) { return {r * std::cos(theta), std::fabs(r * std::sin(theta))}; }

void emitPiece(const std::string& phase, int leg, uint16_t time, const std::vector<XY>& piece,
               double simplifyKm, std::vector<FrontRecord>& out) {
    if (piece.size() < 2) return;
    std::vector<XY> thin = simplify(piece, simplifyKm);
    std::vector<FrontPoint> pts;
    for (const XY& p : thin) {
        FrontPoint q{toKm(p.x), toKm(p.y)};
        if (!pts.empty() && pts.back().along == q.along && pts.back().across == q.across) continue;
        pts.push_back(q);
    }
    if (pts.size() < 2) return;
    const std::size_t maxPts = 65535;
    for (std::size_t start = 0; start + 1 < pts.size(); start += maxPts - 1) {
        std::size_t end = std::min(pts.size(), start + maxPts);
        FrontRecord rec;
        rec.phase = phase.substr(0, 11);
        rec.legType = static_cast<int16_t>(leg);
        rec.time = time;
        rec.points.assign(pts.begin() + static_cast<long>(start),
                          pts.begin() + static_cast<long>(end));
        out.push_back(std::move(rec));
    }
}

void put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>(v >> 8);
}

void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f.flush()) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

bool readFile(const std::string& path, std::string& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    out = ss.str();
    return true;
}

}   // namespace

std::vector<std::vector<FrontRecord>> computeWavefronts(
    const EarthModel& model, double sourceDepthKm, const RayPathOptions& options,
    const std::function<void(const std::string&)>& progress) {
    std::vector<std::vector<FrontRecord>> steps;
    if (model.empty()) return steps;
    resetVectorState();
    sourceDepthKm = std::clamp(sourceDepthKm, 0.0, model.radius - 1.0);
    const int dt = std::clamp(options.timeStep, 1, 3600);
    ShellModel sm(model, {sourceDepthKm}, options.shellKm);
    int src = sm.boundaryAt(sourceDepthKm);
    if (src < 0) return steps;
    const bool buried = src > 0;
    std::vector<PhaseDef> phases = crossSectionPhases(buried);

    // Fans first: their longest ray decides how many steps there are.
    std::vector<PhaseFan> fans(phases.size());
    std::vector<std::vector<FanRay>> rays(phases.size());
    double longest = 0;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        PhaseFan& f = fans[i];
        f.etaS = sm.etaBelow(src, phases[i].takeoffWave);
        f.hasUp = buried && resolveLegs(sm, phases[i].upLegs, src, f.up);
        f.hasDown = resolveLegs(sm, phases[i].downLegs, src, f.down);
        rays[i] = buildFan(sm, f, options.rayToleranceKm);
        std::size_t valid = 0;
        for (const FanRay& r : rays[i])
            if (r.res.valid) {
                longest = std::max(longest, r.res.time);
                ++valid;
            }
        if (progress)
            progress("  " + phases[i].name + ": " + std::to_string(valid) + " rays of "
                     + std::to_string(rays[i].size()));
    }
    const int maxEnd = std::min(options.maxEndTime, 65535);
    int endTime = std::clamp(static_cast<int>(std::ceil(longest)), options.minEndTime, maxEnd);
    const int nSteps = endTime / dt + 1;   // steps 0..nSteps-1
    steps.assign(static_cast<std::size_t>(nSteps), {});

    std::vector<StepSink::Pos> pos;
    std::vector<XY> piece;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const std::vector<FanRay>& fan = rays[i];
        const std::size_t nr = fan.size();
        const int K = nSteps - 1;
        pos.assign(nr * static_cast<std::size_t>(K + 1), {});
        for (std::size_t j = 0; j < nr; ++j) {
            if (!fan[j].res.valid) continue;
            StepSink sink(&pos[j * (K + 1)], K, dt);
            traceFanRay(sm, fans[i], fan[j].angle, fan[j].up, &sink);
        }
        const double R = sm.radius();
        for (int k = 1; k <= K; ++k) {
            const double t = static_cast<double>(k) * dt;
            piece.clear();
            int leg = 0;
            auto flush = [&]() {
                emitPiece(phases[i].name, leg, static_cast<uint16_t>(k * dt), piece,
                          options.simplifyKm, steps[k]);
                piece.clear();
            };
            // Where a front meets the surface between a ray that has arrived
            // and one still under way, the meeting point is interpolated.
            auto surfacePoint = [&](std::size_t done, std::size_t going, XY& out) {
                const RayResult& a = fan[done].res;
                const RayResult& b = fan[going].res;
                if (!a.valid || !b.valid || a.time > t || b.time <= t) return false;
                if (std::fabs(a.theta - b.theta) * R > options.gapKm) return false;
                double f = (t - a.time) / (b.time - a.time);
                out = toXY(R, a.theta + f * (b.theta - a.theta));
                return true;
            };
            for (std::size_t j = 0; j < nr; ++j) {
                const StepSink::Pos& p = pos[j * (K + 1) + k];
                if (p.leg == 0) {
                    if (!piece.empty()) {
                        XY s;
                        if (surfacePoint(j, j - 1, s)) piece.push_back(s);
                        flush();
                    }
                    continue;
                }
                XY xy = toXY(p.r, p.theta);
                if (!piece.empty()) {
                    const XY& last = piece.back();
                    if (p.leg != leg || std::hypot(xy.x - last.x, xy.y - last.y) > options.gapKm)
                        flush();
                }
                if (piece.empty() && j > 0) {
                    XY s;
                    if (surfacePoint(j - 1, j, s)) piece.push_back(s);
                }
                leg = p.leg;
                piece.push_back(xy);
            }
            flush();
        }
    }
    return steps;
}

void encodeRayPathTables(const std::vector<std::vector<FrontRecord>>& steps, uint16_t timeStep,
                         std::string& indexBytes, std::string& dataBytes) {
    indexBytes.clear();
    dataBytes.clear();
    auto header = [&](const std::string& name, int16_t leg, uint16_t time, uint16_t count) {
        char nameBytes[12] = {};
        std::size_t n = std::min<std::size_t>(name.size(), 11);
        for (std::size_t i = 0; i < n; ++i) nameBytes[i] = name[i];
        dataBytes.append(nameBytes, 12);
        put16(dataBytes, static_cast<uint16_t>(leg));
        put16(dataBytes, time);
        put16(dataBytes, count);
        put16(dataBytes, 0);
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        put32(indexBytes, static_cast<uint32_t>(dataBytes.size()));
        const uint16_t time = static_cast<uint16_t>(k * timeStep);
        std::size_t written = 0;
        for (const FrontRecord& r : steps[k]) {
            if (r.points.empty() || r.points.size() > 65535) continue;
            header(r.phase, r.legType, time, static_cast<uint16_t>(r.points.size()));
            for (const FrontPoint& p : r.points) {
                put16(dataBytes, static_cast<uint16_t>(p.along));
                put16(dataBytes, static_cast<uint16_t>(p.across));
            }
            ++written;
        }
        if (written == 0) header("", 0, time, 0);
    }
}

bool writeRayPathTables(const EarthModel& model, float sourceDepthKm, const std::string& baseName,
                        const std::string& outDir, const RayPathOptions& options,
                        const std::function<void(const std::string&)>& progress) {
    auto steps = computeWavefronts(model, sourceDepthKm, options, progress);
    if (steps.empty()) return false;
    std::string index, data;
    encodeRayPathTables(steps, static_cast<uint16_t>(std::clamp(options.timeStep, 1, 3600)), index,
                        data);
    return writeFileAtomically(joinPath(outDir, baseName + ".BIN"), data)
           && writeFileAtomically(joinPath(outDir, baseName + ".INX"), index);
}

std::vector<FrontRecord> readRayPathStep(const std::string& indexPath, const std::string& dataPath,
                                         std::size_t step) {
    std::vector<FrontRecord> out;
    std::string index, data;
    if (!readFile(indexPath, index) || !readFile(dataPath, data)) return out;
    if (step >= index.size() / 4) return out;
    auto u16 = [&](std::size_t at) {
        return static_cast<uint16_t>(static_cast<unsigned char>(data[at])
                                     | (static_cast<unsigned char>(data[at + 1]) << 8));
    };
    const unsigned char* ib = reinterpret_cast<const unsigned char*>(index.data()) + 4 * step;
    std::size_t at = static_cast<std::size_t>(ib[0]) | static_cast<std::size_t>(ib[1]) << 8
                     | static_cast<std::size_t>(ib[2]) << 16
                     | static_cast<std::size_t>(ib[3]) << 24;
    bool first = true;
    uint16_t time = 0;
    while (at + 20 <= data.size()) {
        FrontRecord r;
        r.phase.assign(data.data() + at, strnlen(data.data() + at, 12));
        r.legType = static_cast<int16_t>(u16(at + 12));
        r.time = u16(at + 14);
        uint16_t count = u16(at + 16);
        if (first)
            time = r.time;
        else if (r.time != time)
            break;
        first = false;
        at += 20;
        if (at + 4 * static_cast<std::size_t>(count) > data.size()) break;
        for (uint16_t i = 0; i < count; ++i, at += 4)
            r.points.push_back({static_cast<int16_t>(u16(at)), static_cast<int16_t>(u16(at + 2))});
        if (count > 0) out.push_back(std::move(r));
    }
    return out;
}
