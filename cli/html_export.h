// Export as one self-contained web page: a table with a row per hue (id="hue-N", its 32
// colours in data-colors), a filter box when scripts run, and every hue shown when not.
#pragma once

#include "text_builder.h"

#include "hue_view.h"

#include <span>
#include <string>
#include <string_view>

namespace hues {

// `title` names the page, usually the hue file's name. Names are always escaped as text.
void HtmlPage(std::span<const HueView> hues, std::string_view title, TextBuilder& out);

}  // namespace hues
