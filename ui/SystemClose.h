#pragma once
// The system's requests to end the program: a logout or shutdown (the
// session manager's request to save what needs saving) and SIGTERM. Both
// reach the window as its SystemCloseRequest, on the GUI thread.

namespace xtq::ui {

class TFormRegress;

// Takes SIGTERM from now on (first thing at start-up): a request that comes
// before the window exists waits for it.
void CatchTerminationSignal();

// Connects the session manager and SIGTERM to the window for the rest of
// the program's run.
void FollowSystemCloseRequests(TFormRegress& window);

} // namespace xtq::ui
