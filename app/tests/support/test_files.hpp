#pragma once
// Small files for tests: read and write whole files, and binary content
// that holds every byte value.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

// The whole file; empty when it cannot be read.
inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Compares `actual` with a golden file byte for byte. With KVE_UPDATE_GOLDEN
// set the file is rewritten first: a deliberate act, refused under ctest,
// where it would make the test pass whatever the output says.
inline void expectGolden(const QString& path, const QByteArray& actual)
{
    if (qEnvironmentVariableIsSet("KVE_UPDATE_GOLDEN")) {
        if (qEnvironmentVariableIsSet("KVE_UNDER_CTEST"))
            ADD_FAILURE() << "KVE_UPDATE_GOLDEN is refused under ctest: run this test binary by itself to update "
                             "the golden file";
        else
            writeBytes(path, actual);
    }
    EXPECT_EQ(actual.toStdString(), readBytes(path).toStdString()) << path.toStdString();
}

// The byte values 0 to 255 in order, `repeats` times.
inline QByteArray allByteValues(int repeats)
{
    QByteArray bytes;
    for (int r = 0; r < repeats; ++r)
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
    return bytes;
}

// Runs `work` with the process's file size limit at `bytes`, so that a
// write beyond it fails half-way for every user, root included.
inline void withFileSizeLimit(rlim_t bytes, const std::function<void()>& work)
{
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    work();
    ::setrlimit(RLIMIT_FSIZE, &saved);
}
