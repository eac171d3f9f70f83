#include "ui/graphics_options_page.hpp"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "core/data_sheet.hpp"
#include "core/program_state.hpp"
#include "ui/picture_button.hpp"
#include "ui/setting_scroll_bar.hpp"
#include "ui/twips.hpp"

GraphicsOptionsPage::GraphicsOptionsPage(MainControls& controls, QWidget* parent)
    : OptionPage(controls, QStringLiteral("Frame9_2"), parent)
{
    auto* layout = new QGridLayout(this);

    Frame5 = addFrame(QStringLiteral("Residual analysis..."), QStringLiteral("Frame5"));
    auto* residualLayout = new QGridLayout(Frame5);
    List1 = new QListWidget(Frame5);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* caption : {"X Value", "Y Value", "Deviation", "Y Predicted", "Residue", "Expected Normal Residue",
                                "SE of Residue", "Semi-Studentized Residue", "Studentized Residue",
                                "Studentized Deleted Residue", "Leverage", "Cook's D", "DFFITS",
                                "Deleted Residue or PRESS"})
        new QListWidgetItem(QLatin1String(caption), List1);
    residualLayout->addWidget(List1, 0, 0, 6, 1);
    residualLayout->addWidget(new QLabel(QStringLiteral("Limits for"), Frame5), 0, 1);
    residualLayout->addWidget(new QLabel(QStringLiteral("Lower"), Frame5), 0, 2);
    residualLayout->addWidget(new QLabel(QStringLiteral("Upper"), Frame5), 0, 3);
    residualLayout->addWidget(new QLabel(QStringLiteral("% of Obs"), Frame5), 0, 4, 1, 2);
    const struct {
        const char* label;
        TextBox lower;
        TextBox upper;
    } limits[] = {{"Deviation", TextBox::DeviationLower, TextBox::DeviationUpper},
                  {"Residual", TextBox::ResidualLower, TextBox::ResidualUpper},
                  {"RStd Res", TextBox::RStdResidueLower, TextBox::RStdResidueUpper}};
    for (int i = 0; i < 3; ++i) {
        residualLayout->addWidget(new QLabel(QLatin1String(limits[i].label), Frame5), i + 1, 1);
        residualLayout->addWidget(addText(limits[i].lower), i + 1, 2);
        residualLayout->addWidget(addText(limits[i].upper), i + 1, 3);
    }
    HScroll1 = new SettingScrollBar(Frame5);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll2 = new SettingScrollBar(Frame5);
    HScroll2->setObjectName(QStringLiteral("HScroll2"));
    for (QScrollBar* bar : {HScroll1, HScroll2}) {
        bar->setRange(0, 100);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setMinimumWidth(80);
    }
    Label18 = new QLabel(Frame5);
    Label18->setObjectName(QStringLiteral("Label18"));
    Label19 = new QLabel(Frame5);
    Label19->setObjectName(QStringLiteral("Label19"));
    residualLayout->addWidget(HScroll1, 1, 4);
    residualLayout->addWidget(Label18, 1, 5);
    residualLayout->addWidget(HScroll2, 2, 4);
    residualLayout->addWidget(Label19, 2, 5);
    // Tab goes through the limits row by row, each row's band after its
    // boxes.
    QWidget* const rows[] = {
        m_controls.text(TextBox::DeviationLower), m_controls.text(TextBox::DeviationUpper), HScroll1,
        m_controls.text(TextBox::ResidualLower),  m_controls.text(TextBox::ResidualUpper),  HScroll2,
        m_controls.text(TextBox::RStdResidueLower), m_controls.text(TextBox::RStdResidueUpper),
    };
    for (std::size_t i = 1; i < std::size(rows); ++i)
        setTabOrder(rows[i - 1], rows[i]);
    auto* plots = new QVBoxLayout();
    const CheckSpec plotBoxes[] = {
        {CheckBox::ResidualPlot, "Residual plot"},       {CheckBox::SaveResidueFile, "Save residues to a text file"},
        {CheckBox::ResidueRegression, "Residue regression && plots"}, {CheckBox::DeviationPlot, "Deviation plot"},
        {CheckBox::ResidueWindow, "Separate window"},    {CheckBox::NormalPlot, "Normal plot"},
    };
    for (const auto& p : plotBoxes)
        plots->addWidget(addCheck(p.box, QLatin1String(p.caption)));
    residualLayout->addLayout(plots, 4, 1, 2, 5);
    layout->addWidget(Frame5, 0, 0, 1, 2);

    QGroupBox* histogram = addFrame(QStringLiteral("Histogram..."));
    auto* histogramLayout = new QGridLayout(histogram);
    histogramLayout->addWidget(addCheck(CheckBox::HistogramXY, QStringLiteral("Plot Y and X")), 0, 0);
    histogramLayout->addWidget(addCheck(CheckBox::HistogramDifference, QStringLiteral("Plot X and X difference")), 1, 0);
    histogramLayout->addWidget(addCheck(CheckBox::HistogramAbsDifference, QStringLiteral("Abs(difference)")), 2, 0);
    auto* together = new QGroupBox(histogram);
    auto* togetherLayout = new QVBoxLayout(together);
    togetherLayout->addWidget(addRadio(QStringLiteral("Option3_0"), QStringLiteral("Together"), together));
    togetherLayout->addWidget(addRadio(QStringLiteral("Option3_1"), QStringLiteral("Separate"), together));
    histogramLayout->addWidget(together, 0, 1, 2, 1);
    histogramLayout->addWidget(addCheck(CheckBox::HistogramAccumulated, QStringLiteral("Accumulated")), 3, 0);
    histogramLayout->addWidget(addCheck(CheckBox::HistogramPercentage, QStringLiteral("Percentage")), 4, 0);
    histogramLayout->addWidget(new QLabel(QStringLiteral("# of Bins"), histogram), 2, 1);
    histogramLayout->addWidget(addText(TextBox::HistogramBins), 3, 1);
    auto* graphKind = new QGroupBox(histogram);
    auto* graphKindLayout = new QGridLayout(graphKind);
    graphKindLayout->addWidget(addCheck(CheckBox::Histogram2D, QStringLiteral("2D Graph")), 0, 0);
    graphKindLayout->addWidget(addCheck(CheckBox::Histogram3D, QStringLiteral("3D Graph")), 0, 1);
    const char* const kinds[5] = {"Bar", "Line", "Area", "Step", "Pie"};
    for (int i = 0; i < 5; ++i)
        graphKindLayout->addWidget(addRadio(QStringLiteral("Option2_%1").arg(i), QLatin1String(kinds[i]), graphKind),
                                   1 + i / 3, i % 3);
    histogramLayout->addWidget(graphKind, 0, 2, 4, 1);
    m_plot = addButton(QStringLiteral("Command15"), QString(), QStringLiteral("Plot histogram"), histogram);
    setPicture(m_plot, "office-chart-bar,view-statistics,x-office-spreadsheet", QStyle::SP_FileDialogDetailedView);
    // A square picture button in the corner of the panel.
    m_plot->setFixedSize(twips(480), twips(480));
    histogramLayout->addWidget(m_plot, 4, 2, Qt::AlignRight);
    layout->addWidget(histogram, 1, 0, 1, 2);

    layout->addWidget(new QLabel(QStringLiteral("Deviation CI % Prob"), this), 2, 0);
    layout->addWidget(addText(TextBox::DeviationConfidence), 2, 1);
    layout->setRowStretch(3, 1);

    bindOptions();

    const std::pair<CheckBox, void (GraphicsOptionsPage::*)()> rules[] = {
        {CheckBox::HistogramXY, &GraphicsOptionsPage::Check37_Click},
        {CheckBox::Histogram2D, &GraphicsOptionsPage::Check40_Click},
        {CheckBox::Histogram3D, &GraphicsOptionsPage::Check41_Click},
        {CheckBox::HistogramDifference, &GraphicsOptionsPage::Check42_Click},
    };
    for (const auto& [box, rule] : rules)
        connect(m_controls.check(box), &QCheckBox::stateChanged, this, [this, rule = rule] { (this->*rule)(); });
    // The boxes that enable others start as their defaults ask.
    Check37_Click();
    Check42_Click();
    connect(HScroll1, &QScrollBar::valueChanged, this, &GraphicsOptionsPage::HScroll1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &GraphicsOptionsPage::HScroll2_Change);
    for (TextBox box : {TextBox::DeviationConfidence, TextBox::DeviationLower, TextBox::DeviationUpper})
        connect(m_controls.text(box), &QLineEdit::textChanged, this, [this, box] { Text1_Change(box); });
    m_controls.text(TextBox::HistogramBins)->installEventFilter(this);
    // The residual frame follows "Residual analysis" on the "Options" page.
    connect(m_controls.check(CheckBox::ResidualAnalysis), &QCheckBox::toggled, this, &GraphicsOptionsPage::Check6_Click);
    Check6_Click();
}

void GraphicsOptionsPage::Check6_Click()
{
    QCheckBox* box = m_controls.check(CheckBox::ResidualAnalysis);
    Frame5->setEnabled(box->isChecked() && box->isEnabled());
}

void GraphicsOptionsPage::setBoxText(TextBox box, const QString& text)
{
    // Setting a box to the text it holds is no change and raises nothing.
    QLineEdit* edit = m_controls.text(box);
    if (edit->text() != text)
        edit->setText(text);
}

void GraphicsOptionsPage::refillLimits()
{
    ProgramState& state = programState();
    if (state.DeviationLower == 0)
        state.DeviationLower = -0.1 * state.MeanY;
    if (state.ResidualLower == 0)
        state.ResidualLower = -0.1 * state.MeanY;
    if (state.DeviationUpper == 0)
        state.DeviationUpper = 0.1 * state.MeanY;
    if (state.ResidualUpper == 0)
        state.ResidualUpper = 0.1 * state.MeanY;
    if (state.RStdResidueLower == 0)
        state.RStdResidueLower = -2.5;
    if (state.RStdResidueUpper == 0)
        state.RStdResidueUpper = 2.5;
    // The boxes are what the run reads and what Save writes: a value typed
    // or loaded stays until the user changes it or another dataset is
    // loaded. Only a box that holds nothing shows the shared value; that
    // is no edit of the user's, so the confidence and the deviation limits
    // do not clear each other here.
    const auto fill = [this](TextBox box, const QString& text) {
        QLineEdit* edit = m_controls.text(box);
        if (!edit->text().trimmed().isEmpty())
            return;
        m_restoring = true;
        edit->setText(text);
        m_restoring = false;
    };
    const QString four = QStringLiteral("0.0000");
    fill(TextBox::DeviationLower, DataSheet::formatPattern(state.DeviationLower, four));
    fill(TextBox::DeviationUpper, DataSheet::formatPattern(state.DeviationUpper, four));
    fill(TextBox::ResidualLower, DataSheet::formatPattern(state.ResidualLower, four));
    fill(TextBox::ResidualUpper, DataSheet::formatPattern(state.ResidualUpper, four));
    fill(TextBox::RStdResidueLower, DataSheet::formatPattern(state.RStdResidueLower, four));
    fill(TextBox::RStdResidueUpper, DataSheet::formatPattern(state.RStdResidueUpper, four));
    fill(TextBox::DeviationConfidence, DataSheet::formatPattern(state.DeviationConfidence * 100, QStringLiteral("##0.00")));
}

void GraphicsOptionsPage::setBand(QScrollBar* bar, QLabel* label, double& lower, TextBox lowerBox, double& upper,
                                  TextBox upperBox)
{
    const double meanY = programState().MeanY;
    const double p = bar->value() / 100.0;
    label->setText(DataSheet::formatPattern(p * 100, QStringLiteral("0")) + QLatin1Char('%'));
    lower = -p * meanY;
    setBoxText(lowerBox, DataSheet::formatPattern(lower, QStringLiteral("0.0000")));
    upper = meanY * p;
    setBoxText(upperBox, DataSheet::formatPattern(upper, QStringLiteral("0.0000")));
}

void GraphicsOptionsPage::HScroll1_Change()
{
    ProgramState& state = programState();
    setBand(HScroll1, Label18, state.DeviationLower, TextBox::DeviationLower, state.DeviationUpper,
            TextBox::DeviationUpper);
}

void GraphicsOptionsPage::HScroll2_Change()
{
    ProgramState& state = programState();
    setBand(HScroll2, Label19, state.ResidualLower, TextBox::ResidualLower, state.ResidualUpper, TextBox::ResidualUpper);
}

bool GraphicsOptionsPage::ticked(CheckBox box) const
{
    return m_controls.check(box)->checkState() == Qt::Checked;
}

QRadioButton* GraphicsOptionsPage::option(const char* name) const
{
    return findChild<QRadioButton*>(QLatin1String(name));
}

void GraphicsOptionsPage::Check37_Click()
{
    const bool on = ticked(CheckBox::HistogramXY);
    option("Option3_0")->setEnabled(on);
    option("Option3_1")->setEnabled(on);
}

void GraphicsOptionsPage::Check42_Click()
{
    m_controls.check(CheckBox::HistogramAbsDifference)->setEnabled(ticked(CheckBox::HistogramDifference));
}

void GraphicsOptionsPage::Check40_Click()
{
    if (!ticked(CheckBox::Histogram2D))
        return;
    m_controls.check(CheckBox::Histogram3D)->setCheckState(Qt::Unchecked);
    option("Option2_4")->setEnabled(true);
}

void GraphicsOptionsPage::Check41_Click()
{
    // A pie has no third dimension: "Bar" takes its place.
    if (!ticked(CheckBox::Histogram3D))
        return;
    m_controls.check(CheckBox::Histogram2D)->setCheckState(Qt::Unchecked);
    if (option("Option2_4")->isChecked())
        option("Option2_0")->setChecked(true);
    option("Option2_4")->setEnabled(false);
}

void GraphicsOptionsPage::Text1_Change(TextBox box)
{
    // A confidence percentage and explicit deviation limits exclude each
    // other. The rules run on every change, also on the changes they make
    // themselves, but never write back into the box whose change started
    // them: that box keeps what was typed or set into it. A dataset's boxes
    // are taken as it stores them: a confidence and deviation limits that
    // a file holds both stay, the limits being those the run uses.
    if (m_restoring)
        return;
    const int index = static_cast<int>(box);
    const bool first = m_changeOrigin < 0;
    if (first)
        m_changeOrigin = index;
    const auto clear = [this](TextBox other) {
        if (static_cast<int>(other) != m_changeOrigin)
            setBoxText(other, QStringLiteral("0"));
    };
    if (box == TextBox::DeviationConfidence) {
        clear(TextBox::DeviationLower);
        clear(TextBox::DeviationUpper);
    } else if (box == TextBox::DeviationLower || box == TextBox::DeviationUpper) {
        clear(TextBox::DeviationConfidence);
    }
    if (first)
        m_changeOrigin = -1;
}

void GraphicsOptionsPage::Text1_LostFocus(TextBox box)
{
    if (box != TextBox::HistogramBins)
        return;
    QLineEdit* bins = m_controls.text(TextBox::HistogramBins);
    if (DataSheet::leadingNumber(bins->text()) < 3)
        bins->setText(QStringLiteral("3"));
}

bool GraphicsOptionsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == m_controls.text(TextBox::HistogramBins))
        Text1_LostFocus(TextBox::HistogramBins);
    return OptionPage::eventFilter(watched, event);
}
