// A picture of the cross-section with the wavefronts of a ray-path table at
// a few times, for a person to look at.
#pragma once

#include <string>
#include <vector>

// Draws one panel per time (s) side by side: the Earth disc with the core
// circles, the source at its depth and every record of the step holding that
// time, mirrored about the axis, P pieces light red and S pieces light cyan.
// False when the picture cannot be written.
bool drawCrossSectionPng(const std::string& indexPath, const std::string& dataPath,
                         const std::vector<int>& times, int timeStep, double sourceDepthKm,
                         const std::string& pngPath, int panelSize = 480);
