// What the window does with the arguments it was started with: one hue file goes into the
// path field (a file dropped on the program's icon, "Open with…", a desktop entry's %f);
// anything else is ignored and said so. Nothing is read until a selection, as always.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace viewer {

struct StartArguments {
    std::optional<std::u16string> path;   // the file to show in the path field
    std::vector<std::u16string> ignored;  // what was given but not taken
};

// The arguments after the program's name. One that starts with '-' is an option we do not
// have; more than one leaves all of them out, as it is unclear which was meant.
StartArguments ParseStartArguments(const std::vector<std::u16string>& arguments);

// The message that names what was ignored, or empty when nothing was.
std::u16string IgnoredArgumentsMessage(const StartArguments& start);

}  // namespace viewer
