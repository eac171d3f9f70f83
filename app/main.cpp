// KVE: wiring only.
#include <QApplication>

#include "SumtrixLib/Runtime.hpp"
#include "core/command_line.hpp"
#include "platform/message_sinks.hpp"
#include "platform/single_instance.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_main.hpp"

int main(int argc, char* argv[])
{
    // Without a display, run on Qt's offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVE"));

    // The library's messages become the program's message boxes (and so go
    // to stderr while a command line runs).
    PlatformMessageSink librarySink;
    SumtrixLib::setMessageSink(&librarySink);

    mainWindowHooks().showAbout = [](frmMain& window) {
        frmAbout about(&window);
        about.exec();
    };

    // One command line from the arguments, as the user typed it.
    const QString commandLine = KVECode::BuildCommandLine(QApplication::arguments().mid(1));

    SingleInstance instance;
    frmMain window;
    int status = 0;
    if (!window.Form_Load(commandLine, &instance, status))
        return status;
    if (window.lastBatchOutcome().quit) {
        window.close();
        return window.lastBatchOutcome().status;
    }

    // A handed-over command line with /X ends the program once every queued
    // one has been carried out.
    int quitStatus = 0;
    QObject::connect(&instance, &SingleInstance::quitRequested, &window, [&](int s) {
        quitStatus = s;
        window.close();
        QApplication::quit();
    });
    if (!window.isVisible())
        window.show();
    const int rc = QApplication::exec();
    return rc != 0 ? rc : quitStatus;
}
