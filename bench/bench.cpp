// The bench: the driver's calls over the simulated bus.
#include "bench/bench.h"

namespace bench {

Bench::Bench(std::shared_ptr<Clock> clock)
    : Driver("gpib bench", clock, std::make_unique<SimulatedBus>(clock)) {}

}  // namespace bench
