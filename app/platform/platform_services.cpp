#include "platform/platform_services.hpp"

#include "core/program_info.hpp"
#include "platform/qt_platform_services.hpp"

namespace {

template <class Interface, class Production>
struct Slot {
    Interface* installed = nullptr;
    Interface& get()
    {
        if (installed)
            return *installed;
        static Production production;
        return production;
    }
};

Slot<MessageService, QtMessageService> g_messages;
Slot<FileDialogService, QtFileDialogService> g_fileDialogs;
Slot<PrinterService, QtPrinterService> g_printer;
Slot<ClipboardService, QtClipboardService> g_clipboard;
Slot<ColorDialogService, QtColorDialogService> g_colorDialog;
Slot<FontDialogService, QtFontDialogService> g_fontDialog;
Slot<InputBoxService, QtInputBoxService> g_inputBox;
Slot<LauncherService, DesktopLauncherService> g_launcher;
Slot<ClockService, SystemClockService> g_clock;

} // namespace

QStringList FileDialogService::chooseFiles(const FileDialogRequest& request)
{
    const QString path = choose(request);
    return path.isEmpty() ? QStringList() : QStringList{path};
}

QString FileDialogService::chooseWithFilter(const FileDialogRequest& request, int& filterIndex)
{
    filterIndex = request.filterIndex;
    return choose(request);
}

namespace Platform {

MessageService& messages() { return g_messages.get(); }
FileDialogService& fileDialogs() { return g_fileDialogs.get(); }
PrinterService& printer() { return g_printer.get(); }
ClipboardService& clipboard() { return g_clipboard.get(); }
ColorDialogService& colorDialog() { return g_colorDialog.get(); }
FontDialogService& fontDialog() { return g_fontDialog.get(); }
InputBoxService& inputBox() { return g_inputBox.get(); }
LauncherService& launcher() { return g_launcher.get(); }
ClockService& clock() { return g_clock.get(); }

void setMessages(MessageService* service) { g_messages.installed = service; }
void setFileDialogs(FileDialogService* service) { g_fileDialogs.installed = service; }
void setPrinter(PrinterService* service) { g_printer.installed = service; }
void setClipboard(ClipboardService* service) { g_clipboard.installed = service; }
void setColorDialog(ColorDialogService* service) { g_colorDialog.installed = service; }
void setFontDialog(FontDialogService* service) { g_fontDialog.installed = service; }
void setInputBox(InputBoxService* service) { g_inputBox.installed = service; }
void setLauncher(LauncherService* service) { g_launcher.installed = service; }
void setClock(ClockService* service) { g_clock.installed = service; }

bool askToOverwrite(const QString& path, const QString& title)
{
    return message(QStringLiteral("The file '") + path + QStringLiteral("' already exists!\r\nDo you want to overwrite it?"),
                   MsgButtons::YesNo, MsgIcon::Question, title, MsgAnswer::No)
           == MsgAnswer::Yes;
}

QString withFilterEnding(const QString& path, const QString& filter, int filterIndex)
{
    // The filter is "Description|patterns|Description|patterns"; a pattern
    // "*.X" without wildcards in X names the ending X.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList known;
    QString chosen;
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        for (const QString& pattern : parts[i].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            const QString ending = p.mid(2);
            if (!p.startsWith(QLatin1String("*.")) || ending.isEmpty() || ending.contains(QLatin1Char('*'))
                || ending.contains(QLatin1Char('?')))
                continue;
            known << ending;
            if (i / 2 + 1 == filterIndex && chosen.isEmpty())
                chosen = ending;
        }
    }
    if (path.isEmpty() || chosen.isEmpty())
        return path;
    for (const QString& ending : std::as_const(known))
        if (path.endsWith(QLatin1Char('.') + ending, Qt::CaseInsensitive))
            return path;
    return path + (path.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + chosen;
}

QString chooseSaveFile(const FileDialogRequest& request)
{
    int chosen = request.filterIndex;
    const QString path = fileDialogs().chooseWithFilter(request, chosen);
    return withFilterEnding(path, request.filter, chosen);
}

QString applicationTitle()
{
    return ProgramName();
}

MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                  MsgAnswer defaultAnswer)
{
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    // A question without a named default has its first button as default.
    request.defaultAnswer = defaultAnswer == MsgAnswer::Ok
                                    && (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel)
                                ? MsgAnswer::Yes
                                : defaultAnswer;
    return messages().ask(request);
}

void notice(const QString& text, MsgIcon icon, const QString& title)
{
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    messages().notify(request);
}

void consoleMessage(const QString& text, MsgIcon icon, const QString& title)
{
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.consoleText = true;
    messages().ask(request);
}

namespace {

LauncherService::Failure sayNotOpened(const QString& path)
{
    return [path](const QString& reason) {
        message(QStringLiteral("The file '%1' could not be opened: %2").arg(path, reason), MsgButtons::Ok,
                MsgIcon::Exclamation);
    };
}

} // namespace

void openInEditor(const QString& path)
{
    launcher().editFile(path, sayNotOpened(path));
}

void openDocument(const QString& path)
{
    launcher().openDocument(path, sayNotOpened(path));
}

} // namespace Platform
