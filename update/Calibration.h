#pragma once
// The arithmetic of the timing calibration: the busy-loop count between two burst bytes is
// adjusted until 20 burst pairs take between the target time and one and a half times it.

#include <cstdint>

namespace Calibration {

// Burst pairs in one measurement.
constexpr int32_t MeasuredPairs = 20;
// The loop count never drops below this.
constexpr int32_t MinimumLoopCount = 1000;
// Measurements at most: the try counter runs from 0 until it exceeds 20.
constexpr int32_t LastTry = 20;

// The measurement lies between the target and 1.5 x the target, both included.
bool TimingOk(int64_t measuredMs, double targetMs);

// A measurement below half the target counts as half the target (rounded, halves to even), so
// one correction never changes the loop count by more than twice.
int64_t RaisedMeasurement(int64_t measuredMs, double targetMs);

// loopCount x target / measured, rounded (halves to even), at least MinimumLoopCount. Throws
// UpdateError for a zero measurement and for a count beyond 32 bits.
int32_t NewLoopCount(int32_t loopCount, double targetMs, int64_t measuredMs);

} // namespace Calibration
