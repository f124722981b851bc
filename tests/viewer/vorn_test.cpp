// The VORN project: the contour of a pressed region, its dots paged by the wheel, the
// polygons the genetic solver fits to it, the parameters dialog and the fitness.
#include "viewer_support.h"

#include "modal.h"

#include "kxdialog.h"
#include "resource.h"
#include "vorn.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <vector>

namespace {

// A 40 × 30 picture: dark grey, with a red rectangle over columns 10 to 29 and rows 8 to
// 21 from the top, and one green pixel alone at column 35, row 5 from the top.
constexpr int kW = 40, kH = 30;
constexpr QRgb kBackground = 0xFF303030, kRegion = 0xFFC04020, kLonePixel = 0xFF00C000;
constexpr QRgb kWhite = 0xFFFFFFFF;

class VornTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        QImage image(kW, kH, QImage::Format_RGB32);
        image.fill(kBackground);
        for (int y = 8; y <= 21; ++y)
            for (int x = 10; x <= 29; ++x)
                image.setPixel(x, y, kRegion);
        image.setPixel(35, 5, kLonePixel);
        regionPath = PathOf("region.bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(regionPath), "BMP"));
    }

    // Presses the left button on the control over the picture cell (column, row from the
    // top).
    static void PressCell(CPictureCtrl& control, int column, int row)
    {
        QWidget* widget = control.GetWidget();
        const int x = (2 * column + 1) * widget->width() / (2 * kW);
        const int y = (2 * row + 1) * widget->height() / (2 * kH);
        QTest::mouseClick(widget, Qt::LeftButton, {}, {x, y});
    }

    static void Wheel(CPictureCtrl& control, int delta) { Wheel(control, QPoint(0, delta)); }

    // A wheel event of both deltas: x for a horizontal wheel or a tilt, y for the wheel.
    static void Wheel(CPictureCtrl& control, QPoint delta)
    {
        QWidget* widget = control.GetWidget();
        const QPointF at(10, 10);
        QWheelEvent event(at, widget->mapToGlobal(at), {}, delta, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    }

    // Where contour point i shows on the control.
    static QRgb PointShown(CPictureCtrl& control, int i)
    {
        QWidget* widget = control.GetWidget();
        const CONTROLMAP map{static_cast<std::uint32_t>(widget->width()),
                             static_cast<std::uint32_t>(widget->height()), kW, kH};
        const kxgdi::POINT p = map(g_pVornPoints[i]);
        return PixelAt(control, p.x, p.y);
    }

    static std::vector<std::uint16_t> Genes(const std::uint8_t* genome, int count)
    {
        std::vector<std::uint16_t> genes;
        for (int k = 0; k < count; ++k)
            genes.push_back(static_cast<std::uint16_t>(genome[2 * k] | genome[2 * k + 1] << 8));
        return genes;
    }

    std::string regionPath;
};

TEST_F(VornTest, WheelShowsTheContourDotsAQuarterMoreATurn)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 1;
        PressCell(control, 20, 14);
        const int n = g_nVornPoints;
        ASSERT_GT(n, 40) << "the rectangle's boundary";
        EXPECT_GT(g_dVornRefArea, 0.0);
        EXPECT_GT(g_dVornRefPerimeter, 0.0);
        // Every point lies on the rectangle, rows counted from the bottom.
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(g_pVornPoints[i].x >= 10 && g_pVornPoints[i].x <= 29) << i;
            EXPECT_TRUE(g_pVornPoints[i].y >= kH - 1 - 21 && g_pVornPoints[i].y <= kH - 1 - 8) << i;
        }
        EXPECT_EQ(control.m_nShownIndex, 0);
        EXPECT_NE(PointShown(control, 0), kWhite) << "no dot before the wheel turns";

        const int expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15};
        for (int index : expected) {
            Wheel(control, 120);
            EXPECT_EQ(control.m_nShownIndex, index);
            EXPECT_EQ(shown.windowTitle(), "#" + QString::number(index));
        }
        // The first 15 points are dots, the next is not.
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(PointShown(control, i), kWhite) << i;
        EXPECT_NE(PointShown(control, 15), kWhite);

        for (int turn = 0; turn < 40; ++turn)
            Wheel(control, 120);
        EXPECT_EQ(control.m_nShownIndex, n - 1) << "no further than the last point";
        EXPECT_EQ(shown.windowTitle(), "#" + QString::number(n - 1));
        for (int turn = 0; turn < 60; ++turn)
            Wheel(control, -120);
        EXPECT_EQ(control.m_nShownIndex, 0);
        EXPECT_EQ(shown.windowTitle(), "#0");
    });
}

// The system keys and a horizontal wheel, sent to the main window with the raytracer
// chosen, leave what the control shows, the VORN index and the camera as they were.
class SystemKeysTest : public VornTest {
protected:
    void SetUp() override
    {
        VornTest::SetUp();
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "corvel.dll"});
    }

    // Every pixel of the control, as it is painted now.
    static std::vector<kxgdi::COLORREF> Pixels(CPictureCtrl& control)
    {
        QCoreApplication::processEvents();
        return PaintedPixels(control);
    }

    // Alt alone, as before every menu mnemonic, Alt with letters that are no mnemonic of
    // the menu bar (Z walks the camera), the other modifiers alone, Super with a letter,
    // the horizontal wheel both ways, and F10, which opens the menus; Escape twice leaves
    // them again.
    static void SendSystemKeysAndHorizontalWheel(CMainDlg& shown)
    {
        QWindow* window = shown.windowHandle();
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        } keys[] = {
            {Qt::Key_Alt, Qt::NoModifier},        {Qt::Key_Alt, Qt::AltModifier},
            {Qt::Key_Z, Qt::AltModifier},         {Qt::Key_Q, Qt::AltModifier},
            {Qt::Key_Shift, Qt::ShiftModifier},   {Qt::Key_Control, Qt::ControlModifier},
            {Qt::Key_Super_L, Qt::MetaModifier},  {Qt::Key_Z, Qt::MetaModifier},
        };
        for (const auto& k : keys)
            QTest::keyClick(window, k.key, k.modifiers);
        CPictureCtrl& control = shown.GetPictureCtrl();
        Wheel(control, QPoint(120, 0));
        Wheel(control, QPoint(-120, 0));
        QTest::keyClick(window, Qt::Key_F10);
        QCoreApplication::processEvents();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_TRUE(menu != nullptr && menu->title() == "&File") << "F10 opens the menus";
        QTest::keyClick(window, Qt::Key_Escape);
        QTest::keyClick(window, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), control.GetWidget());
    }
};

TEST_F(SystemKeysTest, AltAndTheHorizontalWheelLeaveTheControlAsItWas)
{
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        ASSERT_EQ(QApplication::focusWidget(), control.GetWidget());
        shown.OnCommand(ID_FIRST_RENDERER);
        ASSERT_NE(shown.GetRenderer(), nullptr);
        const auto cameraAt = [&control] {
            const KXVECTOR& at = control.m_camera.GetPosition();
            return std::array<double, 3>{*at.GetItem(0), *at.GetItem(1), *at.GetItem(2)};
        };
        const std::array<double, 3> camera = cameraAt();

        // The empty display, dark blue.
        const std::vector<kxgdi::COLORREF> empty = Pixels(control);
        ASSERT_EQ(empty.front(), kDarkBlue);
        SendSystemKeysAndHorizontalWheel(shown);
        EXPECT_EQ(Pixels(control), empty) << "the renderer drew over the control";

        // A picture with the contour's dots, one notch into them.
        ASSERT_TRUE(shown.LoadFile(regionPath.c_str()));
        control.m_nVornMode = 1;
        PressCell(control, 20, 14);
        Wheel(control, 120);
        ASSERT_EQ(control.m_nShownIndex, 1);
        const QString title = shown.windowTitle();
        const std::vector<kxgdi::COLORREF> dots = Pixels(control);
        SendSystemKeysAndHorizontalWheel(shown);
        EXPECT_EQ(control.m_nShownIndex, 1);
        EXPECT_EQ(shown.windowTitle(), title);
        EXPECT_EQ(Pixels(control), dots) << "the renderer drew over the picture";

        EXPECT_EQ(cameraAt(), camera) << "Alt+Z walked the camera";
        // The keys still reach the control: Z walks the camera.
        QTest::keyClick(shown.windowHandle(), Qt::Key_Z);
        EXPECT_NE(cameraAt(), camera);
    });
}

// The menus by keyboard, as a person walks them: a sub-menu opened and closed with Escape,
// then a command, or a dialog opened and closed with Escape. Afterwards the control has the
// keys again: Z walks the camera, and Escape ends the program.
TEST_F(SystemKeysTest, KeysComeBackToTheControlAfterTheMenusAndDialogsByKeyboard)
{
    const auto type = [](CMainDlg& shown, std::initializer_list<QKeyCombination> keys) {
        for (const QKeyCombination key : keys) {
            QTest::keyClick(shown.windowHandle(), key.key(), key.keyboardModifiers());
            QCoreApplication::processEvents();
        }
    };
    // The title of the menu open now, empty when none is.
    const auto openMenu = [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr ? menu->title() : QString();
    };
    const struct {
        const char* what;
        std::function<void(CMainDlg&)> road;
    } roads[] = {
        {"Image, Mode, Escape, Escape, then Image, VFlip",
         [&](CMainDlg& shown) {
             type(shown, {Qt::ALT | Qt::Key_I, Qt::Key_M});
             EXPECT_EQ(openMenu(), "&Mode");
             type(shown, {Qt::Key_Escape, Qt::Key_Escape, Qt::ALT | Qt::Key_I, Qt::Key_V});
             // The lone pixel, flipped, shows in row 24 from the top.
             QWidget* widget = shown.GetPictureCtrl().GetWidget();
             EXPECT_EQ(PixelAt(shown.GetPictureCtrl(), 71 * widget->width() / (2 * kW),
                               49 * widget->height() / (2 * kH)),
                       kLonePixel)
                 << "VFlip did not run";
         }},
        {"3D, Installed Renderers, Escape, Escape, Escape",
         [&](CMainDlg& shown) {
             type(shown, {Qt::ALT | Qt::Key_D, Qt::Key_Right});
             EXPECT_EQ(openMenu(), "Installed Renderers");
             type(shown, {Qt::Key_Escape, Qt::Key_Escape, Qt::Key_Escape});
         }},
        {"Image, Projet VORN, Escape",
         [&](CMainDlg& shown) {
             bool answered = false;
             const MODALANSWER answering = WhenModal([&answered](QDialog* vorn) {
                 EXPECT_EQ(vorn->windowTitle(), "VORN properties");
                 QTest::keyClick(vorn, Qt::Key_Escape);
                 answered = true;
             });
             type(shown, {Qt::ALT | Qt::Key_I, Qt::Key_P});
             EXPECT_TRUE(answered);
         }},
    };
    for (const auto& r : roads) {
        SCOPED_TRACE(r.what);
        CMainDlg dialog;
        bool stillOpen = true;
        Run(dialog, regionPath, [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            r.road(shown);
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
            const double z = *control.m_camera.GetPosition().GetItem(2);
            type(shown, {Qt::Key_Z});
            EXPECT_DOUBLE_EQ(*control.m_camera.GetPosition().GetItem(2), z - 10.0)
                << "Z did not reach the control";
            type(shown, {Qt::Key_Escape});
            stillOpen = shown.isVisible();
        });
        EXPECT_FALSE(stillOpen) << "Escape did not end the program";
    }
}

TEST_F(VornTest, PressOnTheTopLineLeavesNoPointsAndNoRepaint)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 1;
        PressCell(control, 20, 14);
        for (int turn = 0; turn < 5; ++turn)
            Wheel(control, 120);
        const KXVORNPOINT first = g_pVornPoints[0];
        ASSERT_EQ(PointShown(control, 0), kWhite);

        QTest::mouseClick(control.GetWidget(), Qt::LeftButton, {},
                          {control.GetWidget()->width() / 2, 0});
        EXPECT_EQ(g_pVornPoints, nullptr);
        EXPECT_EQ(g_nVornPoints, 0);
        // Not repainted: the dot of the gone contour is still on the screen.
        QWidget* widget = control.GetWidget();
        const CONTROLMAP map{static_cast<std::uint32_t>(widget->width()),
                             static_cast<std::uint32_t>(widget->height()), kW, kH};
        const kxgdi::POINT p = map(first);
        EXPECT_EQ(PixelAt(control, p.x, p.y), kWhite);
        control.Invalidate();
        EXPECT_NE(PixelAt(control, p.x, p.y), kWhite) << "a repaint draws no dots";
    });
}

TEST_F(VornTest, PolygonModeFitsPolygonsThroughContourPointsInContourOrder)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 2;
        g_nVornGenes = 4;
        control.m_nShownIndex = 7;
        PressCell(control, 20, 14);
        const int n = g_nVornPoints;
        ASSERT_GT(n, 40);
        EXPECT_EQ(control.m_nShownIndex, 0) << "the best polygon first";
        for (std::uint32_t rank : {0u, 1u, 99u}) {
            const std::uint8_t* genome = control.m_solver.GetIndividual(rank);
            ASSERT_NE(genome, nullptr) << rank;
            const std::vector<std::uint16_t> genes = Genes(genome, 4);
            EXPECT_TRUE(std::is_sorted(genes.begin(), genes.end())) << rank;
            EXPECT_LT(genes.back(), n) << rank;
        }
        EXPECT_EQ(control.m_solver.GetIndividual(100), nullptr);
        // The best quadrilateral covers much of the rectangle.
        const std::vector<std::uint16_t> best = Genes(control.m_solver.GetIndividual(0), 4);
        const double fitness = VornFitness(control.m_solver.GetIndividual(0));
        EXPECT_GT(fitness, 0.3);
        EXPECT_LE(fitness, 1.0 + 1e-12);
        // Its vertices are drawn in white.
        for (std::uint16_t gene : best)
            EXPECT_EQ(PointShown(control, gene), kWhite) << gene;

        Wheel(control, 120);
        EXPECT_EQ(control.m_nShownIndex, 1);
        EXPECT_EQ(shown.windowTitle(), "#1");

        // The polygon through every contour point is the contour itself.
        g_nVornGenes = n;
        std::vector<std::uint8_t> all;
        for (int k = n - 1; k >= 0; --k) {
            all.push_back(static_cast<std::uint8_t>(k & 0xFF));
            all.push_back(static_cast<std::uint8_t>(k >> 8));
        }
        EXPECT_DOUBLE_EQ(VornFitness(all.data()), 1.0);
        g_nVornGenes = 4;
        for (std::uint16_t gene : Genes(control.m_solver.GetIndividual(1), 4))
            EXPECT_EQ(PointShown(control, gene), kWhite) << gene;
    });
}

TEST_F(VornTest, DrawingReadsNoMoreThanTheRunLeftWhateverChangedSince)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 2;
        g_nVornGenes = 0;
        PressCell(control, 20, 14);
        EXPECT_GT(g_nVornPoints, 0) << "the contour is traced";
        EXPECT_EQ(control.m_solver.GetIndividual(0), nullptr) << "no genes, no search";
        PixelAt(control, 0, 0);

        g_nVornGenes = 3;
        PressCell(control, 20, 14);
        ASSERT_NE(control.m_solver.GetIndividual(0), nullptr);
        const std::vector<std::uint16_t> best = Genes(control.m_solver.GetIndividual(0), 3);
        // More genes than the genomes hold: the run's three are drawn.
        g_nVornGenes = 500;
        control.Invalidate();
        for (std::uint16_t gene : best)
            EXPECT_EQ(PointShown(control, gene), kWhite) << gene;
        // Fewer genes than the genomes hold, none at all: nothing past them is read.
        g_nVornGenes = -2;
        control.Invalidate();
        PixelAt(control, 0, 0);

        // A newer contour of one point in dots mode, with the index past its end.
        control.m_nVornMode = 1;
        control.m_nShownIndex = 30;
        // A press maps to the row above the pressed cell: the lone pixel is one row lower.
        PressCell(control, 35, 6);
        EXPECT_EQ(g_nVornPoints, 1);
        EXPECT_EQ(g_dVornRefPerimeter, 0.0);
        EXPECT_EQ(PointShown(control, 0), kWhite);
        // Back to the polygons of the older contour: their genes name points it lacks.
        g_nVornGenes = 3;
        control.m_nVornMode = 2;
        control.m_nShownIndex = 0;
        control.Invalidate();
        PixelAt(control, 0, 0);

        // A polygon search over a contour without area: every fitness is 0.
        PressCell(control, 35, 6);
        ASSERT_NE(control.m_solver.GetIndividual(0), nullptr);
        EXPECT_EQ(VornFitness(control.m_solver.GetIndividual(0)), 0.0);
    });
}

TEST_F(VornTest, DialogShowsTheParametersAndOkTakesThemBack)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 1;
        PressCell(control, 20, 14);
        const int points = g_nVornPoints;
        control.m_nShownIndex = 5;

        const auto answer = [&](std::function<void(KXDIALOG&)> act) {
            const MODALANSWER answering = WhenModal([act](QDialog* shownDialog) {
                auto* vorn = dynamic_cast<KXDIALOG*>(shownDialog);
                ASSERT_NE(vorn, nullptr);
                EXPECT_EQ(vorn->windowTitle(), "VORN properties");
                act(*vorn);
            });
            shown.OnCommand(ID_PROJECT_VORN);
        };
        answer([](KXDIALOG& vorn) {
            EXPECT_EQ(vorn.GetSliderPos(IDC_VORN_SIMILARITY), 90);
            EXPECT_EQ(vorn.GetSliderPos(IDC_VORN_FITNESS), 100);
            EXPECT_EQ(vorn.GetRadioIndex(IDC_VORN_DOTS), 0);
            EXPECT_EQ(vorn.GetDlgItemText(IDC_VORN_GENES), "4");
            vorn.SetSliderPos(IDC_VORN_SIMILARITY, 75);
            vorn.SetSliderPos(IDC_VORN_FITNESS, 30);
            vorn.SetRadioIndex(IDC_VORN_DOTS, 1);
            vorn.SetDlgItemText(IDC_VORN_GENES, "6");
            qobject_cast<QPushButton*>(vorn.GetDlgItem(KXDIALOG::IDOK))->click();
        });
        EXPECT_EQ(control.m_nVornMode, 2);
        EXPECT_EQ(g_nVornGenes, 6);
        EXPECT_DOUBLE_EQ(g_dVornSimilarity, 0.75);
        EXPECT_DOUBLE_EQ(g_dVornFitnessWeight, 0.3);
        // Nothing recomputed.
        EXPECT_EQ(g_nVornPoints, points);
        EXPECT_EQ(control.m_nShownIndex, 5);
        EXPECT_EQ(control.m_solver.GetIndividual(0), nullptr);

        // Cancel changes nothing; no mode checked reads back as the zoom mode.
        answer([](KXDIALOG& vorn) {
            EXPECT_EQ(vorn.GetRadioIndex(IDC_VORN_DOTS), 1);
            EXPECT_EQ(vorn.GetDlgItemText(IDC_VORN_GENES), "6");
            vorn.SetDlgItemText(IDC_VORN_GENES, "9");
            vorn.done(KXDIALOG::IDCANCEL);
        });
        EXPECT_EQ(g_nVornGenes, 6);
        answer([](KXDIALOG& vorn) {
            vorn.SetRadioIndex(IDC_VORN_DOTS, -1);
            qobject_cast<QPushButton*>(vorn.GetDlgItem(KXDIALOG::IDOK))->click();
        });
        EXPECT_EQ(control.m_nVornMode, 0);

        // The zoom command keeps the points.
        control.m_nVornMode = 1;
        shown.OnCommand(ID_MODE_ZOOM);
        EXPECT_EQ(control.m_nVornMode, 0);
        EXPECT_EQ(g_nVornPoints, points);
    });
}

// The gene count is a whole number from 1 to the bound that keeps a pick short: any other
// text is told, and OK then changes none of the settings.
TEST_F(VornTest, GeneCountOutsideOneToTheBoundIsRefusedWithTheSettingsAsTheyWere)
{
    const std::string bound = std::to_string(kVornMostGenes);
    const std::string beyond = std::to_string(kVornMostGenes + 1);
    const struct {
        std::string text;
        int genes; // 0: refused
    } cases[] = {
        {"5", 5},           {" 12 ", 12},    {bound, kVornMostGenes}, {"0", 0},
        {"-5", 0},          {"abc", 0},      {"4294967304", 0},       {beyond, 0},
        {"", 0},            {"7x", 0},
    };
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        for (const auto& c : cases) {
            SCOPED_TRACE("\"" + c.text + "\"");
            // Settings that differ from every answer below.
            control.m_nVornMode = 1;
            g_nVornGenes = 3;
            g_dVornSimilarity = 0.5;
            g_dVornFitnessWeight = 0.2;
            dialogs.messages.clear();
            const MODALANSWER answering = WhenModal([&c](QDialog* shownDialog) {
                auto* vorn = dynamic_cast<KXDIALOG*>(shownDialog);
                ASSERT_NE(vorn, nullptr);
                vorn->SetSliderPos(IDC_VORN_SIMILARITY, 75);
                vorn->SetSliderPos(IDC_VORN_FITNESS, 30);
                vorn->SetRadioIndex(IDC_VORN_DOTS, 1);
                vorn->SetDlgItemText(IDC_VORN_GENES, QString::fromStdString(c.text));
                qobject_cast<QPushButton*>(vorn->GetDlgItem(KXDIALOG::IDOK))->click();
            });
            shown.OnCommand(ID_PROJECT_VORN);
            if (c.genes != 0) {
                EXPECT_TRUE(dialogs.messages.empty());
                EXPECT_EQ(g_nVornGenes, c.genes);
                EXPECT_EQ(control.m_nVornMode, 2);
                EXPECT_DOUBLE_EQ(g_dVornSimilarity, 0.75);
                continue;
            }
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].caption, "Pelisk error");
            EXPECT_EQ(dialogs.messages[0].text,
                      "The VORN settings were not changed: \"Nb Polygons:\" takes a whole "
                      "number from 1 to " + bound + ", not \"" + c.text + "\".");
            EXPECT_EQ(g_nVornGenes, 3);
            EXPECT_EQ(control.m_nVornMode, 1);
            EXPECT_DOUBLE_EQ(g_dVornSimilarity, 0.5);
            EXPECT_DOUBLE_EQ(g_dVornFitnessWeight, 0.2);
        }
    });
}

// More genes than the contour has points give no better polygon: the search runs one gene
// a point, whatever the count, and the window answers again at once.
TEST_F(VornTest, PickWithMoreGenesThanContourPointsFinishesQuickly)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_nVornMode = 2;
        // As the dialog took any number once; a search of this many genes ran for minutes.
        g_nVornGenes = 100000;
        const auto start = std::chrono::steady_clock::now();
        PressCell(control, 20, 14);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const int n = g_nVornPoints;
        ASSERT_GT(n, 40);
        EXPECT_LT(took.count(), 1.0);
        EXPECT_EQ(VornSearchGenes(), n);
        // The best polygon names every gene in contour order, and is drawn.
        const std::uint8_t* best = control.m_solver.GetIndividual(0);
        ASSERT_NE(best, nullptr);
        const std::vector<std::uint16_t> genes = Genes(best, n);
        EXPECT_TRUE(std::is_sorted(genes.begin(), genes.end()));
        EXPECT_LT(genes.back(), n);
        for (std::uint16_t gene : genes)
            EXPECT_EQ(PointShown(control, gene), kWhite) << gene;
        EXPECT_GT(VornFitness(control.m_solver.GetIndividual(0)), 0.5);
        // The lone pixel's contour of one point: one gene.
        PressCell(control, 35, 6);
        EXPECT_EQ(g_nVornPoints, 1);
        EXPECT_EQ(VornSearchGenes(), 1);
        EXPECT_EQ(g_nVornGenes, 100000) << "the count asked for stays";
    });
}

TEST_F(VornTest, PressWhileZoomedTracesButDrawsUntilDotsModeIsChosen)
{
    CMainDlg dialog;
    Run(dialog, regionPath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_bZoomed = true;
        control.m_selection = {0, 0, control.GetWidget()->width(), control.GetWidget()->height()};
        control.m_nShownIndex = 3;
        PressCell(control, 20, 14);
        EXPECT_GT(g_nVornPoints, 0);
        EXPECT_NE(PointShown(control, 0), kWhite);
        control.m_nVornMode = 1;
        control.Invalidate();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(PointShown(control, i), kWhite) << i;
    });
}

// The normalisation as the genes were first sorted: reduce the pair in hand, exchange
// it if out of order and start again from the first gene.
void RestartingExchange(std::uint16_t* genes, int count, int n)
{
    int i = 0;
    while (i < count - 1) {
        genes[i] = static_cast<std::uint16_t>(genes[i] % n);
        genes[i + 1] = static_cast<std::uint16_t>(genes[i + 1] % n);
        if (genes[i] > genes[i + 1]) {
            std::swap(genes[i], genes[i + 1]);
            i = 0;
        } else {
            ++i;
        }
    }
}

class VornGenesTest : public testing::Test {
protected:
    void TearDown() override { ResetVorn(); }
};

TEST_F(VornGenesTest, SortingReducesAndOrdersTheGenesAsTheRestartingExchangeDoes)
{
    std::mt19937 random(7);
    for (int n : {1, 2, 7, 300, 70000}) {
        for (int count : {2, 3, 5, 40}) {
            std::vector<std::uint16_t> genes(static_cast<std::size_t>(count));
            for (auto& gene : genes)
                gene = static_cast<std::uint16_t>(random());
            std::vector<std::uint16_t> expected = genes;
            RestartingExchange(expected.data(), count, n);
            g_nVornPoints = n;
            VornSortGenes(genes.data(), count);
            EXPECT_EQ(genes, expected) << n << " points, " << count << " genes";
        }
    }
    // A lone gene is reduced too, so that it names a point.
    g_nVornPoints = 7;
    std::uint16_t lone = 30;
    VornSortGenes(&lone, 1);
    EXPECT_EQ(lone, 2);
}

// A contour of six points around a 6 × 4 rectangle, two of them halfway along its long
// sides, with the measures a press gives it: perimeter 20 and shoelace sum 48.
void RectangleContour()
{
    FreeVornPoints();
    const KXVORNPOINT points[] = {{0, 0}, {3, 0}, {6, 0}, {6, 4}, {3, 4}, {0, 4}};
    g_nVornPoints = static_cast<int>(std::size(points));
    g_pVornPoints = new KXVORNPOINT[std::size(points)];
    std::copy(std::begin(points), std::end(points), g_pVornPoints);
    g_dVornRefPerimeter = 20.0;
    g_dVornRefArea = 48.0;
}

std::vector<std::uint8_t> Genome(std::initializer_list<int> genes)
{
    std::vector<std::uint8_t> genome;
    for (int gene : genes) {
        genome.push_back(static_cast<std::uint8_t>(gene & 0xFF));
        genome.push_back(static_cast<std::uint8_t>(gene >> 8));
    }
    return genome;
}

TEST_F(VornGenesTest, GenomeOfAllContourPointsHasFitnessOneWhateverTheWeight)
{
    RectangleContour();
    g_nVornGenes = 6;
    for (double weight : {0.0, 0.3, 0.5, 1.0}) {
        g_dVornFitnessWeight = weight;
        // In any order and offset by whole turns: the fitness reduces and sorts them.
        std::vector<std::uint8_t> genome = Genome({5, 4 + 6, 3, 2 + 600, 1, 0 + 6});
        EXPECT_DOUBLE_EQ(VornFitness(genome.data()), 1.0) << weight;
        EXPECT_EQ(genome, Genome({0, 1, 2, 3, 4, 5})) << "the genome is kept sorted";
    }
}

TEST_F(VornGenesTest, FitnessWeighsThePerimeterAgainstTheArea)
{
    RectangleContour();
    g_nVornGenes = 4;
    for (double weight : {0.0, 0.5, 1.0}) {
        g_dVornFitnessWeight = weight;
        std::vector<std::uint8_t> corners = Genome({5, 0, 3, 2});
        EXPECT_DOUBLE_EQ(VornFitness(corners.data()), 1.0) << weight;
    }
    // A triangle of three corners has half the area and a diagonal for two sides.
    g_nVornGenes = 3;
    const double perimeter = (6 + 4 + std::sqrt(52.0)) / 20.0;
    const struct {
        double weight, fitness;
    } cases[] = {{0.0, perimeter}, {1.0, 0.5}, {0.25, 0.75 * perimeter + 0.25 * 0.5}};
    for (const auto& c : cases) {
        g_dVornFitnessWeight = c.weight;
        std::vector<std::uint8_t> triangle = Genome({0, 2, 3});
        EXPECT_DOUBLE_EQ(VornFitness(triangle.data()), c.fitness) << c.weight;
    }

    // A contour without area or without perimeter has nothing to compare with.
    std::vector<std::uint8_t> triangle = Genome({0, 2, 3});
    g_dVornRefArea = 0.0;
    EXPECT_EQ(VornFitness(triangle.data()), 0.0);
    g_dVornRefArea = 48.0;
    g_dVornRefPerimeter = 0.0;
    EXPECT_EQ(VornFitness(triangle.data()), 0.0);
}

} // namespace
