// The VORN project: a press into the shown picture traces the contour of the region of
// similar colour around the pressed pixel; in dots mode the wheel shows the contour's
// first points, in polygon mode the genetic solver searches polygons through contour
// points whose perimeter and area come closest to the contour's, and the wheel pages
// through them, best first. Its state is one set for the program, kept here; the picture
// control sets it up, drives it and frees it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A contour point: x is the column, y the row counted from the picture's bottom row.
struct KXVORNPOINT {
    std::int32_t x;
    std::int32_t y;
};

extern KXVORNPOINT* g_pVornPoints;  // the last contour, in trace order; null when none
extern std::int32_t g_nVornPoints;  // its number of points, the modulus of the genes
extern std::int32_t g_nVornGenes;   // polygon vertices a genome holds ("Nb Polygons:")
extern double g_dVornSimilarity;    // colour similarity that bounds the region
extern double g_dVornFitnessWeight; // weight of the area term against the perimeter term
extern double g_dVornRefPerimeter;  // the contour's perimeter
extern double g_dVornRefArea;       // the contour's absolute shoelace sum (twice its area)

// The most polygon vertices a genome may hold. The solver's time grows with the genes
// (about 0.16 s for 4000 over a large contour, 1 s for 16000, 40 s for 100000): this
// keeps a pick well under a second.
constexpr std::int32_t kVornMostGenes = 4000;

// The gene count a new picture control starts with: a quadrilateral, the smallest polygon
// count the dialog's OK takes that encloses more than a triangle. A count of 0 would make
// the dialog refuse its own first answer.
constexpr std::int32_t kVornFirstGenes = 4;

// Reads the "Nb Polygons:" text: a whole number from 1 to kVornMostGenes, spaces around it
// allowed. Returns what to tell the user when the text is anything else, empty when genes
// took its value.
std::string ReadVornGenes(std::string_view text, std::int32_t& genes);
// The genes a polygon search over the last contour runs: the gene count, but no more than
// the contour has points (more cannot give a better polygon) nor than kVornMostGenes.
std::int32_t VornSearchGenes();

// The state of a new picture control: no points, kVornFirstGenes genes, similarity 0.9,
// weight 1.0.
void ResetVorn();
// Frees the contour points.
void FreeVornPoints();

// The solver's fitness of a genome of VornSearchGenes() genes (16 bits each, low byte first):
// sorts its genes first, in the genome itself, then compares the polygon through those
// points, in contour order, with the contour: (1 − w) × perimeter ratio + w × area ratio.
// 0 when the contour has no perimeter or no area to compare with.
double VornFitness(std::uint8_t* genome);
// Every gene reduced modulo the number of contour points, then in ascending order,
// duplicates kept. Without contour points the genes stay as they are.
void VornSortGenes(std::uint16_t* genes, int count);
