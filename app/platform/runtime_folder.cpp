#include "platform/runtime_folder.hpp"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when `path` is a real folder (not a link) of this user with mode
// 0700, after tightening the mode if needed.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

QString EnsureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QString();
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    QByteArray folder = temp + "/kve-runtime-" + QByteArray::number(::getuid());
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        folder.clear();
    if (folder.isEmpty() || !isPrivateFolder(folder)) {
        // The name is taken by something that is not ours: a folder of a
        // unique name instead (mkdtemp makes it 0700).
        QByteArray unique = temp + "/kve-runtime-" + QByteArray::number(::getuid()) + "-XXXXXX";
        if (!::mkdtemp(unique.data()))
            return QString();
        folder = unique;
    }
    ::setenv("XDG_RUNTIME_DIR", folder.constData(), 1);
    return QFile::decodeName(folder);
}
