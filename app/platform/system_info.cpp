#include "platform/system_info.hpp"

#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

SystemVersion querySystemVersion()
{
    return {QSysInfo::kernelType(), QSysInfo::prettyProductName(), QSysInfo::kernelVersion()};
}

QString PlatformText(const SystemVersion& version)
{
    if (version.kernelType.trimmed().isEmpty())
        return QString();
    QString kernel = version.kernelType.trimmed();
    kernel[0] = kernel[0].toUpper();
    const QString product = version.productName.trimmed().isEmpty()
                                ? QStringLiteral("N/A")
                                : version.productName.trimmed();
    return QStringLiteral("Platform: ") + kernel + QStringLiteral("\r\n")
           + QStringLiteral("       OS: ") + product + QStringLiteral("\r\n")
           + QStringLiteral("  Version: ") + version.kernelVersion.trimmed();
}

QStringList systemInfoCandidates()
{
    // The desktops' own system-information programs, then general ones.
    return {QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("xfce4-taskmanager"), QStringLiteral("hardinfo")};
}

QStringList terminalPrograms()
{
    return {QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")};
}

QString FindSystemInfoTool(const std::function<QString(const QString&)>& findExecutable)
{
    for (const QString& name : systemInfoCandidates()) {
        const QString path = findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool DesktopServices::startDetached(const QString& program)
{
    return QProcess::startDetached(program, {});
}

bool DesktopServices::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

QString DesktopServices::findExecutable(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

namespace {
DesktopServices* g_installed = nullptr;
}

DesktopServices& desktopServices()
{
    static DesktopServices production;
    return g_installed ? *g_installed : production;
}

void setDesktopServices(DesktopServices* services)
{
    g_installed = services;
}
