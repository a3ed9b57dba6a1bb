// SIGTERM, SIGINT and SIGHUP end the program the ordinary way: the event
// loop sees the request when its wait is interrupted and ends the run, so
// windows are destroyed and the connection closed as after a click. When
// measuring (WALKERS_X11_STATS), SIGUSR1 asks for the counters; otherwise
// it is ignored.
#pragma once

namespace end_signals {

void Install(bool reports);
bool EndRequested();
// True once for each SIGUSR1.
bool TakeReportRequest();

} // namespace end_signals
