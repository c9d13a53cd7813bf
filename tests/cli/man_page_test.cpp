// The manual page lists exactly the program's exit statuses, in its order and its words.
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/exit_status.h"

namespace {

using Entries = std::vector<std::pair<int, std::string>>;

// The roff escapes the section uses, as the reader sees them.
std::string Plain(std::string text) {
    for (const auto& [escape, plain] : {std::pair<std::string, std::string>{"\\-", "-"},
                                        std::pair<std::string, std::string>{"\\(aq", "'"}}) {
        for (auto at = text.find(escape); at != std::string::npos;
             at = text.find(escape, at + plain.size())) {
            text.replace(at, escape.size(), plain);
        }
    }
    return text;
}

// The entries of EXIT STATUS: ".B <status>" after ".TP", then its text up to the next request.
Entries ExitStatusesOfManPage(const std::string& path) {
    std::ifstream page(path);
    Entries entries;
    bool inSection = false;
    std::string line;
    while (std::getline(page, line)) {
        if (line.rfind(".SH ", 0) == 0) {
            inSection = line == ".SH EXIT STATUS";
        } else if (inSection && line.rfind(".B ", 0) == 0) {
            entries.emplace_back(std::stoi(line.substr(3)), "");
        } else if (inSection && !entries.empty() && !line.empty() && line[0] != '.') {
            std::string& text = entries.back().second;
            text += (text.empty() ? "" : " ") + Plain(line);
        }
    }
    return entries;
}

TEST(ManPage, ListsEveryExitStatusInTheProgramsWords) {
    Entries expected;
    for (const ExitStatusMeaning& status : ExitStatusMeanings()) {
        expected.emplace_back(status.status, status.meaning);
    }
    EXPECT_EQ(ExitStatusesOfManPage(CORVANITE_MAN_PAGE), expected);
}

}  // namespace
