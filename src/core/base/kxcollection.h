// KXCOLLECTION, the library's one list type: a doubly linked list of elements of one
// type with a count and a cursor that remembers the element last reached, and
// KXREFCOLLECTION, its variant for lists of object pointers.
#pragma once

#include "kxobject.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

template <class T> class KXCOLLECTION : public KXOBJECT {
public:
    KXCOLLECTION() : KXOBJECT("KXCOLLECTION") {}
    // Not virtual: a list is destroyed through its own type.
    ~KXCOLLECTION() { RemoveAll(); }
    // The list owns its nodes; a copy would share them.
    KXCOLLECTION(const KXCOLLECTION&) = delete;
    KXCOLLECTION& operator=(const KXCOLLECTION&) = delete;

    // Inserts a copy of item right after the cursor (so not necessarily at the end) and
    // puts the cursor on it. Returns the new element's position counted from 1, or -1,
    // with the list unchanged, when no node can be allocated.
    int Add(const T& item);
    int GetCount() const { return count; }
    // The element at position, counted from 0, reached from the nearest of head, tail and
    // cursor; the cursor stays there, so reading positions in turn costs one step each.
    T& operator[](int position);
    // The cursor's element; throws when there is none (only an empty list has none).
    virtual T& GetCurrent();
    // Cursor on the head (none on an empty list), cursor index 0.
    void MoveFirst();
    // Advances the cursor and returns its new index; -1, cursor unchanged, at the tail or
    // on an empty list.
    int MoveNext();
    // Frees every node; elements held by pointer are not destroyed.
    void RemoveAll();
    // Frees the cursor's node and puts the cursor on the head; an empty list stays as it is.
    void RemoveCurrent();
    // Position of the first element equal to item (pointers compare by identity) with the
    // cursor moved there, or -1 with the cursor left where it was.
    int Find(const T& item);
    // Find, then RemoveCurrent when the item was found.
    void FindAndRemove(const T& item);

protected:
    bool HasCursor() const { return cursor != nullptr; }

private:
    struct NODE {
        T item;
        NODE* prev;
        NODE* next;
    };

    void WalkTo(int position);
    void StepTo(int position);

    // Whenever there is a cursor, cursorIndex is the cursor node's position; every
    // operation keeps a cursor on a non-empty list, so index and node always agree.
    std::int32_t count = 0;
    std::int32_t cursorIndex = 0;
    NODE* tail = nullptr;
    NODE* head = nullptr;
    NODE* cursor = nullptr;
};

template <class T> class KXREFCOLLECTION : public KXCOLLECTION<T> {
public:
    KXREFCOLLECTION() { this->SetName("KXREFCOLLECTION"); }

    // The cursor's element, or the default item (null) when the list is empty, so that a
    // walk "item = GetCurrent(); while (item) ..." never enters an empty list.
    T& GetCurrent() override;
    // Deletes the object at position and removes its node: false when position is at or
    // beyond the count; a negative position throws from operator[].
    bool DeleteAt(int position);

private:
    T defaultItem{};
};

template <class T> int KXCOLLECTION<T>::Add(const T& item)
{
    NODE* node = new (std::nothrow) NODE{item, cursor, nullptr};
    if (node == nullptr)
        return -1;
    if (cursor != nullptr) {
        node->next = cursor->next;
        if (node->next != nullptr)
            node->next->prev = node;
        else
            tail = node;
        cursor->next = node;
        ++cursorIndex;
    } else {
        head = node;
        tail = node;
        cursorIndex = 0;
    }
    cursor = node;
    ++count;
    return cursorIndex + 1;
}

template <class T> T& KXCOLLECTION<T>::operator[](int position)
{
    if (position < 0 || position >= count)
        throw KXEXCEPTION(this, "operateur []", "index out of bounds");
    if (position != cursorIndex)
        WalkTo(position);
    return cursor->item;
}

// Chooses where the walk to position starts. The distance from the end is counted as
// count - position, one more than the steps from the tail, and ties go to the cursor.
template <class T> void KXCOLLECTION<T>::WalkTo(int position)
{
    const int fromCursor = std::abs(position - cursorIndex);
    if (position > (count >> 1)) {
        if (fromCursor > count - position) {
            cursor = tail;
            cursorIndex = count - 1;
        }
    } else if (fromCursor > position) {
        cursor = head;
        cursorIndex = 0;
    }
    StepTo(position);
}

// Moves the cursor node by node, keeping its index in step, until it reaches position.
template <class T> void KXCOLLECTION<T>::StepTo(int position)
{
    while (cursorIndex < position) {
        cursor = cursor->next;
        ++cursorIndex;
    }
    while (cursorIndex > position) {
        cursor = cursor->prev;
        --cursorIndex;
    }
}

template <class T> T& KXCOLLECTION<T>::GetCurrent()
{
    if (cursor == nullptr)
        throw KXEXCEPTION(this, "GetCurrent", "empty list");
    return cursor->item;
}

template <class T> void KXCOLLECTION<T>::MoveFirst()
{
    cursor = head;
    cursorIndex = 0;
}

template <class T> int KXCOLLECTION<T>::MoveNext()
{
    if (cursor == nullptr || cursor->next == nullptr)
        return -1;
    cursor = cursor->next;
    return ++cursorIndex;
}

template <class T> void KXCOLLECTION<T>::RemoveAll()
{
    NODE* node = head;
    for (int i = 0; i < count; ++i) {
        NODE* next = node->next;
        delete node;
        node = next;
    }
    cursorIndex = 0;
    count = 0;
    cursor = nullptr;
    head = nullptr;
    tail = nullptr;
}

template <class T> void KXCOLLECTION<T>::RemoveCurrent()
{
    NODE* node = cursor;
    if (node == nullptr)
        return;
    if (node->next != nullptr)
        node->next->prev = node->prev;
    else
        tail = node->prev;
    if (node->prev != nullptr)
        node->prev->next = node->next;
    else
        head = node->next;
    --count;
    delete node;
    cursor = head;
    cursorIndex = 0;
}

template <class T> int KXCOLLECTION<T>::Find(const T& item)
{
    NODE* node = head;
    for (int position = 0; position < count; ++position) {
        if (node->item == item) {
            cursor = node;
            cursorIndex = position;
            return position;
        }
        node = node->next;
    }
    // A miss leaves the cursor where it was: a non-empty list without a cursor would
    // make the next Add take its node for the whole list and lose the others.
    return -1;
}

template <class T> void KXCOLLECTION<T>::FindAndRemove(const T& item)
{
    if (Find(item) >= 0)
        RemoveCurrent();
}

template <class T> T& KXREFCOLLECTION<T>::GetCurrent()
{
    return this->HasCursor() ? KXCOLLECTION<T>::GetCurrent() : defaultItem;
}

template <class T> bool KXREFCOLLECTION<T>::DeleteAt(int position)
{
    // Only the module list deletes its elements, and a module is deleted through its
    // virtual destructor so that the code that made it also destroys it.
    static_assert(std::is_pointer_v<T> && std::has_virtual_destructor_v<std::remove_pointer_t<T>>,
                  "DeleteAt needs pointers to a class with a virtual destructor");
    if (position >= this->GetCount())
        return false;
    T& item = (*this)[position];
    if (item != nullptr) {
        delete item;
        item = nullptr;
    }
    this->RemoveCurrent();
    return true;
}
