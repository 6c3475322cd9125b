#pragma once
// The one way the program waits: window events keep running, and between them the thread
// sleeps until the next event arrives, so no wait ever spins.

#include <functional>

// Lets the pending window events run, then sleeps until the next one arrives, until done()
// holds. done() is asked after each round of events, so whatever they brought (a tick, bytes
// on the port) is seen before the next sleep.
void RunEventsUntil(const std::function<bool()> &done);
