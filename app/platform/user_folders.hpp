#pragma once
// The user's folders: documents, program files and the work folder
// "KVE Files" under the documents folder.

#include <QString>

namespace ShellServices {

// Folder identifiers of GetSpecialFolder.
inline constexpr int FolderDocuments = 5;
inline constexpr int FolderProgramFiles = 38;

// The folder for an identifier, without trailing separator: documents from
// the desktop's documents location, program files /usr/lib (where R and
// other programs install on Debian). Empty for other identifiers or when
// the desktop names no documents folder.
QString GetSpecialFolder(int folderId);
bool FolderExists(const QString& path);

} // namespace ShellServices

// The work folder under `documentsFolder`; empty when that is empty (an
// empty folder means "no folder", never the root).
QString WorkFolderPath(const QString& documentsFolder);

// Where the save and open dialogs of reports and notes start: the folder of
// the current dataset file, else the work folder, else the home folder
// (never the program's own folder, which is not writable once installed).
QString DialogStartFolder(const QString& dataFileName, const QString& documentsFolder);

// Where reports and notes are saved under automatic names: the folder the
// command line named (/L), else the dataset's folder, else the work folder,
// else the home folder (never the program's own folder).
QString AutoSaveFolder(const QString& resultsFolder, const QString& dataFileName, const QString& documentsFolder);

// Where a text handed to the editor ("Results####.TXT", "Notes####.TXT")
// is written: the work folder, else the dataset's folder, else the home
// folder.
QString EditorFileFolder(const QString& dataFileName, const QString& documentsFolder);

// Creates the work folder when missing. Returns false, with a one-line
// warning, when there is no documents folder or the work folder cannot be
// created; start-up goes on either way.
bool EnsureWorkFolder(const QString& documentsFolder, QString& warning);
