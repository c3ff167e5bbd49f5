// The table of formats: what each format writes is told back as that format by its bytes, and
// read back as the same hues where the format carries them; the words `list` and `export` know
// are each one line; sources of several formats are read together.
#include "hueformats/formats.h"

#include "huedata/file_error.h"
#include "huedata/hue_text.h"
#include "huedata/hue_view.h"
#include "tests/support/numbered_hues.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<huedata::HueView> ViewsOf(const std::vector<huedata::HueRecord>& records) {
    std::vector<huedata::HueView> views;
    views.reserve(records.size());
    for (std::size_t id = 0; id < records.size(); ++id) {
        views.push_back(huedata::ViewOfRecord(static_cast<int>(id), records[id], 0));
    }
    return views;
}

std::string Written(const hueformats::Format& format, std::span<const huedata::HueView> hues) {
    huedata::TextBuilder out;
    if (format.write) {
        format.write(format, huedata::HuesInParts(hues), "numbered", out);
    } else {
        format.list(hues, false, {}, out);
    }
    return std::move(out).Take();
}

std::span<const unsigned char> BytesOf(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

TEST(Formats, EachWrittenFormatIsToldBackAndThoseCarryingHuesGiveThemBack) {
    const std::vector<huedata::HueRecord> records = NumberedHues(20);
    const std::vector<huedata::HueView> hues = ViewsOf(records);
    std::set<std::string_view> names;
    for (const hueformats::Format& format : hueformats::Formats()) {
        SCOPED_TRACE(format.name);
        EXPECT_TRUE(names.insert(format.name).second) << "two lines share a name";
        if (!format.write && !format.list) continue;
        const std::string bytes = Written(format, hues);
        const hueformats::Format& told = hueformats::FormatOfBytes(BytesOf(bytes));
        // The spreadsheet's CSV is told as CSV, which is how it is read.
        if (format.palette || format.listKind == "json" || format.listKind == "csv") {
            EXPECT_EQ(told.name, format.name);
        } else if (format.readBack == hueformats::ReadBack::AsText) {
            EXPECT_EQ(told.listKind, "csv");
        }
        if (format.readBack == hueformats::ReadBack::Never) continue;
        std::string warning;
        const std::vector<hueformats::HueSource> sources{{"written", bytes}};
        const huedata::SourceHues read = hueformats::ReadHues(
            sources, hueformats::SourceEncoding::Detect, /*strict=*/true, warning);
        ASSERT_EQ(read.changes.size(), records.size());
        for (const huedata::HueChange& change : read.changes) {
            const huedata::HueRecord& record = records[static_cast<std::size_t>(change.id)];
            ASSERT_TRUE(change.colors);
            EXPECT_EQ(*change.colors, record.Colors) << "hue " << change.id;
        }
        EXPECT_EQ(warning, "");
    }
}

TEST(Formats, ListAndExportKnowEachWordOnce) {
    for (const auto& kinds : {hueformats::ListKinds(), hueformats::ExportKinds()}) {
        const std::set<std::string> once(kinds.begin(), kinds.end());
        EXPECT_EQ(once.size(), kinds.size());
    }
    EXPECT_EQ(hueformats::ListKinds(), (std::vector<std::string>{"text", "json", "csv"}));
    for (const std::string& kind : hueformats::ExportKinds()) {
        ASSERT_NE(hueformats::ExportFormat(kind), nullptr) << kind;
        EXPECT_NE(hueformats::ExportFormat(kind)->write, nullptr) << kind;
    }
    EXPECT_EQ(hueformats::ExportFormat("html"), nullptr);  // the page layer renders it
    EXPECT_EQ(hueformats::ListFormat(""), nullptr);
}

TEST(Formats, SourcesOfSeveralFormatsAreReadTogetherAndAHueGivenTwiceIsRefused) {
    const std::vector<huedata::HueRecord> records = NumberedHues(4);
    const std::vector<huedata::HueView> hues = ViewsOf(records);
    const std::string json = Written(*hueformats::ListFormat("json"), std::span(hues).first(2));
    const std::string ase = Written(*hueformats::ExportFormat("ase"), std::span(hues).last(2));
    std::string warning;
    const std::vector<hueformats::HueSource> apart{{"a.json", json}, {"b.ase", ase}};
    EXPECT_EQ(hueformats::ReadHues(apart, hueformats::SourceEncoding::Detect, false, warning)
                  .changes.size(),
              4U);
    const std::string overlapping = Written(*hueformats::ExportFormat("ase"), hues);
    const std::vector<hueformats::HueSource> twice{{"a.json", json}, {"c.ase", overlapping}};
    try {
        hueformats::ReadHues(twice, hueformats::SourceEncoding::Detect, false, warning);
        FAIL() << "a hue given twice was taken";
    } catch (const huedata::HuesError& error) {
        EXPECT_STREQ(error.what(), "c.ase: hue 0 is given twice; first in a text source");
    }
}

}  // namespace
