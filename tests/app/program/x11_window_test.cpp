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

    // The id of the shown top-level window titled title, once there is one.
    std::string windowTitled(Program& program, const std::string& title) {
        std::string id;
        testsupport::waitUntil(
            [&] {
                std::istringstream lines(Output(display_.name(), "xwininfo -root -children"));
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

}  // namespace
