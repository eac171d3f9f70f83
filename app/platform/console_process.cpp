#include "platform/console_process.hpp"

#include <QProcess>
#include <QStringList>

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
    QProcess process;
    process.setProgram(parts.first());
    process.setArguments(parts.mid(1));
    if (ConsoleCapture::isAllocated())
        process.setProcessChannelMode(QProcess::MergedChannels);
    else
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return -1;
    if (ConsoleCapture::isAllocated()) {
        while (process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            ConsoleCapture::append(process.readAll());
        }
        ConsoleCapture::append(process.readAll());
    } else {
        process.waitForFinished(-1);
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QString ReadConsoleText(bool byLines)
{
    const QString result = ConsoleText(ConsoleCapture::text(), byLines);
    ConsoleCapture::free();
    return result;
}

} // namespace KVECode
