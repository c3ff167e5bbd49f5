// The palettes hues_bench measures against, made with minizip:
//   palette_files --colorset PALETTE.kpl OUT.xml   the colour set of a KPL, unpacked
//   palette_files --hostile OUT.kpl                a KPL of under 1 MB whose colour set unpacks to
//                                                  380 MB of empty elements and no colour
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

bool UnpackColorSet(const char* palette, const char* out) {
    unzFile zip = unzOpen64(palette);
    if (zip == nullptr || unzLocateFile(zip, "colorset.xml", 1) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK) {
        return false;
    }
    std::FILE* file = std::fopen(out, "wb");
    std::array<char, 1 << 16> piece{};
    int read = 0;
    while (file != nullptr && (read = unzReadCurrentFile(zip, piece.data(), piece.size())) > 0) {
        std::fwrite(piece.data(), 1, static_cast<std::size_t>(read), file);
    }
    const bool whole = file != nullptr && read == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
    if (file != nullptr) std::fclose(file);
    unzClose(zip);
    return whole;
}

bool WriteHostile(const char* out) {
    zipFile zip = zipOpen64(out, APPEND_STATUS_CREATE);
    if (zip == nullptr) return false;
    const auto entry = [&](const char* name, int method, auto write) {
        const zip_fileinfo info{};
        return zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, method,
                                   Z_BEST_COMPRESSION) == ZIP_OK &&
               write() && zipCloseFileInZip(zip) == ZIP_OK;
    };
    const auto put = [&](std::string_view bytes) {
        return zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) ==
               ZIP_OK;
    };
    std::string empties;
    for (int k = 0; k < (1 << 20); ++k) empties += "<a/>";
    const auto colorSet = [&] {
        bool fine = put("<ColorSet>");
        for (int k = 0; k < 95; ++k) fine = fine && put(empties);  // 380 MB
        return fine && put("</ColorSet>");
    };
    const bool written = entry("mimetype", 0, [&] { return put("application/x-krita-palette"); }) &&
                         entry("colorset.xml", Z_DEFLATED, colorSet);
    return zipClose(zip, nullptr) == ZIP_OK && written;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view what = argc > 1 ? argv[1] : "";
    const bool done = (what == "--colorset" && argc == 4 && UnpackColorSet(argv[2], argv[3])) ||
                      (what == "--hostile" && argc == 3 && WriteHostile(argv[2]));
    if (!done) {
        std::fprintf(stderr,
                     "usage: palette_files --colorset PALETTE.kpl OUT.xml | --hostile "
                     "OUT.kpl\n");
        return 1;
    }
}
