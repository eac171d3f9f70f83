// KVE: wiring only.
#include <QApplication>

#include "ui/frm_main.hpp"
#include "ui/frm_rnd.hpp"

int main(int argc, char* argv[])
{
    // Without a display, run on Qt's offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVE"));
    installRandomGenerator();
    frmMain window;
    window.show();
    return QApplication::exec();
}
