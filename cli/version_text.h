#pragma once

// The program's version record, as the build configured it.
extern const char* const CorvaniteCliName;
extern const char* const CorvaniteProductName;
extern const char* const CorvaniteFileVersion;
extern const char* const CorvaniteFileDescription;
extern const char* const CorvaniteComments;
extern const char* const CorvaniteLegalCopyright;
