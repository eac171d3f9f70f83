#include "platform/console_process.hpp"

#include <QProcess>
#include <QStringList>

#include "platform/process_runner.hpp"

namespace KVECode {

namespace {
struct ConsoleState {
    bool allocated = false;
    QByteArray bytes;
};
ConsoleState& console()
{
    static ConsoleState state;
    return state;
}
} // namespace

void ConsoleCapture::allocate()
{
    console().allocated = true;
    console().bytes.clear();
}

void ConsoleCapture::free()
{
    console().allocated = false;
    console().bytes.clear();
}

bool ConsoleCapture::isAllocated()
{
    return console().allocated;
}

void ConsoleCapture::append(const QByteArray& bytes)
{
    if (console().allocated)
        console().bytes.append(bytes);
}

QString ConsoleCapture::text()
{
    return QString::fromLocal8Bit(console().bytes);
}

std::int32_t RunAndWait(QString& commandLine)
{
    const QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        return -1;
    ProcessRequest request;
    request.program = parts.first();
    request.arguments = parts.mid(1);
    const bool capture = ConsoleCapture::isAllocated();
    request.output = capture ? ProcessRequest::Output::Capture : ProcessRequest::Output::Inherit;
    const ProcessOutcome run = runProcess(request);
    if (capture)
        ConsoleCapture::append(run.output);
    if (!run.started || run.crashed)
        return -1;
    return run.exitCode;
}

QString ReadConsoleText(bool byLines)
{
    const QString result = ConsoleText(ConsoleCapture::text(), byLines);
    ConsoleCapture::free();
    return result;
}

} // namespace KVECode
