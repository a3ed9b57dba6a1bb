#include "platform/shared/end_signals.h"

#include <csignal>
#include <initializer_list>

namespace end_signals {

namespace {

volatile sig_atomic_t end_requested = 0;
volatile sig_atomic_t report_requested = 0;

void RequestEnd(int) { end_requested = 1; }
void RequestReport(int) { report_requested = 1; }

} // namespace

void Install(bool reports)
{
    struct sigaction action {};
    action.sa_handler = RequestEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    // Without the counters SIGUSR1 asks for nothing, and must not end us.
    action.sa_handler = reports ? RequestReport : SIG_IGN;
    sigaction(SIGUSR1, &action, nullptr);
}

bool EndRequested() { return end_requested != 0; }

bool TakeReportRequest()
{
    if (!report_requested)
        return false;
    report_requested = 0;
    return true;
}

} // namespace end_signals
