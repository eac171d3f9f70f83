#include "ui/analysis_options_page.hpp"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/program_state.hpp"

AnalysisOptionsPage::AnalysisOptionsPage(MainControls& controls, QWidget* parent)
    : OptionPage(controls, QStringLiteral("Frame9_1"), parent)
{
    auto* layout = new QGridLayout(this);

    QGroupBox* regression = addFrame(QStringLiteral("Regression analysis..."));
    auto* regressionLayout = new QVBoxLayout(regression);
    const char* const methods[3] = {"Least-square method", "Weighted least-square method", "Least-absolute deviation"};
    for (std::size_t i = 0; i < 3; ++i) {
        Option1[i] = addRadio(QStringLiteral("Option1_%1").arg(i), QLatin1String(methods[i]), regression);
        regressionLayout->addWidget(Option1[i]);
    }
    regressionLayout->addWidget(addCheck(CheckBox::IgnoreUncertaintyX, QStringLiteral("Ignore uncertainties in X")));
    regressionLayout->addWidget(addCheck(CheckBox::IgnoreUncertaintyY, QStringLiteral("Ignore uncertainties in Y")));
    layout->addWidget(regression, 0, 0);

    QGroupBox* options = addFrame(QStringLiteral("Options..."));
    auto* optionsLayout = new QVBoxLayout(options);
    const CheckSpec general[] = {
        {CheckBox::AutoIncreaseRows, "Auto increase rows"}, {CheckBox::PasteSingleColumn, "Paste single column"},
        {CheckBox::SameScaleXY, "Same scale for X- and Y-axis"}, {CheckBox::AddComments, "Add comments to output"},
        {CheckBox::ShowExcluded, "Show excluded data points"}, {CheckBox::PlotYXLine, "Plot Y = X line"},
        {CheckBox::ShowReferences, "Show references"},         {CheckBox::NoSound, "No sound"},
    };
    for (const auto& g : general)
        optionsLayout->addWidget(addCheck(g.box, QLatin1String(g.caption)));
    layout->addWidget(options, 1, 0);

    QGroupBox* calculations = addFrame(QStringLiteral("Calculations..."));
    auto* calculationsLayout = new QGridLayout(calculations);
    const CheckSpec sections[] = {
        {CheckBox::ParameterTests, "Parameter tests"},      {CheckBox::OlsSls, "OLS and SLS coefficients"},
        {CheckBox::DistributionAnalysis, "Distribution analysis"}, {CheckBox::MomentStatistics, "Moment statistics"},
        {CheckBox::DiverseMeasures, "Diverse measures"},    {CheckBox::IndexAnalysis, "Index analysis"},
        {CheckBox::ConcordanceTests, "Concordance tests"},  {CheckBox::GeneralizedCcc, "Generalized CCC"},
        {CheckBox::RankAnalysis, "Rank analysis"},          {CheckBox::BalanceAnalysis, "Balance analysis"},
        {CheckBox::OrthogonalBalance, "Orthogonal balance"},
        {CheckBox::MsepAnalysis, "MSEP analysis"},          {CheckBox::KleijnenAnalysis, "Kleijnen analysis"},
        {CheckBox::ThresholdTable, "Threshold table"},      {CheckBox::DistanceAnalysis, "Distance analysis"},
        {CheckBox::WeighedDeviance, "Weighed deviance"},    {CheckBox::ResidualAnalysis, "Residual analysis"},
        {CheckBox::HistogramPlots, "Histogram plots"},      {CheckBox::BlandAltman, "Bland and Altman's"},
        {CheckBox::DeviationAnalysis, "Deviation analysis"}, {CheckBox::RobustStatistics, "Robust statistics"},
    };
    int n = 0;
    for (const auto& s : sections) {
        calculationsLayout->addWidget(addCheck(s.box, QLatin1String(s.caption)), n % 11, n / 11);
        ++n;
    }
    layout->addWidget(calculations, 0, 1, 3, 1);

    Frame6 = addFrame(QStringLiteral("Bootstrap..."), QStringLiteral("Frame6"));
    auto* bootstrapLayout = new QGridLayout(Frame6);
    bootstrapLayout->addWidget(addCheck(CheckBox::MsepBootstrap, QStringLiteral("Use Bootstrap for MSEP?")), 0, 0, 1, 2);
    bootstrapLayout->addWidget(new QLabel(QStringLiteral("Sub-samples"), Frame6), 1, 0);
    bootstrapLayout->addWidget(addText(TextBox::BootstrapSubsamples), 1, 1);
    bootstrapLayout->addWidget(new QLabel(QStringLiteral("Size (%)"), Frame6), 2, 0);
    bootstrapLayout->addWidget(addText(TextBox::BootstrapSize), 2, 1);
    layout->addWidget(Frame6, 0, 2);

    Frame7 = addFrame(QStringLiteral("Threshold table..."), QStringLiteral("Frame7"));
    auto* thresholdLayout = new QGridLayout(Frame7);
    thresholdLayout->addWidget(new QLabel(QStringLiteral("Rank threshold"), Frame7), 0, 0);
    thresholdLayout->addWidget(addText(TextBox::RankThreshold), 0, 1);
    thresholdLayout->addWidget(new QLabel(QStringLiteral("XY threshold"), Frame7), 1, 0);
    thresholdLayout->addWidget(addText(TextBox::XYThreshold), 1, 1);
    layout->addWidget(Frame7, 1, 2);

    QGroupBox* formats = addFrame(QStringLiteral("Grid format..."));
    auto* formatsLayout = new QGridLayout(formats);
    formatsLayout->addWidget(new QLabel(QStringLiteral("X and Y values"), formats), 0, 0);
    formatsLayout->addWidget(addText(TextBox::GridFormatXY), 0, 1);
    formatsLayout->addWidget(new QLabel(QStringLiteral("SD values"), formats), 1, 0);
    formatsLayout->addWidget(addText(TextBox::GridFormatSD), 1, 1);
    layout->addWidget(formats, 2, 2);
    layout->addWidget(new QWidget(this), 3, 0);
    layout->setRowStretch(3, 1);

    bindOptions();

    for (int i = 0; i < 3; ++i)
        connect(Option1[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    connect(m_controls.check(CheckBox::ThresholdTable), &QCheckBox::toggled, this, &AnalysisOptionsPage::Check24_Click);
    connect(m_controls.check(CheckBox::MsepAnalysis), &QCheckBox::toggled, this, &AnalysisOptionsPage::Check5_Click);
    connect(m_controls.check(CheckBox::NoSound), &QCheckBox::toggled, this, &AnalysisOptionsPage::Check50_Click);
    for (TextBox box : {TextBox::GridFormatSD, TextBox::GridFormatXY})
        m_controls.text(box)->installEventFilter(this);

    // The rules hold from the start.
    Option1_Click(0);
    Check24_Click();
    Check5_Click();
}

void AnalysisOptionsPage::Option1_Click(int index)
{
    m_controls.check(CheckBox::IgnoreUncertaintyX)->setEnabled(index == 1);
    m_controls.check(CheckBox::IgnoreUncertaintyY)->setEnabled(index == 1);
}

void AnalysisOptionsPage::applyFrameRule(QCheckBox* box, QWidget* frame)
{
    frame->setEnabled(box->isChecked() && box->isEnabled());
}

void AnalysisOptionsPage::Check24_Click()
{
    applyFrameRule(m_controls.check(CheckBox::ThresholdTable), Frame7);
}

void AnalysisOptionsPage::Check5_Click()
{
    applyFrameRule(m_controls.check(CheckBox::MsepAnalysis), Frame6);
}

void AnalysisOptionsPage::Check50_Click()
{
    programState().NoSoundFlag = m_controls.check(CheckBox::NoSound)->isChecked();
}

void AnalysisOptionsPage::Text1_LostFocus(TextBox box)
{
    if (box != TextBox::GridFormatXY && box != TextBox::GridFormatSD)
        return;
    ProgramState& state = programState();
    state.GridFormatXY = m_controls.text(TextBox::GridFormatXY)->text();
    state.GridFormatSD = m_controls.text(TextBox::GridFormatSD)->text();
    if (onGridFormatsChanged)
        onGridFormatsChanged();
}

bool AnalysisOptionsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (TextBox box : {TextBox::GridFormatSD, TextBox::GridFormatXY})
            if (watched == m_controls.text(box))
                Text1_LostFocus(box);
    }
    return OptionPage::eventFilter(watched, event);
}
