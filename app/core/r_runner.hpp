#pragma once
// A run of an R script template on the program's data, in its two variants
// (single: the main window's dataset; group: the ticked comparison models),
// and the finding of R's programs.
//
// The run writes the data file, places the R script beside it, starts
// Rscript with the script and the picture type as its arguments (never
// through a shell) in the data file's folder, shows R's console text and
// brings R's text and picture outputs into windows. Everything it needs of
// the windows and of the user goes through RHost, so that the whole run
// works without widgets.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

#include "core/r_exchange.hpp"

class DataMatrix;

// What a run and the R folder commands ask of the window around them.
class RHost {
public:
    virtual ~RHost() = default;

    enum class Icon { None, Critical, Question, Information };
    // A message box with an OK button; an empty title is the program's.
    virtual void message(const QString& text, Icon icon, const QString& title = QString()) = 0;
    // A program's console text, of any length, in a box with an OK button
    // whose text scrolls. By default a message box.
    virtual void showConsole(const QString& text, const QString& title) { message(text, Icon::Information, title); }
    // A question with Yes and No; true for Yes.
    virtual bool question(const QString& text, const QString& title, bool defaultYes) = 0;
    // An open-file dialog; the chosen path, empty when cancelled.
    virtual QString chooseFile(const QString& title, const QString& initialFolder, const QString& filter,
                               int filterIndex) = 0;

    struct ProcessResult {
        bool started = false;
        bool cancelled = false;              // the user stopped it
        bool abandoned = false;              // KVE stopped it: the program is closing
        bool crashed = false;                // it ended without an exit code
        int exitCode = 0;
        QString output;                      // standard output and error, when captured and not
                                             // stopped (a long output: its first and last lines)
        QString error;                       // why it did not start
    };
    // Runs the program with its arguments in the folder and waits for it
    // (the user may cancel; nothing else stops it but KVE closing). With
    // `capture` the output is collected, else it is dropped.
    virtual ProcessResult runProgram(const QString& program, const QStringList& arguments, const QString& folder,
                                     bool capture) = 0;

    // A new results window.
    virtual void showText(const QString& caption, const QString& text) = 0;
    // A new picture window; false when the file cannot be read as a picture.
    virtual bool showPicture(const QString& path, const QString& caption) = 0;
    // Hands a file to the program the desktop opens its type with.
    virtual void openDocument(const QString& path) = 0;

    virtual void setBusy(bool busy) = 0;
    // The template and output lists of the window (after a run).
    virtual void refreshLists() = 0;
    // Moves the focus to the template list.
    virtual void focusTemplates() = 0;

    virtual QDateTime now() { return QDateTime::currentDateTime(); }
};

namespace RProgram {

// The programs: R's batch interpreter and its console.
inline const QString Rscript = QStringLiteral("Rscript");
inline const QString Console = QStringLiteral("R");

// Where an installed program is looked for when the stored folder does not
// hold it: the PATH, then R's own folders. Tests replace it.
std::function<QString(const QString& program)>& search();
QString defaultSearch(const QString& program);

// The stored R folder of a variant (single "RDir"; group "RDirQCX", else
// "RDir") and its storing (single "RDir", group "RDirQCX").
QString storedFolder(RVariant variant);
void storeFolder(RVariant variant, const QString& folder);

// The R folder in use: the stored one; where none is stored, the folder of
// the Rscript that the search finds (stored once a command uses it). Empty
// when neither.
QString folderInUse(RVariant variant);

// True when the folder (ending in "/") holds the program, runnable.
bool holds(const QString& folder, const QString& program);
// True when the folder holds both Rscript and R: the R page shows it.
bool isRFolder(const QString& folder);

// The folder of the program: the stored one when it holds it, else the one
// the search finds (stored), else asks the user to locate it until a
// right folder is chosen (stored) or the user gives up ("Execution
// aborted"). Empty when given up.
QString locate(RVariant variant, const QString& program, const QString& programFilesFolder, RHost& host);

// The "R path" command: the user points at R's folder with a file dialog;
// a cancelled dialog keeps the folder in use. The stored folder, and the
// label text: the folder, or "R path not defined".
QString choosePath(RVariant variant, const QString& programFilesFolder, RHost& host);

} // namespace RProgram

// Everything a run takes from its window.
struct RRunRequest {
    RVariant variant = RVariant::Single;
    QString templateName;                  // RFile's text
    int pictureChoice = 0;                 // 0 BMP, 1 JPEG, 2 PNG
    bool overwriteScript = true;           // Check52
    bool showLog = true;                   // Check53
    bool openGraphics = true;              // Check54
    bool openText = true;                  // Check55
    QString namedFile;                     // DataFileName or CompareFileName
    QString documentsFolder;
    QString programFolder;                 // where the shipped templates lie
    QString programFilesFolder;
    // Single variant: the data sheet.
    const DataMatrix* matrix = nullptr;
    int sheetRows = 0;
    int sheetCols = 8;
    // Group variant: the ticked model files, in list order.
    QStringList modelFiles;
};

struct RRunResult {
    enum class Outcome {
        Ended,                             // stopped by a message before R ran
        Completed,                         // R ran and its outputs were imported
        Failed,                            // the failure box was shown
    };
    Outcome outcome = Outcome::Ended;
    QString dataFile;
    QString scriptFile;
    QString tag;
    QString codePath;                      // the template copied, or the script kept
};

// "BMP", "JPG" or "PNG".
QString pictureType(int choice);

// Said once before PNG pictures are handed to the desktop's picture viewer.
QString pngViewerMessage();

// One run of the R script button.
RRunResult runRScript(const RRunRequest& request, RHost& host);
