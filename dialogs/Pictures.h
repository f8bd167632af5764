// The pictures shipped with both programs, drawn by the program itself:
//   2   32 x 32  the window icon of ov (a globe, transparent background)
//   5  120 x 90  miniature of the combined layout
//   6  120 x 90  miniature of the cross-section view with the button column
//   7  120 x 90  miniature of the globe view with the button column
//   9   96 x 72  a large red X beside the word Cancel
//   402 32 x 32  the earthquake star (transparent background)
//   403 32 x 32  the same star held down
#pragma once

#include <QImage>

// The picture with that number (drawn once, then cached); a null image for
// an unknown number.
QImage picture(int number);

// The window icon of ov.
constexpr int kProgramIcon = 2;

// Convenience names for the two star icons of the world map.
constexpr int kStarIcon = 402;
constexpr int kStarIconDown = 403;
