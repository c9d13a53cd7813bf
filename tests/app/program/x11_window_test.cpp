// The program on a real X server, as the window manager sees its windows: what it reads from
// their properties decides the taskbar button, the minimise box and the icons.
#include <cstdio>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/program/program_process.h"
#include "tests/support/virtual_display.h"
#include "tests/support/wait_until.h"

namespace {

// What command prints, run on display.
std::string Output(const std::string& display, const std::string& command) {
    const std::string line = "DISPLAY=" + display + " " + command + " 2>&1";
    std::string output;
    if (FILE* pipe = popen(line.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

bool HasLine(const std::string& text, const std::string& wanted) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line == wanted)
            return true;
    }
    return false;
}

class ProgramOnX11 : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!display_.available())
            GTEST_SKIP() << display_.why();
        if (Output(display_.name(), "xwininfo -version").find("xwininfo") == std::string::npos)
            GTEST_SKIP() << "no xwininfo and xprop (Debian package x11-utils)";
    }

    // The program with the display as a desktop session gives it.
    ProgramEnvironment onDisplay() const {
        return {.set = {{"DISPLAY", display_.name()}},
                .unset = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}};
    }

    // The id of the shown top-level window titled title, once there is one; under a window
    // manager too, which puts each window in a frame of its own.
    std::string windowTitled(Program& program, const std::string& title) {
        std::string id;
        testsupport::waitUntil(
            [&] {
                std::istringstream lines(Output(display_.name(), "xwininfo -root -tree"));
                for (std::string line; std::getline(lines, line);) {
                    const auto name = line.find(" \"" + title + "\":");
                    if (name == std::string::npos)
                        continue;
                    const auto start = line.find("0x");
                    const std::string candidate = line.substr(start, name - start);
                    if (Output(display_.name(), "xwininfo -id " + candidate)
                            .find("Map State: IsViewable") != std::string::npos) {
                        id = candidate;
                    }
                }
                return !id.empty() || !program.running();
            },
            std::chrono::seconds(60));
        return id;
    }

    std::string properties(const std::string& window, const std::string& names) {
        return Output(display_.name(), "xprop -id " + window + " -notype " + names);
    }

    // Whether the window carries an icon, without printing its pictures.
    bool hasIcon(const std::string& window) {
        return Output(display_.name(),
                      "xprop -id " + window + " -f _NET_WM_ICON 32c ' = $0 x $1\\n' _NET_WM_ICON")
                   .find("_NET_WM_ICON(CARDINAL) = ") != std::string::npos;
    }

    testsupport::VirtualDisplay display_;
};

TEST_F(ProgramOnX11, TheMainDialogIsANormalWindowWithItsOwnTaskbarButton) {
    Program program(copyAs("Corvanite"), runtime_, {}, onDisplay());
    const std::string window = windowTitled(program, "Corvanite Test");
    ASSERT_FALSE(window.empty()) << "no main window";

    const std::string props =
        properties(window, "_NET_WM_WINDOW_TYPE _NET_WM_STATE WM_TRANSIENT_FOR");
    EXPECT_TRUE(HasLine(props, "_NET_WM_WINDOW_TYPE = _NET_WM_WINDOW_TYPE_NORMAL")) << props;
    EXPECT_EQ(props.find("_NET_WM_STATE_MODAL"), std::string::npos) << props;
    EXPECT_EQ(props.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << props;
    EXPECT_TRUE(HasLine(props, "WM_TRANSIENT_FOR:  not found.")) << props;

    // Flags, functions, decorations: a minimise function and its button.
    const std::string motif =
        Output(display_.name(),
               "xprop -id " + window + " -f _MOTIF_WM_HINTS 32c ' = $0 $1 $2\\n' _MOTIF_WM_HINTS");
    unsigned flags = 0, functions = 0, decorations = 0;
    ASSERT_EQ(std::sscanf(motif.c_str(), "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = %u %u %u", &flags,
                          &functions, &decorations),
              3)
        << motif;
    EXPECT_TRUE(functions & 0x8) << motif;
    EXPECT_TRUE(decorations & 0x20) << motif;
    EXPECT_TRUE(hasIcon(window));
}

TEST_F(ProgramOnX11, TheRefusalOfASecondStartCarriesTheProgramsIcon) {
    Program first(copyAs("Corvanite"), runtime_, {}, onDisplay());
    ASSERT_FALSE(windowTitled(first, "Corvanite Test").empty()) << "no main window";
    Program second(copyAs("Corvanite"), runtime_, {}, onDisplay());
    const std::string box = windowTitled(second, "Warning!");
    ASSERT_FALSE(box.empty()) << "no refusal box";
    EXPECT_TRUE(hasIcon(box));
}

// Under a window manager, as a keyboard user meets it: Shift+F10 and the menu key open the
// window menu where the focus is, and its Results item opens a window that the screen holds
// whole.
TEST_F(ProgramOnX11, TheKeyboardOpensTheMenuAndResultsOpenInsideTheScreen) {
    if (Output(display_.name(), "xdotool version").find("xdotool") == std::string::npos ||
        Output(display_.name(), "openbox --version").find("Openbox") == std::string::npos)
        GTEST_SKIP() << "no openbox and xdotool";
    Program windowManager("/usr/bin/openbox", runtime_, {}, onDisplay());
    Program program(copyAs("Corvanite"), runtime_, {}, onDisplay());
    const std::string dialog = windowTitled(program, "Corvanite Test");
    ASSERT_FALSE(dialog.empty()) << "no main window";

    for (const char* keys : {"shift+F10", "Menu"}) {
        Output(display_.name(), "xdotool windowactivate --sync " + dialog);
        Output(display_.name(), std::string("xdotool key --delay 100 ") + keys + " r");
        const std::string results = windowTitled(program, "Corvanite Results");
        ASSERT_FALSE(results.empty()) << keys;
        int x = -1, y = -1, width = 0, height = 0;
        std::istringstream lines(Output(display_.name(), "xwininfo -id " + results));
        for (std::string line; std::getline(lines, line);) {
            std::sscanf(line.c_str(), " Absolute upper-left X: %d", &x);
            std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &y);
            std::sscanf(line.c_str(), " Width: %d", &width);
            std::sscanf(line.c_str(), " Height: %d", &height);
        }
        // The display's one screen is 1280 x 1024.
        EXPECT_GE(x, 0) << keys;
        EXPECT_GE(y, 0) << keys;
        EXPECT_LE(x + width, 1280) << keys;
        EXPECT_LE(y + height, 1024) << keys;
        Output(display_.name(), "xdotool windowactivate --sync " + results + " key Escape");
        ASSERT_TRUE(testsupport::waitUntil([&] {
            return Output(display_.name(), "xwininfo -id " + results).find("IsViewable") ==
                   std::string::npos;
        }));
    }
}

}  // namespace
