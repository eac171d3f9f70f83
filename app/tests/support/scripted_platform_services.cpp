#include "support/scripted_platform_services.hpp"

#include "platform/qt_platform_services.hpp"

#include <QDir>

MsgAnswer ScriptedMessageService::ask(const MessageRequest& request)
{
    asked.push_back(request);
    if (answers.empty())
        return request.defaultAnswer;
    const MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedFileDialogService::choose(const FileDialogRequest& request)
{
    asked.push_back(request);
    if (answers.empty())
        return QString();
    const QString answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedFileDialogService::chooseWithFilter(const FileDialogRequest& request, int& filterIndex)
{
    filterIndex = request.filterIndex;
    if (!filterAnswers.empty()) {
        filterIndex = filterAnswers.front();
        filterAnswers.pop_front();
    }
    return choose(request);
}

QStringList ScriptedFileDialogService::chooseFiles(const FileDialogRequest& request)
{
    if (fileLists.empty())
        return FileDialogService::chooseFiles(request);
    asked.push_back(request);
    const QStringList answer = fileLists.front();
    fileLists.pop_front();
    return answer;
}

bool ScriptedPrinterService::setup(const QString& title, PrintSettings& settings, QString& errorText)
{
    setupTitles.push_back(title);
    if (cancelSetup) {
        errorText = QStringLiteral("Cancel was selected.");
        return false;
    }
    settings = setupAnswer;
    return true;
}

bool ScriptedPrinterService::canPrint(const PrintSettings& settings, QString& errorText)
{
    ++checks;
    // As on a machine without printers: a print on paper fails, a print
    // into a PDF file chosen in the printer dialog works.
    if (noPrinter && settings.outputFile.isEmpty()) {
        errorText = QStringLiteral("No printer is installed.");
        return false;
    }
    return true;
}

bool ScriptedPrinterService::print(const PrintJob& job, QString& errorText)
{
    if (!canPrint(job.settings, errorText))
        return false;
    // Into the file the printer dialog chose, as the real printer does;
    // prints on paper into numbered files of the folder.
    const QString path = !job.settings.outputFile.isEmpty()
                             ? job.settings.outputFile
                             : QDir(m_pdfFolder).filePath(
                                   QStringLiteral("print%1.pdf").arg(pdfFiles.size(), 3, 10, QLatin1Char('0')));
    QtPrinterService pdf(path, resolution);
    if (!pdf.print(job, errorText))
        return false;
    jobs.push_back(job);
    pdfFiles << path;
    return true;
}

ScriptedPlatform::ScriptedPlatform(const QString& pdfFolder)
    : printer(pdfFolder)
{
    Platform::setMessages(&messages);
    Platform::setFileDialogs(&fileDialogs);
    Platform::setPrinter(&printer);
    Platform::setClipboard(&clipboard);
    Platform::setColorDialog(&colorDialog);
    Platform::setFontDialog(&fontDialog);
    Platform::setInputBox(&inputBox);
    Platform::setLauncher(&launcher);
    Platform::setClock(&clock);
}

ScriptedPlatform::~ScriptedPlatform()
{
    Platform::setMessages(nullptr);
    Platform::setFileDialogs(nullptr);
    Platform::setPrinter(nullptr);
    Platform::setClipboard(nullptr);
    Platform::setColorDialog(nullptr);
    Platform::setFontDialog(nullptr);
    Platform::setInputBox(nullptr);
    Platform::setLauncher(nullptr);
    Platform::setClock(nullptr);
}

std::optional<QColor> ScriptedColorDialogService::choose(const QColor& colour)
{
    asked.push_back(colour);
    if (answers.empty())
        return std::nullopt;
    const std::optional<QColor> answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace {

// The next answer of a queue; nothing (a cancel) when it is empty.
template <class T>
std::optional<T> nextAnswer(std::deque<std::optional<T>>& answers)
{
    if (answers.empty())
        return std::nullopt;
    const bool cancelled = !answers.front();
    T answer = cancelled ? T() : std::move(*answers.front());
    answers.pop_front();
    if (cancelled)
        return std::nullopt;
    return answer;
}

} // namespace

std::optional<FontChoice> ScriptedFontDialogService::choose(const FontChoice& font)
{
    asked.push_back(font);
    return nextAnswer(answers);
}

std::optional<QString> ScriptedInputBoxService::ask(const InputBoxRequest& request)
{
    asked.push_back(request);
    return nextAnswer(answers);
}
