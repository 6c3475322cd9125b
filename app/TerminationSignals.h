#pragma once
// A desktop session that ends (log-out, shutdown, Ctrl+C in a terminal) sends the program a
// termination signal. It is turned into an ordinary close of the start page, so the close-down
// still switches the programmer off and writes the settings.

#include <functional>

namespace TerminationSignals {

// Runs onSignal on the window thread when SIGTERM, SIGINT or SIGHUP arrives; a later call
// replaces the earlier onSignal. Does nothing on platforms without these signals.
void Install(std::function<void()> onSignal);

} // namespace TerminationSignals
