#pragma once
// What the splash screen and the About box ask of the running system: the
// platform text, and the system-information tool.

#include <QString>
#include <QStringList>

#include <functional>

// The running system, as the platform text shows it.
struct SystemVersion {
    QString kernelType;    // "linux"
    QString productName;   // "Debian GNU/Linux 12 (bookworm)"
    QString kernelVersion; // "6.1.0-18-amd64"
};

// The running system's values; an empty kernelType when they cannot be read.
SystemVersion querySystemVersion();

// The platform text of the splash screen, three lines joined by CR LF:
// "Platform: " and the kernel, "       OS: " and the system's name,
// "  Version: " and the kernel version. Empty when the query gave nothing,
// so that the label keeps the text it was built with.
QString PlatformText(const SystemVersion& version);

// The system-information tools tried, in this order, on the PATH.
QStringList systemInfoCandidates();

// The terminal programs that a console program (R's console, the editor of
// $EDITOR) is run in with "-e", tried in this order on the PATH: the
// desktop's terminal emulator, then xterm.
QStringList terminalPrograms();

// The first candidate that `findExecutable` finds (full path); empty when
// none is installed.
QString FindSystemInfoTool(const std::function<QString(const QString&)>& findExecutable);

// Services of the About box and the R page, in a layer so that tests see
// what they asked.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Starts a program (no shell) and does not wait for it.
    virtual bool startDetached(const QString& program);
    // The same with arguments, each passed to the program as it stands.
    virtual bool startProgram(const QString& program, const QStringList& arguments);
    // Full path of a program on the PATH; empty when not found.
    virtual QString findExecutable(const QString& name);
};

DesktopServices& desktopServices();
// Installs another implementation (the caller keeps it); nullptr restores.
void setDesktopServices(DesktopServices* services);
