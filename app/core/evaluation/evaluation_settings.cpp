#include "core/evaluation/evaluation_settings.hpp"

#include "core/data_sheet.hpp"

using DatasetFile::Option;

EvaluationSettings EvaluationSettings::fromOptions(const DatasetFile::DatasetOptions& o, const SheetSwitches& sheet)
{
    const auto ticked = [&o](Option option) { return DatasetFile::isTicked(o, option); };
    const auto text = [&o](Option option) { return DatasetFile::textOf(o, option); };

    EvaluationSettings s;
    s.method = RegressionMethod::None;
    if (DatasetFile::isChosen(o, Option::LeastSquares))
        s.method = RegressionMethod::LeastSquares;
    else if (DatasetFile::isChosen(o, Option::WeightedLeastSquares))
        s.method = RegressionMethod::WeightedLeastSquares;
    else if (DatasetFile::isChosen(o, Option::RobustRegression))
        s.method = RegressionMethod::LeastAbsoluteDeviation;
    s.ignoreUncertaintyX = ticked(Option::IgnoreUncertaintyX);
    s.ignoreUncertaintyY = ticked(Option::IgnoreUncertaintyY);
    s.comments = ticked(Option::AddComments);
    s.sheet = sheet;

    Sections& c = s.sections;
    c.parameterTests = ticked(Option::ParameterTests);
    c.olsSls = ticked(Option::OlsSls);
    c.distribution = ticked(Option::DistributionAnalysis);
    c.moments = ticked(Option::MomentStatistics);
    c.robustStatistics = ticked(Option::RobustStatistics);
    c.diverseMeasures = ticked(Option::DiverseMeasures);
    c.index = ticked(Option::IndexAnalysis);
    c.concordance = ticked(Option::ConcordanceTests);
    c.generalizedCcc = ticked(Option::GeneralizedCcc);
    c.rank = ticked(Option::RankAnalysis);
    c.balance = ticked(Option::BalanceAnalysis);
    c.orthogonalBalance = ticked(Option::OrthogonalBalance);
    c.msep = ticked(Option::MsepAnalysis);
    c.msepBootstrap = ticked(Option::MsepBootstrap);
    c.kleijnen = ticked(Option::KleijnenAnalysis);
    c.blandAltman = ticked(Option::BlandAltman);
    c.threshold = ticked(Option::ThresholdTable);
    c.distance = ticked(Option::DistanceAnalysis);
    c.weighedDeviance = ticked(Option::WeighedDeviance);
    c.deviation = ticked(Option::DeviationAnalysis);
    c.residual = ticked(Option::ResidualAnalysis);
    c.residueRegression = ticked(Option::ResidueRegression);
    c.histograms = ticked(Option::HistogramPlots);
    c.references = ticked(Option::ShowReferences);

    s.bootstrapSubsamples = DataSheet::leadingNumber(text(Option::BootstrapSubsamples));
    s.bootstrapSizePercent = DataSheet::leadingNumber(text(Option::BootstrapSize));
    s.rankThreshold = text(Option::RankThreshold);
    s.xyThreshold = text(Option::XYThreshold);
    // A box is read whole by the strict number rule: "-0,5" is no number,
    // never the -0 it begins with. Blanks alone are an empty box.
    const auto number = [&text](Option option, const char* name, QString& unreadable) -> std::optional<double> {
        const QString typed = text(option);
        if (typed.trimmed().isEmpty())
            return std::nullopt;
        const std::optional<double> value = parseStrictNumber(typed);
        if (!value && unreadable.isEmpty())
            unreadable = QLatin1String(name) + QStringLiteral(" is not a number: ") + typed;
        return value;
    };
    s.deviationConfidencePercent = number(Option::DeviationConfidence, "Deviation CI % Prob", s.unreadableConfidence);
    QString& limit = s.unreadableLimit;
    s.limits = {number(Option::DeviationLower, "Deviation lower limit", limit),
                number(Option::DeviationUpper, "Deviation upper limit", limit),
                number(Option::ResidualLower, "Residual lower limit", limit),
                number(Option::ResidualUpper, "Residual upper limit", limit),
                number(Option::RStdResidueLower, "RStd Res lower limit", limit),
                number(Option::RStdResidueUpper, "RStd Res upper limit", limit)};

    for (int column = 1; column <= 14; ++column)
        s.residueColumns[static_cast<std::size_t>(column)] = DatasetFile::isChosen(o, DatasetFile::residueOption(column));
    s.residueToFile = ticked(Option::SaveResidueFile);
    s.residueWindow = ticked(Option::ResidueWindow);

    s.plots.residual = ticked(Option::ResidualPlot);
    s.plots.deviation = ticked(Option::DeviationPlot);
    s.plots.normal = ticked(Option::NormalPlot);
    return s;
}

QString EvaluationSettings::unreadableInput() const
{
    // In report order: the deviation analysis comes before the residual one.
    if (sections.deviation && !unreadableConfidence.isEmpty())
        return unreadableConfidence;
    if (sections.residual && !unreadableLimit.isEmpty())
        return unreadableLimit;
    return QString();
}
