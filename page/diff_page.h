// The diff page: what differs between two hue files, as one self-contained page a person can
// attach to a review (it works from file://, and asks nothing of the network), or that
// `hues diff --web` serves.
#pragma once

#include "huedata/text_builder.h"
#include "page/sample_picture.h"

#include <span>
#include <string>
#include <string_view>

namespace page {

// One hue file's bytes, with the name the page gives it.
struct DiffPageSide {
    std::string label;
    std::span<const unsigned char> bytes;
};

// Every hue that differs (whose 88 bytes differ, or that one file lacks) with its fields and
// colours before and after; the hues that do not, for the page to show on request; block
// headers, sizes and bytes after the last hue, where they differ, as notes. `sample`, when
// given, is painted with each changed hue. `served`: the page has a Done button, which ends
// the program that serves it.
void DiffPage(const DiffPageSide& before, const DiffPageSide& after, std::string_view title,
              const SamplePicture* sample, bool served, huedata::TextBuilder& out);

}  // namespace page
