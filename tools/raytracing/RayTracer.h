// Ray theory in a spherically symmetric Earth made of thin shells in which the
// velocity follows v = A r^B (exact travel time and distance in closed form).
// The shells are fine subdivisions of a model whose velocities are linear in
// depth between rows, so the result converges on that model as the shells
// get thinner.
#pragma once

#include "EarthModel.h"

#include <string>
#include <vector>

enum Wave { WaveP = 0, WaveS = 1 };

struct Shell {
    double rTop = 0, rBot = 0;         // km
    double vTop[2]{}, vBot[2]{};       // km/s for P and S (0: the wave cannot travel here)
    double etaTop[2]{}, etaBot[2]{};   // r / v, s/rad
    double k[2]{};                     // 1 - B of the power law, per wave
};

// The boundaries of the shells are numbered from 0 (surface) to shells.size()
// (the centre); boundary b is the top of shell b.
class ShellModel {
public:
    // maxThicknessKm: the model's layers are split into shells no thicker than
    // this; extraDepthsKm become shell boundaries (source depths).
    ShellModel(const EarthModel& model, const std::vector<double>& extraDepthsKm,
               double maxThicknessKm = 10.0);

    double radius() const { return radius_; }
    const std::vector<Shell>& shells() const { return shells_; }
    int boundaryCount() const { return static_cast<int>(shells_.size()) + 1; }
    // Boundary at a depth (the top of the shell below it, so a source on a
    // discontinuity sits on its lower side); -1 when there is none.
    int boundaryAt(double depthKm) const;
    int coreMantleBoundary() const { return cmb_; }   // -1 when absent
    int innerCoreBoundary() const { return icb_; }    // -1 when absent
    // The lowest boundary a ray starting down from boundary b may reach
    // before it must have turned (the bottom of b's region).
    int floorBelow(int b) const;
    // Largest ray parameter a ray of `wave` can have when it leaves boundary b downwards.
    double etaBelow(int b, Wave wave) const;

private:
    double radius_ = 6371.0;
    std::vector<Shell> shells_;
    int cmb_ = -1, icb_ = -1;
};

// Symbolic places a leg of a phase starts or ends at.
enum Place { AtSource, AtSurface, AtCoreMantle, AtInnerCore };

// One leg of a phase: a monotonic path between two places, or (turn) a path
// down from `from` to a turning point inside its region and up to `to`.
struct LegDef {
    Wave wave;
    Place from;
    Place to;
    bool turn;
};

struct PhaseDef {
    std::string name;
    Wave takeoffWave;               // wave leaving the source
    std::vector<LegDef> upLegs;     // legs for rays leaving the source upwards (empty: none)
    std::vector<LegDef> downLegs;   // legs for rays leaving downwards (empty: none)
};

// The phases of the cross-section tables; pP and sP only when `withDepthPhases`.
std::vector<PhaseDef> crossSectionPhases(bool withDepthPhases);
// One of the named phases (P, S, PP, SS, PcP, ...); name empty when unknown.
PhaseDef phaseByName(const std::string& name);

// A resolved leg: shell boundary indices.
struct Leg {
    Wave wave;
    int from;
    int to;
    bool turn;
};

struct RaySample {
    double t;       // s
    double r;       // km
    double theta;   // rad from the source's axis
    Wave wave;      // wave along the piece that ends at this sample
};

struct RayResult {
    bool valid = false;
    double theta = 0;   // rad, epicentral distance at the end
    double time = 0;    // s
    double minRadius = 0;
};

class RaySink {
public:
    virtual ~RaySink() = default;
    virtual void sample(const RaySample& s) = 0;
};

// Resolves the legs of a phase for a source boundary; false when a place is
// missing from the model (no core).
bool resolveLegs(const ShellModel& shells, const std::vector<LegDef>& defs, int sourceBoundary,
                 std::vector<Leg>& out);

// Traces one ray of parameter p (s/rad) along the legs. When `sink` is given it
// receives the path as samples no further apart than `stepKm` along the ray,
// starting with the source point. Invalid when the ray cannot follow the legs
// (turns where it must not, fails to turn, meets a fluid as S).
RayResult traceRay(const ShellModel& shells, double p, const std::vector<Leg>& legs,
                   RaySink* sink = nullptr, double stepKm = 25.0);

// Clears the upper halves of the AVX registers. Some libraries (the GUI
// toolkit's among them) leave them dirty, after which every call of the
// maths library's atan2 pays a state-transition penalty and the tracing runs
// ten times slower. Called at the start of each long computation; does
// nothing on other processors.
void resetVectorState();

// First arrival of a phase at a distance, by shooting rays from the source
// and homing in on the distance (slow, exact to the shell model). Negative
// when the phase does not arrive there.
double directTravelTime(const ShellModel& shells, const PhaseDef& phase, double sourceDepthKm,
                        double distanceDeg);

// The epicentral distances (rad) that rays of a phase reach from a source
// depth: the smallest and the largest over every take-off angle, the ends of
// the branch found to 1e-9 of the take-off angle. {-1, -1} when no ray
// arrives. Between the two the phase has at least one ray path only when its
// branch is unbroken, as it is for the direct and the once-reflected waves.
struct DistanceRange {
    double from = -1, to = -1;
};
DistanceRange phaseDistanceRange(const ShellModel& shells, const PhaseDef& phase,
                                 double sourceDepthKm);
