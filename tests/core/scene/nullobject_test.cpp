// Tests of KXNULLOBJECT and the modifiers: motion by (1 + t) times the velocity, updates
// that apply modifiers in list order, parents, and the path follower's path and refusals.
#include "kxmodifier.h"
#include "kxnullobject.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using geometry::Components;
using geometry::MessageOf;
using geometry::Vector;

// Notes its name and the object's y when applied, so a test sees the order and what
// each modifier found.
class RECORDER : public KXSM_BASE {
public:
    RECORDER(const char* name, std::vector<std::string>& log) : name(name), log(log) {}
    bool Apply(KXNULLOBJECT* object) override
    {
        log.push_back(name + "@" + std::to_string(static_cast<int>(*object->GetCoord(1))));
        return false;
    }

private:
    std::string name;
    std::vector<std::string>& log;
};

// Sets the object's velocity, as a modifier that drives an object would.
class PUSHER : public KXSM_BASE {
public:
    bool Apply(KXNULLOBJECT* object) override
    {
        object->SetVelocity(1, 0, 0);
        return true;
    }
};

TEST(NullObject, NewObject)
{
    const KXNULLOBJECT o(1, 2, 3);
    EXPECT_STREQ(o.GetName(), "KXNULLOBJECT");
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{1, 2, 3, 1}));
    EXPECT_EQ(Components(o.GetVelocity()), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(o.GetType(), KXTYPE_NULLOBJECT);
    EXPECT_EQ(o.GetParent(), nullptr);
    EXPECT_EQ(o.GetWorld(), nullptr);
}

TEST(NullObject, MoveAddsTheVelocityThenTTimesIt)
{
    struct Case {
        double t;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {0.5, {2.5, 0, -3, 1}},
        {0.0, {2, 0, -2, 1}},
        {1.0, {3, 0, -4, 1}},
        {-1.0, {1, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        KXNULLOBJECT o(1, 0, 0);
        o.SetVelocity(1, 0, -2);
        o.Move(c.t);
        EXPECT_EQ(Components(o.GetPosition()), c.expected) << c.t;
    }
}

TEST(NullObject, PositionSettersKeepOrSetW)
{
    KXNULLOBJECT o(1, 2, 3);
    o.GetPosition().Set(1, 2, 3, 5);
    o.Translate(1, 1, 1);
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{2, 3, 4, 5}));
    o.SetPosition(7, 8, 9);
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{7, 8, 9, 5}));
    *o.GetCoord(2) = -1;
    EXPECT_EQ(*o.GetPosition().GetItem(2), -1.0);
    o.SetPositionVector(Vector({4, 5, 6}));
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{4, 5, 6, 0}));
}

TEST(NullObject, UpdateTranslatesThenAppliesModifiersInListOrder)
{
    KXNULLOBJECT alone(0, 10, 0);
    alone.SetVelocity(0, 5, 0);
    alone.Update();
    EXPECT_EQ(Components(alone.GetPosition()), (std::vector<double>{0, 15, 0, 1}));

    std::vector<std::string> log;
    RECORDER first("first", log), last("last", log);
    KXSM_FALL fall(3);
    KXNULLOBJECT o(0, 10, 0);
    o.SetVelocity(0, 5, 0);
    o.AddModifier(&first);
    o.AddModifier(&fall);
    o.Update();
    // Added after an update, a modifier still lands at the end: the walk leaves the
    // list's cursor on the last one.
    o.AddModifier(&last);
    o.Update();
    EXPECT_EQ(log, (std::vector<std::string>{"first@15", "first@17", "last@14"}));
    EXPECT_EQ(*o.GetCoord(1), 14.0);
}

TEST(NullObject, AFrameMovesByTwiceTheVelocityAModifierSets)
{
    PUSHER pusher;
    KXNULLOBJECT o(0, 0, 0);
    o.AddModifier(&pusher);
    // One frame as the world drives it.
    o.SetVelocity(0, 0, 0);
    o.Update();
    o.Move(1.0);
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{2, 0, 0, 1}));
}

TEST(NullObject, ParentsAddTheFormerParentsPosition)
{
    KXNULLOBJECT first(1, 2, 3), second(10, 20, 30);
    KXNULLOBJECT child(0, 0, 0);
    child.SetParent(&first);
    EXPECT_EQ(child.GetParent(), &first);
    EXPECT_EQ(Components(child.GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    child.SetParent(&second);
    EXPECT_EQ(Components(child.GetPosition()), (std::vector<double>{1, 2, 3, 2}));
    child.SetParent(nullptr);
    EXPECT_EQ(child.GetParent(), nullptr);
    EXPECT_EQ(Components(child.GetPosition()), (std::vector<double>{11, 22, 33, 3}));

    child.AttachTo(&first);
    EXPECT_EQ(child.GetParent(), &first);
    EXPECT_EQ(Components(child.GetPosition()), (std::vector<double>{0, 0, 0, 1}));
}

const char* const kInvalidPath = "Exception in SetPath of KXSM_PATHFOLLOWERBR:Invalid param number";

TEST(PathFollower, SetPathCopiesUpToTheCapacity)
{
    const KXVECTOR points[] = {KXVECTOR(1, 0, 0), KXVECTOR(2, 0, 0), KXVECTOR(3, 0, 0),
                               KXVECTOR(4, 0, 0)};
    KXSM_PATHFOLLOWERBR follower(3, points, 0.5, 2.5);
    EXPECT_EQ(follower.GetCapacity(), 3);
    EXPECT_EQ(follower.GetFirstParameter(), 0.5);
    EXPECT_EQ(follower.GetSecondParameter(), 2.5);
    EXPECT_EQ(*follower.GetPathPoint(2)->GetItem(0), 3.0);
    EXPECT_EQ(follower.GetPathPoint(3), nullptr);

    const KXVECTOR others[] = {KXVECTOR(7, 0, 0), KXVECTOR(8, 0, 0), KXVECTOR(9, 0, 0),
                               KXVECTOR(0, 0, 0)};
    follower.SetPath(2, others, 1, 2);
    EXPECT_EQ(*follower.GetPathPoint(0)->GetItem(0), 7.0);
    EXPECT_EQ(*follower.GetPathPoint(2)->GetItem(0), 3.0) << "beyond k: unchanged";

    // Too many points: the parameters are stored, the path is not touched.
    EXPECT_EQ(MessageOf([&] { follower.SetPath(4, points, 5, 6); }), kInvalidPath);
    EXPECT_EQ(follower.GetFirstParameter(), 5.0);
    EXPECT_EQ(follower.GetSecondParameter(), 6.0);
    EXPECT_EQ(*follower.GetPathPoint(0)->GetItem(0), 7.0);
}

TEST(PathFollower, PathsWithoutPointsAreRefused)
{
    const KXVECTOR point(1, 2, 3);
    EXPECT_EQ(MessageOf([&] { KXSM_PATHFOLLOWERBR none(0, &point, 0, 0); }), kInvalidPath);
    EXPECT_EQ(MessageOf([&] { KXSM_PATHFOLLOWERBR negative(-2, &point, 0, 0); }), kInvalidPath);
    EXPECT_EQ(MessageOf([] { KXSM_PATHFOLLOWERBR null(2, nullptr, 0, 0); }), kInvalidPath);

    KXSM_PATHFOLLOWERBR follower(1, &point, 0, 0);
    EXPECT_EQ(MessageOf([&] { follower.SetPath(0, &point, 0, 0); }), kInvalidPath);
    EXPECT_EQ(MessageOf([&] { follower.SetPath(1, nullptr, 0, 0); }), kInvalidPath);

    // A freed path stays freed; setting it again copies nowhere.
    follower.FreePath();
    follower.FreePath();
    EXPECT_EQ(follower.GetPathPoint(0), nullptr);
    follower.SetPath(1, &point, 3, 4);
    EXPECT_EQ(follower.GetPathPoint(0), nullptr);
}

TEST(PathFollower, ApplyChangesNothing)
{
    const KXVECTOR points[] = {KXVECTOR(1, 0, 0), KXVECTOR(5, 0, 0)};
    KXSM_PATHFOLLOWERBR follower(2, points, 0, 1);
    KXNULLOBJECT o(1, 2, 3);
    o.AddModifier(&follower);
    EXPECT_TRUE(follower.Apply(&o));
    o.Update();
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{1, 2, 3, 1}));
}

TEST(Fall, LowersYAtEveryApplication)
{
    KXSM_FALL fall(0.25);
    KXNULLOBJECT o(1, 2, 3);
    EXPECT_TRUE(fall.Apply(&o));
    EXPECT_TRUE(fall.Apply(&o));
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{1, 1.5, 3, 1}));
}

} // namespace
