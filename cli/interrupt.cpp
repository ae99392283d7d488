#include "cli/interrupt.h"

#include <csignal>

namespace corvane::cli {

namespace {

volatile std::sig_atomic_t s_interrupted = 0;
struct sigaction s_previous {};

extern "C" void noteInterrupt(int)
{
    s_interrupted = 1;
}

}  // namespace

InterruptCatcher::InterruptCatcher()
{
    s_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second Ctrl+C gets the default handling and ends the program.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, &s_previous);
}

InterruptCatcher::~InterruptCatcher()
{
    ::sigaction(SIGINT, &s_previous, nullptr);
}

bool InterruptCatcher::interrupted()
{
    return s_interrupted != 0;
}

}  // namespace corvane::cli
