// Colours the window takes from the system where it has them.
#pragma once

#include <QColor>

// The colour of an active window's border. This window runs where no such system colour
// exists (Windows has a window of its own), so it is Windows' classic light grey.
QColor ActiveBorderColor();
