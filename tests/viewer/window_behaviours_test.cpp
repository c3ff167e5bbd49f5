// What the viewer's window does, written once and run on each front end through its driver.
#include "tests/viewer/window_driver.h"

#include "huedata/hue_file.h"
#include "tests/support/numbered_hues.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"
#include "viewer/hue_display.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using huedata::HueRecord;

constexpr std::u16string_view StandardPath = viewer::DefaultPathText;
constexpr std::u16string_view BrowseName = u"Choose the hue file\u2026";
constexpr std::uint32_t WindowGrey = 0xC0C0C0;

std::u16string Digits(long long number) {
    const std::string digits = std::to_string(number);
    return {digits.begin(), digits.end()};
}

std::u16string NameOf(int id) {
    return u"Hue " + Digits(id);
}

// For messages that name a control.
std::string Narrow(std::u16string_view text) {
    return {text.begin(), text.end()};
}

class WindowBehaviour : public testing::Test {
protected:
    TempDir dir_;
    WindowDriver window_;

    fs::path writeHueFile(const fs::path& name, const std::vector<HueRecord>& hues) {
        fs::path path = dir_ / name;
        huetools::WriteBytes(path, huetools::HueFileImage(hues, 0xA5A5A5A5));
        return path;
    }
    void usePath(const fs::path& path) { window_.type("txtHuesPath", path.u16string()); }
    std::u16string shownName() { return window_.text("txtName"); }
    // Everything a failed read must leave as it was.
    std::vector<std::u16string> screen() {
        std::vector<std::u16string> shown;
        for (const char* name : {"txtName", "txtStart", "txtEnd", "txtHuesPath"}) {
            shown.push_back(window_.text(name));
        }
        shown.push_back(Digits(window_.itemCount()));
        for (int i = 0; i < viewer::SwatchCount; ++i) {
            shown.push_back(window_.tooltip(SwatchControl(i)) + u'|' +
                            window_.spokenName(SwatchControl(i)) + u'|' +
                            Digits(window_.paintedColor(i)));
        }
        return shown;
    }
};

TEST_F(WindowBehaviour, StartsEmptyWithTheDefaultPathAndKeepsTheTabOrder) {
    EXPECT_EQ(window_.title(), u"Hues Read by Brannick");
    EXPECT_EQ(window_.itemCount(), 0);
    EXPECT_EQ(window_.text("txtHuesPath"), StandardPath);
    EXPECT_EQ(shownName() + window_.text("txtStart") + window_.text("txtEnd"), u"");
    EXPECT_EQ(window_.tooltip("picHue(5)"), u"");
    EXPECT_EQ(window_.tooltip("browse"), BrowseName);
    for (int i = 0; i < viewer::SwatchCount; ++i) EXPECT_EQ(window_.paintedColor(i), WindowGrey);

    std::string focus = "txtName";
    for (const char* next : {"cmdGetIt", "lstID", "txtHuesPath", "txtStart", "txtEnd", "txtName"}) {
        focus = window_.nextInTabOrder(focus);
        EXPECT_EQ(focus, next);
    }
}

TEST_F(WindowBehaviour, LaysOutTheTableAtEachDpiAndNamesEveryControl) {
    for (const int dpi : WindowDriver::Dpis()) {
        window_.layOutAt(dpi);
        EXPECT_EQ(window_.clientArea(), viewer::TwipsToPixels(viewer::ClientTwips, dpi)) << dpi;
        for (const viewer::FormControl& entry : viewer::MainFormControls) {
            if (entry.kind == viewer::ControlKind::Swatch) continue;
            const std::string at = std::string(entry.name) + " at " + std::to_string(dpi);
            EXPECT_EQ(window_.placeOf(entry.name), viewer::TwipsToPixels(entry.twips, dpi)) << at;
            EXPECT_FALSE(window_.spokenName(entry.name).empty()) << at;
            if (entry.kind != viewer::ControlKind::TextField ||
                ThisWindow.fieldsSpeakTheirOwnNames) {
                EXPECT_EQ(window_.spokenName(entry.name), entry.spokenName) << at;
            }
        }
        for (int i = 0; i < viewer::SwatchCount; ++i) {
            EXPECT_EQ(window_.placeOf(SwatchControl(i)),
                      viewer::TwipsToPixels(viewer::SwatchTwips(i), dpi))
                << "swatch " << i << " at " << dpi;
            EXPECT_EQ(window_.spokenName(SwatchControl(i)), viewer::SwatchName(i));
        }
        EXPECT_EQ(window_.spokenName("browse"), BrowseName);
    }
    // At 96 DPI, the pixels the table gives: swatches 8 apart, each 9 wide.
    window_.layOutAt(96);
    EXPECT_EQ(window_.clientArea(), (viewer::Rect{0, 0, 425, 211}));
    EXPECT_EQ(window_.placeOf("picHue(0)"), (viewer::Rect{128, 8, 9, 81}));
    EXPECT_EQ(window_.placeOf("picHue(31)"), (viewer::Rect{376, 8, 9, 81}));
}

// Whatever face the system gives for the layout's font, each caption and the button show their
// whole text inside their own rectangle, and each field and the list a whole line, at every
// density (on Windows a control with no font of its own would show the bold System font); and
// the swatches stay one strip, each overlapping the next.
TEST_F(WindowBehaviour, EveryCaptionReadsWholeAndTheStripHasNoGapAtEachDpi) {
    for (const int dpi : WindowDriver::Dpis()) {
        window_.layOutAt(dpi);
        for (const viewer::FormControl& entry : viewer::MainFormControls) {
            if (entry.kind == viewer::ControlKind::Swatch) continue;
            EXPECT_TRUE(window_.readsWhole(entry.name)) << entry.name << " at " << dpi;
        }
        const viewer::Rect strip = viewer::TwipsToPixels(
            {viewer::SwatchTwips(0).left, 0,
             viewer::SwatchTwips(viewer::SwatchCount - 1).left +
                 viewer::SwatchTwips(viewer::SwatchCount - 1).width - viewer::SwatchTwips(0).left,
             0},
            dpi);
        const viewer::Rect first = window_.placeOf(SwatchControl(0));
        const viewer::Rect last = window_.placeOf(SwatchControl(viewer::SwatchCount - 1));
        EXPECT_EQ(first.left, strip.left) << dpi;
        EXPECT_GE(last.left + last.width, strip.left + strip.width) << dpi;
        for (int i = 1; i < viewer::SwatchCount; ++i) {
            const viewer::Rect before = window_.placeOf(SwatchControl(i - 1));
            const viewer::Rect next = window_.placeOf(SwatchControl(i));
            EXPECT_GE(before.left + before.width, next.left + 1) << i << " at " << dpi;
            EXPECT_LT(before.left, next.left) << i << " at " << dpi;
        }
    }
}

TEST_F(WindowBehaviour, GetItFillsTheListAndReadsNothing) {
    usePath(writeHueFile("hues.mul", NumberedHues(16)));
    window_.pressGetIt();
    window_.select(3);
    usePath(dir_ / "absent.mul");
    for (int press = 0; press < 2; ++press) {
        window_.pressGetIt();
        ASSERT_EQ(window_.itemCount(), 2999);
        for (int row = 0; row < 2999; ++row) ASSERT_EQ(window_.itemText(row), Digits(row));
        EXPECT_EQ(window_.selectedRow(), -1);
    }
    EXPECT_TRUE(window_.reports().empty());
    EXPECT_EQ(shownName(), NameOf(3));
}

TEST_F(WindowBehaviour, MouseAndKeyboardSelectionsReadTheirEntries) {
    usePath(writeHueFile("hues.mul", NumberedHues(3000)));
    window_.pressGetIt();
    for (const int row : {0, 8}) {
        window_.select(row);
        EXPECT_EQ(shownName(), NameOf(row));
    }
    window_.press("lstID", Key::Down);
    EXPECT_EQ(shownName(), NameOf(9));
    window_.press("lstID", Key::End);
    EXPECT_EQ(shownName(), NameOf(2998));
    EXPECT_TRUE(window_.reports().empty());
}

TEST_F(WindowBehaviour, ShowsTheSelectedHueAndReadsAfreshEachTime) {
    auto hues = NumberedHues(16);
    hues[8].Name = huetools::NameBytes("Cr\xE8me \x80 Gold");  // é and € in Windows-1252
    hues[8].TableStart = 0x1F;
    hues[8].TableEnd = -1;
    hues[8].Colors[0] = 0x0000;
    hues[8].Colors[5] = 0x7C00;
    hues[8].Colors[6] = static_cast<std::int16_t>(0x83E0);  // bit 15 set: still pure green
    hues[8].Colors[31] = 0x7FFF;
    // A file name in any script, typed into the field as it stands.
    const fs::path unicode = u8"h\u00FCe \u4E2D\u6587.mul";
    usePath(writeHueFile(unicode, hues));
    window_.pressGetIt();
    window_.select(8);
    EXPECT_EQ(shownName(), u"Cr\u00E8me \u20AC Gold");
    EXPECT_EQ(window_.text("txtStart"), u"1F");
    EXPECT_EQ(window_.text("txtEnd"), u"FFFF");
    EXPECT_EQ(window_.paintedColor(0), 0x000000U);
    EXPECT_EQ(window_.paintedColor(5), 0xFF0000U);
    EXPECT_EQ(window_.paintedColor(6), 0x00FF00U);
    EXPECT_EQ(window_.paintedColor(31), 0xFFFFFFU);
    EXPECT_EQ(window_.tooltip("picHue(6)"), u"Colour 6: 0x83E0 \u2192 #00FF00");
    EXPECT_EQ(window_.spokenName("picHue(5)"), u"Colour 5, #FF0000");

    hues[8].Name = huetools::NameBytes("Repainted");
    writeHueFile(unicode, hues);
    window_.select(8);  // already selected: a click reads it again
    EXPECT_EQ(shownName(), u"Repainted");
    hues[7].Name = huetools::NameBytes("From the other file");
    usePath(writeHueFile("other.mul", hues));
    window_.select(7);
    EXPECT_EQ(shownName(), u"From the other file");
    EXPECT_TRUE(window_.reports().empty());
}

TEST_F(WindowBehaviour, ASessionOnlyEverReadsTheHueFile) {
    const fs::path file = writeHueFile("hues.mul", NumberedHues(64));
    const auto bytesBefore = huedata::ReadFileBytes(file);
    const auto modifiedBefore = fs::last_write_time(file);
#ifdef __linux__
    // A file opened for writing reports IN_CLOSE_WRITE on closing, even if left unwritten.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, file.c_str(),
                        IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY | IN_ATTRIB);
#endif
    usePath(file);
    window_.pressGetIt();
    window_.select(3);
    window_.press("lstID", Key::Down);
    window_.select(4);
    EXPECT_EQ(shownName(), NameOf(4));
#ifdef __linux__
    std::vector<std::uint32_t> events;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            events.push_back(event->mask);
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    EXPECT_FALSE(events.empty());
    for (const std::uint32_t mask : events) EXPECT_EQ(mask, std::uint32_t{IN_CLOSE_NOWRITE});
#endif
    EXPECT_TRUE(huedata::ReadFileBytes(file) == bytesBefore);
    EXPECT_TRUE(fs::last_write_time(file) == modifiedBefore);
}

TEST_F(WindowBehaviour, AFailedReadIsReportedOnceAndChangesNothing) {
    const fs::path good = writeHueFile("hues.mul", NumberedHues(16));
    writeHueFile("short.mul", NumberedHues(4));
    fs::create_directory(dir_ / "folder");
    // The system's own words where it gives the reason; an empty reason: any, but one.
    const struct {
        std::u16string path;
        std::u16string reason;
    } cases[] = {
#ifdef _WIN32
        {(dir_ / "absent.mul").u16string(), u""},
        {(dir_ / "folder").u16string(), u""},
        {u"NUL", u""},
#else
        {(dir_ / "absent.mul").u16string(), u"No such file or directory"},
        {(dir_ / "folder").u16string(), u"Is a directory"},
#endif
        {(dir_ / "short.mul").u16string(),
         u"The file is 356 bytes long, too short for the hue entry"},
        {u"", u"No file name was given"},
    };
    for (const auto& [path, reason] : cases) {
        const std::size_t reportsBefore = window_.reports().size();
        usePath(good);
        window_.pressGetIt();
        window_.select(2);
        window_.type("txtHuesPath", path);
        const std::vector<std::u16string> before = screen();

        window_.select(9);
        ASSERT_EQ(window_.reports().size(), reportsBefore + 1) << Narrow(path);
        const std::u16string& report = window_.reports().back();
        std::u16string expected =
            u"Hues Read by Brannick|Could not read hue 9 from the hue file \"";
        expected.append(path).append(u"\". ").append(reason);
        EXPECT_EQ(report.substr(0, expected.size()), expected) << Narrow(report);
        if (reason.empty()) {
            EXPECT_GT(report.size(), expected.size() + 1) << "no reason given: " << Narrow(report);
        }
        EXPECT_EQ(screen(), before) << Narrow(path);
        EXPECT_EQ(window_.selectedRow(), 9);  // the user's choice

        usePath(good);
        window_.select(9);  // fixing the path and clicking again is enough to retry
        EXPECT_EQ(shownName(), NameOf(9));
        EXPECT_EQ(window_.reports().size(), reportsBefore + 1);
    }
}

TEST_F(WindowBehaviour, ASwatchMenuCopiesTheColorOnceAHueIsShown) {
    EXPECT_TRUE(window_.rightClickSwatch(5, -1).empty()) << "a menu before any hue was shown";
    HueRecord hue = NumberedHue(0);
    hue.Colors[5] = 0x7C00;
    usePath(writeHueFile("menu.mul", {hue}));
    window_.readHue(huedata::HuePosition(0));
    for (const auto& [entry, copied] : {std::pair{0, u"#FF0000"}, std::pair{1, u"0x7C00"}}) {
        EXPECT_EQ(window_.rightClickSwatch(5, entry),
                  (std::vector<std::u16string>{u"Copy #FF0000", u"Copy 0x7C00"}));
        EXPECT_EQ(window_.clipboardText(), copied);
    }
}

TEST_F(WindowBehaviour, BrowseAndDropFillThePathAndReadNothing) {
    const fs::path chosen = writeHueFile("chosen.mul", NumberedHues(4));
    EXPECT_TRUE(window_.browseHasIcon());
    window_.browse(u"");  // cancelled: the path stays
    EXPECT_EQ(window_.text("txtHuesPath"), StandardPath);
    window_.browse(chosen.u16string());
    EXPECT_EQ(window_.chooserStarts(), (std::vector<std::u16string>{std::u16string(StandardPath),
                                                                    std::u16string(StandardPath)}));
    EXPECT_EQ(window_.text("txtHuesPath"), chosen.u16string());
    EXPECT_EQ(shownName(), u"");
    window_.pressGetIt();
    window_.select(3);
    EXPECT_EQ(shownName(), NameOf(3));

    // The dropped file need not even exist until a selection.
    for (const char* onto : {"frmMain", "txtHuesPath"}) {
        const fs::path dropped = dir_ / (std::string("dropped on ") + onto);
        window_.drop(dropped, onto);
        EXPECT_EQ(window_.text("txtHuesPath"), dropped.u16string()) << onto;
        EXPECT_EQ(shownName(), NameOf(3)) << onto;
    }
    EXPECT_TRUE(window_.reports().empty());
}

TEST_F(WindowBehaviour, KeysWorkAsInAnyDialog) {
    const fs::path file = writeHueFile("keys.mul", NumberedHues(4));
    usePath(file);
    window_.press("txtHuesPath", Key::SelectAll);
    EXPECT_EQ(window_.selectedText("txtHuesPath"), file.u16string());
    window_.press("cmdGetIt", Key::PressButton);
    EXPECT_EQ(window_.itemCount(), 2999);
    EXPECT_TRUE(window_.reports().empty());
}

TEST_F(WindowBehaviour, StartsWithTheFileItWasGiven) {
    const std::u16string standard(StandardPath);
    const struct {
        std::vector<std::u16string> arguments;
        std::u16string path;
        std::u16string reported;
    } cases[] = {
        {{}, standard, u""},
        {{u"h\u00FCe \u4E2D\u6587.mul"}, u"h\u00FCe \u4E2D\u6587.mul", u""},
        {{u"C:\\h\u00FCe.mul"}, u"C:\\h\u00FCe.mul", u""},
        {{u"--verbose"}, standard, u"\"--verbose\""},
        {{u"a.mul", u"b.mul"}, standard, u"\"a.mul\", \"b.mul\""},
    };
    for (const auto& [arguments, path, reported] : cases) {
        const std::size_t reportsBefore = window_.reports().size();
        window_.type("txtHuesPath", standard);
        window_.startWith(arguments);
        EXPECT_EQ(window_.text("txtHuesPath"), path);
        ASSERT_EQ(window_.reports().size(), reportsBefore + (reported.empty() ? 0 : 1))
            << Narrow(path);
        if (!reported.empty()) {
            EXPECT_NE(window_.reports().back().find(reported), std::u16string::npos)
                << Narrow(window_.reports().back());
        }
        EXPECT_EQ(shownName(), u"");  // nothing is read until a selection
    }
}

}  // namespace

std::string SwatchControl(int index) {
    return "picHue(" + std::to_string(index) + ")";
}
