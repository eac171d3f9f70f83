#include "ui/frm_compare.hpp"

#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "ui/frm_compare_r.hpp"

namespace {
QPointer<frmCompare>& loaded()
{
    static QPointer<frmCompare> window;
    return window;
}
} // namespace

std::function<void(frmCompare&, const QString&)>& frmCompare::openComparisonFile()
{
    static std::function<void(frmCompare&, const QString&)> hook;
    return hook;
}

frmCompare* frmCompare::instance()
{
    if (!loaded()) {
        loaded() = new frmCompare();
        loaded()->Form_Load();
    }
    return loaded();
}

bool frmCompare::isLoaded()
{
    return !loaded().isNull();
}

frmCompare::frmCompare(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ComparisonWindowCaption());
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    Frame2 = new CompareRFrame(List1, this);
    layout->addWidget(Frame2);
    resize(640, 400);
}

void frmCompare::Form_Load()
{
    ProgramState& state = programState();
    if (!state.CompareFileName.isEmpty() && state.BatchMode) {
        if (openComparisonFile())
            openComparisonFile()(*this, state.CompareFileName);
    } else {
        state.CompareFileName.clear();
    }
}

void frmCompare::Command28_Click()
{
    Frame2->Command28_Click();
}
