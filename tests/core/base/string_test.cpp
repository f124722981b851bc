#include "kxstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Text(const KXSTRING& s)
{
    return std::string(s.GetText(), static_cast<std::size_t>(s.GetLength()));
}

// ---------------------------------------------------------------------------------
// Storage and growth

TEST(StringStorage, CapacityFollowsTheGrowthRule)
{
    struct Case {
        int length;
        int capacity;
        bool moved; // whether the text left the constructor's first buffer
    };
    const Case cases[] = {{0, 16, false}, {14, 16, false}, {15, 16, true},
                          {16, 32, true}, {31, 32, true},  {33, 64, true}};
    for (const Case& c : cases) {
        KXSTRING s;
        const char* first = s.GetText();
        s = std::string(static_cast<std::size_t>(c.length), 'x').c_str();
        EXPECT_EQ(s.GetLength(), c.length);
        EXPECT_EQ(s.GetCapacity(), c.capacity) << c.length;
        EXPECT_EQ(s.GetText() != first, c.moved) << c.length;
        EXPECT_EQ(s.GetText()[c.length], '\0');
    }
}

TEST(StringStorage, AppendingOneCharacterAtATimeDoubles)
{
    KXSTRING s;
    std::string model;
    for (int i = 0; i < 1000; ++i) {
        s += static_cast<char>('a' + i % 26);
        model += static_cast<char>('a' + i % 26);
        const int capacity = s.GetCapacity();
        EXPECT_GT(capacity, s.GetLength());
        EXPECT_EQ(capacity & (capacity - 1), 0) << "capacity " << capacity << " not 16 * 2^k";
    }
    EXPECT_EQ(Text(s), model);
}

TEST(StringStorage, ConstructorsAndClear)
{
    KXSTRING fromNull(nullptr);
    EXPECT_EQ(fromNull.GetLength(), 0);
    EXPECT_EQ(fromNull.GetCapacity(), 16);
    KXSTRING sized(250);
    EXPECT_EQ(sized.GetCapacity(), 250);
    EXPECT_EQ(sized.GetLength(), 0);
    KXSTRING letter('q');
    EXPECT_EQ(Text(letter), "q");
    KXSTRING copy(letter);
    EXPECT_EQ(Text(copy), "q");
    EXPECT_NE(copy.GetText(), letter.GetText());

    alignas(KXSTRING) unsigned char storage[sizeof(KXSTRING)];
    KXSTRING* clone = letter.Clone(storage);
    EXPECT_EQ(Text(*clone), "q");
    clone->KXSTRING::~KXSTRING();

    sized.Clear();
    EXPECT_EQ(sized.GetText(), nullptr);
    EXPECT_EQ(sized.GetCapacity(), 0);
    // A cleared string answers as an empty one and can be filled again.
    EXPECT_EQ(sized.Find('a', 0), -1);
    EXPECT_EQ(sized.ReverseFind('a', 0), -1);
    EXPECT_TRUE(sized == "");
    sized += "abc";
    EXPECT_EQ(Text(sized), "abc");
    sized.Allocate(8);
    EXPECT_EQ(sized.GetCapacity(), 8);
    EXPECT_STREQ(sized.GetText(), "");
}

TEST(StringStorage, GrowingKeepsTheTextWhole)
{
    KXSTRING s("abc");
    EXPECT_TRUE(s.Grow(100));
    EXPECT_EQ(s.GetCapacity(), 128);
    EXPECT_STREQ(s.GetText(), "abc");
    EXPECT_EQ(s.GetLength(), 3);
}

TEST(StringStorage, UpdateLengthReadsWhatWasWrittenIntoTheBuffer)
{
    KXSTRING s(8);
    std::snprintf(s.GetText(), 8, "abc");
    EXPECT_EQ(s.UpdateLength(), 3);
    // A buffer filled to the brim without a terminator is cut, never read past.
    for (int i = 0; i < 8; ++i)
        s.GetText()[i] = 'z';
    EXPECT_EQ(s.UpdateLength(), 7);
    EXPECT_EQ(s.GetText()[7], '\0');
}

// ---------------------------------------------------------------------------------
// Assignment and concatenation

TEST(StringAssign, NullChangesNothing)
{
    KXSTRING s("abc");
    s = static_cast<const char*>(nullptr);
    s += static_cast<const char*>(nullptr);
    s.Insert(nullptr, 1);
    EXPECT_EQ(Text(s), "abc");
}

TEST(StringAssign, ConcatenationForms)
{
    KXSTRING ab("ab");
    EXPECT_EQ(Text(ab + "cd"), "abcd");
    EXPECT_EQ(Text(ab + KXSTRING("xy")), "abxy");
    EXPECT_EQ(Text('x' + ab), "xab");
    EXPECT_EQ(Text("yz" + ab), "yzab");
    KXSTRING s;
    s += 'a';
    s += "bc";
    s += KXSTRING("de");
    EXPECT_EQ(Text(s), "abcde");
    s = 'z';
    EXPECT_EQ(Text(s), "z");
}

TEST(StringAssign, CharacterAssignmentGrowsATinyBuffer)
{
    KXSTRING tiny(1);
    tiny = 'x';
    EXPECT_EQ(Text(tiny), "x");
    EXPECT_GE(tiny.GetCapacity(), 2);
}

// The string's own text, or a part of it, may be what it is given.
TEST(StringAssign, OwnTextAsSource)
{
    const std::string fifteen = "abcdefghijklmno"; // growing to 15 moves the buffer
    KXSTRING s(fifteen.c_str());
    s = s.GetText() + 3;
    EXPECT_EQ(Text(s), fifteen.substr(3));

    KXSTRING same("same");
    same = same.GetText();
    EXPECT_EQ(Text(same), "same");
    const KXSTRING& itself = same;
    same = itself;
    EXPECT_EQ(Text(same), "same");

    KXSTRING twice("0123456789abcd"); // 14 characters: appending must grow
    twice += twice;
    EXPECT_EQ(Text(twice), "0123456789abcd0123456789abcd");
    KXSTRING tail("0123456789abcd");
    tail += tail.GetText() + 10;
    EXPECT_EQ(Text(tail), "0123456789abcdabcd");

    KXSTRING inserted("0123456789abcd");
    inserted.Insert(inserted.GetText() + 12, 0);
    EXPECT_EQ(Text(inserted), "cd0123456789abcd");

    KXSTRING replaced("abXYcdefghijklm");
    EXPECT_TRUE(replaced.Replace("XY", replaced.GetText() + 4));
    EXPECT_EQ(Text(replaced), "abcdefghijklmcdefghijklm");
}

// ---------------------------------------------------------------------------------
// Comparison

TEST(StringCompare, EqualityIgnoresCapacity)
{
    KXSTRING a("text");
    KXSTRING b(100);
    b = "text";
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == "text");
    EXPECT_TRUE(a.IsSame(b));
    EXPECT_FALSE(a == "Text");
    EXPECT_FALSE(a == "tex");
    EXPECT_FALSE(a == KXSTRING("texts"));
    EXPECT_FALSE(a == static_cast<const char*>(nullptr));
}

// ---------------------------------------------------------------------------------
// Searching

TEST(StringSearch, FindCharacterAndText)
{
    struct Case {
        const char* text;
        const char* sub;
        int start;
        int expected;
    };
    const Case cases[] = {
        {"aab", "ab", 0, 1},  {"hello", "ox", 0, -1}, {"abc", "", 0, -1},    {"xab", "abc", 0, -1},
        {"ab", "abc", 0, -1}, {"abab", "ab", 1, 2},   {"abab", "ab", 3, -1}, {"abc", "a", -1, -1},
        {"abc", "a", 99, -1}, {"aaab", "aab", 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KXSTRING(c.text).Find(c.sub, c.start), c.expected) << c.text << " " << c.sub;
    EXPECT_EQ(KXSTRING("abc").Find(static_cast<const char*>(nullptr), 0), -1);

    KXSTRING abc("abc");
    EXPECT_EQ(abc.Find('c', 0), 2);
    EXPECT_EQ(abc.Find('a', 1), -1);
    EXPECT_EQ(abc.Find('a', 5), -1);
    EXPECT_EQ(abc.Find('a', -1), -1);
    EXPECT_EQ(abc.FindFirst('b'), 1);
}

TEST(StringSearch, ReverseFindNeverLooksAtTheFirstCharacter)
{
    struct Case {
        const char* text;
        int start;
        int expected;
    };
    const Case cases[] = {{"a.bmp", 0, 1}, {".bmp", 0, -1},  {"", 0, -1},      {"a.b.c", 0, 3},
                          {"a.b.c", 2, 1}, {"a.b.c", -5, 3}, {"a.b.c", 5, -1}, {"a.b.c", 99, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(KXSTRING(c.text).ReverseFind('.', c.start), c.expected)
            << c.text << " " << c.start;
}

TEST(StringSearch, MatchingBracketsAndExtraction)
{
    EXPECT_EQ(KXSTRING("(a)").FindMatching(')', '(', 0), 2);
    EXPECT_EQ(KXSTRING("(a(b))").FindMatching(')', '(', 0), 5);
    EXPECT_EQ(KXSTRING("(a").FindMatching(')', '(', 0), -1);
    EXPECT_EQ(KXSTRING("a)").FindMatching(')', '(', 0), -1);

    KXSTRING out("untouched");
    EXPECT_EQ(KXSTRING("f(x)").ExtractBetween(out, '(', ')', 0), 2);
    EXPECT_EQ(Text(out), "(x");
    out = "untouched";
    EXPECT_EQ(KXSTRING("fx").ExtractBetween(out, '(', ')', 0), -1);
    EXPECT_EQ(Text(out), "untouched");
    EXPECT_EQ(KXSTRING("f(x").ExtractBetween(out, '(', ')', 0), -1);
    EXPECT_EQ(Text(out), "");
}

// ---------------------------------------------------------------------------------
// Extraction

TEST(StringExtract, LeftAndRight)
{
    KXSTRING abc("abc");
    EXPECT_EQ(Text(KXSTRING("ab").Left(3)), "");
    EXPECT_EQ(Text(abc.Left(0)), "");
    EXPECT_EQ(Text(abc.Left(2)), "ab");
    EXPECT_EQ(Text(abc.Left(3)), "abc");
    EXPECT_EQ(Text(abc.Left(-1)), "");
    EXPECT_EQ(Text(abc.Right(2)), "bc");
    EXPECT_EQ(Text(abc.Right(3)), "abc");
    EXPECT_EQ(Text(abc.Right(4)), "");
    EXPECT_EQ(Text(abc.Right(-2)), "");
}

TEST(StringExtract, Mid)
{
    struct Case {
        int start;
        int end;
        int result;
        const char* out;
    };
    const Case cases[] = {{1, 0, 2, "bc"},  {0, -1, 2, "ab"},   {2, 2, -1, "old"},
                          {1, 9, 2, "bc"},  {-1, 2, -1, "old"}, {0, -9, -1, "old"},
                          {3, 0, -1, "old"}};
    for (const Case& c : cases) {
        KXSTRING out("old");
        EXPECT_EQ(KXSTRING("abc").Mid(out, c.start, c.end), c.result) << c.start << "," << c.end;
        EXPECT_EQ(Text(out), c.out) << c.start << "," << c.end;
    }
    KXSTRING self("0123456789abcdef");
    EXPECT_EQ(self.Mid(self, 2, 5), 3);
    EXPECT_EQ(Text(self), "234");
}

TEST(StringExtract, GetField)
{
    struct Case {
        const char* text;
        int index;
        int result;
        const char* field;
    };
    const Case cases[] = {{"1,2,3", 1, 1, "2"}, {"1,2,3", 5, 0, ""}, {"123", 0, -1, "123"},
                          {",a", 0, 0, ""},     {"", 0, -1, ""},     {"a,,b", 1, 0, ""},
                          {"a,,b", 2, 1, "b"},  {"a,b", -1, 0, ""},  {"ab,cd", 0, 2, "ab"}};
    for (const Case& c : cases) {
        KXSTRING out("old");
        EXPECT_EQ(KXSTRING(c.text).GetField(out, c.index, ','), c.result)
            << c.text << " " << c.index;
        EXPECT_EQ(Text(out), c.field) << c.text << " " << c.index;
    }
}

// ---------------------------------------------------------------------------------
// Editing

TEST(StringEdit, Trim)
{
    KXSTRING left(" \t\nabc ");
    left.TrimLeft();
    EXPECT_EQ(Text(left), "abc ");
    KXSTRING right("abc \r\n");
    right.TrimRight();
    EXPECT_EQ(Text(right), "abc");
    KXSTRING xs("xxaxx");
    xs.TrimLeft('x');
    EXPECT_EQ(Text(xs), "axx");
    xs.TrimRight('x');
    EXPECT_EQ(Text(xs), "a");
    KXSTRING all("   ");
    all.TrimRight();
    EXPECT_EQ(Text(all), "");
}

TEST(StringEdit, Delete)
{
    struct Case {
        int start;
        int end;
        bool result;
        const char* text;
    };
    const Case cases[] = {{1, 3, true, "ad"},    {2, 4, true, "ab"},     {2, 5, false, "abcd"},
                          {3, 3, false, "abcd"}, {-1, 2, false, "abcd"}, {0, 4, true, ""}};
    for (const Case& c : cases) {
        KXSTRING s("abcd");
        EXPECT_EQ(s.Delete(c.start, c.end), c.result) << c.start << "," << c.end;
        EXPECT_EQ(Text(s), c.text) << c.start << "," << c.end;
    }
}

TEST(StringEdit, DeleteToNewline)
{
    KXSTRING s("ab\ncd");
    EXPECT_TRUE(s.DeleteToNewline(1));
    EXPECT_EQ(Text(s), "a\ncd");
    EXPECT_FALSE(s.DeleteToNewline(2));
    EXPECT_FALSE(s.DeleteToNewline(-1));
    EXPECT_EQ(Text(s), "a\ncd");
}

TEST(StringEdit, InsertAndReplace)
{
    struct Case {
        int index;
        const char* text;
    };
    const Case cases[] = {{1, "aXYbc"}, {3, "abcXY"}, {0, "XYabc"}, {4, "abc"}, {-1, "abc"}};
    for (const Case& c : cases) {
        KXSTRING s("abc");
        s.Insert("XY", c.index);
        EXPECT_EQ(Text(s), c.text) << c.index;
    }
    // Insertions that move the text to a larger buffer.
    KXSTRING grown("abc");
    grown.Insert("0123456789ABCDEFGHIJ", 1);
    EXPECT_EQ(Text(grown), "a0123456789ABCDEFGHIJbc");
    EXPECT_STREQ(grown.GetText(), "a0123456789ABCDEFGHIJbc");
    KXSTRING appended("abc");
    appended.Insert("0123456789ABCDEFGHIJ", 3);
    EXPECT_STREQ(appended.GetText(), "abc0123456789ABCDEFGHIJ");

    KXSTRING s("abXY");
    EXPECT_TRUE(s.Replace("XY", "Z"));
    EXPECT_EQ(Text(s), "abZ");
    KXSTRING unchanged("abc");
    EXPECT_FALSE(unchanged.Replace("XY", "Z"));
    EXPECT_EQ(Text(unchanged), "abc");
}

TEST(StringEdit, Case)
{
    KXSTRING s("azAZ09\xE9");
    s.MakeUpper();
    EXPECT_EQ(Text(s), "AZAZ09\xE9");
    s.MakeLower();
    EXPECT_EQ(Text(s), "azaz09\xE9");
}

// ---------------------------------------------------------------------------------
// Conversions

TEST(StringConvert, FromInt)
{
    struct Case {
        int value;
        int minDigits;
        const char* text;
    };
    const Case cases[] = {{5, 2, "05"},
                          {0, 2, "00"},
                          {-5, 3, "-005"},
                          {1234, 2, "1234"},
                          {0, 0, "0"},
                          {7, -3, "7"},
                          {INT_MAX, 0, "2147483647"},
                          {INT_MIN, 0, "-2147483648"}};
    for (const Case& c : cases) {
        KXSTRING s("old");
        s.FromInt(c.value, c.minDigits);
        EXPECT_EQ(Text(s), c.text) << c.value;
    }
}

TEST(StringConvert, FromHex)
{
    struct Case {
        int value;
        int digits;
        const char* text;
    };
    const Case cases[] = {{0x5A, 2, "5A"},     {0x5A, 4, "005A"}, {0x1234, 2, "34"}, {0, 2, "00"},
                          {-1, 8, "FFFFFFFF"}, {0xABC, 1, "C"},   {1, 0, ""},        {1, 9, ""}};
    for (const Case& c : cases) {
        KXSTRING s("old");
        s.FromHex(c.value, c.digits);
        EXPECT_EQ(Text(s), c.text) << c.value << "/" << c.digits;
    }
}

TEST(StringConvert, ToIntIsStrict)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"-12", -12},
        {"-", 0},
        {"", 0},
        {"0", 0},
        {"+5", 0},
        {" 5", 0},
        {"5 ", 0},
        {"1-2", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"4294967297", 1}, // the sum wraps modulo 2^32
    };
    for (const Case& c : cases)
        EXPECT_EQ(KXSTRING(c.text).ToInt(), c.value) << c.text;
}

TEST(StringConvert, ToDouble)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {{"1.05", 1.05}, {"-2.25", -2.25}, {"-0.5", -0.5}, {"3", 3.0},
                          {"1.5x", 1.0},  {"1.5.9", 1.5},   {"", 0.0},      {"x.5", 0.5}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(KXSTRING(c.text).ToDouble(), c.value) << c.text;
}

TEST(StringConvert, CharacterClasses)
{
    EXPECT_TRUE(IsDigit('0'));
    EXPECT_TRUE(IsDigit('9'));
    EXPECT_FALSE(IsDigit('a'));
    EXPECT_TRUE(IsAlpha('a'));
    EXPECT_TRUE(IsAlpha('Z'));
    EXPECT_FALSE(IsAlpha('1'));
    EXPECT_FALSE(IsAlpha('['));
}

} // namespace
