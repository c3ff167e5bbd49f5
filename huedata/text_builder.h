// Builds a large output text from many small pieces.
#pragma once

#include "huedata/color15.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <concepts>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace huedata {

// A value below 100,000 (a hue id, a stored colour) in decimal, written at `out`, which has
// room for 5 characters; returns the end. The last four digits come whole from a table of the
// 10,000 groups of four: a listing writes 100,000 such numbers, and this takes a sixth of the
// time std::to_chars needs.
inline char* WriteSmallDecimal(char* out, std::uint32_t value) {
    // "0000" to "9999", one after another.
    static constexpr auto Quads = [] {
        std::array<char, std::size_t{4} * 10000> quads{};
        for (std::size_t i = 0; i < 10000; ++i) {
            quads[4 * i] = static_cast<char>('0' + i / 1000);
            quads[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
            quads[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
            quads[4 * i + 3] = static_cast<char>('0' + i % 10);
        }
        return quads;
    }();
    if (value >= 10000) {
        *out++ = static_cast<char>('0' + value / 10000);
        std::memcpy(out, &Quads[std::size_t{4} * (value % 10000)], 4);
        return out + 4;
    }
    // The group without its leading zeros: copied as four characters from where they end,
    // the spare ones written over by what follows.
    const std::size_t length = 1U + (value >= 10) + (value >= 100) + (value >= 1000);
    std::memcpy(out, &Quads[4 * value + 4 - length], 4);
    return out + length;
}

// Where finished text goes, piece by piece.
using TextSink = std::function<void(std::string_view)>;

// A listing of 3,000 hues is some 100,000 short pieces. std::string's appending members are
// compiled into the library, a call each; these are inline and write straight into spare
// capacity, several times faster. With a sink, the text is handed on whenever the buffer
// fills, always between two pieces, so a long listing never sits in memory whole.
class TextBuilder {
public:
    static constexpr std::size_t ChunkSize = std::size_t{64} * 1024;

    // The buffer starts small and grows to ChunkSize: a short answer touches a page, not 16.
    explicit TextBuilder(TextSink sink = {}) : sink_(std::move(sink)) { text_.resize(4096); }

    TextBuilder& operator<<(char c) {
        Ensure(1);
        text_[size_++] = c;
        return *this;
    }
    // A literal: its length is known here, so the copy compiles to a few moves.
    template <std::size_t N>
    TextBuilder& operator<<(const char (&literal)[N]) {
        Ensure(N - 1);
        std::memcpy(text_.data() + size_, literal, N - 1);
        size_ += N - 1;
        return *this;
    }
    TextBuilder& operator<<(std::string_view piece) {
        // A piece larger than the buffer goes to the sink as it is, never through a copy.
        if (piece.size() >= ChunkSize && sink_) {
            Flush();
            sink_(piece);
            return *this;
        }
        Ensure(piece.size());
        std::memcpy(text_.data() + size_, piece.data(), piece.size());
        size_ += piece.size();
        return *this;
    }
    template <std::integral Number>
    requires(!std::same_as<Number, char>) TextBuilder& operator<<(Number number) {
        Ensure(24);
        size_ = static_cast<std::size_t>(
            std::to_chars(text_.data() + size_, text_.data() + text_.size(), number).ptr -
            text_.data());
        return *this;
    }
    // A colour as #RRGGBB.
    TextBuilder& operator<<(Rgb24 color) {
        Ensure(7);
        size_ = static_cast<std::size_t>(WriteRgbText(text_.data() + size_, color) - text_.data());
        return *this;
    }
    // Room for `most` characters written straight at the returned pointer; Commit(end) then
    // takes them. For writers of many short numbers, which would otherwise check for room
    // before each.
    char* Reserve(std::size_t most) {
        Ensure(most);
        return text_.data() + size_;
    }
    void Commit(const char* end) { size_ = static_cast<std::size_t>(end - text_.data()); }
    // Hands what is built so far to the sink, if there is one.
    void Flush() {
        if (!sink_ || size_ == 0) return;
        sink_(std::string_view(text_.data(), size_));
        size_ = 0;
    }

    // The whole text, for a builder without a sink.
    std::string Take() && {
        text_.resize(size_);
        return std::move(text_);
    }

private:
    // The check inline, the rare work of making room out of line.
    void Ensure(std::size_t more) {
        if (size_ + more > text_.size()) [[unlikely]]
            MakeRoom(more);
    }
    void MakeRoom(std::size_t more) {
        if (text_.size() >= ChunkSize) Flush();
        if (size_ + more > text_.size()) text_.resize(std::max(text_.size() * 2, size_ + more));
    }

    TextSink sink_;
    std::string text_;
    std::size_t size_ = 0;
};

}  // namespace huedata
