// The VORN project: a press into the shown picture traces the contour of the region of
// similar colour around the pressed pixel; in dots mode the wheel shows the contour's
// first points, in polygon mode the genetic solver searches polygons through contour
// points whose perimeter and area come closest to the contour's, and the wheel pages
// through them, best first. Its state is one set for the program, kept here; the picture
// control sets it up, drives it and frees it.
#pragma once

#include <cstdint>

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

// The state of a new picture control: no points, no genes, similarity 0.9, weight 1.0.
void ResetVorn();
// Frees the contour points.
void FreeVornPoints();

// The solver's fitness of a genome of g_nVornGenes genes (16 bits each, low byte first):
// sorts its genes first, in the genome itself, then compares the polygon through those
// points, in contour order, with the contour: (1 − w) × perimeter ratio + w × area ratio.
// 0 when the contour has no perimeter or no area to compare with.
double VornFitness(std::uint8_t* genome);
// Every gene reduced modulo the number of contour points, then in ascending order,
// duplicates kept. Without contour points the genes stay as they are.
void VornSortGenes(std::uint16_t* genes, int count);
