// The built KVE started as another program would start it: unattended
// command-line runs, exit statuses, the hand-over to a running instance and
// the settings kept between runs. Each test gives KVE its own HOME and
// runtime folder and no display, so KVE chooses the offscreen platform by
// itself; the hand-over tests give it displays of its own (Xvfb). No
// printer is reachable (CUPS_SERVER names nothing).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "support/test_files.hpp"

#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Sample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");

struct Result {
    int status = -1;
    bool finished = false;
    QString err;
};

class KveProcess : public ::testing::Test {
protected:
    QTemporaryDir home;

    // `display`: the X display to start on; empty for none.
    QProcessEnvironment environment(const QString& display = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        const QString h = home.path();
        env.insert(QStringLiteral("HOME"), h);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), h + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), h + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), h + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), h + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("CUPS_SERVER"), h + QStringLiteral("/no-cups.sock"));
        return env;
    }

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void start(QProcess& p, const QStringList& args, const QString& folder = QString(),
               const QProcessEnvironment& env = QProcessEnvironment()) const
    {
        p.setProcessEnvironment(env.isEmpty() ? environment() : env);
        p.setWorkingDirectory(folder.isEmpty() ? home.path() : folder);
        p.start(QStringLiteral(KVE_BINARY), args);
        ASSERT_TRUE(p.waitForStarted(10000));
    }

    Result finish(QProcess& p, int limitMs = 60000) const
    {
        Result r;
        r.finished = p.waitForFinished(limitMs);
        if (!r.finished) {
            p.kill();
            p.waitForFinished();
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    Result run(const QStringList& args, int limitMs = 60000,
               const QProcessEnvironment& env = QProcessEnvironment()) const
    {
        QProcess p;
        start(p, args, QString(), env);
        return finish(p, limitMs);
    }

    QString path(const QString& name) const { return home.path() + QLatin1Char('/') + name; }
};


// An X display of its own (Xvfb on the first free display number), for the
// tests of the hand-over between starts on one desktop.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // -displayfd: Xvfb picks a free number and writes it to stdout.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        if (!m_server.waitForStarted(10000))
            return;
        QByteArray out;
        QElapsedTimer waited;
        waited.start();
        while (!out.contains('\n') && waited.elapsed() < 20000 && m_server.state() == QProcess::Running) {
            m_server.waitForReadyRead(200);
            out += m_server.readAllStandardOutput();
        }
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (ok)
            m_name = QStringLiteral(":%1").arg(number);
    }
    ~VirtualDisplay()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    // ":N", or empty when no display could be started.
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

// The sample dataset's bytes.
QByteArray readSample()
{
    QFile sample(Sample);
    EXPECT_TRUE(sample.open(QIODevice::ReadOnly));
    return sample.readAll();
}

// Names that a shell, the tokenizer or a file format could take apart.
const char* const OddNames[] = {
    "a \"b\" y",
    "$(touch pwned); `touch pwned` & x",
    "Gr\xc3\xbc\xc3\x9f""e \xc3\xb1 \xe6\x97\xa5",
    "back\\slash 100 %",
};

// A small file system of its own (tmpfs, 64 KiB) at `folder`, for one
// started program alone: mounted in a mount namespace of its own (as root,
// else in a user namespace of its own), then given the files `files` and
// `fillerBytes` of filler, as far as they fit. A program that cannot get it
// ends with NotMounted before it starts.
class SmallDisk {
public:
    static constexpr int NotMounted = 77;

    SmallDisk(const QString& folder, qsizetype fillerBytes, const QList<std::pair<QString, QByteArray>>& files = {})
        : m_mountPoint(QFile::encodeName(folder)), m_filler(fillerBytes, 'x')
    {
        // The child runs the modifier between fork and exec, where nothing
        // may allocate: every text and buffer is made here.
        m_uidMap = "0 " + QByteArray::number(::getuid()) + " 1";
        m_gidMap = "0 " + QByteArray::number(::getgid()) + " 1";
        m_fillerPath = m_mountPoint + "/filler";
        for (const auto& [name, content] : files)
            m_files.emplace_back(m_mountPoint + '/' + QFile::encodeName(name), content);
        QDir().mkpath(folder);
    }

    void prepare(QProcess& p) const
    {
        p.setChildProcessModifier([this] {
            const auto writeFile = [](const char* file, const char* text, qsizetype size) {
                const int fd = ::open(file, O_WRONLY);
                const bool ok = fd >= 0 && ::write(fd, text, size_t(size)) == size;
                if (fd >= 0)
                    ::close(fd);
                return ok;
            };
            bool own = ::unshare(CLONE_NEWNS) == 0;
            if (!own && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0)
                own = writeFile("/proc/self/setgroups", "deny", 4)
                      && writeFile("/proc/self/uid_map", m_uidMap.constData(), m_uidMap.size())
                      && writeFile("/proc/self/gid_map", m_gidMap.constData(), m_gidMap.size());
            if (!own || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("tmpfs", m_mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
                ::_exit(NotMounted);
            for (const auto& [file, content] : m_files) {
                const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
                if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
                    ::_exit(NotMounted);
                ::close(fd);
            }
            // The filler last, as far as it fits.
            const int fd = ::open(m_fillerPath.constData(), O_WRONLY | O_CREAT, 0600);
            if (fd < 0 || ::write(fd, m_filler.constData(), size_t(m_filler.size())) < 0)
                ::_exit(NotMounted);
            ::close(fd);
        });
    }

private:
    QByteArray m_mountPoint;
    QByteArray m_fillerPath;
    QByteArray m_filler;
    QByteArray m_uidMap;
    QByteArray m_gidMap;
    std::vector<std::pair<QByteArray, QByteArray>> m_files;   // path, content
};

// The file-size limit (`ulimit -f`) for one started program, with SIGXFSZ
// at its default action, as a shell leaves it to the programs it starts. A
// program that cannot get the limit ends with NotSet before it starts.
class FileSizeLimit {
public:
    static constexpr int NotSet = 77;

    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_limit);
        m_limit.rlim_cur = bytes;
    }

    void prepare(QProcess& p) const
    {
        p.setChildProcessModifier([this] {
            ::signal(SIGXFSZ, SIG_DFL);
            if (::setrlimit(RLIMIT_FSIZE, &m_limit) != 0)
                ::_exit(NotSet);
        });
    }

private:
    rlimit m_limit{};
};

} // namespace

TEST_F(KveProcess, SavesTheReportUnderTheNextFreeNumberAndEnds)
{
    QDir(home.path()).mkpath(QStringLiteral("my results"));
    const QString out = path(QStringLiteral("my results/"));
    const QStringList args{QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + out,
                           QStringLiteral("/X")};
    const Result first = run(args);
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    // The work folder is made on the way.
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("Documents/KVE Files"))).isDir());
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("Notes0000.TXT")));

    const Result second = run(args);
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("Notes0001.TXT")));
}

TEST_F(KveProcess, WithoutAFolderTheReportGoesBesideTheDataset)
{
    QDir(home.path()).mkpath(QStringLiteral("trials"));
    const QString dataset = path(QStringLiteral("trials/sample.KVE"));
    ASSERT_TRUE(QFile::copy(Sample, dataset));
    const Result r = run({QStringLiteral("/F") + dataset, QStringLiteral("/S"), QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("trials/Notes0000.TXT"))).isFile());
    EXPECT_FALSE(QFile::exists(QFileInfo(QStringLiteral(KVE_BINARY)).dir().filePath(QStringLiteral("Notes0000.TXT"))));
}

TEST_F(KveProcess, EverySectionTickedWritesTheWholeReportAlsoOnBadData)
{
    // The sample ticks every section of the report, /R the residual
    // analysis. With its own data and with data no statistic can be formed
    // on (constant X), the unattended run ends with 0 and the
    // folder holds the one whole report, nothing half-written beside it.
    const QByteArray all = readSample();
    const QByteArray options = all.left(all.indexOf("\r\nN=") + 2);   // the options, before "N="
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"sample.KVE", all},
        {"constant.KVE", options + "N=4\r\nDATA:\r\n\"2\",,\"1\",,,,\r\n\"2\",,\"3\",,,,\r\n\"2\",,\"3\",,,,\r\n"
                                   "\"2\",,\"4\",,,,\r\n"},
    };
    for (const auto& c : cases) {
        QFile f(path(QLatin1String(c.name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        const QString out = path(QStringLiteral("out-") + QLatin1String(c.name) + QLatin1Char('/'));
        QDir().mkpath(out);
        // /R: the command line ticks the residual analysis only on request.
        const Result r = run({QStringLiteral("/F") + f.fileName(), QStringLiteral("/R"), QStringLiteral("/S"),
                              QStringLiteral("/L") + out, QStringLiteral("/X")});
        ASSERT_TRUE(r.finished) << c.name;
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Notes0000.TXT")}) << c.name;
        QFile saved(out + QStringLiteral("Notes0000.TXT"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << c.name;
        const QString report = QString::fromUtf8(saved.readAll());
        for (const char* heading : {"\r\nREGRESSION ANALYSIS", "\r\nBOOTSTRAP ANALYSIS OF MSEP\r\n",
                                    "\r\nDEVIATION ANALYSIS\r\n", "\r\nAnalysis of Residuals\r\n",
                                    "\r\nRESIDUE REGRESSION ANALYSIS\r\n", "\r\nREFERENCES\r\n"})
            EXPECT_TRUE(report.contains(QLatin1String(heading))) << c.name << ": " << heading;
        EXPECT_TRUE(report.trimmed().endsWith(QStringLiteral("(American Society of Agricultural Engineers). 39:47-54.")))
            << c.name << ": " << report.right(200).toStdString();
    }
}

TEST_F(KveProcess, ReportThatCannotBeSavedEndsNonZero)
{
    const Result r = run({QStringLiteral("/F") + Sample, QStringLiteral("/S"),
                       QStringLiteral("/L") + path(QStringLiteral("no such folder/")), QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("KVE: the report could not be saved"))) << r.err.toStdString();
}

TEST_F(KveProcess, NothingToEvaluateEndsNonZeroWithAReason)
{
    // The sample's options with other data sections: none at all, two rows,
    // every row excluded. No report is saved and the reason says why.
    const QByteArray all = readSample();
    const QByteArray options = all.left(all.indexOf("\r\nN=") + 2);   // the options, before "N="
    struct Case {
        const char* name;
        QByteArray data;
        const char* reason;
    };
    const Case cases[] = {
        {"nodata.KVE", "", "KVE: nothing to evaluate: the dataset holds no data rows"},
        {"two.KVE", "N=2\r\nDATA:\r\n\"1\",,\"2\",,,,\r\n\"2\",,\"3\",,,,\r\n",
         "KVE: nothing to evaluate: only 2 data rows are used; the evaluation needs at least 3"},
        {"excluded.KVE",
         "N=3\r\nDATA:\r\n\"1\",,\"2\",,,,\"Y\"\r\n\"2\",,\"3\",,,,\"y\"\r\n\"3\",,\"3\",,,,\"0\"\r\n",
         "KVE: nothing to evaluate: every data row is excluded"},
    };
    QDir(home.path()).mkpath(QStringLiteral("out"));
    for (const Case& c : cases) {
        QFile f(path(QLatin1String(c.name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(options + c.data);
        f.close();
        const Result r = run({QStringLiteral("/F") + f.fileName(), QStringLiteral("/S"),
                              QStringLiteral("/L") + path(QStringLiteral("out/")), QStringLiteral("/X")});
        ASSERT_TRUE(r.finished) << c.name;
        EXPECT_EQ(r.status, 1) << c.name;
        // One line: the reason.
        EXPECT_EQ(r.err, QLatin1String(c.reason) + QLatin1Char('\n')) << c.name;
    }
    EXPECT_TRUE(QDir(path(QStringLiteral("out"))).isEmpty());
}

TEST_F(KveProcess, AUsedCellThatIsNoNumberEndsNonZeroWithItsRowAndNoReport)
{
    // The sample's options with four rows; each case changes one of them.
    // A used row whose X or Y is empty or not a number: status 1, one line
    // on stderr naming the row, the column and what it holds, and no
    // report. Rows the run does not use may hold anything.
    const QByteArray all = readSample();
    const QByteArray options = all.left(all.indexOf("\r\nN=") + 2);   // the options, before "N="
    const QByteArray rows[] = {"\"1.5\",,\"1.2\",,,,\r\n", "\"2.5\",,\"2.9\",,,,\r\n", "\"3.5\",,\"3.1\",,,,\r\n",
                               "\"4.5\",,\"4.8\",,,,\r\n"};
    struct Case {
        const char* name;
        int row;                          // 1..4: the row replaced; 5: a fifth line beyond N=4
        QByteArray line;
        const char* reason;               // "": a report is saved
    };
    const Case cases[] = {
        {"empty-y", 3, "\"3.5\",,,,,,\r\n", "KVE: Row 3: Y (Obs) is empty."},
        {"text-x", 2, "\"abc\",,\"2.9\",,,,\r\n", "KVE: Row 2: X (Pred) is not a number: abc"},
        {"comma-x", 1, "\"6,9\",,\"1.2\",,,,\r\n", "KVE: Row 1: X (Pred) is not a number: 6,9"},
        {"comma-sd-y", 4, "\"4.5\",,\"4.8\",\"0,46\",,,\r\n", "KVE: Row 4: SD Y is not a number: 0,46"},
        // A line break in a quoted cell: still one line, the break escaped.
        {"crlf-x", 1, "\"ab\r\ncd\",,\"1.2\",,,,\r\n", "KVE: Row 1: X (Pred) is not a number: ab\\r\\ncd"},
        {"excluded-junk", 2, "\"abc\",,,,,,\"Y\"\r\n", ""},
        // A row after the N= rows is no part of the dataset: the file is
        // refused rather than read without it; an empty one is passed over.
        {"beyond-n", 5, "\"4\",,\"abc\",,,,\r\n",
         "KVE: Load: The file '%1' could not be loaded: line %2 holds a data row after the 4 rows "
         "that its line N=4 gives. Set N= to the number of data rows to load it."},
        {"empty-beyond-n", 5, ",,,,,,\r\n", ""},
    };
    for (const Case& c : cases) {
        QByteArray data = "N=4\r\nDATA:\r\n";
        for (int r = 1; r <= 4; ++r)
            data += r == c.row ? c.line : rows[r - 1];
        if (c.row == 5)
            data += c.line;
        QFile f(path(QLatin1String(c.name) + QStringLiteral(".KVE")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(options + data);
        f.close();
        const QString out = path(QStringLiteral("out-") + QLatin1String(c.name) + QLatin1Char('/'));
        QDir().mkpath(out);
        const Result r = run({QStringLiteral("/F") + f.fileName(), QStringLiteral("/S"), QStringLiteral("/L") + out,
                              QStringLiteral("/X")});
        ASSERT_TRUE(r.finished) << c.name;
        const QStringList saved = QDir(out).entryList(QDir::Files | QDir::Hidden);
        if (*c.reason) {
            QString reason = QLatin1String(c.reason);
            if (reason.contains(QLatin1String("%1")))
                reason = reason.arg(f.fileName()).arg(options.count('\n') + 2 + c.row);
            EXPECT_EQ(r.status, 1) << c.name;
            EXPECT_EQ(r.err, reason + QLatin1Char('\n')) << c.name;
            EXPECT_TRUE(saved.isEmpty()) << c.name;
        } else {
            EXPECT_EQ(r.status, 0) << c.name << ": " << r.err.toStdString();
            EXPECT_EQ(saved, QStringList{QStringLiteral("Notes0000.TXT")}) << c.name;
        }
    }

    // A cell of 10,000 characters that begins with a terminal's "clear
    // screen": one short line, without a control character, that keeps
    // the start of the cell and its end.
    QFile f(path(QStringLiteral("long-x.KVE")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(options + "N=4\r\nDATA:\r\n\"\x1b[2J" + QByteArray(10000, 'x') + "end\",,\"1.2\",,,,\r\n" + rows[1]
            + rows[2] + rows[3]);
    f.close();
    QDir().mkpath(path(QStringLiteral("out-long")));
    const Result r = run({QStringLiteral("/F") + f.fileName(), QStringLiteral("/S"),
                          QStringLiteral("/L") + path(QStringLiteral("out-long/")), QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("x...x"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("KVE: Row 1: X (Pred) is not a number: \\x1b[2Jxxx"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("xxxend\n"))) << r.err.toStdString();
    EXPECT_LT(r.err.size(), 600);
    for (const QChar ch : r.err.chopped(1))
        EXPECT_FALSE(ch.unicode() < 0x20 || (ch.unicode() >= 0x7f && ch.unicode() < 0xa0));
}

TEST_F(KveProcess, LimitsTheDatasetHoldsAreTheLimitsOfItsReport)
{
    // The sample with limits of its own (its confidence box still "95"):
    // the report's deviation interval is the dataset's, and the deviation,
    // residue and studentized deleted residue columns are marked against
    // the dataset's limits, not against those the run would derive
    // (+-0.5581, +-0.6452 and +-2.5).
    QByteArray content = readSample();
    const std::pair<const char*, const char*> limits[] = {
        {"DEVIATION_LOWER=", "-0.3"}, {"DEVIATION_UPPER=", "0.3"},   {"RESIDUAL_LOWER=", "-0.2"},
        {"RESIDUAL_UPPER=", "0.2"},   {"RSTD_RESIDUE_LOWER=", "-1"}, {"RSTD_RESIDUE_UPPER=", "1"},
    };
    for (const auto& [key, value] : limits) {
        const QByteArray line = QByteArray("\r\n") + key + "\r\n";
        ASSERT_TRUE(content.contains(line)) << key;
        content.replace(line, QByteArray("\r\n") + key + value + "\r\n");
    }
    ASSERT_TRUE(content.contains("\r\nDEVIATION_CI_PROB=95\r\n"));
    QFile f(path(QStringLiteral("limits.KVE")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const QString out = path(QStringLiteral("out/"));
    QDir().mkpath(out);
    const Result r = run({QStringLiteral("/F") + f.fileName(), QStringLiteral("/R"), QStringLiteral("/S"),
                          QStringLiteral("/L") + out, QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile saved(out + QStringLiteral("Notes0000.TXT"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(saved.readAll()).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Deviation interval [lower - upper]                     : [-0.3000, 0.3000]")));

    // The table: a header, a rule, one line per point, a rule. The cell of
    // column k (0 = the first after "#") is characters 4 + 10 k .. + 8,
    // its mark the character after.
    qsizetype at = lines.indexOf(QStringLiteral("Analysis of Residuals"));
    ASSERT_GE(at, 0);
    while (at < lines.size() && !lines[at].startsWith(QStringLiteral("  #  X values")))
        ++at;
    ASSERT_LT(at, lines.size());
    const QString heads = lines[at];
    struct Column {
        const char* header;
        double lower, upper;              // the dataset's limits
        double derived;                   // the half width the run would derive
    };
    const Column columns[] = {{"Deviation", -0.3, 0.3, 0.5581}, {"Residue", -0.2, 0.2, 0.6452}, {"RStdtRes", -1, 1, 2.5}};
    for (const Column& c : columns) {
        const QString name = QLatin1String(c.header);
        const qsizetype end = heads.indexOf(QLatin1Char(' ') + name + QLatin1Char(' ')) + 1 + name.size();
        ASSERT_GT(end, 4) << c.header;
        const qsizetype cell = 4 + 10 * ((end - 5) / 10);
        int newlyMarked = 0;
        for (qsizetype i = at + 2; i < lines.size() && !lines[i].startsWith(QLatin1Char('-')); ++i) {
            const double v = lines[i].mid(cell, 9).toDouble();
            const bool outside = v < c.lower || v > c.upper;
            EXPECT_EQ(lines[i].at(cell + 9), outside ? QLatin1Char('*') : QLatin1Char(' '))
                << c.header << ": " << lines[i].toStdString();
            newlyMarked += outside && std::fabs(v) < c.derived;
        }
        EXPECT_GT(newlyMarked, 0) << c.header;
    }
}

TEST_F(KveProcess, ALimitThatIsNoNumberEndsNonZeroWithItsNameAndNoReport)
{
    // The sample with one box that holds no number. A box the run reads
    // (/R ticks the residual analysis; the sample ticks the deviation
    // analysis, which reads the confidence): status 1, one line on stderr
    // naming the box and what it holds, and no report. Without /R the
    // limits are not read and the report is saved.
    struct Case {
        const char* name;
        const char* line;                 // the sample's line ...
        const char* replacement;          // ... as this case has it
        bool residual;                    // /R
        const char* reason;               // "": a report is saved
    };
    const Case cases[] = {
        {"comma", "DEVIATION_LOWER=", "DEVIATION_LOWER=-0,5", true, "KVE: Deviation lower limit is not a number: -0,5"},
        {"text", "RSTD_RESIDUE_UPPER=", "RSTD_RESIDUE_UPPER=2.5 sd", true,
         "KVE: RStd Res upper limit is not a number: 2.5 sd"},
        {"confidence", "DEVIATION_CI_PROB=95", "DEVIATION_CI_PROB=97,5", false,
         "KVE: Deviation CI % Prob is not a number: 97,5"},
        {"unread", "RESIDUAL_UPPER=", "RESIDUAL_UPPER=1,5", false, ""},
    };
    for (const Case& c : cases) {
        QByteArray content = readSample();
        const QByteArray line = QByteArray("\r\n") + c.line + "\r\n";
        ASSERT_TRUE(content.contains(line)) << c.name;
        content.replace(line, QByteArray("\r\n") + c.replacement + "\r\n");
        QFile f(path(QLatin1String(c.name) + QStringLiteral(".KVE")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const QString out = path(QStringLiteral("out-") + QLatin1String(c.name) + QLatin1Char('/'));
        QDir().mkpath(out);
        QStringList args{QStringLiteral("/F") + f.fileName(), QStringLiteral("/S"), QStringLiteral("/L") + out,
                         QStringLiteral("/X")};
        if (c.residual)
            args << QStringLiteral("/R");
        const Result r = run(args);
        ASSERT_TRUE(r.finished) << c.name;
        const QStringList saved = QDir(out).entryList(QDir::Files | QDir::Hidden);
        if (*c.reason) {
            EXPECT_EQ(r.status, 1) << c.name;
            EXPECT_EQ(r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts), QStringList{QLatin1String(c.reason)}) << c.name;
            EXPECT_TRUE(saved.isEmpty()) << c.name;
        } else {
            EXPECT_EQ(r.status, 0) << c.name << ": " << r.err.toStdString();
            EXPECT_EQ(saved, QStringList{QStringLiteral("Notes0000.TXT")}) << c.name;
        }
    }
}

TEST_F(KveProcess, BrokenCommandLinesAndMissingFilesEndNonZeroWithAReason)
{
    QFile bad(path(QStringLiteral("bad.KVE")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is no dataset\r\n");
    bad.close();
    QFile badList(path(QStringLiteral("bad.QCX")));
    ASSERT_TRUE(badList.open(QIODevice::WriteOnly));
    badList.write("this is no list of files\r\n");
    badList.close();

    struct Case {
        QStringList args;
        const char* reason;
    };
    const Case cases[] = {
        {{"/F" + path("missing.KVE"), "/S", "/X"}, "KVE: dataset file not found: "},
        // A blank after /F: the file name split off is a file named
        // without a switch; /X still holds.
        {{"/F", path("missing.KVE"), "/X"}, "KVE: dataset file not found: "},
        {{"/F", "/X"}, "KVE: /F names no dataset file"},
        {{"/F" + path("bad.KVE"), "/X"}, "KVE: Load: The file '"},
        {{"/C" + path("missing.QCX"), "/X"}, "KVE: comparison file not found: "},
        {{"/C" + path("bad.QCX"), "/X"}, "KVE: the comparison file '"},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args, 30000);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QLatin1String(c.reason))) << r.err.toStdString();
        // One line: the reason.
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }

    // Loading only, a comparison file, and a command line without a file,
    // end well.
    QFile goodList(path(QStringLiteral("good.QCX")));
    ASSERT_TRUE(goodList.open(QIODevice::WriteOnly));
    goodList.write(("#TRUE#,\"" + Sample + "\"\r\n").toUtf8());
    goodList.close();
    for (const QStringList& args : {QStringList{"/F" + Sample, "/Y", "/X"}, QStringList{"/C" + path("good.QCX"), "/X"},
                                    QStringList{"/X"}}) {
        const Result r = run(args, 30000);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
    }
}

TEST_F(KveProcess, SettingsAreReadAtStartAndWrittenAtClose)
{
    {
        QSettings s(path(QStringLiteral(".config/Brannex3/Brannex3.conf")), QSettings::IniFormat);
        s.setValue(QStringLiteral("Config/AddComments"), QStringLiteral("0"));
        s.setValue(QStringLiteral("Config/ShowRef"), QStringLiteral("1"));
        s.setValue(QStringLiteral("Config/AutoIncreaseRows"), QStringLiteral("7"));
        s.setValue(QStringLiteral("Config/RDir"), QStringLiteral("/usr/lib/R/bin/"));
    }
    const Result r = run({QStringLiteral("/X")}, 30000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();

    QSettings s(path(QStringLiteral(".config/Brannex3/Brannex3.conf")), QSettings::IniFormat);
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"AutoIncreaseRows", "1"}, // "7" was passed over: the default
        {"PasteSingleColumn", "1"}, {"SameScaleXYAxis", "1"},
        {"AddComments", "0"},      {"ShowExcluded", "0"},      {"PlotYXLine", "1"},
        {"ShowRef", "1"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(s.value(QStringLiteral("Config/") + QLatin1String(e.key)).toString(), QLatin1String(e.value))
            << e.key;
    EXPECT_EQ(s.value(QStringLiteral("Config/RDir")).toString(), QStringLiteral("/usr/lib/R/bin/"));
}

TEST_F(KveProcess, PlotSwitchOpensTheChartWindows)
{
    // The sample with its rank columns filled, as a rank analysis leaves them.
    QFile in(Sample);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(in.readAll()).split(QStringLiteral("\r\n"));
    int row = 0;
    bool data = false;
    for (QString& line : lines) {
        if (data && line.contains(QStringLiteral(",,,"))) {
            ++row;
            line.replace(line.indexOf(QStringLiteral(",,,")), 3, QStringLiteral(",\"%1\",\"%2\",").arg(row).arg(30 - row));
        }
        data = data || line == QStringLiteral("DATA:");
    }
    QFile ranked(path(QStringLiteral("ranked.KVE")));
    ASSERT_TRUE(ranked.open(QIODevice::WriteOnly));
    ranked.write(lines.join(QStringLiteral("\r\n")).toUtf8());
    ranked.close();

    // KVE lists the windows it shows as the command line ends it; /X: the
    // chart windows are made and nothing waits for them. /G with /R: the
    // scatter and rank charts around the run, and the run's residual plot;
    // the sample's residue regression adds its two charts.
    const QString list = path(QStringLiteral("windows.txt"));
    qputenv("KVE_WINDOW_LIST", list.toLocal8Bit());
    const Result r = run({QStringLiteral("/F") + ranked.fileName(), QStringLiteral("/G"), QStringLiteral("/R"),
                          QStringLiteral("/X")});
    qunsetenv("KVE_WINDOW_LIST");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("not available"))) << r.err.toStdString();

    QFile listed(list);
    ASSERT_TRUE(listed.open(QIODevice::ReadOnly));
    const QStringList windows = QString::fromUtf8(listed.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList charts;
    for (const QString& w : windows)
        if (w.startsWith(QStringLiteral("frmPlot\t")))
            charts << w;
    charts.sort();
    // Besides the two plots, the charts of the sections the sample ticks:
    // Bland and Altman's, Kleijnen's and the weighed deviance; the run's
    // residual plot (/R) and the two residue regression charts.
    EXPECT_EQ(charts, QStringList({QStringLiteral("frmPlot\tPlot - ranked.KVE\tBland and Altman Analysis"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tDeviation vs Model-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tKleijnen Analysis"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tObserved vs Model-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tRank of Observed vs Rank of Model-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tResidue vs Regression-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tStudentized Residue vs Regression-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tWeighed Deviance vs Model-Predicted")}))
        << windows.join(QLatin1Char('|')).toStdString();
}

TEST_F(KveProcess, WorkFolderThatCannotBeMadeIsOnlyAWarning)
{
    QFile blocker(path(QStringLiteral("Documents")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Result r = run({QStringLiteral("/X")}, 30000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("KVE Files"))) << r.err.toStdString();
}

TEST_F(KveProcess, ReportGoesUnderANameNothingElseHas)
{
    // Notes0000.TXT is a link that points nowhere (outside the folder) and
    // Notes0001.TXT a folder: the report takes the next name nobody has.
    const QString out = path(QStringLiteral("out/"));
    QDir(home.path()).mkpath(QStringLiteral("out"));
    QDir(home.path()).mkpath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("elsewhere/report.TXT")), out + QStringLiteral("Notes0000.TXT")));
    ASSERT_TRUE(QDir(out).mkdir(QStringLiteral("Notes0001.TXT")));
    const Result r = run({QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + out,
                          QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("Notes0002.TXT")).isFile());
    EXPECT_TRUE(QDir(path(QStringLiteral("elsewhere"))).isEmpty());
    EXPECT_TRUE(QDir(out + QStringLiteral("Notes0001.TXT")).isEmpty());
}

TEST_F(KveProcess, RunsStartedTogetherIntoOneFolderLeaveOneWholeReportEach)
{
    // Unattended runs started at the same moment save into one folder, and
    // each writes its residue file beside the same dataset: every run ends
    // well and has a report and a residue file of its own, none cut.
    QByteArray sample = readSample();
    ASSERT_TRUE(sample.contains("SAVE_RESIDUE_TEXT= 0"));
    sample.replace("SAVE_RESIDUE_TEXT= 0", "SAVE_RESIDUE_TEXT= 1");
    QDir(home.path()).mkpath(QStringLiteral("data"));
    QDir(home.path()).mkpath(QStringLiteral("out"));
    const QString dataset = path(QStringLiteral("data/sample.KVE"));
    QFile f(dataset);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sample);
    f.close();
    const QString out = path(QStringLiteral("out/"));

    constexpr int Runs = 6;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < Runs; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        start(*runs.back(), {QStringLiteral("/F") + dataset, QStringLiteral("/R"), QStringLiteral("/S"),
                             QStringLiteral("/L") + out, QStringLiteral("/X")});
    }
    for (auto& p : runs) {
        const Result r = finish(*p, 120000);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
    }

    QStringList expectedReports;
    QStringList expectedResidues;
    for (int i = 0; i < Runs; ++i) {
        expectedReports << QStringLiteral("Notes%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
        expectedResidues << QStringLiteral("Residue%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
    }
    const auto filesIn = [](const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name).join(QLatin1Char(' ')).toStdString();
    };
    EXPECT_EQ(filesIn(out), expectedReports.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(filesIn(path(QStringLiteral("data"))),
              (expectedResidues << QStringLiteral("sample.KVE")).join(QLatin1Char(' ')).toStdString());
    expectedResidues.removeLast();
    QStringList named;
    for (const QString& name : expectedReports) {
        QFile saved(out + name);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString report = QString::fromUtf8(saved.readAll());
        EXPECT_TRUE(report.trimmed().endsWith(QStringLiteral("39:47-54."))) << name.toStdString();
        const qsizetype at = report.indexOf(QStringLiteral("Residue calculation saved in file:\r\n"));
        ASSERT_GE(at, 0) << name.toStdString();
        named << report.mid(at).section(QStringLiteral("\r\n"), 1, 1);
    }
    // Each report names its own residue file, and each residue file is whole.
    named.sort();
    QStringList residuePaths;
    for (const QString& name : expectedResidues)
        residuePaths << path(QStringLiteral("data/") + name);
    EXPECT_EQ(named.join(QLatin1Char('|')).toStdString(), residuePaths.join(QLatin1Char('|')).toStdString());
    for (const QString& residue : residuePaths) {
        QFile file(residue);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("Analysis of Residuals\r\n")) << residue.toStdString();
        // Six lines before the sample's 24 used rows, two after, each ending in CR LF.
        EXPECT_EQ(text.count("\r\n"), 6 + 24 + 2) << residue.toStdString();
    }
}

TEST_F(KveProcess, AFullDiskSaysSo)
{
    // The report's folder is a small file system of its own that is almost
    // full: part of the report fits, the rest does not. Where no such file
    // system can be made, the test is skipped.
    const QString full = path(QStringLiteral("full"));
    const SmallDisk disk(full, 48 * 1024);   // 48 KiB of 64: the report (above 20 KiB) does not fit
    QProcess p;
    disk.prepare(p);
    start(p, {QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + full + QLatin1Char('/'),
              QStringLiteral("/X")});
    const Result r = finish(p);
    ASSERT_TRUE(r.finished);
    if (r.status == SmallDisk::NotMounted)
        GTEST_SKIP() << "no small file system of its own could be mounted here";
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("KVE: the report could not be saved in ") + full
                               + QStringLiteral("/: No space left on device")))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Unknown error"))) << r.err.toStdString();
}

TEST_F(KveProcess, OddCharactersInPathsReachTheirSwitches)
{
    // Blanks, double quotes, $(...), ";", "\\" and letters beyond ASCII in
    // the dataset's, the results folder's and the comparison file's names:
    // each switch gets its path whole, and nothing is run.
    QFile list(path(QStringLiteral("list.QCX")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(("#TRUE#,\"" + Sample + "\"\r\n").toUtf8());
    list.close();
    for (const char* odd : OddNames) {
        const QString name = QString::fromUtf8(odd);
        const QString folder = path(name + QStringLiteral(" out/"));
        QDir().mkpath(folder);
        const QString dataset = path(name + QStringLiteral(".KVE"));
        const QString comparison = path(name + QStringLiteral(".QCX"));
        ASSERT_TRUE(QFile::copy(Sample, dataset));
        ASSERT_TRUE(QFile::copy(list.fileName(), comparison));
        const Result r = run({QStringLiteral("/F") + dataset, QStringLiteral("/S"), QStringLiteral("/L") + folder,
                              QStringLiteral("/C") + comparison, QStringLiteral("/X")});
        ASSERT_TRUE(r.finished) << odd;
        EXPECT_EQ(r.status, 0) << odd << ": " << r.err.toStdString();
        EXPECT_TRUE(QFileInfo(folder + QStringLiteral("Notes0000.TXT")).isFile()) << odd;
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("pwned"))));
}

TEST_F(KveProcess, AFailedPrintEndsWithItsReason)
{
    const Result r = run({QStringLiteral("/F") + Sample, QStringLiteral("/P"), QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    // The box that said so is not written besides: one line.
    EXPECT_EQ(r.err, QStringLiteral("KVE: the report could not be printed: No printer is installed.\n"));
}

TEST_F(KveProcess, StartsThatNobodySeesEndWithinSecondsWithOneLine)
{
    // Without a display no window is waited for: a command line without /X
    // is run and ends the program; one with nothing to run says how to run
    // a job. Each ends at once with one line on stderr.
    const QString noDisplay = QStringLiteral("KVE: there is no display to show the window on; for an unattended "
                                             "job run KVE \"/F<dataset>.KVE\" /S \"/L<folder for reports>/\" /X\n");
    const QString endedAfter = QStringLiteral("KVE: there is no display, so KVE ended after its command line (/X "
                                              "ends it so without this note)\n");
    QDir(home.path()).mkpath(QStringLiteral("out"));
    const struct {
        QStringList args;
        int status;
        QString line;
    } cases[] = {
        {{}, 1, noDisplay},
        {{"--help"}, 1, noDisplay},
        {{"-h"}, 1, noDisplay},
        {{Sample}, 0, endedAfter},
        {{"/G", "/R", "/S"}, 1, noDisplay},
        {{"/F" + Sample, "/S", "/L" + path("out/")}, 0, endedAfter},
        {{"/F" + Sample, "/Y"}, 0, endedAfter},
        {{"/F" + path("missing.KVE"), "/S"}, 1, "KVE: dataset file not found: " + path("missing.KVE") + "\n"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args, 30000);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.line) << c.args.join(' ').toStdString();
    }
    // The run without /X did its work.
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out/Notes0000.TXT"))));
}

TEST_F(KveProcess, WithoutARuntimeFolderItMakesAPrivateOneSilently)
{
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
    const Result r = run({QStringLiteral("/X")}, 30000, env);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("XDG_RUNTIME_DIR"))) << r.err.toStdString();
    const QString folder = path(QStringLiteral("tmp/kve-runtime-%1").arg(::getuid()));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

// Starts on displays of their own.
class KveDesktop : public KveProcess {
protected:
    void SetUp() override
    {
        KveProcess::SetUp();
        if (displayA.name().isEmpty())
            GTEST_SKIP() << "Xvfb could not be started";
    }

    // Starts KVE on `display` and waits until it takes hand-overs.
    // With `windowList`, it lists the windows it shows as it ends there.
    void startFirst(QProcess& p, const QStringList& args, const QString& display,
                    const QString& windowList = QString()) const
    {
        QProcessEnvironment env = environment(display);
        if (!windowList.isEmpty())
            env.insert(QStringLiteral("KVE_WINDOW_LIST"), windowList);
        start(p, args, QString(), env);
        QElapsedTimer waited;
        waited.start();
        while (QDir(path(QStringLiteral("runtime"))).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty()
               && waited.elapsed() < 30000 && p.state() == QProcess::Running)
            QThread::msleep(50);
    }

    VirtualDisplay displayA;
};

TEST_F(KveDesktop, StartsOnTheSameDisplayHandOverAllOthersRunTheirOwnJob)
{
    // The first instance evaluates and saves its own report, and stays.
    QDir(home.path()).mkpath(QStringLiteral("a"));
    QProcess first;
    const QString windowList = path(QStringLiteral("first-windows.txt"));
    startFirst(first, {QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + path(QStringLiteral("a/"))},
               displayA.name(), windowList);
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();

    // Without a display, or offscreen on the same display, or on another
    // display: each runs its own job and its /X ends only itself.
    VirtualDisplay displayB;
    QProcessEnvironment offscreenOnA = environment(displayA.name());
    offscreenOnA.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const struct {
        const char* name;
        QProcessEnvironment env;
    } others[] = {
        {"headless", environment()},
        {"offscreen", offscreenOnA},
        {"display B", environment(displayB.name())},
    };
    ASSERT_FALSE(displayB.name().isEmpty());
    for (const auto& other : others) {
        const QString out = path(QLatin1String(other.name) + QLatin1Char('/'));
        QDir().mkpath(out);
        const Result r = run({QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + out,
                              QStringLiteral("/X")},
                             60000, other.env);
        ASSERT_TRUE(r.finished) << other.name;
        EXPECT_EQ(r.status, 0) << other.name << ": " << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(out + QStringLiteral("Notes0000.TXT"))) << other.name;
        // Had it been handed over, its /X would end the first instance.
        ASSERT_FALSE(first.waitForFinished(1500)) << other.name << " ended the first instance";
    }
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("a/Notes0000.TXT"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("a/Notes0001.TXT"))));

    // On the same display the first instance carries the command line out:
    // the reason of its failure comes back with the exit status.
    const QProcessEnvironment onA = environment(displayA.name());
    const Result refused = run({QStringLiteral("/F") + path(QStringLiteral("missing.KVE"))}, 60000, onA);
    ASSERT_TRUE(refused.finished);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("KVE: dataset file not found: "))) << refused.err.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // A relative file name means the file in the folder of the second start.
    QDir(home.path()).mkpath(QStringLiteral("elsewhere"));
    QFile bad(path(QStringLiteral("elsewhere/bad.KVE")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("no dataset\r\n");
    bad.close();
    QProcess relative;
    start(relative, {QStringLiteral("/Fbad.KVE")}, path(QStringLiteral("elsewhere")), onA);
    const Result relativeRun = finish(relative);
    EXPECT_EQ(relativeRun.status, 1);
    EXPECT_EQ(relativeRun.err, QStringLiteral("KVE: Load: The file '") + path(QStringLiteral("elsewhere/bad.KVE"))
                                   + QStringLiteral("' could not be loaded: it is not a KVE dataset file (its first "
                                                    "line holds no version numbers).\n"));

    // /X handed over ends both.
    const Result quit = run({QStringLiteral("/F") + Sample, QStringLiteral("/Y"), QStringLiteral("/X")}, 60000, onA);
    ASSERT_TRUE(quit.finished);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    const Result firstEnd = finish(first, 20000);
    EXPECT_TRUE(firstEnd.finished);
    EXPECT_EQ(firstEnd.status, 0) << firstEnd.err.toStdString();
    // The open window said so too, in a box: a start from a file manager
    // has no terminal that shows its reason.
    QFile shown(windowList);
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    const QString windows = QString::fromUtf8(shown.readAll());
    EXPECT_TRUE(windows.contains(QStringLiteral("\tDataset file not found: ") + path(QStringLiteral("missing.KVE"))))
        << windows.toStdString();
    EXPECT_TRUE(windows.contains(QStringLiteral("\tLoad: The file '") + path(QStringLiteral("elsewhere/bad.KVE"))))
        << windows.toStdString();
}

TEST_F(KveDesktop, OddCharactersInPathsSurviveTheHandOver)
{
    QProcess first;
    startFirst(first, {}, displayA.name());
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
    const QProcessEnvironment onA = environment(displayA.name());
    for (const char* odd : OddNames) {
        const QString name = QString::fromUtf8(odd);
        const QString folder = path(name + QStringLiteral(" out/"));
        QDir().mkpath(folder);
        const QString dataset = path(name + QStringLiteral(".KVE"));
        ASSERT_TRUE(QFile::copy(Sample, dataset));
        const Result r = run({QStringLiteral("/F") + dataset, QStringLiteral("/S"), QStringLiteral("/L") + folder}, 60000,
                             onA);
        ASSERT_TRUE(r.finished) << odd;
        EXPECT_EQ(r.status, 0) << odd << ": " << r.err.toStdString();
        EXPECT_TRUE(QFileInfo(folder + QStringLiteral("Notes0000.TXT")).isFile()) << odd;
        EXPECT_EQ(first.state(), QProcess::Running) << odd << ": the first instance took it";
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("pwned"))));
    const Result quit = run({QStringLiteral("/X")}, 60000, onA);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    EXPECT_TRUE(finish(first, 20000).finished);
}

TEST_F(KveDesktop, AnInstanceThatWasKilledDoesNotBlockTheNextStart)
{
    QProcess first;
    startFirst(first, {}, displayA.name());
    ASSERT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();

    const Result next = run({QStringLiteral("/X")}, 30000, environment(displayA.name()));
    ASSERT_TRUE(next.finished);
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
}

TEST_F(KveProcess, AFileNamedWithoutASwitchIsTheDatasetOrTheComparisonFile)
{
    // What a file manager's "Open with" passes, started in the dataset's
    // folder: an existing file named without a switch is the dataset of /F
    // (a .QCX file the list of /C). A name that names nothing says so, and
    // two datasets are refused rather than one of them dropped.
    const QString trials = path(QStringLiteral("trials"));
    QDir().mkpath(trials);
    for (const char* name : {"trial.KVE", "other.KVE"})
        ASSERT_TRUE(QFile::copy(Sample, trials + QLatin1Char('/') + QLatin1String(name)));
    writeBytes(trials + QStringLiteral("/list.QCX"), ("#TRUE#,\"" + trials + "/trial.KVE\"\r\n").toUtf8());
    const struct {
        QStringList args;
        int status;
        QString err;                      // the whole of stderr
        QStringList saved;                // the reports in the folder afterwards
    } cases[] = {
        {{"./trial.KVE", "/S", "/X"}, 0, "", {"Notes0000.TXT"}},
        {{trials + "/trial.KVE", "/S", "/X"}, 0, "", {"Notes0000.TXT", "Notes0001.TXT"}},
        {{"list.QCX", "/X"}, 0, "", {"Notes0000.TXT", "Notes0001.TXT"}},
        {{"missing.KVE", "/S", "/X"}, 1, "KVE: dataset file not found: " + trials + "/missing.KVE\n",
         {"Notes0000.TXT", "Notes0001.TXT"}},
        {{"trial.KVE", "other.KVE", "/S", "/X"}, 1,
         "KVE: the command line names more than one dataset (" + trials + "/trial.KVE, " + trials
             + "/other.KVE); KVE opens one at a time, so it opened none\n",
         {"Notes0000.TXT", "Notes0001.TXT"}},
    };
    for (const auto& c : cases) {
        QProcess p;
        start(p, c.args, trials);
        const Result r = finish(p);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.args.join(' ').toStdString();
        EXPECT_EQ(QDir(trials).entryList({QStringLiteral("Notes*")}, QDir::Files), c.saved)
            << c.args.join(' ').toStdString();
    }
}

TEST_F(KveProcess, AReportAskedForWithoutADatasetEndsNonZeroWithAReason)
{
    // /S or /P with nothing to evaluate: no dataset, only a comparison
    // file, or /Y. One line, status 1, nothing saved anywhere.
    const QString out = path(QStringLiteral("out/"));
    QDir().mkpath(out);
    const QString dataset = path(QStringLiteral("trial.KVE"));
    ASSERT_TRUE(QFile::copy(Sample, dataset));
    writeBytes(path(QStringLiteral("list.QCX")), ("#TRUE#,\"" + dataset + "\"\r\n").toUtf8());
    const QString noDataset = QStringLiteral("the command line names no dataset to evaluate (/F<dataset>.KVE)\n");
    const struct {
        QStringList args;
        QString err;
    } cases[] = {
        {{"/S", "/X"}, "KVE: there is no report to save: " + noDataset},
        {{"/S", "/L" + out, "/X"}, "KVE: there is no report to save: " + noDataset},
        {{"/P", "/X"}, "KVE: there is no report to print: " + noDataset},
        {{"/C" + path("list.QCX"), "/S", "/L" + out, "/X"}, "KVE: there is no report to save: " + noDataset},
        {{"/F" + dataset, "/Y", "/S", "/X"},
         "KVE: there is no report to save: /Y opens the dataset without evaluating it\n"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.args.join(' ').toStdString();
    }
    EXPECT_TRUE(QDir(out).isEmpty());
    EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("Notes*")}), QStringList());
}

TEST_F(KveProcess, AResidueFileThatCannotBeSavedEndsNonZeroAfterTheReport)
{
    // The dataset (with its residue file ticked) lies on a small file
    // system that is full, the report's folder elsewhere: the report is
    // saved and says the residue file is not; the run ends with status 1
    // and one line naming the residue file and the reason.
    QByteArray dataset = readSample();
    ASSERT_TRUE(dataset.contains("SAVE_RESIDUE_TEXT= 0"));
    dataset.replace("SAVE_RESIDUE_TEXT= 0", "SAVE_RESIDUE_TEXT= 1");
    const QString full = path(QStringLiteral("full"));
    const SmallDisk disk(full, 64 * 1024, {{QStringLiteral("trial.KVE"), dataset}});
    const QString out = path(QStringLiteral("out/"));
    QDir().mkpath(out);
    QProcess p;
    disk.prepare(p);
    start(p, {QStringLiteral("/F") + full + QStringLiteral("/trial.KVE"), QStringLiteral("/R"), QStringLiteral("/S"),
              QStringLiteral("/L") + out, QStringLiteral("/X")});
    const Result r = finish(p);
    ASSERT_TRUE(r.finished);
    if (r.status == SmallDisk::NotMounted)
        GTEST_SKIP() << "no small file system of its own could be mounted here";
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("KVE: the residue file (ResidueNNNN.TXT) could not be saved in ") + full
                         + QStringLiteral("/: No space left on device\n"));
    const QByteArray report = readBytes(out + QStringLiteral("Notes0000.TXT"));
    EXPECT_TRUE(report.contains(("Residue calculation could not be saved in " + full + "/: No space left on device")
                                    .toUtf8()));
    EXPECT_TRUE(report.trimmed().endsWith("39:47-54."));
}

TEST_F(KveProcess, TheFileSizeLimitFailsTheSaveAndNotTheProgram)
{
    // Started as a shell with `ulimit -f` starts it: the limit set and
    // SIGXFSZ at its default action (which ends a program that does not
    // handle it). The report (above 20 KiB) does not fit under 8 KiB: the
    // save fails with its reason and leaves nothing behind.
    const QString out = path(QStringLiteral("out/"));
    QDir().mkpath(out);
    const FileSizeLimit limit(8 * 1024);
    QProcess p;
    limit.prepare(p);
    start(p, {QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + out, QStringLiteral("/X")});
    const Result r = finish(p);
    ASSERT_TRUE(r.finished);
    ASSERT_NE(r.status, FileSizeLimit::NotSet) << "the limit could not be set";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "ended by signal " << p.exitCode();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("KVE: the report could not be saved in ") + out
                         + QStringLiteral(": File too large\n"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
}

TEST_F(KveDesktop, AFileNamedWithoutASwitchIsHandedOver)
{
    // An open KVE takes a dataset named without a switch from a start in
    // another folder, evaluates it and saves its report there.
    QProcess first;
    startFirst(first, {}, displayA.name());
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
    const QString trials = path(QStringLiteral("trials"));
    QDir().mkpath(trials);
    ASSERT_TRUE(QFile::copy(Sample, trials + QStringLiteral("/trial.KVE")));
    const QProcessEnvironment onA = environment(displayA.name());
    QProcess second;
    start(second, {QStringLiteral("./trial.KVE"), QStringLiteral("/S")}, trials, onA);
    const Result handed = finish(second);
    ASSERT_TRUE(handed.finished);
    EXPECT_EQ(handed.status, 0) << handed.err.toStdString();
    EXPECT_TRUE(QFileInfo(trials + QStringLiteral("/Notes0000.TXT")).isFile());
    EXPECT_EQ(first.state(), QProcess::Running);
    // /S stays in force for later lines; this one names no dataset, so it
    // evaluates nothing and saves nothing: it only ends the open KVE.
    const Result quit = run({QStringLiteral("/Y"), QStringLiteral("/X")}, 60000, onA);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    EXPECT_TRUE(finish(first, 20000).finished);
}

// Drives an X display as a user does: xdotool for the mouse and the keys,
// xclip for the clipboard, xwininfo for the order of the windows.
class UserAtTheScreen {
public:
    explicit UserAtTheScreen(const QString& display) : m_display(display) {}

    static bool available()
    {
        for (const char* tool : {"xdotool", "xclip", "xwininfo"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return false;
        return true;
    }

    // The program's standard output; empty when it failed or hung.
    QString run(const QString& program, const QStringList& args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return QString();
        }
        return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    }

    // The first window shown whose caption matches `pattern`, waiting for
    // it to come up; empty when none did.
    QString window(const QString& pattern) const
    {
        return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                               QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern})
            .section(QLatin1Char('\n'), 0, 0)
            .trimmed();
    }

    // Brings the window up and clicks into it at (x, y).
    void clickInto(const QString& window, int x, int y) const
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("windowraise"), window, QStringLiteral("mousemove"),
                                        QStringLiteral("--window"), window, QString::number(x), QString::number(y),
                                        QStringLiteral("click"), QStringLiteral("1")});
    }
    void keys(const QStringList& keys) const { run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys); }
    void type(const QString& text) const
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }
    QString clipboard() const
    {
        return run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    }

    // The caption of the shown window on top of all others.
    QString topWindow() const
    {
        QSet<qulonglong> shown;
        const QString ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                            QStringLiteral("--name"), QStringLiteral(".")});
        for (const QString& id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            shown.insert(id.trimmed().toULongLong());
        // xwininfo lists the children of the root from the top down.
        const QString tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        for (const QString& line : tree.split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (!trimmed.startsWith(QStringLiteral("0x")))
                continue;
            if (shown.contains(trimmed.section(QLatin1Char(' '), 0, 0).toULongLong(nullptr, 16)))
                return trimmed.section(QLatin1Char('"'), 1, 1);
        }
        return QString();
    }

private:
    QString m_display;
};

TEST_F(KveDesktop, AHandedOverComparisonFileLeavesTheSheetAndComesToTheFront)
{
    if (!UserAtTheScreen::available())
        GTEST_SKIP() << "xdotool, xclip or xwininfo is missing";
    // KVE started on a dataset as a file manager starts it.
    const QString dataset = path(QStringLiteral("rk.KVE"));
    ASSERT_TRUE(QFile::copy(Sample, dataset));
    writeBytes(path(QStringLiteral("models.QCX")), ("#TRUE#,\"" + dataset + "\"\r\n").toUtf8());
    QProcess first;
    startFirst(first, {dataset}, displayA.name());
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
    const UserAtTheScreen user(displayA.name());
    const QString main = user.window(QStringLiteral("^KVE v\\. [0-9.]+ - rk\\.KVE$"));
    ASSERT_FALSE(main.isEmpty());
    // The program on the screen answers in its own time: what it shows is
    // looked at again until it is as expected, within a generous limit.
    const auto eventually = [](const std::function<bool()>& seen) {
        QElapsedTimer waited;
        waited.start();
        while (!seen()) {
            if (waited.elapsed() > 30000)
                return false;
            QThread::msleep(100);
        }
        return true;
    };
    // The first value of sheet rows 1 and 2, as the sheet's Copy (Ctrl+C)
    // gives them.
    const auto copiedRows = [&] {
        const QStringList rows = user.clipboard().split(QStringLiteral("\r\n"));
        QStringList values;
        for (int r = 0; r < 2; ++r)
            values << (r < rows.size() ? rows.at(r).section(QLatin1Char(','), 0, 0).trimmed() : QString());
        return values;
    };
    // A click into the sheet, to its row `row`, a value typed there, and
    // the sheet copied.
    int clicks = 0;
    const auto typeIntoRow = [&](int row, const QString& value) {
        // Each click at another place, so that two never make a double-click.
        user.clickInto(main, 200 + 80 * (clicks++ % 4), 400);
        user.keys({QStringLiteral("ctrl+Home")});
        for (int r = 1; r < row; ++r)
            user.keys({QStringLiteral("Down")});
        user.type(value);
        user.keys({QStringLiteral("Return"), QStringLiteral("ctrl+Home"), QStringLiteral("ctrl+c")});
    };
    const auto comparisonOnTop = [&] { return user.topWindow().endsWith(QStringLiteral(" - models.QCX")); };

    // A comparison file handed over (a double-click on it in a file
    // manager): the comparison window comes up in front, the sheet keeps
    // what was typed. The second time the window is open already, behind
    // the main window.
    const QProcessEnvironment onA = environment(displayA.name());
    for (int handOver = 1; handOver <= 2; ++handOver) {
        // Typed over X of row 1, and in the sheet before the hand-over.
        const QString typed = QString::number(100 - handOver);
        typeIntoRow(1, typed);
        ASSERT_TRUE(eventually([&] { return copiedRows().at(0) == typed; })) << copiedRows().join(' ').toStdString();
        ASSERT_FALSE(comparisonOnTop());

        const Result handed = run({path(QStringLiteral("models.QCX"))}, 60000, onA);
        ASSERT_TRUE(handed.finished);
        EXPECT_EQ(handed.status, 0) << handed.err.toStdString();
        EXPECT_TRUE(eventually(comparisonOnTop)) << "hand-over " << handOver << ": " << user.topWindow().toStdString();

        // Row 1 still holds the typed value; row 2, typed into now, tells
        // that the copy is a new one.
        const QString marker = QString::number(70 + handOver);
        typeIntoRow(2, marker);
        ASSERT_TRUE(eventually([&] { return copiedRows().at(1) == marker; })) << copiedRows().join(' ').toStdString();
        EXPECT_EQ(copiedRows().at(0).toStdString(), typed.toStdString()) << "hand-over " << handOver;
    }

    const Result quit = run({QStringLiteral("/X")}, 60000, onA);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    EXPECT_TRUE(finish(first, 20000).finished);
}

TEST_F(KveDesktop, AnOpenKveOverTheFileSizeLimitKeepsRunning)
{
    // The open KVE runs under the file-size limit with SIGXFSZ at its
    // default action; a report it is handed to save does not fit. The save
    // fails with its reason and the window stays, with whatever it holds.
    const FileSizeLimit limit(8 * 1024);
    QProcess first;
    limit.prepare(first);
    startFirst(first, {}, displayA.name());
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
    const QString out = path(QStringLiteral("out/"));
    QDir().mkpath(out);
    const QProcessEnvironment onA = environment(displayA.name());
    const Result handed = run({QStringLiteral("/F") + Sample, QStringLiteral("/S"), QStringLiteral("/L") + out},
                              60000, onA);
    ASSERT_TRUE(handed.finished);
    EXPECT_EQ(handed.status, 1);
    EXPECT_EQ(handed.err, QStringLiteral("KVE: the report could not be saved in ") + out
                              + QStringLiteral(": File too large\n"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    EXPECT_FALSE(first.waitForFinished(1000)) << "the open KVE ended";
    // /S stays in force for later lines; this one names no dataset, so it
    // evaluates nothing and saves nothing: it only ends the open KVE.
    const Result quit = run({QStringLiteral("/Y"), QStringLiteral("/X")}, 60000, onA);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    EXPECT_TRUE(finish(first, 20000).finished);
}
