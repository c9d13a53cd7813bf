#pragma once

// Runs an operation and tells which CFileException cause it raised (the exception is
// disposed of with Delete), or noneRaised when it returned normally.
#include "framework/file_exception.h"

constexpr int noneRaised = -1;

template <class Operation>
int RaisedCause(Operation operation) {
    try {
        operation();
    } catch (CFileException* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return noneRaised;
}
