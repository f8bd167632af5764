// The icons of the desktop menu entries, drawn at any size: a globe with an
// epicentre and its wave rings for the display program, and the same globe
// with the world map's earthquake star for the maintenance program.
#pragma once

#include <QImage>

enum class DesktopIcon { Display, Maintenance };

QImage drawDesktopIcon(DesktopIcon which, int size);
