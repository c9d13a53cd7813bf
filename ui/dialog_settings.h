#pragma once

// The test dialog's settings, chosen in its window menu and kept for the user in
// $XDG_CONFIG_HOME/corvanite/corvanite.conf (by default ~/.config/corvanite/corvanite.conf).
#include <array>
#include <string>

struct TestRequest;

struct DialogSettings {
    // How many connections share a download: one of ConnectionChoices.
    int connections = 1;
    // Whether https:// URLs are tested, as corvanite-cli tests them; otherwise only http and ftp.
    bool testHttps = false;
    // Whether latency is probed before and during the download.
    bool measureLatency = true;
};

inline constexpr std::array<int, 4> ConnectionChoices{1, 2, 4, 8};

// The file the settings live in.
std::string DialogSettingsPath();
// The saved settings; the default for each one missing or out of range.
DialogSettings LoadDialogSettings();
// False when the file could not be written.
bool SaveDialogSettings(const DialogSettings& settings);
// What the settings ask of a test.
void ApplyDialogSettings(const DialogSettings& settings, TestRequest& request);
