#pragma once
// Benchmarks that start windows keep their settings and documents in a
// temporary folder of their own, never the user's.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

inline QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// HOME, the XDG folders and the runtime folder (mode 0700) inside workDir().
inline void usePrivateHome()
{
    const QByteArray home = workDir().path().toLocal8Bit();
    QDir(workDir().path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(workDir().filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ::setenv("HOME", home.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/runtime").constData(), 1);
}
