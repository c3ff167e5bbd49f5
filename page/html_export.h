// Export as one self-contained web page and hue picker, made from the web files in page/web:
// when scripts run, the rows on screen (id="hue-N", its 32 colours in data-colors), a filter
// by name, ordering by the nearest colour, copying ids and colours, and a sample picture
// painted with each hue; when they do not, a plain table of every hue.
#pragma once

#include "huedata/text_builder.h"

#include "huedata/hue_view.h"
#include "page/sample_picture.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace page {

// What a page that `hues edit` serves adds to the exported one: saving into the hue file.
struct ServedPage {
    std::string stamp;  // StampOfBytes of the file the page was made from, which a save names
    std::string place;  // StampOfBytes of the file's path: what the browser keeps is kept per file
    std::string conflicts;  // resolving a merge: its conflicts as JSON (see editor_service)
    bool history = false;   // the file is in git: the editor shows each hue's history
};

// `title` names the page, usually the hue file's name. Names are always escaped as text.
// `sample`, when given, is embedded and painted with each hue. The page reads `hues` once for
// each of its sections that lists them.
// `findings`, when given, are `hues check`'s findings as the page takes them (huecheck's
// PageFindingsJson), shown beside each hue.
void HtmlPage(const huedata::HuesInParts& hues, std::string_view title, const SamplePicture* sample,
              huedata::TextBuilder& out, const ServedPage* served = nullptr,
              std::string_view findings = {});

// The page `hues edit` serves when it finds no hue file to edit: it names the file it looked
// for and why it could not read it. Without a file named on the command line (`pathGiven`
// false) it also takes another path, which the script posts to /open.
void NoFilePage(std::string_view path, std::string_view reason, bool pathGiven,
                huedata::TextBuilder& out);

// The page's Content-Security-Policy: nothing from outside; a served page may also speak to
// the server it came from.
std::string_view PageSecurityPolicy(bool served);

// A mark of a file's bytes, as 16 hexadecimal digits: not a safeguard against anyone, only a
// name for one content that differs from another's.
std::string StampOfBytes(std::span<const unsigned char> bytes);

// Text made safe for HTML content and quoted attribute values.
std::string HtmlEscapedText(std::string_view text);

}  // namespace page
