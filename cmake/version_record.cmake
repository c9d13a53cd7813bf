# The program's version record: one place for what the executables, the desktop entry and
# corvanite-cli --version say about the program.
set(CORVANITE_FILE_VERSION "${PROJECT_VERSION}")
set(CORVANITE_PRODUCT_NAME "Corvanite")
set(CORVANITE_FILE_DESCRIPTION "Corvanite Test Tool")
set(CORVANITE_COMMENTS "Multi-Threaded Version")
set(CORVANITE_COMPANY_NAME "Brellwick")
set(CORVANITE_LEGAL_COPYRIGHT "Copyright (C) Brellwick")
