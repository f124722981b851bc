// Tests of the mesh object: its initial state, the transform built from pending changes,
// animation, materials, the vertex and face arrays from the memory manager, and the
// calls it makes on the renderer it is registered with.
#include "kxmaterial.h"
#include "kxobject3d.h"

#include "geometry_support.h"
#include "recording_renderer.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numbers>
#include <vector>

namespace {

using geometry::Components;
using geometry::MessageOf;
using Calls = std::vector<RECORDINGRENDERER::CALL>;

std::vector<double> Elements(KXMATRIX& m)
{
    std::vector<double> values;
    for (std::uint32_t i = 0; i < 4; ++i)
        for (std::uint32_t j = 0; j < 4; ++j)
            values.push_back(*m.GetElement(i, j));
    return values;
}

::testing::AssertionResult SameMatrix(KXMATRIX& m, const std::vector<double>& expected)
{
    const std::vector<double> actual = Elements(m);
    for (std::size_t i = 0; i < actual.size(); ++i)
        if (std::fabs(actual[i] - expected[i]) > 1e-12)
            return ::testing::AssertionFailure() << "element " << i << " is " << actual[i];
    return ::testing::AssertionSuccess();
}

const std::vector<double> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST(Object3D, NewObjectIsAnEmptyVisibleMeshAtTheOrigin)
{
    KXOBJECT3D o;
    EXPECT_STREQ(o.GetName(), "KXNULLOBJECT");
    EXPECT_EQ(o.GetType(), KXTYPE_OBJECT3D);
    EXPECT_EQ(o.IsVisible(), 1);
    EXPECT_EQ(o.GetChanges(), 0);
    EXPECT_TRUE(SameMatrix(o.GetTransform(), identity));
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(Components(o.GetScaleObject().GetPosition()), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_EQ(Components(o.GetRotationObject().GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(o.GetVertices(), nullptr);
    EXPECT_EQ(o.GetFaces(), nullptr);
    EXPECT_EQ(o.GetVertexCount(), 0);
    EXPECT_EQ(o.GetFaceCount(), 0);
    EXPECT_EQ(o.GetMaterialCount(), 0);
    EXPECT_EQ(o.GetRenderer(), nullptr);
    EXPECT_EQ(o.GetValue(), 1.0);
    EXPECT_EQ(o.GetBoundingRadius(), 0.0);
    EXPECT_EQ(o.GetColor().ToPixel32(), 0u);
    EXPECT_TRUE(o.GetLoaderSet().GetKind() == KXKIND_OBJECTLOADER);
    EXPECT_EQ(o.GetLoaderSet().GetOwner(), &o);
}

// The object keeps the object loaders of the current directory, and only those, and
// loads and saves itself through them.
TEST(Object3D, LoadsThroughTheObjectLoadersOfTheDirectory)
{
    ScopedTempDir dir;
    const std::filesystem::path fixtures(PELISK_FIXTURE_DIR);
    dir.Copy({fixtures / "loader_x.dll", fixtures / "loader_b.dll"});
    dir.Enter();

    KXOBJECT3D o;
    KXLOADERSET& loaders = o.GetLoaderSet();
    ASSERT_EQ(loaders.GetCount(), 1);
    EXPECT_TRUE(loaders[0]->GetKind() == KXKIND_OBJECTLOADER);
    EXPECT_TRUE(loaders.LoadFile("mesh.obj"));
    EXPECT_TRUE(loaders.SaveFile("mesh.OBJ"));
    EXPECT_FALSE(loaders.LoadFile("picture.img"));
}

TEST(Object3D, UpdateTransformBuildsThePendingChanges)
{
    const double c = std::cos(std::numbers::pi / 2);
    struct Case {
        const char* what;
        std::function<void(KXOBJECT3D&)> change;
        std::uint8_t changes;
        std::vector<double> transform;
    };
    const Case cases[] = {
        {"nothing pending", [](KXOBJECT3D&) {}, 0, identity},
        {"position",
         [](KXOBJECT3D& o) { o.SetPosition(1, 2, 3); },
         KXCHANGE_POSITION,
         {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1}},
        {"position vector",
         [](KXOBJECT3D& o) { o.SetPositionVector(KXVECTOR(4, 5, 6)); },
         KXCHANGE_POSITION,
         {1, 0, 0, 4, 0, 1, 0, 5, 0, 0, 1, 6, 0, 0, 0, 1}},
        {"a translation marks nothing", [](KXOBJECT3D& o) { o.Translate(1, 1, 1); }, 0, identity},
        {"scale scales the rows",
         [](KXOBJECT3D& o) {
             o.SetScale(2, 3, 4);
             o.SetPosition(7, 8, 9);
         },
         KXCHANGE_SCALE | KXCHANGE_POSITION,
         {2, 0, 0, 7, 0, 3, 0, 8, 0, 0, 4, 9, 0, 0, 0, 1}},
        {"scale vector",
         [](KXOBJECT3D& o) { o.SetScaleVector(KXVECTOR(2, 1, 1)); },
         KXCHANGE_SCALE,
         {2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"a short scale vector scales what it has",
         [](KXOBJECT3D& o) { o.SetScaleVector(geometry::Vector({3})); },
         KXCHANGE_SCALE,
         {3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"a zero rotation rebuilds the identity and applies the scale",
         [](KXOBJECT3D& o) {
             *o.GetTransform().GetElement(0, 1) = 5.0;
             *o.GetScaleObject().GetCoord(1) = 3.0;
             o.Rotate(0, 0, 0);
         },
         KXCHANGE_ROTATION,
         {1, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"rotation about Z with row 0 scaled",
         [](KXOBJECT3D& o) {
             o.SetScale(2, 1, 1);
             o.Rotate(0, 0, std::numbers::pi / 2);
         },
         KXCHANGE_SCALE | KXCHANGE_ROTATION,
         {2 * c, -2, 0, 0, 1, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"rotation vector adds to the angles",
         [](KXOBJECT3D& o) {
             o.Rotate(0, 0, std::numbers::pi / 4);
             o.RotateVector(KXVECTOR(0, 0, std::numbers::pi / 4));
         },
         KXCHANGE_ROTATION,
         {c, -1, 0, 0, 1, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& test : cases) {
        KXOBJECT3D o;
        test.change(o);
        EXPECT_EQ(o.GetChanges(), test.changes) << test.what;
        o.UpdateTransform();
        EXPECT_EQ(o.GetChanges(), 0) << test.what;
        EXPECT_TRUE(SameMatrix(o.GetTransform(), test.transform)) << test.what;
    }
}

// A second update with nothing pending changes nothing, not even a hand-made edit.
TEST(Object3D, UpdateWithNothingPendingLeavesTheTransform)
{
    KXOBJECT3D o;
    o.SetPosition(1, 2, 3);
    o.UpdateTransform();
    *o.GetTransform().GetElement(0, 3) = 42.0;
    o.UpdateTransform();
    EXPECT_EQ(*o.GetTransform().GetElement(0, 3), 42.0);
}

// Each update with the scale pending starts again from the rotation, so the transform
// carries the scale factors once, however often the scale is marked.
TEST(Object3D, ScaleIsAppliedOnceAcrossUpdates)
{
    KXOBJECT3D o;
    o.SetScale(2, 2, 2);
    o.SetScale(2, 2, 2);
    EXPECT_EQ(Components(o.GetScaleObject().GetPosition()), (std::vector<double>{4, 4, 4, 1}));
    o.UpdateTransform();
    o.SetScale(1, 1, 1);
    o.UpdateTransform();
    EXPECT_TRUE(SameMatrix(o.GetTransform(), {4, 0, 0, 0, 0, 4, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}));
    o.SetScale(0.5, 1, 1);
    o.UpdateTransform();
    EXPECT_TRUE(SameMatrix(o.GetTransform(), {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}));
}

// Move animates the scale, the rotation and the object by (1 + t) times their velocities,
// and leaves the pending changes to the next update.
TEST(Object3D, MoveAnimatesScaleRotationAndPosition)
{
    KXOBJECT3D o;
    o.GetScaleObject().SetVelocity(1, 0, 0);
    o.GetRotationObject().SetVelocity(0, 0.5, 0);
    o.SetVelocity(0, 0, 2);
    o.Move(0.5);
    EXPECT_EQ(Components(o.GetScaleObject().GetPosition()), (std::vector<double>{2.5, 1, 1, 1}));
    EXPECT_EQ(Components(o.GetRotationObject().GetPosition()),
              (std::vector<double>{0, 0.75, 0, 1}));
    EXPECT_EQ(Components(o.GetPosition()), (std::vector<double>{0, 0, 3, 1}));
    EXPECT_EQ(o.GetChanges(), 0);

    // Through the scene object's table, as a world animates it.
    KXNULLOBJECT& base = o;
    base.Move(0.0);
    EXPECT_EQ(*o.GetScaleObject().GetCoord(0), 3.5);
}

TEST(Object3D, DrawGoesThroughTheRegisteredRenderer)
{
    // The renderer outlives the object, whose destruction detaches it from the renderer.
    RECORDINGRENDERER renderer;
    KXOBJECT3D o;
    EXPECT_FALSE(o.Draw(0));
    o.SetRenderer(&renderer);
    EXPECT_TRUE(o.Draw(0));
    renderer.drawAnswer = false;
    EXPECT_FALSE(o.Draw(3));
    EXPECT_EQ(renderer.calls, (Calls{{"DrawObject", &o, 0}, {"DrawObject", &o, 3}}));
}

TEST(Object3D, MaterialsAreListedAndToldOfTheirUser)
{
    KXOBJECT3D o;
    KXMATERIAL first, second;
    o.AddMaterial(&first);
    o.AddMaterial(&second);
    o.AddMaterial(nullptr);
    ASSERT_EQ(o.GetMaterialCount(), 2);
    EXPECT_EQ(o.GetMaterial(0), &first);
    EXPECT_EQ(o.GetMaterial(1), &second);
    // The index is the object's material count once the material is listed.
    ASSERT_EQ(first.GetUserCount(), 1);
    EXPECT_EQ(first.GetUser(0).object, &o);
    EXPECT_EQ(first.GetUser(0).index, 1);
    EXPECT_EQ(second.GetUser(0).index, 2);
    for (int bad : {-1, 2})
        EXPECT_TRUE(MessageOf([&] { o.GetMaterial(bad); }).ends_with(":index out of bounds"))
            << bad;
}

TEST(Object3D, ArraysComeByClassNameFromTheMemoryManager)
{
    KXOBJECT3D o;
    KXVERTEX* vertices = o.AllocVertices(3);
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(o.GetVertices(), vertices);
    EXPECT_EQ(o.GetVertexCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(vertices[i].GetName(), "KXVERTEX");
        EXPECT_EQ(Components(vertices[i].GetPosition()), (std::vector<double>{0, 0, 0, 1}));
    }
    vertices[2].SetPosition(1, 2, 3);

    KXFACE* faces = o.AllocFaces(2);
    ASSERT_NE(faces, nullptr);
    EXPECT_EQ(o.GetFaceCount(), 2);
    EXPECT_STREQ(faces[1].GetName(), "KXFACE");
    faces[1].SetVertexCount(3);

    // Reallocating replaces the array; the old one goes back to the manager.
    EXPECT_NE(o.AllocVertices(4), nullptr);
    EXPECT_EQ(o.GetVertexCount(), 4);
    EXPECT_EQ(Components(o.GetVertices()[2].GetPosition()), (std::vector<double>{0, 0, 0, 1}));
}

// A count of 0 or less has no array: the pointer is null and the count 0, so nothing
// ever walks or deletes an array that holds no element.
TEST(Object3D, EmptyOrNegativeCountsLeaveNoArray)
{
    for (int n : {0, -1, -1000}) {
        KXOBJECT3D o;
        o.AllocVertices(2);
        o.AllocFaces(2);
        EXPECT_EQ(o.AllocVertices(n), nullptr) << n;
        EXPECT_EQ(o.AllocFaces(n), nullptr) << n;
        EXPECT_EQ(o.GetVertices(), nullptr) << n;
        EXPECT_EQ(o.GetFaces(), nullptr) << n;
        EXPECT_EQ(o.GetVertexCount(), 0) << n;
        EXPECT_EQ(o.GetFaceCount(), 0) << n;
    }
}

TEST(Object3D, ReleaseMeshDetachesForgetsMaterialsAndDeletesTheArrays)
{
    RECORDINGRENDERER renderer;
    KXMATERIAL material;
    KXOBJECT3D o;
    o.SetRenderer(&renderer);
    o.AddMaterial(&material);
    o.AllocVertices(3);
    o.AllocFaces(1)[0].SetVertexCount(3);
    o.SetPosition(1, 0, 0);

    o.ReleaseMesh();
    EXPECT_EQ(renderer.calls, (Calls{{"DetachObject", &o, 0}}));
    EXPECT_EQ(o.GetRenderer(), &renderer);
    EXPECT_EQ(o.GetChanges(), 0);
    EXPECT_EQ(o.GetMaterialCount(), 0);
    EXPECT_EQ(material.GetUserCount(), 1);
    EXPECT_EQ(o.GetVertices(), nullptr);
    EXPECT_EQ(o.GetFaces(), nullptr);
    EXPECT_EQ(o.GetVertexCount(), 0);
    EXPECT_EQ(o.GetFaceCount(), 0);
}

// Destroying an object releases its mesh, which detaches it from its renderer.
TEST(Object3D, DestructionDetachesFromTheRenderer)
{
    RECORDINGRENDERER renderer;
    // The object's address as a number: the object itself is gone when it is compared.
    std::uintptr_t address = 0;
    {
        KXOBJECT3D o;
        o.SetRenderer(&renderer);
        o.AllocVertices(2);
        address = reinterpret_cast<std::uintptr_t>(&o);
    }
    ASSERT_EQ(renderer.calls.size(), 1u);
    EXPECT_EQ(renderer.calls[0].what, "DetachObject");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(renderer.calls[0].object), address);
}

TEST(Object3D, ReleaseMeshOfABareObjectOnlyClearsTheChanges)
{
    KXOBJECT3D o;
    o.Rotate(1, 0, 0);
    o.ReleaseMesh();
    EXPECT_EQ(o.GetChanges(), 0);
    EXPECT_EQ(o.GetRenderer(), nullptr);
    EXPECT_EQ(o.GetVertices(), nullptr);
}

} // namespace
