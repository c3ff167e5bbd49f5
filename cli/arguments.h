// The command line's arguments that name a colour vision or a picture's region, read into what
// the commands take. Colours and ids are read where sources and configs read them too.
#pragma once

#include "huecolour/colour_vision.h"
#include "huecolour/picture_ramp.h"

#include <string_view>

namespace cli {

// "KIND" or "KIND:SEVERITY", a kind of colour vision and a severity of 0 to 100 (100 if none is
// given). Throws HuesError for anything else.
huecolour::Vision ParseVision(std::string_view text);

// "X,Y,W,H", four whole numbers. Throws HuesError for anything else.
huecolour::PictureRegion ParseRegion(std::string_view text);

}  // namespace cli
