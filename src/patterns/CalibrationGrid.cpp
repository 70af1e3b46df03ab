#include "patterns/BitmapFont.h"
#include "patterns/PatternArtwork.h"

#include <cmath>
#include <numbers>
#include <string>

namespace dax {

namespace {

constexpr double kDiscX = 764.5, kDiscY = 708.0;
constexpr double kDiscRadiusX = 674.5, kDiscRadiusY = 674.0;

void Outline(RasterCanvas& c) {
    c.Ellipse(kDiscX, kDiscY, kDiscRadiusX, kDiscRadiusY);
    // Index mark at twelve o'clock: the disc's top as the printer sees it.
    c.Line(769, kDiscTopRow, 769, kDiscTopRow + 11);
}

// Left Margin, 0 to 10 round a centre pointer: vertical ticks.
void LeftMarginScale(RasterCanvas& c) {
    constexpr int centre = 753, pitch = 12;
    for (int k = 1; k <= 5; ++k) {
        const int width = k == 5 ? 3 : 2; // the ends, 0 and 10, stand out
        c.FillRect(centre - k * pitch - width + 2, 258, centre - k * pitch + 1, 317);
        c.FillRect(centre + k * pitch, 258, centre + k * pitch + width - 1, 317);
    }
    c.FillTriangle(753.5, 282, 745, 317, 762, 317);
    DrawText(c, 670, 280, "0", 3);
    DrawText(c, 826, 280, "10", 3);
    DrawTextCentred(c, 754, 202, "5", 3);
    DrawTextCentred(c, 754, 332, "LEFT MARGIN", 3);
    c.FillRect(757, 412, 768, 447);
}

// A rotational scale, 0 to 64 in radial ticks round a double arrow; `mirror` draws the
// right-hand one.
void RotationalScale(RasterCanvas& c, bool mirror) {
    auto X = [&](double x) { return static_cast<int>(std::lround(mirror ? 1537 - x : x)); };
    constexpr double cx = 764.0, cy = 708.0;
    for (int k = 0; k <= 16; ++k) {
        if (k == 8)
            continue;
        const double row = 625.0 + k * (790.0 - 625.0) / 16.0;
        const double a = std::asin((row - cy) / 536.0);
        const double inner = k % 4 == 0 ? 498.0 : 520.0;
        const double outer = 574.0;
        c.Line(X(cx - inner * std::cos(a)), static_cast<int>(std::lround(cy + inner * std::sin(a))),
               X(cx - outer * std::cos(a)), static_cast<int>(std::lround(cy + outer * std::sin(a))),
               2);
    }
    // The centre: a double arrow along the scale's row.
    c.Arrow(X(228), 707, X(196), 707, 3, 19);
    c.Arrow(X(228), 707, X(260), 707, 3, 19);
    const char* top = mirror ? "64" : "0";
    const char* bottom = mirror ? "0" : "64";
    DrawTextCentred(c, X(228), 590, top, 3);
    DrawTextCentred(c, X(228), 805, bottom, 3);
    // The centre's number stands clear of where the offset marks' arrows print (columns 262 to
    // 291 here, 1235 to 1263 on the right), so it can be read on a printed disc.
    DrawTextCentred(c, X(332), 698, "32", 3);
    DrawTextCentred(c, X(260), 845, mirror ? "RIGHT" : "LEFT", 3);
    DrawTextCentred(c, X(260), 873, "ROTATIONAL", 3);
}

// Top Margin, 0 to 150: horizontal ticks three rows thick round a centre arrow.
void TopMarginScale(RasterCanvas& c) {
    for (int k = 0; k <= 6; ++k) {
        const int row = 1124 + 6 * k;
        const int left = k % 3 == 0 ? 694 : 714;
        c.FillRect(left, row, 753, row + 2);
    }
    c.Arrow(800, 1143, 758, 1143, 3, 15);
    DrawTextCentred(c, 724, 1098, "0", 3);
    DrawTextCentred(c, 724, 1170, "150", 3);
    DrawText(c, 812, 1133, "75", 3);
    DrawTextCentred(c, 760, 1200, "TOP MARGIN", 3);
}

// The circle the offset marks' arcs fall on, with a centre mark where each arc lands.
void CentringRing(RasterCanvas& c) {
    c.Ellipse(764.0, 710.0, 254.5, 254.5);
    c.Line(764, 440, 764, 472, 2);
    c.Line(764, 948, 764, 980, 2);
    c.Line(494, 710, 526, 710, 2);
    c.Line(1002, 710, 1034, 710, 2);
}

void Hub(RasterCanvas& c) {
    c.Ellipse(kDiscX, kDiscY, 84, 84);
    c.Ellipse(kDiscX, kDiscY, 135, 135);
    c.Line(744, 708, 784, 708);
    c.Line(764, 688, 764, 728);
}

// Ticks round the rim every 2 degrees, longer every 10: shows at a glance how the disc sat. At 3
// and 9 o'clock the offset marks' outer arrows begin: the ticks there stay short, clear of them.
void DegreeRing(RasterCanvas& c) {
    constexpr double outer = 660.0;
    for (int deg = 0; deg < 360; deg += 2) {
        const double a = deg * std::numbers::pi / 180.0;
        const bool underArrow = deg == 90 || deg == 270;
        const double inner = deg % 10 == 0 && !underArrow ? 638.0 : 649.0;
        const double s = std::sin(a), k = std::cos(a);
        c.Line(static_cast<int>(std::lround(kDiscX + inner * s)),
               static_cast<int>(std::lround(kDiscY - inner * k)),
               static_cast<int>(std::lround(kDiscX + outer * s)),
               static_cast<int>(std::lround(kDiscY - outer * k)));
    }
}

// The lines' columns (and the rim ticks' lengths) are set to the dot: shifting a line moves its
// letters across byte boundaries and so changes how many run-length pairs its rows take. These keep
// the grid block at its established size of 53957 bytes.
void Texts(RasterCanvas& c) {
    DrawTextCentred(c, 766, 145, "PRINT THE OFFSET MARKS ON THIS DISC", 2);
    DrawTextCentred(c, 764, 1000, "PRINTER CALIBRATION DISC", 3);
    DrawTextCentred(c, 764, 1250, "KORVIX", 4);
    DrawTextCentred(c, 768, 1290, "DAXTOOL SERVICE PATTERN 2", 2);
}

} // namespace

RasterCanvas DrawCalibrationGrid() {
    RasterCanvas c(kArtworkRows);
    Outline(c);
    LeftMarginScale(c);
    RotationalScale(c, false);
    RotationalScale(c, true);
    TopMarginScale(c);
    CentringRing(c);
    Hub(c);
    DegreeRing(c);
    Texts(c);
    return c;
}

} // namespace dax
