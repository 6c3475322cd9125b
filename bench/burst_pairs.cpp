// The burst pairs' spacing is a counted empty loop with a volatile counter: prints how long 20
// pairs take at a few loop counts, so one sees that the loop really runs (the time grows with
// the count) and what loop count the calibration will settle on for its 40 ms target here.
#include "port/PortMap.h"
#include "port/SComm.h"
#include "update/Calibration.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateLink.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
constexpr int Repeats = 5;

int64_t FastestOf(UpdateLink &link, int32_t loopCount)
{
    int64_t fastest = INT64_MAX;
    for (int run = 0; run < Repeats; ++run) {
        const int64_t start = MillisecondClock();
        link.SendBurstPairs(Calibration::MeasuredPairs, loopCount);
        fastest = qMin(fastest, MillisecondClock() - start);
    }
    return fastest;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("TOBRIK_PORTS", "3=sim:none");
    PortMap::Instance().Refresh();
    MemoryUpdateView view;
    UpdateLink link(view);
    link.Comm().setPortnumber(3);
    link.Comm().setPortopen(true);
    link.LoadBurstBytes();
    std::printf("20 burst pairs, fastest of %d runs\n", Repeats);
    for (const int32_t loopCount : {1000, 100000, 1000000, 2000000}) {
        const int64_t ms = FastestOf(link, loopCount);
        std::printf("loop count %8d: %5lld ms\n", loopCount, static_cast<long long>(ms));
    }
    return 0;
}
