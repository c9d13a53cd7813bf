#include "tests/ui/dialog_test_support.h"

#include "platform/desktop/shell.h"

ShellRecorder::ShellRecorder() {
    SetShellOpener([this](const std::string& url) {
        opened_.push_back(url);
        return launches_;
    });
}

ShellRecorder::~ShellRecorder() {
    SetShellOpener({});
}
