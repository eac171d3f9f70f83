#pragma once
// The production implementations of the platform layers, on Qt.

#include "platform/platform_services.hpp"

#include <QStringList>

class QPrinter;

#include <functional>
#include <optional>

// Modal message boxes. Where nobody can see a box (Qt's offscreen or
// minimal platform: a server, an unattended command-line run) the message
// goes to standard error and the box answers its default, as
// ConsoleMessageService does.
class QtMessageService : public MessageService {
public:
    MsgAnswer ask(const MessageRequest& request) override;
    // A box that is not modal and deletes itself once closed.
    void notify(const MessageRequest& request) override;
};

// Writes "title: text" to standard error and answers the default.
class ConsoleMessageService : public MessageService {
public:
    MsgAnswer ask(const MessageRequest& request) override;
};

// True when windows are not shown to anybody (offscreen or minimal platform).
bool nobodyCanSeeWindows();

// File dialogs; without a visible screen every dialog counts as cancelled.
class QtFileDialogService : public FileDialogService {
public:
    QString choose(const FileDialogRequest& request) override;
    QStringList chooseFiles(const FileDialogRequest& request) override;
    QString chooseWithFilter(const FileDialogRequest& request, int& filterIndex) override;
    // "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT" as Qt name filters.
    static QStringList nameFilters(const QString& classicFilter);
};

// Prints on the printer of a job's settings (the default printer when it
// names none) or into the PDF file the printer dialog chose, which needs no
// printer installed. A service made with `pdfPath` prints every job into
// that file, at `resolution` dots per inch when it is given (else the
// printer's high resolution).
class QtPrinterService : public PrinterService {
public:
    explicit QtPrinterService(const QString& pdfPath = QString(), int resolution = 0)
        : m_pdfPath(pdfPath), m_resolution(resolution)
    {
    }
    bool setup(const QString& title, PrintSettings& settings, QString& errorText) override;
    bool canPrint(const PrintSettings& settings, QString& errorText) override;
    bool print(const PrintJob& job, QString& errorText) override;
    // What the printer dialog chose, read from its printer.
    static PrintSettings chosenSettings(const QPrinter& printer);

private:
    QString m_pdfPath;
    int m_resolution;
};

// The rows a line of printed text takes on a page `width` wide, where
// `advance` gives the width of a text in the same units. A line that fits
// is one row as it stands. A longer one is broken after the last blank that
// fits (inside a word only when the word alone is wider than a row); the
// blanks at a break are dropped, and each further row is indented by the
// line's own indent and four blanks more (at most half the width), so that
// it reads as the continuation it is. No character but those blanks is lost.
QStringList printedRows(const QString& line, double width, const std::function<double(const QString&)>& advance);

class QtClipboardService : public ClipboardService {
public:
    QString text() override;
    void setText(const QString& text) override;
    QImage image() override;
    void setImage(const QImage& image) override;
    void clear() override;
};

// A program to start with its arguments; never run through a shell.
struct EditorCommand {
    QString program;
    QStringList arguments;
};

// What the choice of an editor depends on: the two variables and the
// programs installed.
struct EditorEnvironment {
    QString visual;                                         // $VISUAL
    QString editor;                                         // $EDITOR
    std::function<QString(const QString& name)> findExecutable; // full path, empty when missing
    // The process's own variables and PATH.
    static EditorEnvironment current();
};

// How a text file is opened for editing: $VISUAL when it names an installed
// program; else the desktop's default application for text files
// (xdg-open); else the terminal editor of $EDITOR inside a terminal emulator
// (x-terminal-emulator -e, else xterm -e), since a terminal editor started
// without a terminal shows nothing. The variables are split into program
// and arguments; the path is always one argument of its own. Nothing when
// none of these exists.
std::optional<EditorCommand> chooseEditor(const QString& path, const EditorEnvironment& environment);

// Opens text files with chooseEditor's program and other files with the
// desktop's opener, xdg-open. The program runs on its own (it outlives KVE)
// with its input and output on the null device, so that its complaints do
// not flood KVE's error output; when it cannot be started or ends with a
// failure, the caller is told why. Without a display nothing can be shown,
// and it says so.
class DesktopLauncherService : public LauncherService {
public:
    void editFile(const QString& path, const Failure& failed) override;
    void openDocument(const QString& path, const Failure& failed) override;
    // Starts the program and watches how it ends.
    static void start(const EditorCommand& command, const Failure& failed);
    // Why a program that ended so failed; empty when it did not fail.
    // xdg-open's documented exit statuses are told in words.
    static QString failureOf(const QString& program, bool crashed, int exitCode);
};

class SystemClockService : public ClockService {
public:
    QTime currentTime() override { return QTime::currentTime(); }
};

// The colour dialog; without a visible screen it counts as cancelled.
class QtColorDialogService : public ColorDialogService {
public:
    std::optional<QColor> choose(const QColor& colour) override;
};

// The font dialog (every font the system has); without a visible screen it
// counts as cancelled.
class QtFontDialogService : public FontDialogService {
public:
    std::optional<FontChoice> choose(const FontChoice& font) override;
};

// The input box; without a visible screen it counts as cancelled.
class QtInputBoxService : public InputBoxService {
public:
    std::optional<QString> ask(const InputBoxRequest& request) override;
};
