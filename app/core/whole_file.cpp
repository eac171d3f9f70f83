#include "core/whole_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

bool WholeFileTesting::namedTemporaryOnly = false;

QString writeWholeFile(const QString& path, const QByteArray& bytes)
{
    return writeWholeFile(path, FileContent{bytes});
}

QString writeWholeFile(const QString& path, const FileContent& pieces)
{
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) shows in the count
    // instead of committing a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A write that stops short sets no reason; the next one, for the rest,
    // fails with it ("No space left on device").
    for (const QByteArrayView bytes : pieces) {
        for (qsizetype done = 0; done < bytes.size();) {
            const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
            if (written <= 0) {
                const QString why = file.errorString();
                file.cancelWriting();
                return why;
            }
            done += written;
        }
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

namespace {

const QString NoFreeName = QStringLiteral("No free file name is left.");

QString reason(int error)
{
    return qt_error_string(error);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now: a file system that reports a failed write only here
    // (network folders) gets its say.
    QString close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? QString() : reason(errno);
    }

private:
    int m_fd;
};

// Every byte, also after a short write (a disk that fills up on the way
// gives its reason on the next write), then onto the disk.
QString writeAll(int fd, const FileContent& pieces)
{
    for (const QByteArrayView bytes : pieces) {
        const char* at = bytes.data();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, at, static_cast<size_t>(std::min<qsizetype>(left, qsizetype(1) << 30)));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return reason(errno);
            }
            at += n;
            left -= n;
        }
    }
    return ::fdatasync(fd) == 0 ? QString() : reason(errno);
}

// The content in a file without a name in the folder, then given the first
// free name. Nothing when the file system cannot do that: the caller takes
// the way through a named temporary file.
std::optional<NewFile> writeUnnamed(const QByteArray& folder, const std::function<QString(int)>& nameFor, int first,
                                    int last, const FileContent& bytes)
{
    Descriptor file(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (file.get() < 0)
        return std::nullopt;
    NewFile result;
    result.error = writeAll(file.get(), bytes);
    if (!result.ok())
        return result;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.get());
    for (int k = first; k <= last; ++k) {
        const QString path = nameFor(k);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_FOLLOW)
            == 0) {
            result.error = file.close();
            if (result.ok())
                result.path = path;
            else
                ::unlink(QFile::encodeName(path).constData());
            return result;
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    result.error = NoFreeName;
    return result;
}

NewFile writeNamedTemporary(const QByteArray& folder, const std::function<QString(int)>& nameFor, int first,
                            int last, const FileContent& bytes)
{
    NewFile result;
    // A new name of its own beside the first candidate; created with the
    // mode every new file gets (the user's umask applies).
    const QByteArray stem = folder + "/." + QFile::encodeName(QFileInfo(nameFor(first)).fileName()) + '.';
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    Descriptor file(fd);
    if (file.get() < 0) {
        result.error = reason(errno);
        return result;
    }
    result.error = writeAll(file.get(), bytes);
    if (result.ok())
        result.error = file.close();
    bool moved = false;
    for (int k = first; k <= last && result.ok() && result.path.isEmpty(); ++k) {
        const QString path = nameFor(k);
        const QByteArray name = QFile::encodeName(path);
        int error = ::link(temporary.constData(), name.constData()) == 0 ? 0 : errno;
        if (error != 0 && error != EEXIST) {
            // File systems without links: a rename that never replaces.
            moved = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE) == 0;
            error = moved ? 0 : errno;
        }
        if (error == 0)
            result.path = path;
        else if (error != EEXIST)
            result.error = reason(error);
    }
    if (result.ok() && result.path.isEmpty())
        result.error = NoFreeName;
    if (!moved)
        ::unlink(temporary.constData());
    return result;
}

} // namespace

NewFile writeNewFile(const std::function<QString(int)>& nameFor, int first, int last, const QByteArray& bytes)
{
    return writeNewFile(nameFor, first, last, FileContent{bytes});
}

NewFile writeNewFile(const std::function<QString(int)>& nameFor, int first, int last, const FileContent& bytes)
{
    if (first > last)
        return {QString(), NoFreeName};
    const QByteArray folder = QFile::encodeName(QFileInfo(nameFor(first)).path());
    if (!WholeFileTesting::namedTemporaryOnly)
        if (std::optional<NewFile> written = writeUnnamed(folder, nameFor, first, last, bytes))
            return *written;
    return writeNamedTemporary(folder, nameFor, first, last, bytes);
}
