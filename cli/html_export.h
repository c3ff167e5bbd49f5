// Export as one self-contained web page and hue picker, made from the web files in cli/page:
// when scripts run, the rows on screen (id="hue-N", its 32 colours in data-colors), a filter
// by name, ordering by the nearest colour, copying ids and colours, and a sample picture
// painted with each hue; when they do not, a plain table of every hue.
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
