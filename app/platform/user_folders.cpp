#include "platform/user_folders.hpp"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/kve_code.hpp"

namespace ShellServices {

QString GetSpecialFolder(int folderId)
{
    QString path;
    if (folderId == FolderDocuments)
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    else if (folderId == FolderProgramFiles)
        path = QStringLiteral("/usr/lib");
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace ShellServices

QString WorkFolderPath(const QString& documentsFolder)
{
    if (documentsFolder.isEmpty())
        return QString();
    return documentsFolder + QStringLiteral("/KVE Files");
}

QString DialogStartFolder(const QString& dataFileName, const QString& documentsFolder)
{
    if (!dataFileName.isEmpty())
        return KVECode::GetFolderPath(dataFileName);
    const QString work = WorkFolderPath(documentsFolder);
    return work.isEmpty() ? QDir::homePath() : work;
}

QString AutoSaveFolder(const QString& resultsFolder, const QString& dataFileName, const QString& documentsFolder)
{
    return resultsFolder.isEmpty() ? DialogStartFolder(dataFileName, documentsFolder) : resultsFolder;
}

QString EditorFileFolder(const QString& dataFileName, const QString& documentsFolder)
{
    const QString work = WorkFolderPath(documentsFolder);
    return work.isEmpty() ? DialogStartFolder(dataFileName, work) : work;
}

bool EnsureWorkFolder(const QString& documentsFolder, QString& warning)
{
    warning.clear();
    const QString work = WorkFolderPath(documentsFolder);
    if (work.isEmpty()) {
        warning = QStringLiteral("No documents folder was found; the work folder \"KVE Files\" "
                                 "was not created.");
        return false;
    }
    if (ShellServices::FolderExists(work))
        return true;
    if (!QDir().mkpath(work) || !ShellServices::FolderExists(work)) {
        warning = QStringLiteral("The work folder \"%1\" could not be created.").arg(work);
        return false;
    }
    return true;
}
