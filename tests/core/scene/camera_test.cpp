// Tests of KXCAMERA: angles held and wrapped, axes rebuilt in the quaternion's order,
// camera and target moving together or apart, and a camera without a line of sight
// (standing on its target, or looking at its own eye) that keeps its place instead of
// turning NaN.
#include "kxcamera.h"

#include "geometry_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

using geometry::Components;
using geometry::Near;
using geometry::Vector;

using Values = std::vector<double>;

const double kHalf = std::sqrt(0.5);
// A direction in the x-y plane, and its angle from +y.
const double kTilted[2] = {1.3969429740419326, 2.7046243662747216};
const double kTiltedPhi = std::atan2(kTilted[0], kTilted[1]);

struct Axes {
    Values direction, up, right;
};

::testing::AssertionResult AxesNear(const KXCAMERA& camera, const Axes& expected)
{
    const struct {
        const char* name;
        const KXVECTOR& actual;
        const Values& expected;
    } axes[] = {{"direction", camera.GetDirection(), expected.direction},
                {"up", camera.GetUp(), expected.up},
                {"right", camera.GetRight(), expected.right}};
    for (const auto& axis : axes) {
        const ::testing::AssertionResult near = Near(axis.actual, axis.expected);
        if (!near)
            return ::testing::AssertionFailure() << axis.name << " " << near.message();
    }
    return ::testing::AssertionSuccess();
}

const Axes kBaseAxes = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}};

TEST(Camera, NewCameraLooksDownMinusZAtTheOrigin)
{
    const KXCAMERA camera(0, 0, 5);
    EXPECT_STREQ(camera.GetName(), "KXNULLOBJECT");
    EXPECT_EQ(camera.GetType(), KXTYPE_CAMERA);
    EXPECT_EQ(Components(camera.GetPosition()), (Values{0, 0, 5, 1}));
    EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{0, 0, 0, 1}));
    EXPECT_EQ(Components(camera.GetTarget().GetVelocity()), (Values{0, 0, 0, 0}));
    EXPECT_EQ(Components(camera.GetUpObject().GetPosition()), (Values{0, 1, 0, 1}));
    EXPECT_EQ(Components(camera.GetDirection()), kBaseAxes.direction);
    EXPECT_EQ(Components(camera.GetUp()), kBaseAxes.up);
    EXPECT_EQ(Components(camera.GetRight()), kBaseAxes.right);
    EXPECT_EQ(camera.GetPitch(), 0.0);
    EXPECT_EQ(camera.GetYaw(), 0.0);
    EXPECT_EQ(camera.GetRoll(), 0.0);
    // A fresh camera gives a renderer a usable image plane before anyone sets one.
    EXPECT_EQ(camera.GetFocal(), 1.0);
    EXPECT_EQ(Components(KXCAMERA().GetPosition()), (Values{0, 0, 0, 1}));
}

TEST(Camera, RotateHoldsPitchWrapsYawOnceAndLetsRollRun)
{
    struct Step {
        double dPitch, dYaw, dRoll;
    };
    struct Case {
        std::vector<Step> steps;
        double pitch, yaw, roll;
    };
    const Case cases[] = {
        {{{100, 0, 0}}, 90, 0, 0},
        {{{100, 0, 0}, {-200, 0, 0}}, -90, 0, 0},
        {{{45, 0, 0}, {-30, 0, 0}}, 15, 0, 0},
        {{{0, 190, 0}}, 0, -170, 0},
        {{{0, -190, 0}}, 0, 170, 0},
        {{{0, 180, 0}}, 0, 180, 0},
        {{{0, -180, 0}}, 0, -180, 0},
        {{{0, 170, 0}, {0, 20, 0}}, 0, -170, 0},
        // One turn only: a step of more than a turn stays outside -180..180.
        {{{0, 1000, 0}}, 0, 640, 0},
        {{{0, 0, 200}, {0, 0, 200}}, 0, 0, 400},
        {{{0, 0, -720}, {0, 0, -5}}, 0, 0, -725},
    };
    for (const Case& c : cases) {
        KXCAMERA camera;
        for (const Step& s : c.steps)
            camera.Rotate(s.dPitch, s.dYaw, s.dRoll);
        EXPECT_EQ(camera.GetPitch(), c.pitch) << c.pitch << " " << c.yaw << " " << c.roll;
        EXPECT_EQ(camera.GetYaw(), c.yaw) << c.pitch << " " << c.yaw << " " << c.roll;
        EXPECT_EQ(camera.GetRoll(), c.roll) << c.pitch << " " << c.yaw << " " << c.roll;
    }
}

// Rotate rebuilds the axes through UpdateAxes: pitch acts first on the base vectors,
// then yaw, then roll; w stays 0.
TEST(Camera, RotateRebuildsTheAxesPitchFirst)
{
    const double h = 0.5, r3 = std::sqrt(3.0) / 2.0;
    struct Case {
        double pitch, yaw, roll;
        Axes axes;
    };
    const Case cases[] = {
        {0, 0, 0, kBaseAxes},
        {0, 90, 0, {{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}}},
        {90, 0, 0, {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}}},
        {0, 0, 90, {{0, 0, -1, 0}, {-1, 0, 0, 0}, {0, 1, 0, 0}}},
        {30, 0, 0, {{0, h, -r3, 0}, {0, r3, h, 0}, {1, 0, 0, 0}}},
        {30, 90, 0, {{-r3, h, 0, 0}, {h, r3, 0, 0}, {0, 0, -1, 0}}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(0, 0, 5);
        camera.Rotate(c.pitch, c.yaw, c.roll);
        EXPECT_TRUE(AxesNear(camera, c.axes)) << c.pitch << " " << c.yaw << " " << c.roll;
    }
}

TEST(Camera, AnglesBackAtZeroGiveTheBaseAxesAgain)
{
    KXCAMERA camera;
    camera.Rotate(30, -120, 400);
    camera.Rotate(-30, 120, -400);
    EXPECT_TRUE(AxesNear(camera, kBaseAxes));
    // UpdateAxes rebuilds from the angles, so axes turned by other means are reset.
    KXQUATERNION q;
    camera.RotateAxes(q.SetAxisAngle(Vector({0, 1, 0}), 1.0));
    camera.UpdateAxes();
    EXPECT_TRUE(AxesNear(camera, kBaseAxes));
}

// The matrix turns the roll first, the quaternion the pitch first: they agree on one
// angle and part on two.
TEST(Camera, UpdateAxesMatrixTurnsInTheMatrixOrder)
{
    for (const double angle : {30.0, -45.0}) {
        for (int axis = 0; axis < 3; ++axis) {
            KXCAMERA byQuaternion, byMatrix;
            byQuaternion.Rotate(axis == 0 ? angle : 0, axis == 1 ? angle : 0,
                                axis == 2 ? angle : 0);
            byMatrix.Rotate(axis == 0 ? angle : 0, axis == 1 ? angle : 0, axis == 2 ? angle : 0);
            byMatrix.UpdateAxesMatrix();
            EXPECT_TRUE(AxesNear(byMatrix, {Components(byQuaternion.GetDirection()),
                                            Components(byQuaternion.GetUp()),
                                            Components(byQuaternion.GetRight())}))
                << angle << " about axis " << axis;
        }
    }
    KXCAMERA camera;
    camera.Rotate(30, 90, 0);
    camera.UpdateAxesMatrix();
    const double h = 0.5, r3 = std::sqrt(3.0) / 2.0;
    EXPECT_TRUE(Near(camera.GetDirection(), {-1, 0, 0, 0}));
    EXPECT_TRUE(Near(camera.GetUp(), {0, r3, h, 0}));
}

TEST(Camera, RotateAxesTurnsTheThreeVectorsAndKeepsTheirW)
{
    KXCAMERA camera;
    KXQUATERNION q;
    q.SetAxisAngle(Vector({0, 1, 0}), std::numbers::pi / 2);
    camera.RotateAxes(q);
    EXPECT_TRUE(AxesNear(camera, {{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}}));
    // The angles are not touched.
    EXPECT_EQ(camera.GetYaw(), 0.0);
}

TEST(Camera, LookAtSetsTheUnitDirectionOnly)
{
    struct Case {
        Values eye, point, direction;
    };
    const Case cases[] = {
        {{0, 0, 5}, {3, 0, 1}, {0.6, 0, -0.8, 0}},
        {{-1, 0, 1}, {0, 0, 0}, {kHalf, 0, -kHalf, 0}},
        {{0, 0, 0}, {0, 0, 7}, {0, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(c.eye[0], c.eye[1], c.eye[2]);
        camera.LookAt(c.point[0], c.point[1], c.point[2]);
        EXPECT_TRUE(Near(camera.GetDirection(), c.direction)) << c.point[2];
        EXPECT_EQ(Components(camera.GetUp()), kBaseAxes.up);
        EXPECT_EQ(Components(camera.GetRight()), kBaseAxes.right);
        EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{0, 0, 0, 1}));
    }
}

// The example of a camera five units out on +z, one step of 2 toward the origin.
TEST(Camera, AdvanceMovesCameraAndTargetAlongTheLineOfSight)
{
    struct Case {
        Values eye, target;
        double d;
        Values newEye, newTarget;
    };
    const Case cases[] = {
        {{0, 0, 5}, {0, 0, 0}, 2, {0, 0, 3, 1}, {0, 0, -2, 1}},
        {{0, 0, 5}, {0, 0, 0}, -1, {0, 0, 6, 1}, {0, 0, 1, 1}},
        {{1, 1, 1}, {4, 5, 1}, 10, {7, 9, 1, 1}, {10, 13, 1, 1}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(c.eye[0], c.eye[1], c.eye[2]);
        camera.SetTargetPosition(c.target[0], c.target[1], c.target[2]);
        camera.Advance(c.d);
        EXPECT_TRUE(Near(camera.GetPosition(), c.newEye)) << c.d;
        EXPECT_TRUE(Near(camera.GetTarget().GetPosition(), c.newTarget)) << c.d;
    }
}

TEST(Camera, TranslationsMoveBothOrOnlyTheTarget)
{
    KXCAMERA camera(0, 0, 5);
    camera.Translate(1, 2, 3);
    EXPECT_EQ(Components(camera.GetPosition()), (Values{1, 2, 8, 1}));
    EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{1, 2, 3, 1}));
    camera.TranslateTarget(1, 1, 1);
    EXPECT_EQ(Components(camera.GetPosition()), (Values{1, 2, 8, 1}));
    EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{2, 3, 4, 1}));
    camera.SetTarget(-1, -2, -3);
    EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{-1, -2, -3, 1}));
    camera.SetTargetPosition(7, 8, 9);
    EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{7, 8, 9, 1}));
    EXPECT_EQ(Components(camera.GetPosition()), (Values{1, 2, 8, 1}));
}

TEST(Camera, OrbitMovesAlongTheLineOfSightAndSideways)
{
    struct Case {
        Values eye;
        double a, b;
        Values newEye, newTarget;
    };
    // Up object at (0, 1, 0): looking down -z, the sideways axis up × sight is -x.
    const Case cases[] = {
        {{0, 0, 5}, 1, 2, {-1, 0, 3, 1}, {-1, 0, -2, 1}},
        {{0, 0, 5}, 3, 0, {-3, 0, 5, 1}, {-3, 0, 0, 1}},
        {{5, 0, 0}, 0, 1, {4, 0, 0, 1}, {-1, 0, 0, 1}},
        // Looking along the up reference there is no sideways axis: only b moves.
        {{0, 5, 0}, 1, 2, {0, 3, 0, 1}, {0, -2, 0, 1}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(c.eye[0], c.eye[1], c.eye[2]);
        camera.Orbit(c.a, c.b);
        EXPECT_TRUE(Near(camera.GetPosition(), c.newEye)) << c.a << " " << c.b;
        EXPECT_TRUE(Near(camera.GetTarget().GetPosition(), c.newTarget)) << c.a << " " << c.b;
    }
}

TEST(Camera, TurnPutsTheTargetOnTheTurnedLineAtDistanceOne)
{
    const double pi = std::numbers::pi;
    struct Case {
        Values eye, target;
        double a, b;
        Values newTarget;
    };
    const Case cases[] = {
        {{0, 0, 5}, {0, 0, 0}, 0, 0, {0, 0, 4, 1}},
        {{1, 2, 3}, {1, 2, 13}, 0, 0, {1, 2, 4, 1}},
        {{0, 0, 5}, {0, 0, 0}, 0, pi / 2, {-1, 0, 5, 1}},
        {{0, 0, 5}, {0, 0, 0}, -pi / 4, 0, {0, kHalf, 5 - kHalf, 1}},
        {{0, 0, 5}, {0, 0, 0}, pi / 4, 0, {0, -kHalf, 5 - kHalf, 1}},
        {{0, 0, 0}, {1, 0, 0}, -pi / 2, 0, {0, 1, 0, 1}},
        // A vertical line of sight has no azimuth: it turns in the x-y plane.
        {{0, 0, 0}, {0, 2, 0}, 0.5, 0, {std::sin(0.5), std::cos(0.5), 0, 1}},
        {{0, 0, 0}, {0, -2, 0}, 0.5, 0, {-std::sin(0.5), -std::cos(0.5), 0, 1}},
        // So nearly vertical that sin phi rounds to 0: x / sin phi is infinite (acos of
        // it is NaN unclamped), and 0 / sin phi is NaN.
        {{0, 0, 0}, {1e-9, 1, 0}, 0.5, 0, {std::sin(0.5), std::cos(0.5), 0, 1}},
        {{0, 0, 0}, {0, 1, 1e-9}, 0.5, 0, {std::sin(0.5), std::cos(0.5), 0, 1}},
        // In the x-y plane, where x / sin phi rounds to just above 1 (acos of it is NaN
        // unclamped).
        {{0, 0, 0},
         {kTilted[0], kTilted[1], 0},
         0.2,
         0,
         {std::sin(kTiltedPhi + 0.2), std::cos(kTiltedPhi + 0.2), 0, 1}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(c.eye[0], c.eye[1], c.eye[2]);
        camera.SetTargetPosition(c.target[0], c.target[1], c.target[2]);
        camera.Turn(c.a, c.b);
        EXPECT_TRUE(Near(camera.GetTarget().GetPosition(), c.newTarget)) << c.a << " " << c.b;
        EXPECT_TRUE(Near(camera.GetPosition(), {c.eye[0], c.eye[1], c.eye[2], 1}));
    }
}

// Without a line of sight (camera on its target, look-at point on the eye) every
// operation that needs one leaves position, target and direction as they were.
TEST(Camera, NoLineOfSightLeavesTheCameraAsItWas)
{
    struct Case {
        const char* name;
        void (*operation)(KXCAMERA&);
    };
    const Case cases[] = {
        {"Advance", [](KXCAMERA& c) { c.Advance(2); }},
        {"Orbit", [](KXCAMERA& c) { c.Orbit(1, 2); }},
        {"Orbit sideways", [](KXCAMERA& c) { c.Orbit(1, 0); }},
        {"Turn", [](KXCAMERA& c) { c.Turn(0, 0); }},
        {"Turn both", [](KXCAMERA& c) { c.Turn(0.3, 0.4); }},
        {"LookAt", [](KXCAMERA& c) { c.LookAt(1, 2, 3); }},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(1, 2, 3);
        camera.SetTargetPosition(1, 2, 3);
        camera.Rotate(0, 90, 0);
        const Values direction = Components(camera.GetDirection());
        c.operation(camera);
        EXPECT_EQ(Components(camera.GetPosition()), (Values{1, 2, 3, 1})) << c.name;
        EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{1, 2, 3, 1})) << c.name;
        EXPECT_EQ(Components(camera.GetDirection()), direction) << c.name;
    }
}

TEST(Camera, WalkingMovesOnlyTheEyeAlongDirectionOrRight)
{
    struct Case {
        const char* name;
        void (*move)(KXCAMERA&, double);
        Values eye;
    };
    const Case cases[] = {
        {"forward", [](KXCAMERA& c, double s) { c.MoveForward(s); }, {0, 0, -5, 1}},
        {"backward", [](KXCAMERA& c, double s) { c.MoveBackward(s); }, {0, 0, 15, 1}},
        {"left", [](KXCAMERA& c, double s) { c.MoveLeft(s); }, {-10, 0, 5, 1}},
        {"right", [](KXCAMERA& c, double s) { c.MoveRight(s); }, {10, 0, 5, 1}},
    };
    for (const Case& c : cases) {
        KXCAMERA camera(0, 0, 5);
        c.move(camera, 10.0);
        EXPECT_EQ(Components(camera.GetPosition()), c.eye) << c.name;
        EXPECT_EQ(Components(camera.GetTarget().GetPosition()), (Values{0, 0, 0, 1})) << c.name;
    }
    // Walking follows the turned axes: after a quarter turn left, forward is -x.
    KXCAMERA camera(0, 0, 5);
    camera.Rotate(0, 90, 0);
    camera.MoveForward(10.0);
    EXPECT_TRUE(Near(camera.GetPosition(), {-10, 0, 5, 1}));
}

// Notes the virtual calls that reach it, then does what the camera does.
class RECORDINGCAMERA : public KXCAMERA {
public:
    RECORDINGCAMERA() : KXCAMERA(0, 0, 5) {}
    void Translate(double dx, double dy, double dz) override
    {
        log.push_back("Translate");
        KXCAMERA::Translate(dx, dy, dz);
    }
    void SetTarget(double x, double y, double z) override
    {
        log.push_back("SetTarget");
        KXCAMERA::SetTarget(x, y, z);
    }
    std::vector<std::string> log;
};

// A camera built on this one sees the moves that Advance, Orbit and Turn make.
TEST(Camera, MovesGoThroughTheVirtualOperations)
{
    RECORDINGCAMERA camera;
    camera.Advance(1);
    camera.Orbit(1, 1);
    camera.Turn(0.1, 0.1);
    camera.SetTargetPosition(0, 0, 0);
    EXPECT_EQ(camera.log, (std::vector<std::string>{"Translate", "Translate", "SetTarget"}));
}

TEST(Camera, FocalIsStoredForRenderers)
{
    KXCAMERA camera;
    camera.SetFocal(45.0);
    EXPECT_EQ(camera.GetFocal(), 45.0);
}

} // namespace
