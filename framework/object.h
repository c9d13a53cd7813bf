#pragma once

// The root of the file and exception families. Objects of the family are handed around by
// pointer and never copied.
class CObject {
public:
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // The class's own name, for messages and checks: each class of the family overrides it.
    virtual const char* GetRuntimeClassName() const { return "CObject"; }

protected:
    CObject() = default;
};
