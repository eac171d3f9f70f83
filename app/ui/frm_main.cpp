#include "ui/frm_main.hpp"

#include <QLabel>

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("KVE"));
    auto* label = new QLabel(QStringLiteral("KVE"), this);
    setCentralWidget(label);
    resize(800, 600);
}
