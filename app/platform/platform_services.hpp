#pragma once
// The program's small layers over the outside world: message boxes, file,
// printer, colour and font dialogs, the input box, the printer, the clipboard, the editor and document
// launcher and the clock. Windows call them through Platform::...(); the
// production implementations use Qt, tests install scripted ones so that no
// test ever waits on a modal box or touches the user's clipboard.

#include <QColor>
#include <QImage>
#include <QPicture>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>

// ---- message boxes --------------------------------------------------------

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;                       // empty: the program's title
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
    // The text is a program's console output, of any length: shown in a
    // text area that scrolls, in a fixed-pitch font (ConsoleTextBox).
    bool consoleText = false;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer ask(const MessageRequest& request) = 0;
    // A box with only OK that tells something and waits for nobody: the
    // program goes on while it is up. Where no such box can be shown, it is
    // asked like any other.
    virtual void notify(const MessageRequest& request) { ask(request); }
};

// ---- file dialogs ---------------------------------------------------------

struct FileDialogRequest {
    bool save = false;                   // save dialog, else open dialog
    QString title;
    // Filter pairs in the classic form "Description|pattern|Description|pattern".
    QString filter;
    int filterIndex = 1;                 // 1-based entry preselected
    QString initialFolder;
    QString fileName;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen path, or the empty text when the user cancelled.
    virtual QString choose(const FileDialogRequest& request) = 0;
    // An open dialog in which several existing files can be chosen: their
    // full paths, none when the user cancelled. By default one file.
    virtual QStringList chooseFiles(const FileDialogRequest& request);
    // As choose, and `filterIndex` tells the filter (1-based) the user had
    // chosen; by default the one preselected.
    virtual QString chooseWithFilter(const FileDialogRequest& request, int& filterIndex);
};

// ---- printer --------------------------------------------------------------

struct PrintSettings {
    int copies = 1;
    bool landscape = false;
    // Chosen in the printer dialog: a PDF file to print into ("Print to
    // File"), else the printer by its name; both empty for the default printer.
    QString outputFile;
    QString printerName;
};

struct PrintJob {
    // A drawing printed first, at the page's top left, `pictureSize` points
    // (1/72 inch) large (scaled down to the page when larger); the text then
    // starts below it after one empty line.
    QPicture picture;
    QSizeF pictureSize;
    QString text;                        // printed as one block, line breaks kept
    QString fontFamily = QStringLiteral("Courier New");
    double pointSize = 8.0;
    PrintSettings settings;
};

class PrinterService {
public:
    virtual ~PrinterService() = default;
    // The printer dialog. False when cancelled or failed; errorText says why.
    // A file to print into that exists has been confirmed in the dialog,
    // which asks before it takes one.
    virtual bool setup(const QString& title, PrintSettings& settings, QString& errorText) = 0;
    // Whether a job of these settings can print at all, asked before the
    // job is built; false, with the reason, when not (no printer for a
    // print on paper).
    virtual bool canPrint(const PrintSettings& settings, QString& errorText) = 0;
    // Prints on the printer or into the PDF file of the job's settings.
    // False, with the reason, when nothing could be printed (no printer for
    // a print on paper, a failed job).
    virtual bool print(const PrintJob& job, QString& errorText) = 0;
};

// ---- clipboard ------------------------------------------------------------

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual QString text() = 0;          // plain text, empty when it holds none
    virtual void setText(const QString& text) = 0;
    virtual QImage image() = 0;          // a picture, null when it holds none
    virtual void setImage(const QImage& image) = 0;
    virtual void clear() = 0;
};

// ---- colour dialog --------------------------------------------------------

class ColorDialogService {
public:
    virtual ~ColorDialogService() = default;
    // The colour dialog, opened at `colour`. The chosen colour, or nothing
    // when the user cancelled.
    virtual std::optional<QColor> choose(const QColor& colour) = 0;
};

// ---- font dialog ----------------------------------------------------------

struct FontChoice {
    QString name;
    double size = 10.0;                  // points
    bool bold = false;
    bool italic = false;
    bool operator==(const FontChoice&) const = default;
};

class FontDialogService {
public:
    virtual ~FontDialogService() = default;
    // The font dialog, opened at `font`. The chosen font, or nothing when
    // the user cancelled.
    virtual std::optional<FontChoice> choose(const FontChoice& font) = 0;
};

// ---- input box ------------------------------------------------------------

struct InputBoxRequest {
    QString prompt;
    QString title;
    QString defaultText;                 // the answer the box starts with
};

class InputBoxService {
public:
    virtual ~InputBoxService() = default;
    // A one-line text box with a prompt. The text entered (possibly empty)
    // when confirmed, nothing when the user cancelled.
    virtual std::optional<QString> ask(const InputBoxRequest& request) = 0;
};

// ---- launcher -------------------------------------------------------------

class LauncherService {
public:
    virtual ~LauncherService() = default;
    // Told, with the reason, when the program a file was handed to could
    // not be started or ended with a failure; that may be after the call
    // returned, since the program runs on its own.
    using Failure = std::function<void(const QString& reason)>;
    // Opens a text file in the user's editor, without waiting for it.
    virtual void editFile(const QString& path, const Failure& failed) = 0;
    // Opens a file with the program the desktop opens its type with, without
    // waiting for it.
    virtual void openDocument(const QString& path, const Failure& failed) = 0;
};

// ---- clock ----------------------------------------------------------------

class ClockService {
public:
    virtual ~ClockService() = default;
    virtual QTime currentTime() = 0;
};

namespace Platform {

MessageService& messages();
FileDialogService& fileDialogs();
PrinterService& printer();
ClipboardService& clipboard();
ColorDialogService& colorDialog();
FontDialogService& fontDialog();
InputBoxService& inputBox();
LauncherService& launcher();
ClockService& clock();

// Install another implementation (the caller keeps ownership); nullptr
// puts the production one back.
void setMessages(MessageService* service);
void setFileDialogs(FileDialogService* service);
void setPrinter(PrinterService* service);
void setClipboard(ClipboardService* service);
void setColorDialog(ColorDialogService* service);
void setFontDialog(FontDialogService* service);
void setInputBox(InputBoxService* service);
void setLauncher(LauncherService* service);
void setClock(ClockService* service);

// The title of message boxes that name none.
QString applicationTitle();

// Shorthand for a message box. A question left at the default answer Ok
// has its first button (Yes) as the default.
MsgAnswer message(const QString& text, MsgButtons buttons = MsgButtons::Ok,
                  MsgIcon icon = MsgIcon::None, const QString& title = QString(),
                  MsgAnswer defaultAnswer = MsgAnswer::Ok);
// Shorthand for a box that tells and does not wait (MessageService::notify).
void notice(const QString& text, MsgIcon icon = MsgIcon::None, const QString& title = QString());

// The question before a file that exists is replaced: "The file '<path>'
// already exists!" and "Do you want to overwrite it?" with Yes and No, No
// preselected. True when the user answers Yes.
bool askToOverwrite(const QString& path, const QString& title = QString());

// A save dialog's answer with an ending: a name that ends in none of the
// endings the filter names ("*.KVE" names KVE, in either case) gets the
// ending of filter `filterIndex` (from 1; the first of its patterns), so
// that "my trial" saved under "KVE Files (*.KVE)" becomes "my trial.KVE"
// and the open dialogs' filters show it. A filter without an ending
// ("*.*"), a name that has one and a cancel (empty) stay as they are.
QString withFilterEnding(const QString& path, const QString& filter, int filterIndex);
// The save dialog of `request`: the chosen path with withFilterEnding's
// ending for the filter the user chose, or empty when cancelled.
QString chooseSaveFile(const FileDialogRequest& request);
// A program's console text in a box with an OK button (consoleText).
void consoleMessage(const QString& text, MsgIcon icon, const QString& title);

// Open a text file in the user's editor, or any file with the desktop's
// opener. When the program cannot be started or ends with a failure, a box
// names the file and says it could not be opened, and why.
void openInEditor(const QString& path);
void openDocument(const QString& path);

} // namespace Platform
