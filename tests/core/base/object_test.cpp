#include "kxobject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

namespace {

std::string Text(const KXSTRING& s)
{
    return s.GetText();
}

TEST(Object, NameDefaultsToKXOBJECTAndNullKeepsIt)
{
    KXOBJECT plain;
    EXPECT_STREQ(plain.GetName(), "KXOBJECT");
    KXOBJECT named("KXVECTOR");
    EXPECT_STREQ(named.GetName(), "KXVECTOR");
    named.SetName(nullptr);
    EXPECT_STREQ(named.GetName(), "KXVECTOR");
    EXPECT_STREQ(named.SetName("KXMATRIX").GetText(), "KXMATRIX");
}

TEST(Object, CopiesCarryTheName)
{
    KXOBJECT source("KXCOLOR");
    KXOBJECT copy(source);
    EXPECT_STREQ(copy.GetName(), "KXCOLOR");
    KXOBJECT assigned;
    assigned = source;
    EXPECT_STREQ(assigned.GetName(), "KXCOLOR");
    // A copy has a name of its own, not a share of the source's.
    EXPECT_NE(copy.GetName(), source.GetName());
}

// The text form names the low byte of the object's address in exactly two digits.
TEST(Object, ToStringShowsTheLowAddressByteAndTheName)
{
    alignas(256) unsigned char storage[512];
    for (unsigned offset : {0x00u, 0x08u, 0xA8u, 0xF0u}) {
        auto* object = new (storage + offset) KXOBJECT("KXVECTOR");
        char expected[32];
        std::snprintf(expected, sizeof expected, "@%02X (KXVECTOR)", offset);
        EXPECT_EQ(Text(object->ToString()), expected);
        object->KXOBJECT::~KXOBJECT();
    }
    KXOBJECT unnamed;
    const std::string text = Text(unnamed.ToString());
    EXPECT_EQ(text.substr(3), " (KXOBJECT)");
}

TEST(Exception, ComposesItsMessage)
{
    struct Case {
        const char* className;
        const char* method;
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {"KXVECTOR", "Set", "Invalid dim", "Exception in Set of KXVECTOR:Invalid dim"},
        {"KXVECTOR", nullptr, "Invalid dim", "Exception in  of KXVECTOR:Invalid dim"},
        {nullptr, "Set", nullptr, "Exception in Set of :"},
    };
    for (const Case& c : cases) {
        KXEXCEPTION e(c.className, c.method, c.message);
        EXPECT_STREQ(e.GetMessage(), c.expected);
        EXPECT_STREQ(e.GetName(), "KXEXCEPTION");
    }
}

TEST(Exception, TakesTheClassNameOfItsSource)
{
    KXOBJECT list("KXREFCOLLECTION");
    KXEXCEPTION e(&list, "GetCurrent", "empty list");
    EXPECT_STREQ(e.GetMessage(), "Exception in GetCurrent of KXREFCOLLECTION:empty list");
}

TEST(Exception, IsThrownByValueAndCaughtAsItselfOrItsBase)
{
    try {
        throw KXEXCEPTION("KXMATRIX", "SetIdentity", "No square KXMATRIX");
    } catch (const KXEXCEPTION& e) {
        const KXEXCEPTION copy(e);
        EXPECT_STREQ(copy.GetName(), "KXEXCEPTION");
        EXPECT_STREQ(copy.GetMessage(), "Exception in SetIdentity of KXMATRIX:No square KXMATRIX");
    }
    EXPECT_THROW(throw KXEXCEPTION("KXMATRIX", "m", "x"), KXOBJECT);
}

TEST(Exception, ToStringAddsTheMessageLine)
{
    KXEXCEPTION e("KXVECTOR", "Set", "Invalid dim");
    const std::string text = Text(e.ToString());
    EXPECT_EQ(text.substr(0, 1), "@");
    EXPECT_EQ(text.substr(3), " (KXEXCEPTION)\nMessage:Exception in Set of KXVECTOR:Invalid dim");
}

} // namespace
