#pragma once

// Opening a document or a link with the desktop's default handler.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win_types.h"

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

// Tests put a stand-in in place of the launch so that nothing really starts. It is called
// on the caller's thread with the link that would be opened ("file:///dir/name" for a local
// file) and returns whether the launch worked. An empty function restores real launching.
void SetShellOpener(std::function<bool(const std::string& url)> opener);
