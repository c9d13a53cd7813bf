#pragma once

// The files the program keeps in its own folder, which a test must never save a download
// over: the report, the URL list, the results history, the help page, the icon, the README
// and the executables themselves.
#include <string>

// The optional list of test URLs, one URL per line, read from here.
inline constexpr const char* UrlListFileName = "Corvanite.cfg";

// Whether name is the file name of one of the program's own files, compared as the file
// system compares names: exactly, case and all.
bool IsProgramFileName(const std::string& name);
