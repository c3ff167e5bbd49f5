// Whole runs of `hues` on the 3,000-hue sample, each beside the run it is measured against:
// a command with a short output against `hues --version` (the program's own start-up), a
// long listing against `cat` of the same bytes to the same place, and `-o` against
// `dd conv=fsync` of the same bytes into a file; `build` from JSON against the JSON library's
// own parse of that JSON, and an edit in place (`set`, `apply`) against `dd conv=fsync` of the
// hue file's bytes; `diff` of two files a thousand hues apart (as text and as a page) against
// `cat` of both and the program's start-up, `merge` against `set`, `set --from-picture` of a
// 12-megapixel JPEG against the picture decoder alone, `similar` (with and without a colour
// vision) and `check` (every rule) against the start-up and their goals in time, `set --ramp`
// against `set --gradient` of three
// stops; the palettes of art programs: `export ase`
// into a file and into /dev/null against `cat` of its bytes with the start-up, `export kpl`
// against `gzip -1` of its XML with the start-up, `apply` of the whole-file KPL against that of
// the whole-file ASE, and a hostile KPL (380 MB of empty elements in under 1 MB) refused, against
// its goal in time and memory. Each measured run's peak memory is reported beside its time.
// The runs are interleaved,
// one of each per round and each side first in turn, so that a machine whose speed drifts (a shared
// sandbox does) slows both sides of a comparison alike; medians are reported, each beside its
// goal where it has one.
//
//   hues_bench PATH/TO/hues [ROUNDS [HUES]]   (HUES: the file's size in hues, 3000 by default)

#include "bench_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using Command = std::vector<std::string>;

// Runs `command` with its standard output going to `output` (created or truncated) and its
// errors discarded; returns the wall-clock time from spawn to exit in microseconds. The run
// must end with `expected` (diff's 1: the files differ; AnyStatus for a run that may end either
// way, such as `similar`). Its peak memory in KiB goes to `peakKib`, where given.
constexpr int AnyStatus = -1;
double TimedRun(const Command& command, const std::string& output, int expected = 0,
                long* peakKib = nullptr) {
    std::vector<char*> argv;
    for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        (expected != AnyStatus && WEXITSTATUS(status) != expected)) {
        std::fprintf(stderr, "hues_bench: %s failed\n", command.front().c_str());
        std::exit(1);
    }
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (peakKib != nullptr) *peakKib = usage.ru_maxrss;
    return std::chrono::duration<double, std::micro>(end - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Comparison {
    std::string label;
    Command measured;
    // Taken in turn instead of `measured`, where a run must change something each time.
    std::vector<Command> alternatives;
    Command reference;
    std::string referenceLabel;
    std::vector<Command> referenceAlternatives = {};  // likewise for the reference
    Command addedToReference = {};     // timed too, and added to the reference's time
    int status = 0;                    // the measured run's exit status
    double goalRatio = 0;              // at most this ratio, where there is a goal
    double goalMs = 0;                 // at most this time, where the goal is one of time
    double goalMb = 0;                 // at most this peak memory, where there is such a goal
    std::string output = "/dev/null";  // where both sides write their standard output
};

// "<= 1.60x", "<= 2000 ms", either with ", <= 300 MB", or nothing.
std::string GoalText(const Comparison& comparison) {
    std::array<char, 32> text{};
    if (comparison.goalRatio > 0) {
        std::snprintf(text.data(), text.size(), "<= %.2fx", comparison.goalRatio);
    } else if (comparison.goalMs > 0) {
        std::snprintf(text.data(), text.size(), "<= %.0f ms", comparison.goalMs);
    }
    std::string goal = text.data();
    if (comparison.goalMb > 0) {
        std::snprintf(text.data(), text.size(), "<= %.0f MB", comparison.goalMb);
        goal += (goal.empty() ? "" : ", ") + std::string(text.data());
    }
    return goal;
}

struct Times {
    std::vector<double> measured;
    std::vector<double> reference;
    long peakKib = 0;  // the most any measured run took
};

// A count from the command line: a whole number above zero, or nothing.
std::optional<int> CountArgument(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<int> roundsGiven = argc > 2 ? CountArgument(argv[2]) : 200;
    const std::optional<int> countGiven = argc > 3 ? CountArgument(argv[3]) : 3000;
    if (argc < 2 || argc > 4 || !roundsGiven || !countGiven) {
        std::fprintf(stderr,
                     "usage: hues_bench PATH/TO/hues [ROUNDS [HUES]] (counts above zero)\n");
        return 2;
    }
    const std::string hues = std::filesystem::absolute(argv[1]).string();
    const int rounds = *roundsGiven;
    const auto count = static_cast<std::size_t>(*countGiven);
    const BenchHueFile sample(count);
    const std::string file = sample.path().string();
    const std::string dir = sample.path().parent_path().string();

    auto huesRun = [&](const std::vector<std::string>& words) {
        Command command{hues, "-f", file};
        command.insert(command.end(), words.begin(), words.end());
        return command;
    };
    auto labelOf = [](const std::vector<std::string>& words) {
        std::string label;
        for (const auto& word : words) label += (label.empty() ? "" : " ") + word;
        return label;
    };
    // The bytes a long listing writes, kept for the plain copy to move.
    int saved = 0;
    auto savedOutput = [&](const Command& command) {
        std::string path = dir + "/out";
        path += std::to_string(saved++);
        TimedRun(command, path);
        return path;
    };

    const Command startUp = huesRun({"--version"});
    std::vector<Comparison> comparisons;
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"show", "8"}, {"find", "scarlet"}, {"nearest", "#FF8800"}}) {
        // On a larger file these are long outputs too; still measured against the start-up.
        comparisons.push_back({labelOf(words), huesRun(words), {}, startUp, "hues --version"});
    }
    for (const auto& words : std::vector<std::vector<std::string>>{{"list"},
                                                                   {"list", "--format", "json"},
                                                                   {"list", "--format", "csv"},
                                                                   {"show", "0-2999"},
                                                                   {"export", "gpl"},
                                                                   {"export", "html"}}) {
        const Command command = huesRun(words);
        comparisons.push_back({labelOf(words), command, {}, {"cat", savedOutput(command)}, "cat"});
        if (words == std::vector<std::string>{"list", "--format", "json"}) {
            comparisons.back().goalRatio = 2.5;
        }
    }
    // The palettes of art programs: ASE against cat of its bytes into the same place (/dev/null
    // and a file) with the start-up added; KPL, a zip, against gzip -1 of its XML.
    const Command exportAse = huesRun({"export", "ase"});
    const std::string aseBytes = savedOutput(exportAse);
    for (const std::string& output : {std::string("/dev/null"), dir + "/exported.ase"}) {
        comparisons.push_back({.label = output == "/dev/null" ? "export ase" : "export ase > FILE",
                               .measured = exportAse,
                               .alternatives = {},
                               .reference = {"cat", aseBytes},
                               .referenceLabel = "cat + start-up",
                               .referenceAlternatives = {},
                               .addedToReference = startUp,
                               .status = 0,
                               .goalRatio = 2.0,
                               .goalMs = 0,
                               .goalMb = 0,
                               .output = output});
    }
    const Command exportKpl = huesRun({"export", "kpl"});
    const std::string kplBytes = savedOutput(exportKpl);
    const std::string colorSet = dir + "/colorset.xml";
    TimedRun({PALETTE_FILES, "--colorset", kplBytes, colorSet}, "/dev/null");
    comparisons.push_back({.label = "export kpl",
                           .measured = exportKpl,
                           .alternatives = {},
                           .reference = {"gzip", "-1", "-c", colorSet},
                           .referenceLabel = "gzip -1 + start",
                           .referenceAlternatives = {},
                           .addedToReference = startUp,
                           .goalRatio = 1.0});
    // Read back whole: each palette already holds the file's hues, so nothing is written.
    const std::string aseFile = aseBytes + ".ase", kplFile = kplBytes + ".kpl";
    std::filesystem::copy_file(aseBytes, aseFile);
    std::filesystem::copy_file(kplBytes, kplFile);
    comparisons.push_back({.label = "apply (whole-file KPL)",
                           .measured = huesRun({"apply", kplFile}),
                           .alternatives = {},
                           .reference = huesRun({"apply", aseFile}),
                           .referenceLabel = "same, ASE",
                           .referenceAlternatives = {},
                           .addedToReference = {},
                           .status = 0,
                           .goalRatio = 1.5,
                           .goalMs = 0,
                           .goalMb = 300});
    const std::string hostile = dir + "/hostile.kpl";
    TimedRun({PALETTE_FILES, "--hostile", hostile}, "/dev/null");
    comparisons.push_back({.label = "set --from (hostile KPL)",
                           .measured = huesRun({"set", "3", "--from", hostile}),
                           .alternatives = {},
                           .reference = startUp,
                           .referenceLabel = "hues --version",
                           .referenceAlternatives = {},
                           .addedToReference = {},
                           .status = 2,
                           .goalRatio = 0,
                           .goalMs = 1000,
                           .goalMb = 100});
    for (const std::string kind : {"gpl", "html"}) {
        const std::string bytes = savedOutput(huesRun({"export", kind}));
        std::string target = dir + "/written.";
        target += kind;
        comparisons.push_back(
            {"export " + kind + " -o FILE",
             huesRun({"export", kind, "-o", target}),
             {},
             {"dd", "if=" + bytes, "of=" + target, "bs=64K", "conv=fsync", "status=none"},
             "dd conv=fsync"});
        if (kind == "html") comparisons.back().goalRatio = 1.6;
    }

    // Making and changing hue files.
    const std::string json = savedOutput(huesRun({"list", "--format", "json"}));
    comparisons.push_back({"build JSON -o FILE",
                           {hues, "build", json, "-o", dir + "/built.mul"},
                           {},
                           {JSON_PARSE, json},
                           "json parse"});
    const Command ddHueFile = {"dd",    "if=" + file, "of=" + dir + "/copy.mul",
                               "bs=1M", "conv=fsync", "status=none"};
    comparisons.push_back(
        {"set 8 --name ...",
         {},
         {huesRun({"set", "8", "--name", "Even"}), huesRun({"set", "8", "--name", "Odd"})},
         ddHueFile,
         "dd conv=fsync"});
    // A hue from one colour against a gradient of three stops: each run changes the hue.
    comparisons.push_back({"set 8 --ramp ...",
                           {},
                           {huesRun({"set", "8", "--ramp", "#3366CC", "--shift", "30"}),
                            huesRun({"set", "8", "--ramp", "#E08020", "--shift", "45"})},
                           {},
                           "set --gradient",
                           {huesRun({"set", "8", "--gradient", "#1A0A3C,#E0603A,#FFF4C0"}),
                            huesRun({"set", "8", "--gradient", "#0A1A3C,#3AE060,#C0FFF4"})},
                           {},
                           0,
                           1.2});
    std::vector<Command> applies;
    for (const std::string name : {"Even", "Odd"}) {
        std::string patch = dir;
        patch.append("/patch-").append(name).append(".json");
        if (std::FILE* out = std::fopen(patch.c_str(), "w")) {
            std::fprintf(out, "[{\"id\":9,\"name\":\"%s\"}]\n", name.c_str());
            std::fclose(out);
        }
        applies.push_back(huesRun({"apply", patch}));
    }
    comparisons.push_back({"apply (one hue)", {}, applies, ddHueFile, "dd conv=fsync"});

    // Two sides with a thousand hues changed each (ours the even ids, theirs the odd ones)
    // merged into a third file, beside an edit of one hue of the same file. Their base is a
    // copy: the edits above change the file itself.
    const std::string base = dir + "/base.mul";
    std::filesystem::copy_file(file, base, std::filesystem::copy_options::overwrite_existing);
    std::string sides[2];
    for (int side = 0; side < 2; ++side) {
        sides[side] = dir + (side == 0 ? "/ours.mul" : "/theirs.mul");
        const std::string patch = sides[side] + ".json";
        if (std::FILE* out = std::fopen(patch.c_str(), "w")) {
            const int changed = std::min(1000, static_cast<int>(count) / 2);
            for (int i = 0; i < changed; ++i) {
                std::fprintf(out, R"(%s{"id":%d,"name":"Side %d"})", i == 0 ? "[" : ",",
                             2 * i + side, side);
            }
            std::fprintf(out, "]\n");
            std::fclose(out);
        }
        std::filesystem::copy_file(base, sides[side],
                                   std::filesystem::copy_options::overwrite_existing);
        TimedRun({hues, "-f", sides[side], "apply", patch, "--no-backup"}, "/dev/null");
    }
    // The two sides differ in a thousand hues: diff as text and as a page, against reading both
    // files (cat) and the program's start-up.
    for (const std::string format : {"text", "html"}) {
        comparisons.push_back({"diff --format " + format + " (1,000)",
                               {hues, "diff", base, sides[0], "--format", format},
                               {},
                               {"cat", base, sides[0]},
                               "cat A B + start",
                               {},
                               startUp,
                               1,
                               2.0});
    }
    comparisons.push_back(
        {"merge (1,000 hues a side)",
         {hues, "merge", base, sides[0], sides[1], "-o", dir + "/merged.mul"},
         {},
         {},
         "hues set",
         {huesRun({"set", "8", "--name", "Even"}), huesRun({"set", "8", "--name", "Odd"})},
         {},
         0,
         2.0});
    // A hue from a 12-megapixel photo, against the decoder alone on the same file.
    const std::string photo = dir + "/photo.jpg";
    TimedRun({PICTURE_DECODE, "--photo", photo}, "/dev/null");
    comparisons.push_back({"set 9 --from-picture (12 MP)",
                           huesRun({"set", "9", "--from-picture", photo, "--no-backup"}),
                           {},
                           {PICTURE_DECODE, photo},
                           "decoder alone",
                           {},
                           {},
                           0,
                           1.5});
    // Near-duplicates among all the hues, as seen with normal vision and with a deficiency: the
    // sample repeats its hues, so that there are many pairs to find.
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"similar"}, {"similar", "--vision", "deuteranomaly:60"}}) {
        comparisons.push_back({labelOf(words),
                               huesRun(words),
                               {},
                               startUp,
                               "hues --version",
                               {},
                               {},
                               AnyStatus,
                               0,
                               2000});
    }

    // Every rule of check, the pair rules through similar's index four times (normal vision
    // and the three deficiencies): 150 ms for the 3,000-hue sample, 2 s for every hue.
    comparisons.push_back({"check (every rule)",
                           huesRun({"check", "--no-config"}),
                           {},
                           startUp,
                           "hues --version",
                           {},
                           {},
                           AnyStatus,
                           0,
                           count > 3000 ? 2000.0 : 150.0});

    // Both sides of every comparison write their standard output to /dev/null.
    constexpr int WarmUpRounds = 10;
    std::vector<Times> times(comparisons.size());
    for (int round = 0; round < WarmUpRounds + rounds; ++round) {
        for (std::size_t i = 0; i < comparisons.size(); ++i) {
            const auto& alternatives = comparisons[i].alternatives;
            const Command& measuredRun =
                alternatives.empty()
                    ? comparisons[i].measured
                    : alternatives[static_cast<std::size_t>(round) % alternatives.size()];
            // A run straight after a long one (the JSON build and parse) is slower by a
            // fifth or more; an untimed run first lets that pass before either side is timed,
            // and each side goes first every other round.
            // An edit as the reference changes the file each time: the untimed run makes the
            // other change.
            const auto& others = comparisons[i].referenceAlternatives;
            const auto turn = static_cast<std::size_t>(round);
            const Command& referenceRun =
                others.empty() ? comparisons[i].reference : others[turn % others.size()];
            TimedRun(others.empty() ? referenceRun : others[(turn + 1) % others.size()],
                     "/dev/null");
            const bool measuredFirst = round % 2 == 0;
            const int status = comparisons[i].status;
            const std::string& output = comparisons[i].output;
            long peakKib = 0;
            const double first = measuredFirst ? TimedRun(measuredRun, output, status, &peakKib)
                                               : TimedRun(referenceRun, output);
            const double second = measuredFirst ? TimedRun(referenceRun, output)
                                                : TimedRun(measuredRun, output, status, &peakKib);
            const double measured = measuredFirst ? first : second;
            const Command& added = comparisons[i].addedToReference;
            const double reference = (measuredFirst ? second : first) +
                                     (added.empty() ? 0 : TimedRun(added, "/dev/null"));
            if (round < WarmUpRounds) continue;
            times[i].measured.push_back(measured);
            times[i].reference.push_back(reference);
            times[i].peakKib = std::max(times[i].peakKib, peakKib);
        }
    }

    std::printf("%-32s %10s %7s   %-15s %10s %7s  %-10s (medians of %d rounds)\n", "hues", "time",
                "peak", "against", "time", "ratio", "goal", rounds);
    for (std::size_t i = 0; i < comparisons.size(); ++i) {
        const double measured = Median(times[i].measured);
        const double reference = Median(times[i].reference);
        std::printf("%-32s %7.0f us %4ld MB   %-15s %7.0f us %6.2fx  %s\n",
                    comparisons[i].label.c_str(), measured, (times[i].peakKib + 1023) / 1024,
                    comparisons[i].referenceLabel.c_str(), reference, measured / reference,
                    GoalText(comparisons[i]).c_str());
    }
}
