#include "platform/file_size_signal.hpp"

#include <csignal>

namespace {
void noAction(int) {}
} // namespace

void keepRunningPastFileSizeLimit()
{
    struct sigaction action {};
    action.sa_handler = noAction;
    sigemptyset(&action.sa_mask);
    // A system call that was interrupted by the signal goes on, so that
    // only the write beyond the limit fails.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGXFSZ, &action, nullptr);
}
