#include "core/r_runner.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/data_matrix.hpp"
#include "core/kve_code.hpp"
#include "core/model_comparison.hpp"
#include "core/numbered_file.hpp"
#include "core/program_info.hpp"
#include "core/settings_store.hpp"
#include "core/whole_file.hpp"

namespace RProgram {

namespace {

const QString SingleKey = QStringLiteral("RDir");
const QString GroupKey = QStringLiteral("RDirQCX");

// The file dialog's choices: any file, or R's programs by name.
const QString LocateFilter = QStringLiteral("All Files (*.*)|*.*|R Programs (Rscript;R)|Rscript;R");

} // namespace

QString defaultSearch(const QString& program)
{
    const QString onPath = QStandardPaths::findExecutable(program);
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(program, {QStringLiteral("/usr/lib/R/bin"),
                                                    QStringLiteral("/usr/local/lib/R/bin")});
}

std::function<QString(const QString&)>& search()
{
    static std::function<QString(const QString&)> finder = defaultSearch;
    return finder;
}

QString storedFolder(RVariant variant)
{
    if (variant == RVariant::Group) {
        const QString group = SettingsStore::GetSetting(GroupKey);
        if (!group.isEmpty())
            return group;
    }
    return SettingsStore::GetSetting(SingleKey);
}

void storeFolder(RVariant variant, const QString& folder)
{
    SettingsStore::SaveSetting(variant == RVariant::Group ? GroupKey : SingleKey, folder);
}

QString folderInUse(RVariant variant)
{
    const QString stored = storedFolder(variant);
    if (!stored.isEmpty())
        return stored;
    const QString found = search() ? search()(Rscript) : QString();
    return found.isEmpty() ? QString() : RExchange::folderOf(found);
}

bool holds(const QString& folder, const QString& program)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder + program);
    return info.isFile() && info.isExecutable();
}

bool isRFolder(const QString& folder)
{
    return holds(folder, Rscript) && holds(folder, Console);
}

QString locate(RVariant variant, const QString& program, const QString& programFilesFolder, RHost& host)
{
    QString folder = storedFolder(variant);
    if (holds(folder, program))
        return folder;
    const QString found = search() ? search()(program) : QString();
    if (!found.isEmpty()) {
        folder = RExchange::folderOf(found);
        storeFolder(variant, folder);
        return folder;
    }
    for (;;) {
        // No is the default answer, so that a run nobody watches gives up
        // instead of asking for ever.
        if (!host.question(QStringLiteral("The %1 file was not found in your system.\r\n\r\n"
                                          "Do you want to manually locate it?")
                               .arg(program),
                           QStringLiteral("RScript"), false)) {
            host.message(QStringLiteral("Execution aborted"), RHost::Icon::Critical);
            return QString();
        }
        const QString chosen
            = host.chooseFile(QStringLiteral("Locating ") + program, programFilesFolder, LocateFilter, 2);
        folder = chosen.isEmpty() ? QString() : RExchange::folderOf(chosen);
        if (holds(folder, program)) {
            storeFolder(variant, folder);
            return folder;
        }
        host.message(QStringLiteral("Invalid %1 location").arg(program), RHost::Icon::Critical);
    }
}

QString choosePath(RVariant variant, const QString& programFilesFolder, RHost& host)
{
    QString folder = folderInUse(variant);
    const bool startThere = variant == RVariant::Single
                                ? !folder.isEmpty() && !QDir(folder).entryList(QDir::Files).isEmpty()
                                : holds(folder, Rscript);
    const QString chosen
        = host.chooseFile(QStringLiteral("R path"), startThere ? folder : programFilesFolder, LocateFilter, 2);
    if (!chosen.isEmpty())
        folder = RExchange::folderOf(chosen);
    if (folder == QLatin1String("/") || folder == QLatin1String("\\"))
        folder.clear();
    storeFolder(variant, folder);
    return folder;
}

} // namespace RProgram

QString pngViewerMessage()
{
    return QStringLiteral("KVE cannot open PNG graphic files. The desktop's picture viewer will open it.");
}

QString pictureType(int choice)
{
    switch (choice) {
    case 0: return QStringLiteral("BMP");
    case 1: return QStringLiteral("JPG");
    default: return QStringLiteral("PNG");
    }
}

namespace {

// The hourglass for the rest of a run, whichever way it ends.
class Busy {
public:
    explicit Busy(RHost& host) : m_host(host) { m_host.setBusy(true); }
    ~Busy() { m_host.setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    RHost& m_host;
};

// Numbers of the failure box, after the classic run-time errors they are.
constexpr int UserInterrupt = 18;
constexpr int FileNotFound = 53;
constexpr int FileAccessError = 75;
constexpr int InvalidPicture = 481;

bool writeAll(const QString& path, const QByteArray& bytes, QString& errorText)
{
    errorText = writeWholeFile(path, bytes);
    return errorText.isEmpty();
}

class Run {
public:
    Run(const RRunRequest& request, RHost& host) : m_request(request), m_host(host) {}

    RRunResult go()
    {
        const bool group = m_request.variant == RVariant::Group;
        const QString folder
            = RProgram::locate(m_request.variant, RProgram::Rscript, m_request.programFilesFolder, m_host);
        if (folder.isEmpty())
            return m_result;
        if (!inputIsComplete())
            return m_result;
        Busy busy(m_host);

        RExchange::GroupData models;
        if (group) {
            std::vector<ModelComparison::ModelFile> ticked;
            for (const QString& path : m_request.modelFiles)
                ticked.push_back({int(ticked.size()) + 1, path});
            ModelComparison::ReadResult read = ModelComparison::readModelFiles(ticked);
            if (!read.files) {
                m_host.message(read.failure.text, RHost::Icon::Critical, read.failure.title);
                return m_result;
            }
            models.observed = std::move(read.files->observed);
            models.predicted = std::move(read.files->predicted);
            models.modelFiles = std::move(read.files->paths);
        }
        if (!writeDataFile(models))
            return m_result;
        if (!placeScript())
            return m_result;
        m_result.tag = RExchange::readScriptTag(m_result.scriptFile);
        const QString type = pictureType(m_request.pictureChoice);

        const RHost::ProcessResult run
            = m_host.runProgram(folder + RProgram::Rscript, {m_result.scriptFile, type},
                                RExchange::folderOf(m_result.dataFile), m_request.showLog);
        if (!run.started)
            return fail(FileNotFound, QStringLiteral("Rscript could not be started: ") + run.error);
        if (run.cancelled)
            return fail(UserInterrupt, QStringLiteral("The R run was cancelled."));
        // Not the user: KVE gave up the wait (it is closing) and ended R.
        if (run.abandoned)
            return fail(QStringLiteral("R was stopped before it had finished: %1 is closing.").arg(ProgramName()),
                        RHost::Icon::Critical);

        bool logShown = false;
        if (m_request.showLog) {
            const QString text = KVECode::ConsoleText(run.output, true);
            if (!text.trimmed().isEmpty()) {
                QString error;
                const QString log = RExchange::logFilePath(m_base, m_result.tag);
                if (!NumberedFile::writeText(log, text, error))
                    return fail(FileAccessError, QStringLiteral("'%1' cannot be written: %2").arg(log, error));
                m_host.showConsole(text, QStringLiteral("RScript messages"));
                logShown = true;
            }
        }
        if (!logShown && run.crashed)
            m_host.message(QStringLiteral("R ended abnormally."), RHost::Icon::Critical);
        else if (!logShown && run.exitCode != 0)
            m_host.message(QStringLiteral("R ended with exit code %1").arg(run.exitCode), RHost::Icon::Critical);

        if (m_request.openText && !importTexts(group ? std::optional(RExchange::modelLegend(models.modelFiles))
                                                     : std::nullopt))
            return m_result;
        if (m_request.openGraphics && !importPictures(type))
            return m_result;
        m_host.refreshLists();
        m_result.outcome = RRunResult::Outcome::Completed;
        return m_result;
    }

private:
    bool inputIsComplete()
    {
        if (m_request.variant == RVariant::Single) {
            int points = 0;
            if (m_request.matrix) {
                const int last = std::min(m_request.sheetRows - 1, m_request.matrix->upperRow());
                for (int r = 1; r <= last; ++r)
                    if (!m_request.matrix->isMissing(DataMatrix::ColX, r))
                        ++points;
            }
            if (points == 0) {
                m_host.message(QStringLiteral("No data point was found"), RHost::Icon::Critical);
                return false;
            }
        } else if (m_request.modelFiles.size() < 2) {
            m_host.message(QStringLiteral("At least two files have to be selected for comparison"),
                           RHost::Icon::Critical);
            return false;
        }
        if (m_request.templateName.isEmpty()) {
            m_host.message(QStringLiteral("You have to select the R script template"), RHost::Icon::Critical);
            m_host.focusTemplates();
            return false;
        }
        return true;
    }

    bool writeDataFile(const RExchange::GroupData& models)
    {
        const QString workFolder = RExchange::workFolder(m_request.documentsFolder);
        if (m_request.namedFile.isEmpty() && workFolder.isEmpty()) {
            m_host.message(QStringLiteral("The data for R cannot be written: the data has no file and there "
                                          "is no work folder."),
                           RHost::Icon::Critical);
            return false;
        }
        if (!m_request.namedFile.isEmpty()) {
            m_result.dataFile = RExchange::dataFilePath(m_request.namedFile);
            // A dataset saved under a ".CSV" name would be replaced by its
            // own R data file.
            const QFileInfo dataInfo(m_result.dataFile);
            const QFileInfo namedInfo(m_request.namedFile);
            if (dataInfo.absoluteFilePath() == namedInfo.absoluteFilePath()
                || (dataInfo.exists() && dataInfo.canonicalFilePath() == namedInfo.canonicalFilePath())) {
                m_host.message(QStringLiteral("The R data file would replace '%1'. Save it under another "
                                              "name first.")
                                   .arg(m_request.namedFile),
                               RHost::Icon::Critical);
                return false;
            }
        }
        QByteArray bytes;
        if (m_request.variant == RVariant::Single) {
            static const DataMatrix none(1);
            bytes = RExchange::singleDataFile(m_request.matrix ? *m_request.matrix : none, m_request.sheetRows,
                                              m_request.sheetCols);
        } else {
            const RExchange::GroupDataFile file = RExchange::groupDataFile(models);
            if (file.missingValues)
                m_host.message(QStringLiteral("Missing data is not allowed in this analysis."),
                               RHost::Icon::Critical);
            bytes = file.bytes;
        }
        QString error;
        if (m_request.namedFile.isEmpty()) {
            // A numbered name in the work folder, taken with the data.
            QDir().mkpath(workFolder);
            const NewFile written = RExchange::writeAnalysisFile(workFolder, bytes);
            if (!written.ok()) {
                m_host.message(QStringLiteral("The R data file cannot be written in '%1': %2").arg(workFolder, written.error),
                               RHost::Icon::Critical);
                return false;
            }
            m_result.dataFile = written.path;
        } else {
            QDir().mkpath(RExchange::folderOf(m_result.dataFile));
            if (!writeAll(m_result.dataFile, bytes, error)) {
                m_host.message(QStringLiteral("The R data file '%1' cannot be written: %2").arg(m_result.dataFile, error),
                               RHost::Icon::Critical);
                return false;
            }
        }
        m_base = RExchange::basePath(m_result.dataFile);
        return true;
    }

    bool placeScript()
    {
        m_result.scriptFile = RExchange::scriptFilePath(m_base);
        bool copy = true;
        if (QFileInfo::exists(m_result.scriptFile) && !m_request.overwriteScript)
            copy = m_host.question(QStringLiteral("Do you want to overwrite '%1' ?").arg(m_result.scriptFile),
                                   QString(), true);
        if (!copy) {
            m_host.message(QStringLiteral("The file '%1' will be used for calculations").arg(m_result.scriptFile),
                           RHost::Icon::Information);
            m_result.codePath = m_result.scriptFile;
            return true;
        }
        const QString templatePath = RExchange::findTemplate(
            RExchange::templateFolders(m_request.variant, m_result.dataFile, m_request.documentsFolder,
                                       m_request.programFolder),
            m_request.templateName);
        if (templatePath.isEmpty()) {
            QFile::remove(m_result.dataFile);
            m_host.message(QStringLiteral("The R code was not found"), RHost::Icon::Critical);
            return false;
        }
        QFile source(templatePath);
        QString error;
        const bool copied = source.open(QIODevice::ReadOnly) ? writeAll(m_result.scriptFile, source.readAll(), error)
                                                             : (error = source.errorString(), false);
        if (!copied) {
            m_host.message(QStringLiteral("The R code '%1' could not be copied to '%2': %3")
                               .arg(templatePath, m_result.scriptFile, error),
                           RHost::Icon::Critical);
            return false;
        }
        m_result.codePath = templatePath;
        return true;
    }

    bool importTexts(const std::optional<QString>& legend)
    {
        const bool group = m_request.variant == RVariant::Group;
        const QString shownName = KVECode::GetFileName(group ? m_result.dataFile : m_request.namedFile);
        for (const QString& path : RExchange::runOutputs(m_base, m_result.tag, QStringLiteral("_text"),
                                                         QStringLiteral("TXT"))) {
            if (!QFileInfo(path).isFile())
                break;
            const QString header = RExchange::outputHeader(shownName, m_host.now(), m_result.codePath, legend);
            const RExchange::TextImport imported = RExchange::rewriteTextOutput(path, header);
            if (!imported.ok) {
                fail(FileAccessError, imported.error);
                return false;
            }
            m_host.showText(QStringLiteral("Results - ") + (group ? path : KVECode::GetFileName(path)),
                            imported.windowText);
        }
        return true;
    }

    bool importPictures(const QString& type)
    {
        bool pngMessageShown = false;
        for (const QString& path : RExchange::runOutputs(m_base, m_result.tag, QStringLiteral("_graph"), type)) {
            if (!QFileInfo(path).isFile())
                break;
            if (type == QLatin1String("PNG")) {
                if (!pngMessageShown)
                    m_host.message(pngViewerMessage(), RHost::Icon::Critical);
                pngMessageShown = true;
                m_host.openDocument(path);
            } else if (!m_host.showPicture(path, QStringLiteral("Graphs - ") + KVECode::GetFileName(path))) {
                fail(InvalidPicture, QStringLiteral("Invalid picture: '%1'").arg(path));
                return false;
            }
        }
        return true;
    }

    // The failure box: the error's number, source and description; then
    // the lists are refreshed. Files written so far stay.
    RRunResult fail(int number, const QString& description)
    {
        return fail(QStringLiteral("%1 %2 %3").arg(number).arg(ProgramName(), description), RHost::Icon::None);
    }
    RRunResult fail(const QString& text, RHost::Icon icon)
    {
        m_host.message(text, icon);
        m_host.refreshLists();
        m_result.outcome = RRunResult::Outcome::Failed;
        return m_result;
    }

    const RRunRequest& m_request;
    RHost& m_host;
    RRunResult m_result;
    QString m_base;
};

} // namespace

RRunResult runRScript(const RRunRequest& request, RHost& host)
{
    return Run(request, host).go();
}
