#include "ui/frm_mapi.hpp"

#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>

namespace {
QPointer<frmMAPI>& loaded()
{
    static QPointer<frmMAPI> window;
    return window;
}
} // namespace

frmMAPI* frmMAPI::instance()
{
    if (!loaded())
        loaded() = new frmMAPI();
    return loaded();
}

bool frmMAPI::isLoaded()
{
    return !loaded().isNull();
}

frmMAPI::frmMAPI(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMAPI"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("eMail"));
    txtAttach = new QLineEdit(this);
    txtAttach->setObjectName(QStringLiteral("txtAttach"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Attachments:"), txtAttach);
    resize(560, 200);
}
