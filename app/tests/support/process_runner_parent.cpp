// A parent for the process runner's tests: runs /bin/sh -c SCRIPT through
// the runner and waits for it, blocking ("block") or processing events with
// a cancel callback that never fires ("poll"), as the R page waits. The
// tests end this parent meanwhile. With "quit" and a file's path, the wait
// runs inside the application's event loop, which is told to quit once the
// file exists (as a handed-over /X does while R runs); the parent then
// prints what the runner said of the program's end.
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "platform/process_runner.hpp"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool quit = argc == 4 && std::strcmp(argv[1], "quit") == 0;
    if (argc != 3 && !quit)
        return 2;
    ProcessRequest request;
    request.program = QStringLiteral("/bin/sh");
    request.arguments = {QStringLiteral("-c"), QString::fromLocal8Bit(argv[2])};
    if (std::strcmp(argv[1], "poll") == 0)
        request.cancelled = [] { return false; };
    if (!quit)
        return runProcess(request).exitCode;

    const QString signal = QString::fromLocal8Bit(argv[3]);
    request.cancelled = [&signal] {
        if (QFile::exists(signal))
            QCoreApplication::quit();
        return false;
    };
    ProcessOutcome outcome;
    QTimer::singleShot(0, &app, [&] { outcome = runProcess(request); });
    app.exec();
    std::printf("abandoned %d cancelled %d crashed %d\n", outcome.abandoned, outcome.cancelled, outcome.crashed);
    return 0;
}
