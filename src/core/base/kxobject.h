// KXOBJECT, the root of the library's classes, and KXEXCEPTION, the one error object
// that every contract violation throws by value.
#pragma once

#include "kxstring.h"

#include <cstdint>

class KXOBJECT {
public:
    explicit KXOBJECT(const char* className = nullptr);
    KXOBJECT(const KXOBJECT& other) = default;
    KXOBJECT& operator=(const KXOBJECT& other) = default;
    // Not virtual: a library object is destroyed through its own type.
    ~KXOBJECT() = default;

    // Sets the class name; a null text keeps the old one.
    KXSTRING& SetName(const char* text);
    const char* GetName() const { return name.GetText(); }

    // "@", the low byte of the object's address in two hex digits, " (", the class
    // name, ")".
    virtual KXSTRING ToString() const;

private:
    KXSTRING name{16};
    // Three words that every object carries; construction zeroes them and copies
    // carry them over, but no operation of the library reads them.
    [[maybe_unused]] std::int32_t words[3] = {0, 0, 0};
};

class KXEXCEPTION : public KXOBJECT {
public:
    // The message reads "Exception in <method> of <className>:<message>".
    KXEXCEPTION(const char* className, const char* method, const char* message);
    // As above, with the class name of source (which must not be null).
    KXEXCEPTION(const KXOBJECT* source, const char* method, const char* message);
    KXEXCEPTION(const KXEXCEPTION& other);
    KXEXCEPTION& operator=(const KXEXCEPTION& other) = default;
    ~KXEXCEPTION() = default;

    const char* GetMessage() const { return message.GetText(); }

    // KXOBJECT::ToString, a line feed, "Message:" and the message.
    KXSTRING ToString() const override;

private:
    void Compose(const char* className, const char* method, const char* text);

    KXSTRING message{16};
};

// An object of no class of its own: it reports "KXOBJECT".
class KXPLAINOBJECT : public KXOBJECT {
public:
    KXPLAINOBJECT() = default;
};
