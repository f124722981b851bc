// The renderer road of the viewer: the renderers of the current directory in the 3-D
// menu, choosing one (recording fixture renderers show the calls and their order), the
// raytracer's demo taken into the picture and saved, and a clean end with a renderer that
// objects are registered with.
#include "viewer_support.h"

#include "recorder.h"
#include "resource.h"

#include "kxmodule.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Writes the events of one fixture library into a shared list, marked with its name.
class EVENTLOG final : public KXRECORDER {
public:
    EVENTLOG(const char* name, std::vector<std::string>& events) : name(name), events(events) {}
    void Record(const char* event) override { events.push_back(name + ": " + event); }

private:
    std::string name;
    std::vector<std::string>& events;
};

// The renderer pop-up of the 3-D menu.
QMenu* RendererPopup(CMainDlg& dialog)
{
    QMenu* threeD = dialog.GetMenuBar()->actions()[3]->menu();
    return threeD->actions().value(0)->menu();
}

class RendererTest : public ViewerTest {
protected:
    void SetUp() override { Prepare({"stowel.dll", "pimbrel.dll", "corvel.dll"}); }

    // Hands each fixture renderer of the dialog its event log, in the manager's order.
    void Listen(CMainDlg& dialog)
    {
        KXMANAGER& renderers = dialog.GetRenderers();
        for (std::uint16_t i = 0; i < renderers.GetCount() && i < logs.size(); ++i) {
            auto set = reinterpret_cast<KXSETRECORDERPROC>(
                GetModuleProc(*renderers[i]->GetHandlePtr(), "SetRecorder"));
            ASSERT_NE(set, nullptr);
            set(&logs[i]);
        }
    }

    std::vector<std::string> events;
    std::vector<EVENTLOG> logs;
};

TEST_F(RendererTest, ThreeDMenuListsTheRaytracerUnderInstalledRenderers)
{
    CMainDlg dialog;
    Run(dialog, "", [](CMainDlg& shown) {
        EXPECT_TRUE(shown.GetMenuBar()->actions()[3]->isEnabled());
        QMenu* threeD = shown.GetMenuBar()->actions()[3]->menu();
        ASSERT_EQ(threeD->actions().value(0)->text(), "Installed Renderers");
        const QList<QAction*> items = RendererPopup(shown)->actions();
        ASSERT_EQ(items.size(), 1);
        EXPECT_EQ(items[0]->text(), "KX Raytracer");
        EXPECT_EQ(items[0]->data().toUInt(), 33000u);
        EXPECT_EQ(shown.GetRenderer(), nullptr);
        // The demo does nothing without a current renderer.
        shown.OnCommand(ID_3D_RUNDEMO);
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_NOTHING);
    });
}

class SwitchTest : public RendererTest {
protected:
    void SetUp() override
    {
        Prepare({"stowel.dll"});
        const std::filesystem::path fixture =
            std::filesystem::path(PELISK_FIXTURE_DIR) / "renderer_r.dll";
        dir.CopyAs(fixture, "ra.dll");
        dir.CopyAs(fixture, "rb.dll");
        logs.emplace_back("A", events);
        logs.emplace_back("B", events);
    }
};

TEST_F(SwitchTest, ChoosingARendererInitialisesItAndSwitchingLetsTheOldOneGoFirst)
{
    CMainDlg dialog;
    Run(dialog, "", [this](CMainDlg& shown) {
        Listen(shown);
        CPictureCtrl& control = shown.GetPictureCtrl();
        const QList<QAction*> before = RendererPopup(shown)->actions();
        ASSERT_EQ(before.size(), 2);
        EXPECT_EQ(before[1]->data().toUInt(), 33001u);

        before[0]->trigger();
        EXPECT_EQ(events, (std::vector<std::string>{"A: renderer Init 256 256 32 0"}));
        EXPECT_EQ(shown.GetRenderer(), shown.GetRenderers()[0]);
        EXPECT_EQ(control.m_world.GetRenderer(), shown.GetRenderer());
        EXPECT_EQ(control.m_nDisplayMode, DISPLAY_NOTHING);
        EXPECT_STREQ(control.m_status.GetText(), "Loading renderer and (re)initializing world...");
        EXPECT_TRUE(RendererPopup(shown)->actions()[0]->isChecked());

        // A fast renderer asks for the larger view.
        static_cast<KXRENDERER*>(shown.GetRenderers()[1])->SetFastFlag(1);
        events.clear();
        shown.OnCommand(33001);
        EXPECT_EQ(events,
                  (std::vector<std::string>{"A: renderer DetachWorld", "A: renderer Release",
                                            "B: renderer Init 800 600 32 0"}));
        EXPECT_EQ(control.m_world.GetRenderer(), shown.GetRenderers()[1]);
        // A fast renderer's demo stays in the window as the renderer drew it.
        events.clear();
        shown.OnCommand(ID_3D_RUNDEMO);
        EXPECT_EQ(events, (std::vector<std::string>{"B: renderer RunDemo"}));
        EXPECT_EQ(control.m_nDisplayMode, DISPLAY_WORLD);

        // Every item still chooses its renderer; the check mark is on the current one.
        const QList<QAction*> after = RendererPopup(shown)->actions();
        ASSERT_EQ(after.size(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(after[i]->text(), "Recording renderer");
            EXPECT_EQ(after[i]->data().toUInt(), 33000u + i);
            EXPECT_EQ(after[i]->isChecked(), i == 1) << i;
        }
        events.clear();
        after[0]->trigger();
        EXPECT_EQ(events,
                  (std::vector<std::string>{"B: renderer DetachWorld", "B: renderer Release",
                                            "A: renderer Init 256 256 32 0"}));
        EXPECT_TRUE(RendererPopup(shown)->actions()[0]->isChecked());
        EXPECT_FALSE(RendererPopup(shown)->actions()[1]->isChecked());
    });
}

TEST_F(SwitchTest, ObjectsLetGoOfTheirRendererBeforeTheRenderersAreReleased)
{
    dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_x.dll"});
    std::ofstream(PathOf("thing.obj")) << "text";
    {
        CMainDlg dialog;
        Run(dialog, "", [this](CMainDlg& shown) {
            Listen(shown);
            shown.OnCommand(33000);
            dialogs.Answer({true, PathOf("thing.obj"), 1});
            shown.OnCommand(ID_FILE_OPEN);
            ASSERT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_OBJECT);
            shown.OnCommand(ID_3D_RUNDEMO);
            events.clear();
        });
    }
    // The object of the picture control detaches from its renderer while the renderer is
    // still loaded; the renderers go last.
    const auto at = [this](const std::string& event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    ASSERT_LT(at("A: renderer DetachObject"), static_cast<long>(events.size()));
    EXPECT_LT(at("A: renderer DetachObject"), at("A: renderer destroy"));
    EXPECT_LT(at("A: renderer DetachObject"), at("B: renderer destroy"));
    EXPECT_EQ(events.back(), "B: renderer destroy");
}

// A recording renderer bound to the picture control's world, with an object and a world
// from fixture loaders: what the mouse and the keys do to the camera, and how often the
// world is rendered for it.
class CameraTest : public RendererTest {
protected:
    void SetUp() override
    {
        Prepare({"stowel.dll"}, {"renderer_r.dll", "loader_x.dll", "loader_w.dll"});
        for (const char* name : {"thing.obj", "scene.wld"})
            std::ofstream(PathOf(name)) << "text";
        logs.emplace_back("R", events);
    }

    // Binds the renderer and opens the file, which shows an object or a world.
    void Show(CMainDlg& shown, const char* name)
    {
        Listen(shown);
        shown.OnCommand(ID_FIRST_RENDERER);
        dialogs.Answer({true, PathOf(name), 1});
        shown.OnCommand(ID_FILE_OPEN);
    }

    long Renders() const
    {
        return std::count(events.begin(), events.end(), "R: renderer BeginRender");
    }
};

TEST_F(CameraTest, EveryMouseMoveOverAnObjectOrAWorldTurnsTheCameraADegreeAPixel)
{
    const struct {
        const char* file;
        int mode;
    } cases[] = {{"thing.obj", DISPLAY_OBJECT}, {"scene.wld", DISPLAY_WORLD}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            QWidget* widget = control.GetWidget();
            // Every control shares the last point of a move: it is set here, while nothing
            // is shown and a move turns nothing.
            QTest::mouseMove(widget, {100, 100});
            Show(shown, c.file);
            ASSERT_EQ(control.m_nDisplayMode, c.mode);
            const KXCAMERA& camera = control.m_camera;
            const double pitch = camera.GetPitch(), yaw = camera.GetYaw();

            events.clear();
            QTest::mouseMove(widget, {105, 100}); // 5 pixels right
            EXPECT_DOUBLE_EQ(camera.GetYaw(), yaw - 5.0);
            EXPECT_DOUBLE_EQ(camera.GetPitch(), pitch);
            EXPECT_EQ(Renders(), 1);
            QTest::mouseMove(widget, {105, 95}); // 5 pixels up
            EXPECT_DOUBLE_EQ(camera.GetPitch(), pitch + 5.0);
            EXPECT_DOUBLE_EQ(camera.GetYaw(), yaw - 5.0);
            EXPECT_EQ(Renders(), 2);
            // No button is held: the camera turns all the same, back to where it was.
            QTest::mouseMove(widget, {100, 100});
            EXPECT_DOUBLE_EQ(camera.GetPitch(), pitch);
            EXPECT_DOUBLE_EQ(camera.GetYaw(), yaw);
            EXPECT_EQ(Renders(), 3);
        });
    }
}

TEST_F(CameraTest, KeysWalkTheCameraTenUnitsAndRenderOnceWithARendererBound)
{
    const struct {
        Qt::Key key;
        double along;  // steps along the view direction
        double across; // steps along the right vector
    } cases[] = {
        {Qt::Key_Z, 1, 0}, {Qt::Key_S, -1, 0}, {Qt::Key_Q, 0, -1},
        {Qt::Key_D, 0, 1}, {Qt::Key_A, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            Show(shown, "thing.obj");
            CPictureCtrl& control = shown.GetPictureCtrl();
            ASSERT_EQ(control.m_nDisplayMode, DISPLAY_OBJECT);
            const KXCAMERA& camera = control.m_camera;
            // From (-1, 0, 1) towards the origin.
            double before[3], direction[3], right[3];
            for (std::uint32_t i = 0; i < 3; ++i) {
                before[i] = *camera.GetPosition().GetItem(i);
                direction[i] = *camera.GetDirection().GetItem(i);
                right[i] = *camera.GetRight().GetItem(i);
            }
            EXPECT_DOUBLE_EQ(before[0], -1.0);
            EXPECT_NEAR(direction[0], 1.0 / std::sqrt(2.0), 1e-12);

            events.clear();
            QTest::keyClick(control.GetWidget(), c.key);
            for (std::uint32_t i = 0; i < 3; ++i)
                EXPECT_NEAR(*camera.GetPosition().GetItem(i),
                            before[i] + 10.0 * (c.along * direction[i] + c.across * right[i]),
                            1e-12)
                    << i;
            EXPECT_EQ(Renders(), 1);
        });
    }
}

TEST_F(RendererTest, DemoBecomesThePictureShownAndSaveAsWritesIt)
{
    CMainDlg dialog;
    std::vector<QRgb> shownPixels;
    int width = 0;
    int height = 0;
    Run(dialog, "", [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        shown.OnCommand(ID_FIRST_RENDERER);
        ASSERT_NE(shown.GetRenderer(), nullptr);
        shown.OnCommand(ID_3D_RUNDEMO);
        EXPECT_EQ(control.m_nDisplayMode, DISPLAY_PICTURE);
        EXPECT_STREQ(control.m_status.GetText(), "Rendering in progress...");
        width = control.GetWidget()->width();
        height = control.GetWidget()->height();
        EXPECT_EQ(control.m_picture.GetWidth(), static_cast<std::uint32_t>(width));
        EXPECT_EQ(control.m_picture.GetHeight(), static_cast<std::uint32_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                shownPixels.push_back(PixelAt(control, x, y));
        dialogs.Answer({true, PathOf("demo"), 1});
        shown.OnCommand(ID_FILE_SAVEAS);
    });
    ASSERT_EQ(shownPixels.size(), static_cast<std::size_t>(width) * height);

    // The scene: black sky at the top, green ground at the bottom, the red sphere on the
    // left, the blue one in front.
    EXPECT_EQ(shownPixels[0], qRgb(0, 0, 0));
    const QRgb ground = shownPixels[(height - 1) * width + width / 2];
    EXPECT_GT(qGreen(ground), 100);
    EXPECT_EQ(qRed(ground), 0);
    int red = 0;
    int blue = 0;
    for (QRgb p : shownPixels) {
        red += qRed(p) > 100 && qGreen(p) == 0 && qBlue(p) == 0;
        blue += qBlue(p) > 100 && qBlue(p) > 2 * qRed(p) && qBlue(p) > qGreen(p);
    }
    EXPECT_GT(red, width * height / 50);
    EXPECT_GT(blue, width * height / 200);

    const QImage saved(QString::fromStdString(PathOf("demo.bmp")), "BMP");
    ASSERT_EQ(saved.size(), QSize(width, height));
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            differing +=
                (saved.pixel(x, y) | 0xFF000000) != (shownPixels[y * width + x] | 0xFF000000);
    EXPECT_EQ(differing, 0);
}

TEST_F(RendererTest, ViewerEndsCleanlyWithTheRaytracerHoldingObjectAndWorld)
{
    dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_x.dll",
              std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_w.dll"});
    for (const char* name : {"thing.obj", "scene.wld"})
        std::ofstream(PathOf(name)) << "text";
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        shown.OnCommand(ID_FIRST_RENDERER);
        for (const char* name : {"thing.obj", "scene.wld"}) {
            dialogs.Answer({true, PathOf(name), 1});
            shown.OnCommand(ID_FILE_OPEN);
        }
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_WORLD);
        shown.OnCommand(ID_3D_RUNDEMO);
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

// A renderer from elsewhere whose every operation throws: choosing it, running its demo,
// opening a world with it and choosing it again each fail on their own, and the viewer
// goes on with a picture it can still open.
TEST_F(RendererTest, RendererWhoseOperationsThrowCostsOnlyThoseOperations)
{
    dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / "throwing_renderer.dll",
              std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_w.dll"});
    std::ofstream(PathOf("scene.wld")) << "text";
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        ASSERT_EQ(RendererPopup(shown)->actions().size(), 2);
        for (unsigned id : {ID_FIRST_RENDERER, ID_FIRST_RENDERER + 1}) {
            shown.OnCommand(id);
            shown.OnCommand(ID_3D_RUNDEMO);
            dialogs.Answer({true, PathOf("scene.wld"), 1});
            shown.OnCommand(ID_FILE_OPEN);
        }
        shown.OnCommand(ID_FIRST_RENDERER);
        dialogs.Answer({true, picturePath, 1});
        shown.OnCommand(ID_FILE_OPEN);
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
    });
}

} // namespace
