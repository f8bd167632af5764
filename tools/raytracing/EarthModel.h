// Spherically symmetric Earth velocity model read from a text file of
// depth, P velocity and S velocity rows.
#pragma once

#include <string>
#include <vector>

struct ModelNode {
    double depth = 0;   // km below the surface
    double vp = 0;      // km/s
    double vs = 0;      // km/s; 0 in a fluid
};

struct EarthModel {
    double radius = 6371.0;         // km
    std::vector<ModelNode> nodes;   // depth never decreases; equal depths mark a discontinuity

    bool empty() const { return nodes.size() < 2; }
    // Depth of the top of the fluid outer core, or a negative value when the
    // model has no fluid layer.
    double coreMantleDepth() const;
    // Depth of the bottom of the fluid outer core (top of the solid inner
    // core), or a negative value.
    double innerCoreDepth() const;
};

// Parses model text. Lines starting with '#' and lines holding a single word
// (region names) are skipped, as is any line that does not start with three
// finite numbers. Rows with a depth above the previous row, negative or
// absurd velocities, or depths outside the Earth are dropped. A model that
// does not reach from the surface to the centre is extended with constant
// velocities so that every ray has somewhere to go.
EarthModel parseEarthModel(const std::string& text);

// Reads and parses a model file; an empty model when it cannot be read.
EarthModel loadEarthModel(const std::string& path);
