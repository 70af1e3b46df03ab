#include "patterns/RasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dax {

RasterCanvas::RasterCanvas(int rows) : m_rows(rows), m_bits(rows * kRasterRowBytes, 0) {}

void RasterCanvas::Dot(int x, int y) {
    if (x < 0 || x >= kRasterRowDots || y < 0 || y >= m_rows)
        return;
    m_bits[y * kRasterRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

void RasterCanvas::FillRect(int x0, int y0, int x1, int y1) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
            Dot(x, y);
}

void RasterCanvas::ClearRect(int x0, int y0, int x1, int y1) {
    for (int y = std::max(0, std::min(y0, y1)); y <= std::min(m_rows - 1, std::max(y0, y1)); ++y)
        for (int x = std::max(0, std::min(x0, x1));
             x <= std::min(kRasterRowDots - 1, std::max(x0, x1)); ++x)
            m_bits[y * kRasterRowBytes + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
}

void RasterCanvas::Line(int x0, int y0, int x1, int y1, int pen) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int before = (pen - 1) / 2, after = pen / 2;
    int err = dx + dy;
    for (;;) {
        FillRect(x0 - before, y0 - before, x0 + after, y0 + after);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void RasterCanvas::Ellipse(double cx, double cy, double rx, double ry) {
    auto halfWidth = [&](int y) {
        const double t = (y - cy) / ry;
        return t * t >= 1.0 ? 0.0 : rx * std::sqrt(1.0 - t * t);
    };
    const int top = static_cast<int>(std::ceil(cy - ry));
    const int bottom = static_cast<int>(std::floor(cy + ry));
    for (int y = top; y <= bottom; ++y) {
        // Each row reaches out to where the neighbouring row nearer the middle begins, so
        // the flat top and bottom have no gaps.
        const int inner = y < cy ? y + 1 : y - 1;
        const double w = halfWidth(y);
        const double wInner = std::abs(inner - cy) < std::abs(y - cy) ? halfWidth(inner) : w;
        const int reach = std::max(0, static_cast<int>(std::lround(wInner - w)) - 1);
        const int right = static_cast<int>(std::lround(cx + w));
        const int left = static_cast<int>(std::lround(cx - w));
        for (int k = 0; k <= reach; ++k) {
            Dot(right + k, y);
            Dot(left - k, y);
        }
    }
}

void RasterCanvas::FillTriangle(double ax, double ay, double bx, double by, double cx, double cy) {
    auto side = [](double px, double py, double qx, double qy, double x, double y) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    const int x0 = static_cast<int>(std::floor(std::min({ax, bx, cx})));
    const int x1 = static_cast<int>(std::ceil(std::max({ax, bx, cx})));
    const int y0 = static_cast<int>(std::floor(std::min({ay, by, cy})));
    const int y1 = static_cast<int>(std::ceil(std::max({ay, by, cy})));
    const double eps = 1e-9;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double s1 = side(ax, ay, bx, by, x, y);
            const double s2 = side(bx, by, cx, cy, x, y);
            const double s3 = side(cx, cy, ax, ay, x, y);
            const bool neg = s1 < -eps || s2 < -eps || s3 < -eps;
            const bool pos = s1 > eps || s2 > eps || s3 > eps;
            if (!(neg && pos))
                Dot(x, y);
        }
}

void RasterCanvas::Arrow(int x0, int y0, int x1, int y1, int pen, int head) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    if (len == 0) {
        Dot(x1, y1);
        return;
    }
    const double ux = (x1 - x0) / len, uy = (y1 - y0) / len;
    const double bx = x1 - ux * head, by = y1 - uy * head;
    Line(x0, y0, static_cast<int>(std::lround(bx)), static_cast<int>(std::lround(by)), pen);
    const double half = head * 0.5;
    FillTriangle(x1, y1, bx - uy * half, by + ux * half, bx + uy * half, by - ux * half);
}

std::span<const uint8_t> RasterCanvas::Row(int y) const {
    return std::span<const uint8_t>(m_bits).subspan(y * kRasterRowBytes, kRasterRowBytes);
}

bool RasterCanvas::RowEmpty(int y) const {
    const auto row = Row(y);
    return std::all_of(row.begin(), row.end(), [](uint8_t b) { return b == 0; });
}

} // namespace dax
