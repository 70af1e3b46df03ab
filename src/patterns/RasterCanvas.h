#pragma once

#include "patterns/RasterCodec.h"

#include <cstdint>
#include <span>
#include <vector>

namespace dax {

// A one-bit picture as wide as a printer raster row, with the few drawing primitives the
// built-in patterns are made of. Dots outside the canvas are dropped.
class RasterCanvas {
public:
    explicit RasterCanvas(int rows);

    int Rows() const { return m_rows; }
    void Dot(int x, int y);
    // Every dot from (x0, y0) to (x1, y1), both corners included.
    void FillRect(int x0, int y0, int x1, int y1);
    // Takes the dots out again.
    void ClearRect(int x0, int y0, int x1, int y1);
    // A straight line drawn with a square pen `pen` dots wide.
    void Line(int x0, int y0, int x1, int y1, int pen = 1);
    // A one-dot outline without gaps; the centre may lie between dots.
    void Ellipse(double cx, double cy, double rx, double ry);
    // The triangle's inside and edges.
    void FillTriangle(double ax, double ay, double bx, double by, double cx, double cy);
    // A line ending in a filled head of `head` dots at (x1, y1).
    void Arrow(int x0, int y0, int x1, int y1, int pen, int head);

    std::span<const uint8_t> Row(int y) const;
    bool RowEmpty(int y) const;

private:
    int m_rows;
    std::vector<uint8_t> m_bits;
};

} // namespace dax
