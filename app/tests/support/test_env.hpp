#pragma once
// Each test binary runs with its own temporary HOME and XDG folders, so no
// test reads or writes the user's settings or documents.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

inline QTemporaryDir& testHome()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kve-test-home-XXXXXX"));
    return dir;
}

inline void setUpTestEnvironment()
{
    const QByteArray home = testHome().path().toLocal8Bit();
    QDir(testHome().path()).mkpath(QStringLiteral(".config"));
    QDir(testHome().path()).mkpath(QStringLiteral(".local/share"));
    QDir(testHome().path()).mkpath(QStringLiteral(".cache"));
    QDir(testHome().path()).mkpath(QStringLiteral("Documents"));
    QDir(testHome().path()).mkpath(QStringLiteral("runtime"));
    QDir(testHome().path() + QStringLiteral("/runtime")).exists();
    ::setenv("HOME", home.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
    ::setenv("XDG_DOCUMENTS_DIR", (home + "/Documents").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/runtime").constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QFile::setPermissions(testHome().path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// One test of this binary run again in a child process, with `variable`
// set to 1 and the marker that ctest sets for every test, as ctest would
// start it: its exit status (-1 when it did not end) and what it printed.
struct ChildTestRun {
    int status = -1;
    QString output;
};

inline ChildTestRun runTestUnderCtest(const QString& testName, const QString& variable)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(variable, QStringLiteral("1"));
    env.insert(QStringLiteral("KVE_UNDER_CTEST"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + testName});
    ChildTestRun run;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        return run;
    }
    run.status = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = QString::fromLocal8Bit(child.readAll());
    return run;
}
