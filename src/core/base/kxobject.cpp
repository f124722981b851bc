#include "kxobject.h"

#include <cstdint>

KXOBJECT::KXOBJECT(const char* className)
{
    name = className != nullptr ? className : "KXOBJECT";
}

KXSTRING& KXOBJECT::SetName(const char* text)
{
    name = text;
    return name;
}

KXSTRING KXOBJECT::ToString() const
{
    KXSTRING address;
    address.FromHex(static_cast<int>(reinterpret_cast<std::uintptr_t>(this) & 0xFF), 2);
    KXSTRING text("@");
    text += address;
    text += " (";
    text += name;
    text += ")";
    return text;
}

KXEXCEPTION::KXEXCEPTION(const char* className, const char* method, const char* text)
    : KXOBJECT("KXEXCEPTION")
{
    Compose(className, method, text);
}

KXEXCEPTION::KXEXCEPTION(const KXOBJECT* source, const char* method, const char* text)
    : KXOBJECT("KXEXCEPTION")
{
    Compose(source->GetName(), method, text);
}

KXEXCEPTION::KXEXCEPTION(const KXEXCEPTION& other) : KXOBJECT("KXEXCEPTION"), message(other.message)
{}

void KXEXCEPTION::Compose(const char* className, const char* method, const char* text)
{
    message = "Exception in ";
    message += method;
    message += " of ";
    message += className;
    message += ":";
    message += text;
}

KXSTRING KXEXCEPTION::ToString() const
{
    KXSTRING text = KXOBJECT::ToString();
    text += "\nMessage:";
    text += message;
    return text;
}
