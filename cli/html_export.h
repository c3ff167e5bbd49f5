// Export as one self-contained web page and hue picker: a table with a row per hue
// (id="hue-N", its 32 colours in data-colors); when scripts run, a filter by name, ordering
// by the nearest colour, copying ids and colours, and a sample picture painted with each hue.
// Every hue shows when scripts do not run.
#pragma once

#include "text_builder.h"

#include "hue_view.h"
#include "sample_picture.h"

#include <span>
#include <string>
#include <string_view>

namespace hues {

// `title` names the page, usually the hue file's name. Names are always escaped as text.
// `sample`, when given, is embedded and painted with each hue.
void HtmlPage(std::span<const HueView> hues, std::string_view title, const SamplePicture* sample,
              TextBuilder& out);

}  // namespace hues
