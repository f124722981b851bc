// KXSTRING: the library's growable, always terminated byte string. Its buffer comes
// from the memory manager, so a string made in one deliverable can grow or die in
// another.
#pragma once

#include <cstdint>

class KXSTRING {
public:
    KXSTRING(const char* text = nullptr);
    KXSTRING(const KXSTRING& other);
    explicit KXSTRING(int capacity);
    explicit KXSTRING(char c);
    ~KXSTRING();

    // Copy-constructs this string in storage and returns it there.
    virtual KXSTRING* Clone(void* storage) const;

    // Storage.
    void Allocate(int capacity);
    bool Grow(int n);
    void Clear();
    void Empty();
    int UpdateLength();
    int GetLength() const { return length; }
    int GetCapacity() const { return capacity; }
    char* GetString() { return text; }
    const char* GetString() const { return text; }
    char* GetText() { return text; }
    const char* GetText() const { return text; }

    // Assignment and concatenation.
    KXSTRING& operator=(const char* s);
    KXSTRING& operator=(const KXSTRING& other);
    KXSTRING& operator=(char c);
    KXSTRING& operator+=(const char* s);
    KXSTRING& operator+=(char c);
    KXSTRING& operator+=(const KXSTRING& other);
    KXSTRING operator+(const char* s) const;
    KXSTRING operator+(const KXSTRING& other) const;

    // Comparison.
    bool operator==(const KXSTRING& other) const;
    bool operator==(const char* s) const;
    bool IsSame(const KXSTRING& other) const;

    // Searching: positions count from 0, -1 means not found.
    int Find(char c, int start) const;
    int Find(const char* sub, int start) const;
    int FindFirst(char c) const;
    int ReverseFind(char c, int start) const;
    int FindMatching(char close, char open, int start) const;
    int ExtractBetween(KXSTRING& out, char open, char close, int start) const;

    // Extraction.
    KXSTRING Left(int n) const;
    KXSTRING Right(int n) const;
    int Mid(KXSTRING& out, int start, int end) const;
    int GetField(KXSTRING& out, int index, char sep) const;

    // Editing.
    void TrimLeft(char c);
    void TrimLeft();
    void TrimRight(char c);
    void TrimRight();
    bool Delete(int start, int end);
    bool DeleteToNewline(int start);
    void Insert(const char* s, int index);
    bool Replace(const char* what, const char* with);
    void MakeLower();
    void MakeUpper();

    // Conversions.
    void FromInt(int value, int minDigits);
    void FromHex(int value, int digits);
    int ToInt() const;
    double ToDouble() const;

private:
    bool GrowTo(std::int64_t n);
    bool PointsInto(const char* s) const;
    void Append(const char* s, std::int64_t n);
    void SetLength(int n);

    char* text = nullptr;
    std::int32_t capacity = 0;
    std::int32_t length = 0;
};

KXSTRING operator+(char c, const KXSTRING& s);
KXSTRING operator+(const char* t, const KXSTRING& s);

bool IsDigit(char c);
bool IsAlpha(char c);
