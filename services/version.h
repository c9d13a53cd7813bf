#pragma once

// The executable's version record.
#define CORVANITE_FILE_VERSION "2.2.0.0"
#define CORVANITE_PRODUCT_VERSION "2.2.0.0"
#define CORVANITE_FILE_DESCRIPTION "Corvanite Test Tool"
#define CORVANITE_COMMENTS "Multi-Threaded Version"
#define CORVANITE_INTERNAL_NAME "Corvanite"
#define CORVANITE_PRODUCT_NAME "Corvanite"
#define CORVANITE_ORIGINAL_FILE_NAME "Corvanite.EXE"
#define CORVANITE_COMPANY_NAME "Brellwick"
#define CORVANITE_LEGAL_COPYRIGHT "Copyright (C) Brellwick. All rights reserved."
