// The built KVE started as another program would start it: unattended
// command-line runs, exit statuses, the hand-over to a running instance and
// the settings kept between runs. Each test gives KVE its own HOME and no
// display, so KVE chooses the offscreen platform by itself.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const QString Sample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
const QString EvaluationMissing = QStringLiteral("The evaluation run is not available");

struct Result {
    int status = -1;
    bool finished = false;
    QString err;
};

class KveProcess : public ::testing::Test {
protected:
    QTemporaryDir home;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        const QString h = home.path();
        env.insert(QStringLiteral("HOME"), h);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), h + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), h + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), h + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), h + QStringLiteral("/runtime"));
        return env;
    }

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void start(QProcess& p, const QStringList& args, const QString& folder = QString()) const
    {
        p.setProcessEnvironment(environment());
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

    Result run(const QStringList& args, int limitMs = 60000) const
    {
        QProcess p;
        start(p, args);
        return finish(p, limitMs);
    }

    QString path(const QString& name) const { return home.path() + QLatin1Char('/') + name; }
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
    if (first.err.contains(EvaluationMissing))
        GTEST_SKIP() << "the evaluation run is not built yet, so there is no report to save";
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("Notes0000.TXT")));

    const Result second = run(args);
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("Notes0001.TXT")));
}

TEST_F(KveProcess, ReportThatCannotBeSavedEndsNonZero)
{
    const Result r = run({QStringLiteral("/F") + Sample, QStringLiteral("/S"),
                       QStringLiteral("/L") + path(QStringLiteral("no such folder/")), QStringLiteral("/X")});
    ASSERT_TRUE(r.finished);
    if (r.err.contains(EvaluationMissing))
        GTEST_SKIP() << "the evaluation run is not built yet, so there is no report to save";
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("KVE: the report could not be saved"))) << r.err.toStdString();
}

TEST_F(KveProcess, BrokenCommandLinesAndMissingFilesEndNonZeroWithAReason)
{
    QFile bad(path(QStringLiteral("bad.KVE")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is no dataset\r\n");
    bad.close();

    struct Case {
        QStringList args;
        const char* reason;
    };
    const Case cases[] = {
        {{"/F" + path("missing.KVE"), "/S", "/X"}, "KVE: dataset file not found: "},
        // A blank after /F: the file name is split off, /X still holds.
        {{"/F", path("missing.KVE"), "/X"}, "KVE: /F names no dataset file"},
        {{"/F" + path("bad.KVE"), "/X"}, "KVE: the dataset could not be loaded: "},
        {{"/C" + path("missing.QCX"), "/X"}, "KVE: comparison file not found: "},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args, 30000);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reason))) << r.err.toStdString();
    }

    // Loading only, and a command line without a file, end well.
    for (const QStringList& args : {QStringList{"/F" + Sample, "/Y", "/X"}, QStringList{"/X"}}) {
        const Result r = run(args, 30000);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
    }
}

TEST_F(KveProcess, SecondStartHandsOverAndReturnsAfterTheRun)
{
    // The first instance loads without running and stays (/Y, no /X).
    QProcess first;
    start(first, {QStringLiteral("/F") + Sample, QStringLiteral("/Y")});
    ASSERT_FALSE(first.waitForFinished(1500)) << "the first instance ended on its own";

    // A second start's command line is carried out by the first instance:
    // the reason of its failure comes back with the exit status.
    const Result refused = run({QStringLiteral("/F") + path(QStringLiteral("missing.KVE"))});
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
    start(relative, {QStringLiteral("/Fbad.KVE")}, path(QStringLiteral("elsewhere")));
    const Result relativeRun = finish(relative);
    EXPECT_EQ(relativeRun.status, 1);
    EXPECT_TRUE(relativeRun.err.contains(QStringLiteral("could not be loaded: ") + path(QStringLiteral("elsewhere/bad.KVE"))))
        << relativeRun.err.toStdString();

    // /X handed over ends both.
    const Result quit = run({QStringLiteral("/F") + Sample, QStringLiteral("/Y"), QStringLiteral("/X")});
    ASSERT_TRUE(quit.finished);
    EXPECT_EQ(quit.status, 0) << quit.err.toStdString();
    const Result firstEnd = finish(first, 20000);
    EXPECT_TRUE(firstEnd.finished);
    EXPECT_EQ(firstEnd.status, 0);
}

TEST_F(KveProcess, AnInstanceThatWasKilledDoesNotBlockTheNextStart)
{
    QProcess first;
    start(first, {});
    QThread::msleep(1000);
    first.kill();
    first.waitForFinished();

    const Result next = run({QStringLiteral("/X")}, 30000);
    ASSERT_TRUE(next.finished);
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
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
        {"AutoIncreaseRows", "1"}, // "7" was passed over: the design state
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
    // chart windows are made and nothing waits for them.
    const QString list = path(QStringLiteral("windows.txt"));
    qputenv("KVE_WINDOW_LIST", list.toLocal8Bit());
    const Result r = run({QStringLiteral("/F") + ranked.fileName(), QStringLiteral("/G"), QStringLiteral("/X")});
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
    EXPECT_EQ(charts, QStringList({QStringLiteral("frmPlot\tPlot - ranked.KVE\tObserved vs Model-Predicted"),
                                   QStringLiteral("frmPlot\tPlot - ranked.KVE\tRank of Observed vs Rank of Model-Predicted")}))
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
