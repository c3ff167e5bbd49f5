// Hues read from text: each fault of a source, in its text or in its bytes, refused in one line
// that names the source, the place, the hue and the field, and says why.
#include "hueformats/hue_source.h"
#include "huedata/file_error.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(ReadHueSources, RefusesEachFaultInOneLineThatSaysWhereAndWhy) {
    const struct {
        std::string source, reason;
    } cases[] = {
        {"[{\"id\":1,", "standard input:1:10: not valid JSON"},
        {"[1]", "standard input:1:2: expected a hue object, found 1"},
        {R"([{"id":1,"name":5}])", "hue 1: name: expected a string, found 5"},
        {R"({"id":1,"colors":["#000000","#000000"]})", "hue 1: colors: has 2 items; a hue has 32"},
        {R"({"id":32768})", "id: must be from 0 to 32767"},
        {"[{\"id\":1},\n {\"id\":1}]",
         "standard input:2:2: hue 1: id: is given twice; first at standard input:1:2"},
        {R"({"id":1,"name":"abcdefghijklmnopqrstu"})", "21 bytes long in Windows-1252"},
        {R"({"id":1,"name":"中"})", "U+4E2D has no byte in Windows-1252"},
        {R"({"id":1,"name_bytes":"41"})", "name_bytes: must be 40 hexadecimal digits"},
        {R"({"id":1,"table_start":40000})", "table_start: must be from -32768 to 32767"},
        {R"({"id":1,"block_header":1})", "only the first hue of a block"},
        {R"({"id":1,"colour":[]})", "colour: is not a field of a hue"},
        {"id,name\r\n1,a,b\r\n", "standard input:2: the row has 3 fields; the header has 2"},
        {"id,color0\n1,#FF0000\n", "1 of the 32 colour columns"},
        {"id,table_end\n1,x\n", "standard input:2: hue 1: table_end: expected a whole number"},
        {"id,name\n1,\"open\n", "a quoted field is never closed"},
        {" \n", "holds no hues"},
        {std::string("id\nname\0", 9), "standard input: not text: it holds a NUL byte"},
        {"\xFF\xFE{", "standard input: not valid UTF-16 LE"},
        {"\xEF\xBB\xBFid\n\xE8", "standard input: not valid UTF-8, as its byte-order mark says"},
        {R"({"id":1,"stored":[0,0]})", "hue 1: stored: has 2 items; a hue has 32"},
    };
    for (const auto& [source, reason] : cases) {
        try {
            std::string warning;
            const std::array text{hueformats::DecodeSource(
                "standard input", source, hueformats::SourceEncoding::Detect, warning)};
            hueformats::ReadHueSources(text, false);
            ADD_FAILURE() << "read: " << source;
        } catch (const huedata::HuesError& error) {
            const std::string said = error.what();
            EXPECT_NE(said.find(reason), std::string::npos) << source << "\n" << said;
            EXPECT_EQ(said.find('\n'), std::string::npos) << said;
        }
    }
}

}  // namespace
