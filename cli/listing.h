// The commands that read hues and list them: show, list, find, nearest and similar.
#pragma once

#include "cli/command.h"

#include <vector>

namespace cli {

std::vector<Command> ListingCommands();

}  // namespace cli
