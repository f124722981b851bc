#include "kxstring.h"

#include "kxmemmod.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>

namespace {

std::int64_t TextLength(const char* s)
{
    return static_cast<std::int64_t>(std::strlen(s));
}

bool IsBlank(char c)
{
    return c == '\n' || c == '\r' || c == ' ' || c == '\t';
}

} // namespace

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ---------------------------------------------------------------------------------
// Construction and storage

KXSTRING::KXSTRING(const char* s)
{
    Allocate(16);
    *this = s;
}

KXSTRING::KXSTRING(const KXSTRING& other)
{
    Allocate(16);
    *this = other.GetText() != nullptr ? other.GetText() : "";
}

KXSTRING::KXSTRING(int initialCapacity)
{
    Allocate(initialCapacity);
}

KXSTRING::KXSTRING(char c)
{
    Allocate(16);
    *this = c;
}

KXSTRING::~KXSTRING()
{
    Clear();
}

KXSTRING* KXSTRING::Clone(void* storage) const
{
    return new (storage) KXSTRING(*this);
}

void KXSTRING::Allocate(int newCapacity)
{
    Clear();
    void* block = nullptr;
    // A buffer must hold at least the terminator.
    newCapacity = newCapacity < 1 ? 1 : newCapacity;
    MemAlloc(&block, newCapacity);
    if (block == nullptr)
        return;
    text = static_cast<char*>(block);
    capacity = newCapacity;
    Empty();
}

bool KXSTRING::Grow(int n)
{
    return GrowTo(n);
}

// Makes room for n characters and a terminator. The capacity doubles, so that a string
// that grows one character at a time moves rarely; a text of exactly capacity - 1
// characters still moves to a new buffer of the same size, as it always has. A size the
// memory manager cannot give leaves the string as it was and reports false.
bool KXSTRING::GrowTo(std::int64_t n)
{
    if (n < capacity - 1)
        return true;
    std::int64_t newCapacity = capacity > 0 ? capacity : 1;
    while (newCapacity <= n)
        newCapacity *= 2;
    if (newCapacity > INT_MAX)
        return false;
    void* block = nullptr;
    MemAlloc(&block, static_cast<int>(newCapacity));
    if (block == nullptr)
        return false;
    // The terminator comes along, so the string stays whole should the caller write
    // nothing after all.
    if (text != nullptr)
        std::memcpy(block, text, static_cast<std::size_t>(length) + 1);
    void* old = text;
    MemFree(&old);
    text = static_cast<char*>(block);
    capacity = static_cast<std::int32_t>(newCapacity);
    return true;
}

void KXSTRING::Clear()
{
    void* block = text;
    MemFree(&block);
    text = nullptr;
    capacity = 0;
    length = 0;
}

void KXSTRING::Empty()
{
    length = 0;
    if (text != nullptr)
        text[0] = '\0';
}

int KXSTRING::UpdateLength()
{
    if (text == nullptr)
        return length = 0;
    // The buffer was written from outside: never read past it, even unterminated.
    const void* zero = std::memchr(text, '\0', static_cast<std::size_t>(capacity));
    if (zero == nullptr)
        SetLength(capacity - 1);
    else
        length = static_cast<std::int32_t>(static_cast<const char*>(zero) - text);
    return length;
}

void KXSTRING::SetLength(int n)
{
    length = n;
    text[n] = '\0';
}

bool KXSTRING::PointsInto(const char* s) const
{
    std::less_equal<const char*> atOrBefore;
    return text != nullptr && atOrBefore(text, s) && !atOrBefore(text + capacity, s);
}

// Appends n bytes from s, which may lie inside this string's own buffer: growing moves
// the buffer, so such a source is found again at its offset in the new one.
void KXSTRING::Append(const char* s, std::int64_t n)
{
    const bool inside = PointsInto(s);
    const std::ptrdiff_t offset = inside ? s - text : 0;
    if (n <= 0 || !GrowTo(length + n))
        return;
    std::memcpy(text + length, inside ? text + offset : s, static_cast<std::size_t>(n));
    SetLength(length + static_cast<int>(n));
}

// ---------------------------------------------------------------------------------
// Assignment and concatenation

KXSTRING& KXSTRING::operator=(const char* s)
{
    if (s == nullptr)
        return *this;
    if (PointsInto(s)) {
        // The string's own text or a part of it: it is no longer than the text, so it
        // moves to the front of the buffer without growing.
        const int n = static_cast<int>(TextLength(s));
        std::memmove(text, s, static_cast<std::size_t>(n) + 1);
        length = n;
        return *this;
    }
    Empty();
    const std::int64_t n = TextLength(s);
    if (GrowTo(n)) {
        std::memcpy(text, s, static_cast<std::size_t>(n) + 1);
        length = static_cast<std::int32_t>(n);
    }
    return *this;
}

KXSTRING& KXSTRING::operator=(const KXSTRING& other)
{
    if (&other == this)
        return *this;
    if (!GrowTo(other.length))
        return *this;
    if (other.length > 0)
        std::memcpy(text, other.text, static_cast<std::size_t>(other.length));
    SetLength(other.length);
    return *this;
}

KXSTRING& KXSTRING::operator=(char c)
{
    Empty();
    if (GrowTo(1)) {
        text[0] = c;
        SetLength(1);
    }
    return *this;
}

KXSTRING& KXSTRING::operator+=(const char* s)
{
    if (s != nullptr)
        Append(s, TextLength(s));
    return *this;
}

KXSTRING& KXSTRING::operator+=(char c)
{
    if (GrowTo(static_cast<std::int64_t>(length) + 1)) {
        text[length] = c;
        SetLength(length + 1);
    }
    return *this;
}

KXSTRING& KXSTRING::operator+=(const KXSTRING& other)
{
    Append(other.text, other.length);
    return *this;
}

KXSTRING KXSTRING::operator+(const char* s) const
{
    KXSTRING result(*this);
    result += s;
    return result;
}

KXSTRING KXSTRING::operator+(const KXSTRING& other) const
{
    KXSTRING result(*this);
    result += other;
    return result;
}

KXSTRING operator+(char c, const KXSTRING& s)
{
    KXSTRING result(c);
    result += s;
    return result;
}

KXSTRING operator+(const char* t, const KXSTRING& s)
{
    KXSTRING result(t);
    result += s;
    return result;
}

// ---------------------------------------------------------------------------------
// Comparison

bool KXSTRING::operator==(const KXSTRING& other) const
{
    return length == other.length &&
           (length == 0 || std::memcmp(text, other.text, static_cast<std::size_t>(length)) == 0);
}

bool KXSTRING::operator==(const char* s) const
{
    return s != nullptr && std::strcmp(text != nullptr ? text : "", s) == 0;
}

bool KXSTRING::IsSame(const KXSTRING& other) const
{
    return *this == (other.text != nullptr ? other.text : "");
}

// ---------------------------------------------------------------------------------
// Searching

int KXSTRING::Find(char c, int start) const
{
    if (start < 0 || start >= length)
        return -1;
    const void* hit = std::memchr(text + start, c, static_cast<std::size_t>(length - start));
    return hit != nullptr ? static_cast<int>(static_cast<const char*>(hit) - text) : -1;
}

int KXSTRING::Find(const char* sub, int start) const
{
    if (sub == nullptr)
        return -1;
    const std::int64_t n = TextLength(sub);
    if (n == 0 || n > length)
        return -1;
    for (int candidate = Find(sub[0], start); candidate != -1;
         candidate = Find(sub[0], candidate + 1)) {
        if (candidate + n <= length &&
            std::memcmp(text + candidate + 1, sub + 1, static_cast<std::size_t>(n - 1)) == 0)
            return candidate;
    }
    return -1;
}

int KXSTRING::FindFirst(char c) const
{
    return Find(c, 0);
}

// Searches backwards down to index 1: a character found only at index 0 does not count.
// The bitmap loader relies on this to read a name that begins with '.' as having no
// extension.
int KXSTRING::ReverseFind(char c, int start) const
{
    if (length == 0 || start >= length)
        return -1;
    if (start < 1)
        start = length - 1;
    for (int i = start; i >= 1; --i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

int KXSTRING::FindMatching(char close, char open, int start) const
{
    const int first = Find(open, start);
    if (first == -1)
        return -1;
    int depth = 1;
    for (int i = first + 1; i < length; ++i) {
        if (text[i] == open)
            ++depth;
        else if (text[i] == close && --depth == 0)
            return i;
    }
    return -1;
}

int KXSTRING::ExtractBetween(KXSTRING& out, char open, char close, int start) const
{
    const int first = Find(open, start);
    if (first == -1)
        return -1;
    out.Empty();
    const int last = FindMatching(close, open, first);
    if (last == -1)
        return -1;
    return Mid(out, first, last);
}

// ---------------------------------------------------------------------------------
// Extraction

KXSTRING KXSTRING::Left(int n) const
{
    KXSTRING result;
    if (n >= 0 && n <= length)
        result.Append(text, n);
    return result;
}

KXSTRING KXSTRING::Right(int n) const
{
    KXSTRING result;
    if (n >= 0 && n <= length)
        result.Append(text + length - n, n);
    return result;
}

int KXSTRING::Mid(KXSTRING& out, int start, int end) const
{
    if (end < 1)
        end += length;
    if (end > length)
        end = length;
    if (start < 0 || start >= end)
        return -1;
    const int n = end - start;
    if (!out.GrowTo(static_cast<std::int64_t>(n) + 1))
        return -1;
    // out may be this very string: its text is then read from the buffer it has after
    // growing, and moves towards the front.
    std::memmove(out.text, text + start, static_cast<std::size_t>(n));
    out.text[n] = '\0';
    return out.UpdateLength();
}

int KXSTRING::GetField(KXSTRING& out, int index, char sep) const
{
    const int whole = length;
    KXSTRING field;
    for (int i = 0; i < whole && index >= 0; ++i) {
        if (text[i] == sep)
            --index;
        else if (index == 0)
            field += text[i];
    }
    out = field;
    return out.length == whole ? -1 : out.length;
}

// ---------------------------------------------------------------------------------
// Editing

void KXSTRING::TrimLeft(char c)
{
    int n = 0;
    while (n < length && text[n] == c)
        ++n;
    Delete(0, n);
}

void KXSTRING::TrimLeft()
{
    int n = 0;
    while (n < length && IsBlank(text[n]))
        ++n;
    Delete(0, n);
}

void KXSTRING::TrimRight(char c)
{
    int n = length;
    while (n > 0 && text[n - 1] == c)
        --n;
    Delete(n, length);
}

void KXSTRING::TrimRight()
{
    int n = length;
    while (n > 0 && IsBlank(text[n - 1]))
        --n;
    Delete(n, length);
}

bool KXSTRING::Delete(int start, int end)
{
    if (start < 0 || end > length || start >= end)
        return false;
    std::memmove(text + start, text + end, static_cast<std::size_t>(length - end) + 1);
    length -= end - start;
    return true;
}

bool KXSTRING::DeleteToNewline(int start)
{
    const int newline = Find('\n', start);
    if (newline == -1)
        return false;
    Delete(start, newline);
    return true;
}

void KXSTRING::Insert(const char* s, int index)
{
    if (s == nullptr || index < 0 || index > length)
        return;
    if (PointsInto(s)) {
        // Inserting moves the very bytes s points at: insert a copy instead.
        const KXSTRING copy(s);
        Insert(copy.text, index);
        return;
    }
    const std::int64_t n = TextLength(s);
    if (n == 0 || !GrowTo(length + n))
        return;
    std::memmove(text + index + n, text + index, static_cast<std::size_t>(length - index));
    std::memcpy(text + index, s, static_cast<std::size_t>(n));
    SetLength(length + static_cast<int>(n));
}

bool KXSTRING::Replace(const char* what, const char* with)
{
    const int position = Find(what, 0);
    if (position == -1)
        return false;
    // Deleting shifts the text, which would move a replacement taken from it.
    const KXSTRING replacement(with);
    Delete(position, position + static_cast<int>(TextLength(what)));
    if (with != nullptr)
        Insert(replacement.text, position);
    return true;
}

void KXSTRING::MakeLower()
{
    for (int i = 0; i < length; ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + 32);
    }
}

void KXSTRING::MakeUpper()
{
    for (int i = 0; i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z')
            text[i] = static_cast<char>(text[i] - 32);
    }
}

// ---------------------------------------------------------------------------------
// Conversions

void KXSTRING::FromInt(int value, int minDigits)
{
    // The magnitude is taken unsigned, so the most negative value has one too.
    const bool negative = value < 0;
    std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);

    Empty();
    const std::int64_t zeros = minDigits > count ? minDigits - count : 0;
    if (!GrowTo(zeros + count + (negative ? 1 : 0)))
        return;
    if (negative)
        *this += '-';
    for (std::int64_t i = 0; i < zeros; ++i)
        *this += '0';
    while (count > 0)
        *this += digits[--count];
}

void KXSTRING::FromHex(int value, int digits)
{
    Empty();
    if (digits < 1 || digits > 8)
        return;
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        *this += "0123456789ABCDEF"[(bits >> shift) & 0xF];
}

// Reads the digits from the right, so that only a leading '-' is allowed: a '+', a blank
// or any other character makes the whole number 0. The sum wraps modulo 2^32 as it
// always has, computed unsigned so that no overflow is undefined.
int KXSTRING::ToInt() const
{
    if (length == 0)
        return 0;
    std::uint32_t value = 0;
    std::uint32_t weight = 1;
    for (int i = length - 1; i >= 1; --i) {
        if (!IsDigit(text[i]))
            return 0;
        value += weight * static_cast<std::uint32_t>(text[i] - '0');
        weight *= 10;
    }
    if (text[0] == '-')
        return static_cast<int>(0u - value);
    if (IsDigit(text[0]))
        return static_cast<int>(value + weight * static_cast<std::uint32_t>(text[0] - '0'));
    return 0;
}

double KXSTRING::ToDouble() const
{
    KXSTRING integral;
    KXSTRING fraction;
    GetField(integral, 0, '.');
    GetField(fraction, 1, '.');
    const double i = integral.ToInt();
    const double f = fraction.length == 0
                         ? 0.0
                         : fraction.ToInt() / std::pow(10.0, static_cast<double>(fraction.length));
    return integral.length > 0 && integral.text[0] == '-' ? i - f : i + f;
}
