// Colours the window takes from the system where it has them.
#pragma once

#include <QColor>

// The colour of an active window's border: the system's own on Windows, a fixed light grey
// elsewhere, where no such system colour exists.
QColor ActiveBorderColor();
