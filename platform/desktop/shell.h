#pragma once

// Opening a document or a link with the desktop's default handler.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win_types.h"

class QObject;

constexpr int SW_SHOWNORMAL = 1;

// Failure results of ShellExecuteA; success is any value above 32.
constexpr std::intptr_t SE_ERR_FNF = 2;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;

// Performs verb ("open", or null for the same) on file with its default handler. file is a
// local path or a link with a scheme (mailto:..., http://...). A local file that does not
// exist gives SE_ERR_FNF and starts nothing; no handler, or an unknown verb, gives
// SE_ERR_NOASSOC. Owner, parameters, directory and show command are taken for the callers'
// sake and not used: the handler runs as a program of its own. Callable from any thread.
std::intptr_t ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand);

// Opens file (as ShellExecuteA's "open") and tells done whether its handler could open it,
// once the handler has said so: xdg-open answers with its exit status, which comes when it
// has started a viewer, or later, and is awaited without blocking the event loop. done runs
// on the UI thread with SE_ERR_FNF, SE_ERR_NOASSOC or a value above 32, never after context
// is destroyed (none: always). A handler still running when the program ends runs on.
// Call on the UI thread.
void ShellOpenAndReport(QObject* context, const char* file,
                        std::function<void(std::intptr_t result)> done);

// Tests put a stand-in in place of the launch so that nothing really starts. It is called
// on the caller's thread with the link that would be opened ("file:///dir/name" for a local
// file) and returns whether the launch worked. An empty function restores real launching.
void SetShellOpener(std::function<bool(const std::string& url)> opener);
