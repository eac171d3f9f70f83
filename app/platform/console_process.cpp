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

QStringList ConsoleRows(const QString& text, int width)
{
    QStringList rows;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normalized.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (i == lines.size() - 1 && line.isEmpty())
            break;                      // the text's final line end
        if (line.isEmpty()) {
            rows.append(QString());
            continue;
        }
        for (qsizetype at = 0; at < line.size(); at += width)
            rows.append(line.mid(at, width));
    }
    return rows;
}

QString ReadConsoleText(bool byLines)
{
    const QStringList rows = ConsoleRows(ConsoleCapture::text(), 80);
    QString result;
    if (byLines) {
        for (const QString& row : rows) {
            const QString trimmed = row.trimmed();
            if (!trimmed.isEmpty())
                result += trimmed + QStringLiteral("\r\n");
        }
    } else {
        QString screen;
        for (const QString& row : rows) {
            screen += row.leftJustified(80, QLatin1Char(' '));
            if (screen.size() >= 400)
                break;
        }
        result = screen.left(400).leftJustified(400, QLatin1Char(' '));
    }
    ConsoleCapture::free();
    return result;
}

} // namespace KVECode
