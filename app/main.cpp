// KVE: wiring only.
#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QWidget>

#include "SumtrixLib/Runtime.hpp"
#include "core/command_line.hpp"
#include "core/program_info.hpp"
#include "platform/file_size_signal.hpp"
#include "platform/freed_memory.hpp"
#include "platform/message_sinks.hpp"
#include "platform/qt_platform_services.hpp"
#include "platform/runtime_folder.hpp"
#include "platform/single_instance.hpp"
#include "ui/frm_main.hpp"

namespace {
QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform warns about every window operation it cannot do
// (raise, size hints); a command-line run on a server keeps stderr for its
// own messages and reasons.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_qtMessages)
        g_qtMessages(type, context, message);
}
// When KVE_WINDOW_LIST names a file, the program writes there, as it ends
// after a command line, one line per window it shows: object name, caption
// and accessible name, separated by tabs. Scripts and tests see so which
// windows a command line opened, also where nobody sees the screen.
void listWindows()
{
    const QString path = qEnvironmentVariable("KVE_WINDOW_LIST");
    if (path.isEmpty())
        return;
    QString text;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            text += window->objectName() + QLatin1Char('\t') + window->windowTitle() + QLatin1Char('\t')
                    + window->accessibleName() + QLatin1Char('\n');
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // A write beyond the file-size limit fails as a save that says why,
    // instead of ending the program.
    keepRunningPastFileSizeLimit();
    // A private runtime folder where the session gives none (before Qt
    // looks for it).
    EnsureRuntimeFolder();
    // Without a display, run on Qt's offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(ProgramName());
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        g_qtMessages = qInstallMessageHandler(quietOffscreen);
    returnFreedMemoryAfterWindows(app);

    // The library's messages become the program's message boxes (and so go
    // to stderr while a command line runs).
    PlatformMessageSink librarySink;
    SumtrixLib::setMessageSink(&librarySink);

    // One command line from the arguments, as the user typed it.
    const QString commandLine = KVECode::BuildCommandLine(
        KVECode::AbsoluteSwitchPaths(QApplication::arguments().mid(1), QDir::currentPath()));

    // A start that nobody sees (offscreen) never waits for its window: it
    // runs its command line and ends, or says how to run a job.
    const bool unseen = nobodyCanSeeWindows();
    if (unseen && KVECode::UnseenStartOf(commandLine) == KVECode::UnseenStart::NothingToRun) {
        writeErrorLine(KVECode::NoDisplayLine());
        return 1;
    }

    // The hand-over is between starts on one desktop; a start that nobody
    // sees neither hands over nor takes a hand-over: it runs its own
    // command line.
    SingleInstance instance;
    SingleInstance* handOver = unseen ? nullptr : &instance;
    frmMain window;
    int status = 0;
    if (!window.Form_Load(commandLine, handOver, status))
        return status;
    if (window.lastBatchOutcome().quit || unseen) {
        listWindows();
        window.close();
        const frmMain::BatchOutcome& outcome = window.lastBatchOutcome();
        if (!outcome.quit && outcome.status == 0)
            writeErrorLine(KVECode::EndedWithoutDisplayLine());
        return outcome.status;
    }

    // A handed-over command line with /X ends the program once every queued
    // one has been carried out.
    int quitStatus = 0;
    QObject::connect(&instance, &SingleInstance::quitRequested, &window, [&](int s) {
        quitStatus = s;
        listWindows();
        window.close();
        QApplication::quit();
    });
    if (!window.isVisible())
        window.show();
    const int rc = QApplication::exec();
    return rc != 0 ? rc : quitStatus;
}
