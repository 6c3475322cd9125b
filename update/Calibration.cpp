#include "update/Calibration.h"

#include "update/TextNumber.h"
#include "update/UpdateError.h"

namespace Calibration {

constexpr double UpperLimitFactor = 1.5;

bool TimingOk(int64_t measuredMs, double targetMs)
{
    const auto measured = static_cast<double>(measuredMs);
    return !(measured < targetMs) && !(measured > UpperLimitFactor * targetMs);
}

int64_t RaisedMeasurement(int64_t measuredMs, double targetMs)
{
    const double half = targetMs / 2;
    return static_cast<double>(measuredMs) < half ? TextNumber::WholeNumber(half) : measuredMs;
}

int32_t NewLoopCount(int32_t loopCount, double targetMs, int64_t measuredMs)
{
    if (measuredMs == 0)
        throw UpdateError::DivisionByZero();
    const int32_t count = TextNumber::WholeNumber(static_cast<double>(loopCount) * targetMs
                                                  / static_cast<double>(measuredMs));
    return count < MinimumLoopCount ? MinimumLoopCount : count;
}

} // namespace Calibration
