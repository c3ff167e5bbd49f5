// A diff of two hue files in the forms people and programs read: each changed hue in words
// (with its colours drawn on a terminal), as CSV rows of field, old and new, and as the patch of
// the second file's hues the JSON listing writes. The field table names every field.
#pragma once

#include "huetext/hue_view.h"
#include "huetext/text_builder.h"
#include "huetext/text_format.h"

#include "huedata/hue_fields.h"

#include <string_view>
#include <vector>

namespace huetext {

// The hue as `diff` writes it: its heading, a line a field that changed, and with colours its
// strips; a hue only the first (second) holds is said to be `onlyFirst` (`onlySecond`).
void WriteHueDifference(const huedata::HueDifference& hue, std::string_view onlyFirst,
                        std::string_view onlySecond, TextStyle style, TextBuilder& out);

// Every difference in words, the sides named `first` and `second`; then the file's own changes.
void DiffText(std::string_view first, std::string_view second,
              const huedata::FileDifference& difference, TextStyle style, TextBuilder& out);

// id,field,old,new: a row a changed field, numbers in decimal for spreadsheets.
void DiffCsv(const huedata::FileDifference& difference, TextBuilder& out);

// The patch: the second file's whole hue for every hue that differs and that it holds, with
// the header of its block where that differs; a header alone where the block's first hue is
// the same. In id order; HuesJson writes it.
std::vector<HueView> PatchViews(const huedata::FileDifference& difference);

}  // namespace huetext
