#pragma once

// The application object: derives the program's name, keeps a second copy of the program
// from starting, runs the main dialog modally as the program's whole life and answers the
// Help command.
#include <functional>
#include <memory>
#include <string>

class QDialog;

class TestApp {
public:
    // Makes the main dialog, with no parent window; the program passes one that makes a
    // TestDialog, tests their own.
    using DialogFactory = std::function<std::unique_ptr<QDialog>()>;

    explicit TestApp(DialogFactory makeDialog);
    ~TestApp();
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    // The framework's initialisation: ApplicationName and the help page's places from the path
    // of the running executable.
    void initialise(const std::string& executablePath);

    // Takes the single-instance guard, then runs the main dialog until it closes; a second
    // instance shows the refusal box instead. Always false: no message loop follows.
    bool startUp();

    // The Help command: the help page opened in the desktop's browser, the one beside the
    // executable first, else the installed one; "Failed to launch help." when neither is there,
    // with the page's path when nothing could open it (told once the opener has said so).
    void help() const;

    const std::string& helpFilePath() const { return helpFilePath_; }
    const std::string& installedHelpFilePath() const { return installedHelpFilePath_; }

private:
    DialogFactory makeDialog_;
    std::string helpFilePath_;
    std::string installedHelpFilePath_;
};
