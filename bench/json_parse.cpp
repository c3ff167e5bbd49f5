// The JSON library's own parse of a file, and nothing else: what `hues build` from JSON is
// measured against.   json_parse FILE
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: json_parse FILE\n");
        return 2;
    }
    try {
        std::ifstream file(argv[1], std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
        const nlohmann::json document = nlohmann::json::parse(text);
        return document.is_array() ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "json_parse: %s\n", error.what());
        return 2;
    }
}
