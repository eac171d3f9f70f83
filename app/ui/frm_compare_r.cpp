#include "ui/frm_compare_r.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/program_state.hpp"
#include "ui/r_page.hpp"
#include "ui/picture_button.hpp"

namespace {

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption, bool ticked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(ticked);
    return box;
}

} // namespace

CompareRFrame::CompareRFrame(QListWidget* models, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Frame2"));
    RPageControls controls;
    controls.window = parent;

    auto* layout = new QGridLayout(this);
    auto* label2 = new QLabel(QStringLiteral("Templates:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(label2, 0, 0);
    controls.RFile = new QComboBox(this);
    controls.RFile->setObjectName(QStringLiteral("RFile"));
    controls.RFile->setToolTip(QStringLiteral("R template to be used"));
    layout->addWidget(controls.RFile, 0, 1);
    QPushButton* refresh = pictureButton(this, "Command28", "view-refresh", QStyle::SP_BrowserReload, QString(),
                                         QStringLiteral("Refresh"));
    layout->addWidget(refresh, 0, 2);

    // The output list takes what the page has left: several rows at the
    // window's own size, more as the window grows. The options around it
    // share rows so as to leave it that room.
    auto* outputs = new QGroupBox(QStringLiteral("R output files"), this);
    auto* outputsLayout = new QVBoxLayout(outputs);
    outputsLayout->setContentsMargins(4, 2, 4, 4);
    controls.ROutputList = new QListWidget(outputs);
    controls.ROutputList->setObjectName(QStringLiteral("ROutputList"));
    outputsLayout->addWidget(controls.ROutputList);
    layout->addWidget(outputs, 1, 0, 1, 3);
    layout->setRowStretch(1, 1);

    auto* listOptions = new QHBoxLayout();
    controls.showAll = makeCheck(this, "Check2", QStringLiteral("Show all R output files?"), false);
    controls.Check52 = makeCheck(this, "Check52", QStringLiteral("Assign template and overwrite current R file?"), true);
    listOptions->addWidget(controls.showAll);
    listOptions->addWidget(controls.Check52);
    listOptions->addStretch();
    layout->addLayout(listOptions, 2, 0, 1, 3);

    auto* runOptions = new QHBoxLayout();
    controls.Check54 = makeCheck(this, "Check54", QStringLiteral("Open graphics"), true);
    controls.Check55 = makeCheck(this, "Check55", QStringLiteral("Open TXT files"), true);
    controls.Check53 = makeCheck(this, "Check53", QStringLiteral("Show log"), true);
    runOptions->addWidget(controls.Check54);
    runOptions->addWidget(controls.Check55);
    runOptions->addWidget(controls.Check53);
    runOptions->addStretch();
    // The picture type: one choice of three, in a box of its own.
    auto* graph = new QFrame(this);
    auto* graphLayout = new QHBoxLayout(graph);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    const char* const kinds[3] = {"BMP", "JPEG", "PNG"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QLatin1String(kinds[i]), graph);
        option->setObjectName(QStringLiteral("RGraph_%1").arg(i));
        option->setChecked(i == 0);
        graphLayout->addWidget(option);
        controls.RGraph[static_cast<std::size_t>(i)] = option;
    }
    runOptions->addWidget(graph);
    layout->addLayout(runOptions, 3, 0, 1, 3);

    auto* pathRow = new QHBoxLayout();
    auto* label21 = new QLabel(QStringLiteral("R path:"), this);
    label21->setObjectName(QStringLiteral("Label21"));
    controls.Label22 = new QLabel(this);
    controls.Label22->setObjectName(QStringLiteral("Label22"));
    pathRow->addWidget(label21);
    pathRow->addWidget(controls.Label22, 1);
    layout->addLayout(pathRow, 4, 0, 1, 3);

    m_page = new RPage(RVariant::Group, controls, this);
    m_page->namedFile = [] { return programState().CompareFileName; };
    m_page->gatherData = [models](RRunRequest& request) { request.modelFiles = tickedFiles(models); };
    auto* commands = new QHBoxLayout();
    m_page->addButtons(this, commands);
    commands->addStretch();
    layout->addLayout(commands, 5, 0, 1, 3);

    connect(refresh, &QPushButton::clicked, m_page, &RPage::Command28_Click);
    connect(controls.showAll, &QCheckBox::toggled, m_page, &RPage::Command28_Click);
}

void CompareRFrame::Command28_Click()
{
    m_page->Command28_Click();
}

void CompareRFrame::showRFolder()
{
    m_page->showRFolder();
}

QStringList CompareRFrame::tickedFiles(const QListWidget* models)
{
    QStringList files;
    for (int i = 0; i < models->count(); ++i) {
        const QListWidgetItem* item = models->item(i);
        const bool hasCheckBox = item->data(Qt::CheckStateRole).isValid();
        const bool ticked = hasCheckBox ? item->checkState() == Qt::Checked : item->isSelected();
        if (ticked)
            files << item->text();
    }
    return files;
}
