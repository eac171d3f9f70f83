// A parent for the process runner's tests: runs /bin/sh -c SCRIPT through
// the runner and waits for it, blocking ("block") or processing events with
// a cancel callback that never fires ("poll"), as the R page waits. The
// tests end this parent meanwhile.
#include <QCoreApplication>

#include <cstring>

#include "platform/process_runner.hpp"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    ProcessRequest request;
    request.program = QStringLiteral("/bin/sh");
    request.arguments = {QStringLiteral("-c"), QString::fromLocal8Bit(argv[2])};
    if (std::strcmp(argv[1], "poll") == 0)
        request.cancelled = [] { return false; };
    return runProcess(request).exitCode;
}
