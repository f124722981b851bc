// The VORN project in the picture control: its parameters dialog, the press that traces a
// contour and searches polygons through it, the wheel that pages through the dots or the
// polygons, and the overlay that draws them over the picture.
#include "picturectrl.h"

#include "pictureedit.h"
#include "resource.h"
#include "vorn.h"
#include "vorndlg.h"

#include "kxcollection.h"
#include "kxnomemory.h"
#include "kxstring.h"
#include "kxsysdlg.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

using namespace kxgdi;

KXVORNPOINT* g_pVornPoints = nullptr;
std::int32_t g_nVornPoints = 0;
std::int32_t g_nVornGenes = kVornFirstGenes;
double g_dVornSimilarity = 0.9;
double g_dVornFitnessWeight = 1.0;
double g_dVornRefPerimeter = 0.0;
double g_dVornRefArea = 0.0;

namespace {

// The polygon search: 100 individuals, the larger fitness first. The solver lets a limit
// of 10 run up to 12 generations.
constexpr std::uint32_t kPopulation = 100;
constexpr std::uint32_t kGenerationLimit = 10;
constexpr std::uint32_t kGeneBits = 16;
constexpr COLORREF kWhite = 0xFFFFFF;

// The genes a genome of the last polygon run holds: the overlay reads no more than that,
// whatever the dialog set since.
std::int32_t g_nRunGenes = 0;

double EdgeLength(const KXVORNPOINT& a, const KXVORNPOINT& b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// One edge's term of the shoelace sum: twice the signed area it adds.
std::int64_t Shoelace(const KXVORNPOINT& a, const KXVORNPOINT& b)
{
    return (std::int64_t{a.x} + b.x) * (std::int64_t{b.y} - a.y);
}

std::uint16_t ReadGene(const std::uint8_t* genome, int k)
{
    return static_cast<std::uint16_t>(genome[2 * k] | genome[2 * k + 1] << 8);
}

void WriteGene(std::uint8_t* genome, int k, std::uint16_t gene)
{
    genome[2 * k] = static_cast<std::uint8_t>(gene & 0xFF);
    genome[2 * k + 1] = static_cast<std::uint8_t>(gene >> 8);
}

// The contour's perimeter and absolute shoelace sum, closed from its last point back to
// its first.
void MeasureContour()
{
    double perimeter = 0.0;
    double area = 0.0;
    const int n = g_nVornPoints;
    for (int i = 1; i < n; ++i) {
        area += static_cast<double>(Shoelace(g_pVornPoints[i - 1], g_pVornPoints[i]));
        perimeter += EdgeLength(g_pVornPoints[i - 1], g_pVornPoints[i]);
    }
    area += static_cast<double>(Shoelace(g_pVornPoints[n - 1], g_pVornPoints[0]));
    perimeter += EdgeLength(g_pVornPoints[n - 1], g_pVornPoints[0]);
    g_dVornRefPerimeter = perimeter;
    g_dVornRefArea = std::fabs(area);
}

} // namespace

POINT CONTROLMAP::operator()(const KXVORNPOINT& point) const
{
    // Rows of the picture count from the bottom, those of the control from the top.
    return {static_cast<int>(cw * static_cast<std::uint32_t>(point.x) / width),
            static_cast<int>((height - static_cast<std::uint32_t>(point.y)) * ch / height)};
}

void FreeVornPoints()
{
    delete[] g_pVornPoints;
    g_pVornPoints = nullptr;
}

void ResetVorn()
{
    FreeVornPoints();
    g_nVornPoints = 0;
    g_nVornGenes = kVornFirstGenes;
    g_dVornSimilarity = 0.9;
    g_dVornFitnessWeight = 1.0;
    g_dVornRefPerimeter = 0.0;
    g_dVornRefArea = 0.0;
    g_nRunGenes = 0;
}

std::string ReadVornGenes(std::string_view text, std::int32_t& genes)
{
    int value = 0;
    if (ReadWholeNumber(text, value) && value >= 1 && value <= kVornMostGenes) {
        genes = value;
        return {};
    }
    return "The VORN settings were not changed: \"Nb Polygons:\" takes a whole number from 1 "
           "to " + std::to_string(kVornMostGenes) + ", not \"" + std::string(text) + "\".";
}

std::int32_t VornSearchGenes()
{
    return std::min({g_nVornGenes, g_nVornPoints, kVornMostGenes});
}

void VornSortGenes(std::uint16_t* genes, int count)
{
    const int n = g_nVornPoints;
    if (n <= 0)
        return;
    // A lone gene is reduced too: it names a point all the same.
    for (int i = 0; i < count; ++i)
        genes[i] = static_cast<std::uint16_t>(genes[i] % n);
    std::sort(genes, genes + std::max(count, 0));
}

double VornFitness(std::uint8_t* genome)
{
    const int g = VornSearchGenes();
    if (g < 1 || g_pVornPoints == nullptr)
        return 0.0;
    // The genes as numbers, sorted, and written back: the solver keeps the sorted form.
    static std::vector<std::uint16_t> genes;
    genes.resize(static_cast<std::size_t>(g));
    for (int k = 0; k < g; ++k)
        genes[k] = ReadGene(genome, k);
    VornSortGenes(genes.data(), g);
    for (int k = 0; k < g; ++k)
        WriteGene(genome, k, genes[k]);
    // A contour of one point, or of points on one line, has nothing to compare with.
    if (g_dVornRefPerimeter == 0.0 || g_dVornRefArea == 0.0)
        return 0.0;

    double perimeter = 0.0;
    std::int64_t sum = 0;
    for (int k = 0; k < g; ++k) {
        // The last edge closes the polygon at its first vertex.
        const KXVORNPOINT& a = g_pVornPoints[genes[k]];
        const KXVORNPOINT& b = g_pVornPoints[genes[(k + 1) % g]];
        sum += Shoelace(a, b);
        perimeter += EdgeLength(a, b);
    }
    const double w = g_dVornFitnessWeight;
    return (1.0 - w) * perimeter / g_dVornRefPerimeter +
           w * std::fabs(static_cast<double>(sum)) / g_dVornRefArea;
}

// ---------------------------------------------------------------------------------
// The control's side

void CPictureCtrl::OnProjectVorn()
{
    CVornDlg dialog(m_widget);
    // No mode checks no radio button.
    dialog.m_nMode = m_nVornMode - 1;
    KXSTRING shownGenes;
    shownGenes.FromInt(g_nVornGenes, 0);
    dialog.m_strGenes = QString::fromLatin1(shownGenes.GetText());
    dialog.m_nSimilarity = static_cast<std::int32_t>(g_dVornSimilarity * 100.0);
    dialog.m_nFitness = static_cast<std::int32_t>(g_dVornFitnessWeight * 100.0);
    if (dialog.DoModal() == KXDIALOG::IDCANCEL)
        return;
    // A gene count the search cannot run changes none of the settings.
    std::int32_t genes = 0;
    const std::string refusal = ReadVornGenes(dialog.m_strGenes.toStdString(), genes);
    if (!refusal.empty()) {
        ShowError(refusal.c_str());
        return;
    }
    // Nothing is recomputed: the next press uses the new values.
    g_dVornFitnessWeight = dialog.m_nFitness * 0.01;
    m_nVornMode = dialog.m_nMode + 1;
    g_nVornGenes = genes;
    g_dVornSimilarity = dialog.m_nSimilarity * 0.01;
}

int CPictureCtrl::TraceContour(int x, int y, KXCOLLECTION<int>& contour)
{
    // The pressed pixel; rows count from the bottom, so the top line of the window maps
    // to the row just above the picture.
    RECT window;
    GetWindowRect(m_hWnd, &window);
    const std::int64_t ww = window.right - window.left;
    const std::int64_t wh = window.bottom - window.top;
    if (ww <= 0 || wh <= 0)
        return 0;
    const std::int64_t width = m_picture.GetWidth();
    const std::int64_t height = m_picture.GetHeight();
    const std::int64_t px = width * x / ww;
    const std::int64_t py = height - height * y / wh;
    if (px < 0 || py < 0 || px > std::numeric_limits<std::uint32_t>::max() ||
        py > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return m_picture.TraceRegion(contour, static_cast<std::uint32_t>(px),
                                 static_cast<std::uint32_t>(py), g_dVornSimilarity);
}

bool CPictureCtrl::KeepContour(KXCOLLECTION<int>& contour, int n)
{
    g_pVornPoints = new (std::nothrow) KXVORNPOINT[static_cast<std::size_t>(n)];
    if (g_pVornPoints == nullptr) {
        // The pick keeps no points, as one that found none, and says why.
        g_nVornPoints = 0;
        TellNoMemory();
        return false;
    }
    const std::uint32_t width = m_picture.GetWidth();
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint32_t>(contour[i]);
        g_pVornPoints[i] = {static_cast<std::int32_t>(v % width),
                            static_cast<std::int32_t>(v / width)};
    }
    g_nVornPoints = n;
    MeasureContour();
    return true;
}

void CPictureCtrl::RunPolygonSearch()
{
    // Without genes there is no polygon to search. More genes than the contour has points
    // name some point twice and give no better polygon: the search runs one gene a point.
    const std::int32_t genes = VornSearchGenes();
    if (genes >= 1) {
        m_solver.fitnessFunction = VornFitness;
        m_solver.Setup(kPopulation, static_cast<std::uint32_t>(genes) * kGeneBits, KXGS_LARGEST);
        m_solver.Run(kGenerationLimit);
        g_nRunGenes = genes;
    }
    m_nShownIndex = 0;
}

void CPictureCtrl::VornPick(int x, int y)
{
    KXCOLLECTION<int> contour;
    const int n = TraceContour(x, y, contour);
    FreeVornPoints();
    g_nVornPoints = n;
    // Nothing found: the points are gone and nothing is repainted.
    if (n == 0 || !KeepContour(contour, n))
        return;
    if (m_nVornMode == 2)
        RunPolygonSearch();
    Invalidate();
}

void CPictureCtrl::VornWheel(int delta)
{
    // A quarter of the index a notch, at least one.
    int step = m_nShownIndex >> 2;
    if (step == 0)
        step = 1;
    m_nShownIndex += delta >= 0 ? step : -step;
    if (m_nShownIndex >= g_nVornPoints)
        m_nShownIndex = g_nVornPoints - 1;
    else if (m_nShownIndex < 0)
        m_nShownIndex = 0;
    KXSTRING number;
    number.FromInt(m_nShownIndex, 0);
    const KXSTRING title = "#" + number;
    if (m_widget != nullptr)
        m_widget->QWidget::window()->setWindowTitle(QString::fromLatin1(title.GetText()));
    Invalidate();
}

void CPictureCtrl::DrawVornOverlay(HDC dc, int cw, int ch)
{
    const std::uint32_t width = m_picture.GetWidth();
    const std::uint32_t height = m_picture.GetHeight();
    if (width == 0 || height == 0 || g_pVornPoints == nullptr)
        return;
    const CONTROLMAP map{static_cast<std::uint32_t>(cw), static_cast<std::uint32_t>(ch), width,
                         height};
    if (m_nVornMode == 1) {
        // A newer contour may have fewer points than the index asks for.
        const int shown = std::min(m_nShownIndex, g_nVornPoints);
        for (int i = 0; i < shown; ++i) {
            const POINT p = map(g_pVornPoints[i]);
            SetPixel(dc, p.x, p.y, kWhite);
        }
        return;
    }
    const std::uint8_t* genome = m_solver.GetIndividual(static_cast<std::uint32_t>(m_nShownIndex));
    if (genome == nullptr)
        return;
    DrawPolygon(dc, genome, map);
}

void CPictureCtrl::DrawPolygon(HDC dc, const std::uint8_t* genome, const CONTROLMAP& map) const
{
    // The genome holds the run's genes, and they name points of the run's contour: after
    // a change of the gene count or a newer contour, read no more genes than the genome
    // has and draw nothing that names a point the contour lacks.
    const int g = std::min(g_nVornGenes, g_nRunGenes);
    if (g < 1)
        return;
    for (int k = 0; k < g; ++k)
        if (ReadGene(genome, k) >= g_nVornPoints)
            return;
    HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
    HPEN previous = SelectObject(dc, pen);
    // Back to the first vertex: g + 1 steps close the polygon.
    for (int i = 0; i <= g; ++i) {
        const POINT p = map(g_pVornPoints[ReadGene(genome, i % g)]);
        if (i == 0)
            MoveTo(dc, p.x, p.y);
        else
            LineTo(dc, p.x, p.y);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}
