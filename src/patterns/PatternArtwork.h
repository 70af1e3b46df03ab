#pragma once

#include "patterns/RasterCanvas.h"

namespace dax {

// Where the calibration disc lies on the printer's dot grid: both patterns share it, so a mark
// printed onto the disc lands on the scale it belongs to.
constexpr int kDiscTopRow = 33; // the index mark at the top of the outline
constexpr int kDiscBottomRow = 1382;
constexpr int kArtworkRows = kDiscBottomRow + 1;

// The calibration disc: outline, the four scales, captions, title and issuer.
RasterCanvas DrawCalibrationGrid();
// The marks printed onto a calibration disc, one on each scale's centre.
RasterCanvas DrawOffsetMarks();

} // namespace dax
