#pragma once
// Scripted implementations of the platform layers, for tests: message boxes
// answer from a queue (or their default answer) and are recorded, file,
// colour and font dialogs and the input box answer from a queue (an empty
// answer is a cancel), the printer
// writes PDF files, the clipboard lives in memory, the launcher records the
// files it was asked to open (and fails when told to) and the clock
// is set by hand.
//
// ScriptedPlatform installs all of them for its lifetime.

#include "platform/platform_services.hpp"

#include <QStringList>

#include <deque>
#include <vector>

class ScriptedMessageService : public MessageService {
public:
    MsgAnswer ask(const MessageRequest& request) override;
    std::deque<MsgAnswer> answers;       // consumed in order; default answer when empty
    std::vector<MessageRequest> asked;
};

class ScriptedFileDialogService : public FileDialogService {
public:
    QString choose(const FileDialogRequest& request) override;
    // Several files: the next list of fileLists, else one answer of answers.
    QStringList chooseFiles(const FileDialogRequest& request) override;
    // The next answer, with the next of filterAnswers as the filter chosen
    // (the one preselected when that queue is empty).
    QString chooseWithFilter(const FileDialogRequest& request, int& filterIndex) override;
    std::deque<QString> answers;         // consumed in order; cancel when empty
    std::deque<int> filterAnswers;
    std::deque<QStringList> fileLists;
    std::vector<FileDialogRequest> asked;
};

class ScriptedPrinterService : public PrinterService {
public:
    explicit ScriptedPrinterService(const QString& pdfFolder) : m_pdfFolder(pdfFolder) {}
    bool setup(const QString& title, PrintSettings& settings, QString& errorText) override;
    bool canPrint(const PrintSettings& settings, QString& errorText) override;
    bool print(const PrintJob& job, QString& errorText) override;

    bool cancelSetup = false;            // the printer dialog is cancelled
    bool noPrinter = false;              // no printer: only PDF files can be printed
    PrintSettings setupAnswer;           // what the printer dialog chooses
    int resolution = 0;                  // dots per inch of the PDFs (0: the printer's high resolution)
    int checks = 0;                      // how often canPrint was asked
    std::vector<QString> setupTitles;
    std::vector<PrintJob> jobs;          // every job that printed
    QStringList pdfFiles;                // one PDF per printed job (its file when it names one)

private:
    QString m_pdfFolder;
};

class ScriptedClipboardService : public ClipboardService {
public:
    QString text() override { return content; }
    void setText(const QString& text) override { content = text; picture = QImage(); ++writes; }
    QImage image() override { return picture; }
    void setImage(const QImage& image) override { picture = image; content.clear(); ++writes; }
    void clear() override { content.clear(); picture = QImage(); ++clears; }
    QString content;
    QImage picture;
    int writes = 0;
    int clears = 0;
};

class ScriptedColorDialogService : public ColorDialogService {
public:
    std::optional<QColor> choose(const QColor& colour) override;
    std::deque<std::optional<QColor>> answers;   // consumed in order; cancel when empty
    std::vector<QColor> asked;                   // the colour each dialog opened at
};

class ScriptedFontDialogService : public FontDialogService {
public:
    std::optional<FontChoice> choose(const FontChoice& font) override;
    std::deque<std::optional<FontChoice>> answers;   // consumed in order; cancel when empty
    std::vector<FontChoice> asked;                   // the font each dialog opened at
};

class ScriptedInputBoxService : public InputBoxService {
public:
    std::optional<QString> ask(const InputBoxRequest& request) override;
    std::deque<std::optional<QString>> answers;      // consumed in order; cancel when empty
    std::vector<InputBoxRequest> asked;
};

class ScriptedLauncherService : public LauncherService {
public:
    void editFile(const QString& path, const Failure& failed) override { hand(opened, path, failed); }
    void openDocument(const QString& path, const Failure& failed) override { hand(documents, path, failed); }
    QStringList opened;                  // files handed to the editor
    QStringList documents;               // files handed to the desktop's opener
    // When set, the editor or opener fails with this reason (the file is
    // recorded all the same).
    QString failure;

private:
    void hand(QStringList& files, const QString& path, const Failure& failed)
    {
        files << path;
        if (!failure.isEmpty())
            failed(failure);
    }
};

class ScriptedClockService : public ClockService {
public:
    QTime currentTime() override { return now; }
    QTime now = QTime(12, 0, 0);
};

class ScriptedPlatform {
public:
    explicit ScriptedPlatform(const QString& pdfFolder);
    ~ScriptedPlatform();
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    ScriptedMessageService messages;
    ScriptedFileDialogService fileDialogs;
    ScriptedPrinterService printer;
    ScriptedClipboardService clipboard;
    ScriptedColorDialogService colorDialog;
    ScriptedFontDialogService fontDialog;
    ScriptedInputBoxService inputBox;
    ScriptedLauncherService launcher;
    ScriptedClockService clock;
};
