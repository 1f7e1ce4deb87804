#pragma once
// A pause of the GUI thread during which the window stays alive: its events keep running.

namespace q9 {

/// Runs the event loop for `milliseconds` (never less; 0 or less runs the pending events once).
void RunEventsFor(int milliseconds);

}  // namespace q9
