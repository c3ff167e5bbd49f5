// A diff of two hue files in the forms people and programs read: each changed hue in words
// (with its colours drawn on a terminal), as CSV rows of field, old and new, and as the patch of
// the second file's hues the JSON listing writes. The field table names every field.
#pragma once

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "hueformats/text_format.h"

#include "huedata/hue_fields.h"

#include <string_view>
#include <vector>

namespace hueformats {

// The hue as `diff` writes it: its heading, a line a field that changed, and with colours its
// strips; a hue only the first (second) holds is said to be `onlyFirst` (`onlySecond`).
void WriteHueDifference(const huedata::HueDifference& hue, std::string_view onlyFirst,
                        std::string_view onlySecond, TextStyle style, huedata::TextBuilder& out);

// Every difference in words, the sides named `first` and `second`; then the file's own changes.
void DiffText(std::string_view first, std::string_view second,
              const huedata::FileDifference& difference, TextStyle style,
              huedata::TextBuilder& out);

// id,field,old,new: a row a changed field, numbers in decimal for spreadsheets.
void DiffCsv(const huedata::FileDifference& difference, huedata::TextBuilder& out);

// The patch: the second file's whole hue for every hue that differs and that it holds, with
// the header of its block where that differs; a header alone where the block's first hue is
// the same. In id order; HuesJson writes it.
std::vector<huedata::HueView> PatchViews(const huedata::FileDifference& difference);

// The changed hues of a difference for the diff page's script: [{"hue", "fields": [their
// names], "before", "after"}], each side keyed as the JSON format keys a hue (its name as the
// page shows it, its table values signed, its stored colours) or null where a file lacks it.
void ChangedHuesJson(const huedata::FileDifference& difference, huedata::TextBuilder& out);

}  // namespace hueformats
