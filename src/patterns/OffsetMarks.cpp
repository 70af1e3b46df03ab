#include "patterns/PatternArtwork.h"

#include <cmath>

namespace dax {

namespace {

// The marks' circle: the four arc segments show whether the print sits centred on the disc.
constexpr double kMarkCircleX = 764.0, kMarkCircleY = 710.0;
constexpr double kMarkInner = 252.5, kMarkOuter = 257.4;

// The part of the marks' circle band inside a box.
void ArcSegment(RasterCanvas& c, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = std::hypot(x - kMarkCircleX, y - kMarkCircleY);
            if (d >= kMarkInner && d <= kMarkOuter)
                c.Dot(x, y);
        }
}

// A flat arrow 14 rows high pointing left or right, its tip at column `tip`.
void SideArrow(RasterCanvas& c, int tail, int tip, int top) {
    const int dir = tip > tail ? 1 : -1;
    const int head = 14;
    c.FillRect(tail, top + 5, tip - dir * head, top + 8);
    c.FillTriangle(tip, top + 6.5, tip - dir * head, top, tip - dir * head, top + 13);
    // The point lies between two dot rows, so the triangle stops short of its column: the two
    // middle rows carry it to the tip, where the technician reads the scale.
    c.FillRect(tip - dir * 2, top + 6, tip, top + 7);
    // A bar across the tail, so the arrow reads even where it overlaps a tick.
    c.FillRect(tail, top + 3, tail, top + 10);
}

} // namespace

RasterCanvas DrawOffsetMarks() {
    RasterCanvas c(kArtworkRows);
    // Left Margin: a bar that falls on the margin scale's ticks.
    c.FillRect(749, 230, 751, 262);
    // Centring: four pieces of one circle, above, left, right and below the disc's centre.
    // The top and bottom pieces have a notch where the ring's centre mark should show through.
    ArcSegment(c, 727, 440, 802, 470);
    c.ClearRect(763, 455, 765, 470);
    ArcSegment(c, 500, 673, 520, 748);
    ArcSegment(c, 1008, 673, 1021, 748);
    ArcSegment(c, 727, 950, 802, 980);
    c.ClearRect(763, 950, 765, 963);
    // Rotation: arrows from both sides at each rotational scale.
    SideArrow(c, 118, 171, 704);
    SideArrow(c, 291, 262, 704);
    SideArrow(c, 1235, 1263, 704);
    SideArrow(c, 1408, 1354, 704);
    // Top Margin: two dashes either side of the scale's ticks.
    c.FillRect(653, 1145, 685, 1147);
    c.FillRect(749, 1145, 781, 1147);
    return c;
}

} // namespace dax
