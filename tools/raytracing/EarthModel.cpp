#include "EarthModel.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Reads the next number from `s` at `pos`; false when there is none.
bool nextNumber(const std::string& s, std::size_t& pos, double& out) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r')) ++pos;
    if (pos >= s.size()) return false;
    const char* begin = s.c_str() + pos;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    pos += static_cast<std::size_t>(end - begin);
    out = v;
    return true;
}

}   // namespace

double EarthModel::coreMantleDepth() const {
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
        if (nodes[i].vs <= 0 && nodes[i + 1].vs <= 0 && nodes[i + 1].depth > nodes[i].depth)
            return nodes[i].depth;
    return -1;
}

double EarthModel::innerCoreDepth() const {
    bool inFluid = false;
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        bool fluid = nodes[i].vs <= 0 && nodes[i + 1].vs <= 0
                     && nodes[i + 1].depth > nodes[i].depth;
        bool solid = nodes[i].vs > 0 && nodes[i + 1].depth > nodes[i].depth;
        if (fluid)
            inFluid = true;
        else if (inFluid && solid)
            return nodes[i].depth;
    }
    return -1;
}

EarthModel parseEarthModel(const std::string& text) {
    EarthModel model;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t pos = 0;
        double depth = 0, vp = 0, vs = 0;
        if (!nextNumber(line, pos, depth) || !nextNumber(line, pos, vp)
            || !nextNumber(line, pos, vs))
            continue;
        if (depth < 0 || depth > model.radius || vp <= 0 || vp > 100 || vs < 0 || vs >= vp)
            continue;
        if (!model.nodes.empty() && depth < model.nodes.back().depth) continue;
        // A third row at one depth would leave a zero-thickness layer; keep the last.
        std::size_t n = model.nodes.size();
        if (n >= 2 && model.nodes[n - 1].depth == depth && model.nodes[n - 2].depth == depth)
            model.nodes.pop_back();
        model.nodes.push_back({depth, vp, vs});
    }
    if (model.nodes.empty()) return model;
    if (model.nodes.front().depth > 0) {
        ModelNode top = model.nodes.front();
        top.depth = 0;
        model.nodes.insert(model.nodes.begin(), top);
    }
    if (model.nodes.back().depth < model.radius) {
        ModelNode bottom = model.nodes.back();
        bottom.depth = model.radius;
        model.nodes.push_back(bottom);
    }
    // A discontinuity at the very centre has no layer below it.
    while (model.nodes.size() >= 2 && model.nodes[model.nodes.size() - 2].depth >= model.radius)
        model.nodes.erase(model.nodes.end() - 2);
    return model;
}

EarthModel loadEarthModel(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return {};
    std::ostringstream ss;
    ss << f.rdbuf();
    return parseEarthModel(ss.str());
}
