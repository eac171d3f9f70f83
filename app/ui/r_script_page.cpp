#include "ui/r_script_page.hpp"
#include "ui/picture_button.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

RScriptPage::RScriptPage(MainControls& controls, QWidget* parent)
    : OptionPage(controls, QStringLiteral("Frame9_4"), parent)
{
    auto* layout = new QGridLayout(this);
    auto* label20 = new QLabel(QStringLiteral("Templates:"), this);
    label20->setObjectName(QStringLiteral("Label20"));
    layout->addWidget(label20, 0, 0);
    RFile = new QComboBox(this);
    RFile->setObjectName(QStringLiteral("RFile"));
    layout->addWidget(RFile, 0, 1);
    m_refresh = addButton(QStringLiteral("Command28"), QString(), QStringLiteral("Refresh"));
    setPicture(m_refresh, "view-refresh", QStyle::SP_BrowserReload);
    layout->addWidget(m_refresh, 0, 2);
    ROutputList = new QListWidget(this);
    ROutputList->setObjectName(QStringLiteral("ROutputList"));
    layout->addWidget(ROutputList, 1, 0, 1, 3);
    layout->addWidget(addCheck(CheckBox::RShowAll, QStringLiteral("Show all R output files?")), 2, 0, 1, 3);
    layout->addWidget(addCheck(CheckBox::RAssignTemplate, QStringLiteral("Assign template and overwrite current R file?")),
                      3, 0, 1, 3);
    layout->addWidget(addCheck(CheckBox::ROpenGraphics, QStringLiteral("Open graphics")), 4, 0);
    layout->addWidget(addCheck(CheckBox::ROpenText, QStringLiteral("Open TXT files")), 4, 1);
    layout->addWidget(addCheck(CheckBox::RShowLog, QStringLiteral("Show log")), 4, 2);
    auto* graph = new QGroupBox(this);
    auto* graphLayout = new QHBoxLayout(graph);
    const char* const kinds[3] = {"BMP", "JPEG", "PNG"};
    for (int i = 0; i < 3; ++i)
        graphLayout->addWidget(addRadio(QStringLiteral("RGraph_%1").arg(i), QLatin1String(kinds[i]), graph));
    layout->addWidget(graph, 5, 0, 1, 3);
    Label22 = new QLabel(this);
    Label22->setObjectName(QStringLiteral("Label22"));
    layout->addWidget(Label22, 6, 0, 1, 3);
    bindOptions();
}
