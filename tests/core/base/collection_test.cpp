// Tests of KXCOLLECTION and KXREFCOLLECTION: cursor-relative insertion, index access from
// the nearest of head, tail and cursor, removal, search, the scene's walk over pointer
// lists, the module list's DeleteAt, and a randomised comparison with a plain model.
#include "kxcollection.h"
#include "kxstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------
// Allocation failure on demand. Lists allocate their nodes with the non-throwing operator
// new, so this program replaces it: while failuresToCome is above zero the next calls fail;
// every other call does what the runtime's own version does, through the throwing operator
// new (the sanitizers' one in a sanitizer build), so deletion still matches allocation.

namespace {

int failuresToCome = 0;

// Makes the next non-throwing allocation of the program fail while it lives.
class FailNextAllocation {
public:
    FailNextAllocation() { failuresToCome = 1; }
    ~FailNextAllocation() { failuresToCome = 0; }
    FailNextAllocation(const FailNextAllocation&) = delete;
    FailNextAllocation& operator=(const FailNextAllocation&) = delete;
};

} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (failuresToCome > 0) {
        --failuresToCome;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------

namespace {

static_assert(!std::is_copy_constructible_v<KXCOLLECTION<int>>);
static_assert(!std::is_copy_assignable_v<KXCOLLECTION<int>>);
static_assert(!std::is_copy_constructible_v<KXREFCOLLECTION<int*>>);

// Stands in for the module classes: deleted only through the virtual destructor of its
// base, and counts how often its own destructor ran.
class ModuleBase {
public:
    virtual ~ModuleBase() = default;
};

class CountedModule : public ModuleBase {
public:
    explicit CountedModule(int* destroyed) : destroyed(destroyed) {}
    ~CountedModule() override { ++*destroyed; }

private:
    int* destroyed;
};

using ModuleList = KXREFCOLLECTION<ModuleBase*>;

// The message of the KXEXCEPTION that action throws, or "no exception".
std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const KXEXCEPTION& e) {
        return e.GetMessage();
    }
    return "no exception";
}

const char* const kOutOfBounds = "Exception in operateur [] of KXCOLLECTION:index out of bounds";
const char* const kRefOutOfBounds =
    "Exception in operateur [] of KXREFCOLLECTION:index out of bounds";
const char* const kEmptyList = "Exception in GetCurrent of KXCOLLECTION:empty list";

// Elements as plain values that GoogleTest compares and prints.
template <class T> T Plain(const T& item)
{
    return item;
}

std::string Plain(const KXSTRING& item)
{
    return item.GetText();
}

template <class T> using PlainOf = decltype(Plain(std::declval<T>()));

// Positions 0 to count - 1 in turn (the cursor ends on the last element).
template <class T> std::vector<PlainOf<T>> ReadForward(KXCOLLECTION<T>& list)
{
    std::vector<PlainOf<T>> items;
    for (int i = 0; i < list.GetCount(); ++i)
        items.push_back(Plain(list[i]));
    return items;
}

// Positions count - 1 down to 0, returned in list order (the cursor ends on the head).
template <class T> std::vector<PlainOf<T>> ReadBackward(KXCOLLECTION<T>& list)
{
    std::vector<PlainOf<T>> items(static_cast<std::size_t>(list.GetCount()));
    for (int i = list.GetCount() - 1; i >= 0; --i)
        items[static_cast<std::size_t>(i)] = Plain(list[i]);
    return items;
}

void AddTexts(KXCOLLECTION<KXSTRING>& list, const std::vector<std::string>& texts)
{
    for (const std::string& text : texts)
        list.Add(KXSTRING(text.c_str()));
}

// The scene's walk over a pointer list, written as the scene writes it.
template <class T> std::vector<T> SceneWalk(KXREFCOLLECTION<T>& list)
{
    std::vector<T> visited;
    list.MoveFirst();
    T item = list.GetCurrent();
    while (item != nullptr) {
        visited.push_back(item);
        item = nullptr;
        if (list.MoveNext() >= 1)
            item = list.GetCurrent();
    }
    return visited;
}

// --- Empty lists and bounds --------------------------------------------------------------

TEST(CollectionTest, EmptyListsRefuseReadsUnderTheirOwnClassName)
{
    KXCOLLECTION<int> ints;
    EXPECT_STREQ(ints.GetName(), "KXCOLLECTION");
    EXPECT_EQ(ints.GetCount(), 0);
    EXPECT_EQ(MessageOf([&] { ints.GetCurrent(); }), kEmptyList);
    EXPECT_EQ(MessageOf([&] { ints[0]; }), kOutOfBounds);
    EXPECT_EQ(ints.MoveNext(), -1);
    ints.MoveFirst();
    ints.RemoveCurrent();
    EXPECT_EQ(ints.Find(0), -1);
    EXPECT_EQ(MessageOf([&] { ints.GetCurrent(); }), kEmptyList);
    EXPECT_EQ(ints.GetCount(), 0);

    ModuleList modules;
    EXPECT_STREQ(modules.GetName(), "KXREFCOLLECTION");
    EXPECT_EQ(modules.GetCurrent(), nullptr);
    EXPECT_EQ(MessageOf([&] { modules[0]; }), kRefOutOfBounds);
}

TEST(CollectionTest, PositionsOutsideTheListThrowAndLeaveTheCursor)
{
    KXCOLLECTION<KXSTRING> texts;
    AddTexts(texts, {"x", "y", "z"});
    KXREFCOLLECTION<int*> pointers;
    int a = 0;
    int b = 0;
    pointers.Add(&a);
    pointers.Add(&b);

    for (int position : {-1, 3, 4, INT_MIN, INT_MAX}) {
        texts[1];
        EXPECT_EQ(MessageOf([&] { texts[position]; }), kOutOfBounds) << position;
        EXPECT_EQ(Plain(texts.GetCurrent()), "y") << position;
        EXPECT_EQ(texts.GetCount(), 3);
    }
    EXPECT_EQ(MessageOf([&] { pointers[2]; }), kRefOutOfBounds);
    EXPECT_EQ(MessageOf([&] { pointers[-1]; }), kRefOutOfBounds);
    EXPECT_EQ(pointers.GetCurrent(), &b);
}

// --- Add ---------------------------------------------------------------------------------

TEST(CollectionTest, AddsToANewListReturnPositionsCountedFromOne)
{
    KXCOLLECTION<int> list;
    EXPECT_EQ(list.Add(10), 1);
    EXPECT_EQ(list.GetCurrent(), 10);
    EXPECT_EQ(list.MoveNext(), -1);
    EXPECT_EQ(list.Add(11), 2);
    EXPECT_EQ(list.Add(12), 3);
    EXPECT_EQ(list[2], 12);
    EXPECT_EQ(list[0], 10);
    EXPECT_EQ(list[1], 11);
}

TEST(CollectionTest, AddInsertsRightAfterTheCursor)
{
    struct Case {
        const char* cursorPlacement;
        std::function<void(KXCOLLECTION<KXSTRING>&)> place;
        int expectedPosition;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"read [0]", [](auto& l) { l[0]; }, 2, {"x", "w", "y", "z"}},
        {"read [1]", [](auto& l) { l[1]; }, 3, {"x", "y", "w", "z"}},
        {"read [2]", [](auto& l) { l[2]; }, 4, {"x", "y", "z", "w"}},
        {"MoveFirst", [](auto& l) { l.MoveFirst(); }, 2, {"x", "w", "y", "z"}},
        {"MoveFirst, MoveNext",
         [](auto& l) {
             l.MoveFirst();
             l.MoveNext();
         },
         3,
         {"x", "y", "w", "z"}},
        {"RemoveCurrent of y",
         [](auto& l) {
             l[1];
             l.RemoveCurrent();
         },
         2,
         {"x", "w", "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cursorPlacement);
        KXCOLLECTION<KXSTRING> list;
        AddTexts(list, {"x", "y", "z"});
        c.place(list);
        EXPECT_EQ(list.Add(KXSTRING("w")), c.expectedPosition);
        EXPECT_EQ(Plain(list.GetCurrent()), "w");
        EXPECT_EQ(ReadBackward(list), c.expected);
        EXPECT_EQ(ReadForward(list), c.expected);
    }
}

TEST(CollectionTest, AddThatCannotAllocateANodeChangesNothing)
{
    KXCOLLECTION<KXSTRING> list;
    const KXSTRING item("w");
    int result = 0;
    {
        FailNextAllocation failure;
        result = list.Add(item);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(MessageOf([&] { list.GetCurrent(); }), kEmptyList);

    AddTexts(list, {"x", "y", "z"});
    list[1];
    {
        FailNextAllocation failure;
        result = list.Add(item);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(Plain(list.GetCurrent()), "y");
    EXPECT_EQ(list.Add(item), 3);
    EXPECT_EQ(ReadForward(list), (std::vector<std::string>{"x", "y", "w", "z"}));
}

// --- Index access and the cursor ---------------------------------------------------------

TEST(CollectionTest, ReadsInOrderAndBackReturnEveryElement)
{
    KXCOLLECTION<int> list;
    for (int i = 0; i < 10; ++i)
        list.Add(i * 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(list[i], i * 10);
    for (int i = 9; i >= 0; --i)
        EXPECT_EQ(list[i], i * 10);
    list[8];
    EXPECT_EQ(list[1], 10);
    EXPECT_EQ(list.MoveNext(), 2);
    EXPECT_EQ(list.GetCurrent(), 20);

    // The reference reaches into the node.
    list[4] = 44;
    list[0];
    EXPECT_EQ(list[4], 44);
}

// Through the public interface a walk from the head, the tail or the cursor all end alike,
// so which one is taken cannot be seen; what can be seen is that every choice lands on the
// right node with the cursor index in step. This covers every jump between any two
// positions of lists of 1 to 12 elements (odd and even counts, both halves, all ties).
TEST(CollectionTest, EveryJumpLandsOnTheRightElementWithTheCursorThere)
{
    for (int n = 1; n <= 12; ++n) {
        KXCOLLECTION<int> list;
        for (int i = 0; i < n; ++i)
            list.Add(i * 10);
        for (int from = 0; from < n; ++from) {
            for (int to = 0; to < n; ++to) {
                list[from];
                EXPECT_EQ(list[to], to * 10) << "n " << n << ", " << from << " to " << to;
                EXPECT_EQ(list.GetCurrent(), to * 10) << "n " << n << ", " << from << " to " << to;
                // MoveNext reports the cursor index plus one, or -1 on the tail.
                EXPECT_EQ(list.MoveNext(), to + 1 < n ? to + 1 : -1)
                    << "n " << n << ", " << from << " to " << to;
            }
        }
    }
}

TEST(CollectionTest, MoveNextStopsOnTheTail)
{
    KXCOLLECTION<int> list;
    list.Add(1);
    list.Add(2);
    list.Add(3);
    list.MoveFirst();
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(list.MoveNext(), 1);
    EXPECT_EQ(list.MoveNext(), 2);
    EXPECT_EQ(list.MoveNext(), -1);
    EXPECT_EQ(list.MoveNext(), -1);
    EXPECT_EQ(list.GetCurrent(), 3);
}

// --- Removal -----------------------------------------------------------------------------

TEST(CollectionTest, RemoveCurrentOnTheOnlyElementLeavesAnEmptyList)
{
    KXCOLLECTION<KXSTRING> list;
    AddTexts(list, {"only"});
    list.RemoveCurrent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(MessageOf([&] { list.GetCurrent(); }), kEmptyList);
    EXPECT_EQ(MessageOf([&] { list[0]; }), kOutOfBounds);
    EXPECT_EQ(list.MoveNext(), -1);
    list.RemoveCurrent();
    EXPECT_EQ(list.GetCount(), 0);

    EXPECT_EQ(list.Add(KXSTRING("again")), 1);
    EXPECT_EQ(ReadForward(list), std::vector<std::string>{"again"});
}

TEST(CollectionTest, RemoveCurrentRelinksTheNeighboursAndMovesTheCursorToTheHead)
{
    const std::vector<std::string> texts = {"a", "b", "c", "d"};
    for (int removed = 0; removed < 4; ++removed) {
        SCOPED_TRACE(removed);
        KXCOLLECTION<KXSTRING> list;
        AddTexts(list, texts);
        list[removed];
        list.RemoveCurrent();

        std::vector<std::string> expected = texts;
        expected.erase(expected.begin() + removed);
        EXPECT_EQ(list.GetCount(), 3);
        EXPECT_EQ(Plain(list.GetCurrent()), expected[0]);
        EXPECT_EQ(list.MoveNext(), 1);
        EXPECT_EQ(ReadBackward(list), expected);
        EXPECT_EQ(ReadForward(list), expected);
    }
}

TEST(CollectionTest, RemoveAllDestroysEveryStringAndLeavesAUsableList)
{
    KXCOLLECTION<KXSTRING> list;
    for (int i = 0; i < 40; ++i) {
        // Every third text outgrows the first buffer of its string.
        KXSTRING text(i % 3 == 0 ? "a text well beyond sixteen bytes" : "short");
        list.Add(text);
    }
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(MessageOf([&] { list.GetCurrent(); }), kEmptyList);
    EXPECT_EQ(MessageOf([&] { list[0]; }), kOutOfBounds);

    // The strings left in the list now are destroyed by its destructor.
    AddTexts(list, {"x", "another text longer than sixteen"});
    EXPECT_EQ(ReadForward(list),
              (std::vector<std::string>{"x", "another text longer than sixteen"}));
}

TEST(CollectionTest, RemovingPointersLeavesThePointedObjectsAlive)
{
    int destroyed[4] = {};
    std::vector<CountedModule> modules;
    modules.reserve(4);
    for (int& counter : destroyed)
        modules.emplace_back(&counter);
    {
        ModuleList list;
        for (CountedModule& module : modules)
            list.Add(&module);
        list[1];
        list.RemoveCurrent();
        list.FindAndRemove(&modules[2]);
        EXPECT_EQ(SceneWalk(list), (std::vector<ModuleBase*>{&modules[0], &modules[3]}));
        list.RemoveAll();
        list.Add(&modules[0]);
    }
    for (int counter : destroyed)
        EXPECT_EQ(counter, 0);
}

// --- DeleteAt ----------------------------------------------------------------------------

TEST(CollectionTest, DeleteAtDestroysTheModuleAtThePositionOnly)
{
    int destroyed[3] = {};
    ModuleList list;
    ModuleBase* modules[3];
    for (int i = 0; i < 3; ++i) {
        modules[i] = new CountedModule(&destroyed[i]);
        list.Add(modules[i]);
    }

    EXPECT_FALSE(list.DeleteAt(3));
    EXPECT_FALSE(list.DeleteAt(INT_MAX));
    EXPECT_EQ(MessageOf([&] { list.DeleteAt(-1); }), kRefOutOfBounds);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetCurrent(), modules[2]);

    EXPECT_TRUE(list.DeleteAt(1));
    EXPECT_EQ(destroyed[0], 0);
    EXPECT_EQ(destroyed[1], 1);
    EXPECT_EQ(destroyed[2], 0);
    EXPECT_EQ(list.GetCurrent(), modules[0]);
    EXPECT_EQ(ReadForward(list), (std::vector<ModuleBase*>{modules[0], modules[2]}));

    // A position whose module is already gone only loses its node.
    list.Add(nullptr);
    EXPECT_TRUE(list.DeleteAt(2));
    EXPECT_EQ(list.GetCount(), 2);

    // The way the module manager empties its list: position 0 until nothing is left.
    while (list.DeleteAt(0)) {
    }
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(destroyed[0], 1);
    EXPECT_EQ(destroyed[1], 1);
    EXPECT_EQ(destroyed[2], 1);
}

// --- The scene's walk --------------------------------------------------------------------

TEST(CollectionTest, SceneWalkSkipsAnEmptyListAndVisitsEveryElementInOrder)
{
    ModuleList list;
    EXPECT_TRUE(SceneWalk(list).empty());

    ModuleBase a;
    ModuleBase b;
    ModuleBase c;
    list.Add(&a);
    EXPECT_EQ(SceneWalk(list), std::vector<ModuleBase*>{&a});
    list.Add(&c);
    list.MoveFirst();
    list.Add(&b);
    EXPECT_EQ(SceneWalk(list), (std::vector<ModuleBase*>{&a, &b, &c}));

    // Emptied again, the walk does not start.
    list.RemoveAll();
    EXPECT_TRUE(SceneWalk(list).empty());
}

// --- Find --------------------------------------------------------------------------------

TEST(CollectionTest, FindComparesPointersByIdentityAndStringsByText)
{
    int a = 5;
    int b = 5;
    KXREFCOLLECTION<int*> pointers;
    pointers.Add(&a);
    EXPECT_EQ(pointers.Find(&b), -1);
    EXPECT_EQ(pointers.Find(&a), 0);

    KXCOLLECTION<KXSTRING> texts;
    AddTexts(texts, {"x", "y", "x"});
    EXPECT_EQ(texts.Find(KXSTRING("x")), 0);
    EXPECT_EQ(texts.Find(KXSTRING("y")), 1);
    EXPECT_EQ(texts.Find(KXSTRING("X")), -1);
}

TEST(CollectionTest, FindLeavesTheCursorOnTheElementFound)
{
    KXCOLLECTION<KXSTRING> list;
    AddTexts(list, {"a", "b", "c", "d"});
    EXPECT_EQ(list.Find(KXSTRING("b")), 1);
    EXPECT_EQ(Plain(list.GetCurrent()), "b");
    EXPECT_EQ(list.Add(KXSTRING("x")), 3);
    const std::vector<std::string> expected = {"a", "b", "x", "c", "d"};
    EXPECT_EQ(ReadBackward(list), expected);
    EXPECT_EQ(ReadForward(list), expected);
}

TEST(CollectionTest, FindOfAnAbsentItemKeepsTheListAndItsCursor)
{
    KXCOLLECTION<KXSTRING> list;
    AddTexts(list, {"a", "b", "c", "d"});
    list[2];
    EXPECT_EQ(list.Find(KXSTRING("z")), -1);
    EXPECT_EQ(Plain(list.GetCurrent()), "c");
    EXPECT_EQ(list.Add(KXSTRING("x")), 4);
    EXPECT_EQ(list.GetCount(), 5);
    const std::vector<std::string> expected = {"a", "b", "c", "x", "d"};
    EXPECT_EQ(ReadBackward(list), expected);
    EXPECT_EQ(ReadForward(list), expected);
}

TEST(CollectionTest, FindAndRemoveRemovesTheFirstMatchOnly)
{
    KXCOLLECTION<int> list;
    for (int item : {1, 2, 3, 2})
        list.Add(item);
    list.FindAndRemove(2);
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(ReadForward(list), (std::vector<int>{1, 3, 2}));

    list[1];
    list.FindAndRemove(9);
    EXPECT_EQ(list.GetCurrent(), 3);
    EXPECT_EQ(list.GetCount(), 3);
}

// --- Randomised comparison with a model --------------------------------------------------

// What the list should hold: its elements in order, and the cursor index, which exists
// exactly when the list is not empty.
class ListModel {
public:
    int Count() const { return static_cast<int>(items.size()); }
    const std::vector<int>& Items() const { return items; }
    std::optional<int> Cursor() const { return cursor; }

    int Add(int item)
    {
        const int position = cursor ? *cursor + 1 : 0;
        items.insert(items.begin() + position, item);
        cursor = position;
        return position + 1;
    }

    // The element, or nothing when the list throws.
    std::optional<int> At(int position)
    {
        if (position < 0 || position >= Count())
            return std::nullopt;
        cursor = position;
        return items[static_cast<std::size_t>(position)];
    }

    void MoveFirst() { cursor = items.empty() ? std::nullopt : std::optional<int>(0); }

    int MoveNext()
    {
        if (!cursor || *cursor + 1 >= Count())
            return -1;
        return ++*cursor;
    }

    void RemoveCurrent()
    {
        if (!cursor)
            return;
        items.erase(items.begin() + *cursor);
        MoveFirst();
    }

    void RemoveAll()
    {
        items.clear();
        cursor.reset();
    }

    int Find(int item)
    {
        for (int position = 0; position < Count(); ++position) {
            if (items[static_cast<std::size_t>(position)] == item) {
                cursor = position;
                return position;
            }
        }
        return -1;
    }

    void FindAndRemove(int item)
    {
        if (Find(item) >= 0)
            RemoveCurrent();
    }

private:
    std::vector<int> items;
    std::optional<int> cursor;
};

class CollectionRandomTest : public ::testing::TestWithParam<unsigned> {
protected:
    enum Operation {
        kAdd,
        kReadInside,
        kReadOutside,
        kMoveFirst,
        kMoveNext,
        kRemoveCurrent,
        kFindPresent,
        kFindAbsent,
        kFindAndRemove,
        kRemoveAll,
    };

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    // Values come from a small range, so lists hold duplicates and finds hit.
    int SomeValue() { return Uniform(0, 30); }

    // An element the list holds, or any value when it is empty.
    int HeldValue()
    {
        if (model.Count() == 0)
            return SomeValue();
        return model.Items()[static_cast<std::size_t>(Uniform(0, model.Count() - 1))];
    }

    std::optional<int> ListAt(int position)
    {
        try {
            return list[position];
        } catch (const KXEXCEPTION& e) {
            EXPECT_STREQ(e.GetMessage(), kOutOfBounds);
            return std::nullopt;
        }
    }

    void Read(int position) { EXPECT_EQ(ListAt(position), model.At(position)) << position; }

    void Run(Operation operation)
    {
        switch (operation) {
        case kAdd: {
            const int item = SomeValue();
            EXPECT_EQ(list.Add(item), model.Add(item));
            break;
        }
        case kReadInside:
            Read(model.Count() == 0 ? 0 : Uniform(0, model.Count() - 1));
            break;
        case kReadOutside:
            Read(Uniform(0, 1) == 0 ? Uniform(-3, -1) : model.Count() + Uniform(0, 3));
            break;
        case kMoveFirst:
            list.MoveFirst();
            model.MoveFirst();
            break;
        case kMoveNext:
            EXPECT_EQ(list.MoveNext(), model.MoveNext());
            break;
        case kRemoveCurrent:
            list.RemoveCurrent();
            model.RemoveCurrent();
            break;
        case kFindPresent:
        case kFindAbsent: {
            const int item = operation == kFindPresent ? HeldValue() : 1000 + SomeValue();
            EXPECT_EQ(list.Find(item), model.Find(item)) << item;
            break;
        }
        case kFindAndRemove: {
            const int item = Uniform(0, 1) == 0 ? HeldValue() : SomeValue();
            list.FindAndRemove(item);
            model.FindAndRemove(item);
            break;
        }
        case kRemoveAll:
            list.RemoveAll();
            model.RemoveAll();
            break;
        }
    }

    // The count and the cursor's element after every operation.
    void CheckCursor()
    {
        EXPECT_EQ(list.GetCount(), model.Count());
        if (std::optional<int> cursor = model.Cursor())
            EXPECT_EQ(list.GetCurrent(), model.Items()[static_cast<std::size_t>(*cursor)]);
        else
            EXPECT_EQ(MessageOf([&] { list.GetCurrent(); }), kEmptyList);
    }

    // The whole content read both ways; then the cursor goes back where the model has it.
    void CheckContent()
    {
        EXPECT_EQ(ReadForward(list), model.Items());
        EXPECT_EQ(ReadBackward(list), model.Items());
        if (std::optional<int> cursor = model.Cursor())
            list[*cursor];
    }

    KXCOLLECTION<int> list;
    ListModel model;
    std::mt19937 random{GetParam()};
};

TEST_P(CollectionRandomTest, MatchesTheModelOverRandomOperations)
{
    // Weights in the order of Operation: mostly adds, reads and moves, some removals and
    // searches, and now and then a clear.
    std::discrete_distribution<int> pick({30, 15, 3, 5, 15, 8, 5, 3, 6, 1});
    for (int step = 1; step <= 4000 && !HasFailure(); ++step) {
        const auto operation = static_cast<Operation>(pick(random));
        SCOPED_TRACE(::testing::Message() << "step " << step << ", operation " << operation);
        Run(operation);
        CheckCursor();
        if (step % 25 == 0)
            CheckContent();
    }
    CheckContent();
}

INSTANTIATE_TEST_SUITE_P(Seeds, CollectionRandomTest, ::testing::Values(1u, 42u, 2024u));

} // namespace
