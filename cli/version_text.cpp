#include "cli/version_text.h"

// The values come from the build (cmake/version_record.cmake), the one place that holds them.
const char* const CorvaniteCliName = "corvanite-cli";
const char* const CorvaniteProductName = CORVANITE_PRODUCT_NAME;
const char* const CorvaniteFileVersion = CORVANITE_FILE_VERSION;
const char* const CorvaniteFileDescription = CORVANITE_FILE_DESCRIPTION;
const char* const CorvaniteComments = CORVANITE_COMMENTS;
const char* const CorvaniteLegalCopyright = CORVANITE_LEGAL_COPYRIGHT;
