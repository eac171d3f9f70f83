// The evaluation run: the used rows, the method and its notices, the frame
// of the report, and the walk over the section table.
#include "core/evaluation/evaluation_run.hpp"


#include <cmath>
#include <new>

#include "core/data_sheet.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/kve_code.hpp"
#include "core/random_source.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

int lastSheetRow(const DataMatrix& matrix, int gridRows)
{
    return std::min(gridRows - 1, matrix.upperRow());
}

// Why fewer than 3 rows are used, for a command line that asked for a report.
QString nothingToEvaluate(const DataMatrix& matrix, int gridRows, int used)
{
    int rows = 0;
    for (int r = 1; r <= lastSheetRow(matrix, gridRows); ++r)
        if (!matrix.cell(DataMatrix::ColX, r).isMissing())
            ++rows;
    QString why;
    if (rows == 0)
        why = QStringLiteral("the dataset holds no data rows");
    else if (used == 0)
        why = QStringLiteral("every data row is excluded");
    else
        why = QStringLiteral("only %1 data row%2 used; the evaluation needs at least 3")
                  .arg(used)
                  .arg(used == 1 ? QStringLiteral(" is") : QStringLiteral("s are"));
    return QStringLiteral("nothing to evaluate: ") + why;
}

// The limits of a run: those kept from earlier runs or set by the percent
// bands, each replaced by the one typed on the residual panel (or stored in
// the dataset) when its box is not empty.
AcceptanceLimits runLimits(AcceptanceLimits kept, const EvaluationSettings::Limits& typed)
{
    const std::pair<double&, const std::optional<double>&> boxes[] = {
        {kept.DeviationLower, typed.deviationLower},     {kept.DeviationUpper, typed.deviationUpper},
        {kept.ResidualLower, typed.residualLower},       {kept.ResidualUpper, typed.residualUpper},
        {kept.RStdResidueLower, typed.rstdResidueLower}, {kept.RStdResidueUpper, typed.rstdResidueUpper},
    };
    for (const auto& [limit, box] : boxes)
        if (box)
            limit = *box;
    return kept;
}

// The SD a cell gives: its number, 0 when it is empty (nothing, or blanks
// only); nothing when it holds anything else.
std::optional<double> sdOf(const DataCell& cell)
{
    const std::optional<double> value = cell.toNumber();
    if (value && std::isfinite(*value))
        return value;
    if (!value && cell.toDisplayString().trimmed().isEmpty())
        return 0.0;
    return std::nullopt;
}

void showStatus(const EvaluationInput& input, const QString& text)
{
    if (input.status)
        input.status(text);
}

void writeMethodLines(ReportText& report, const EvaluationSettings& s, RegressionMethod method)
{
    switch (method) {
    case RegressionMethod::LeastSquares:
        report.line(QStringLiteral("Regular Least-Squares Regression"));
        break;
    case RegressionMethod::WeightedLeastSquares:
        report.line(QStringLiteral("Weighted Least-Squares Regression"));
        if (s.ignoreUncertaintyX)
            report.line(QStringLiteral("Ignored uncertainties in X"));
        if (s.ignoreUncertaintyY)
            report.line(QStringLiteral("Ignored uncertainties in Y"));
        break;
    case RegressionMethod::LeastAbsoluteDeviation:
        report.line(QStringLiteral("Robust Regression (Median)"));
        break;
    case RegressionMethod::None:
        break;
    }
    if (s.sheet.swapped)
        report.line(QStringLiteral("Swapped X <=> Y"));
    report.newLine();
}

} // namespace

EvaluationData gatherEvaluationData(const DataMatrix& matrix, int gridRows, bool swapped, QString* unreadable)
{
    // The cells hold their values already: one pass reads them into the
    // four arrays, which become the library's arrays without a copy.
    const int last = std::max(lastSheetRow(matrix, gridRows), 0);
    std::vector<double> X, SDX, Y, SDY;
    for (std::vector<double>* v : {&X, &SDX, &Y, &SDY}) {
        v->reserve(static_cast<std::size_t>(last) + 1);
        v->push_back(0);
    }
    std::vector<int> sheetRow;
    sheetRow.reserve(static_cast<std::size_t>(last) + 1);
    sheetRow.push_back(0);
    int n = 0;
    for (int r = 1; r <= last; ++r) {
        const DataCell& x = matrix.cell(DataMatrix::ColX, r);
        // A cell holding a number is never the empty text.
        if (x.isMissing() || DataSheet::isExcludedRow(matrix, r))
            continue;
        // X and Y must be numbers, an SD a number or empty (0); the first
        // cell that is neither ends the gathering.
        const std::optional<double> xValue = x.toNumber();
        const std::optional<double> yValue = matrix.cell(DataMatrix::ColY, r).toNumber();
        const std::optional<double> sdxValue = sdOf(matrix.cell(DataMatrix::ColSDX, r));
        const std::optional<double> sdyValue = sdOf(matrix.cell(DataMatrix::ColSDY, r));
        if (!xValue || !yValue || !std::isfinite(*xValue) || !std::isfinite(*yValue) || !sdxValue || !sdyValue) {
            if (unreadable) {
                for (const int column : {DataMatrix::ColX, DataMatrix::ColY, DataMatrix::ColSDX, DataMatrix::ColSDY}) {
                    const bool sd = column == DataMatrix::ColSDX || column == DataMatrix::ColSDY;
                    if (sd && sdOf(matrix.cell(column, r)))
                        continue;
                    *unreadable = DataSheet::unreadableValue(matrix, r, column, swapped);
                    if (!unreadable->isEmpty())
                        break;
                }
            }
            break;
        }
        ++n;
        X.push_back(*xValue);
        SDX.push_back(*sdxValue);
        Y.push_back(*yValue);
        SDY.push_back(*sdyValue);
        sheetRow.push_back(r);
    }
    EvaluationData d;
    d.N = n;
    d.X = SumtrixLib::BoundedArray<double>(0, std::move(X));
    d.SDX = SumtrixLib::BoundedArray<double>(0, std::move(SDX));
    d.Y = SumtrixLib::BoundedArray<double>(0, std::move(Y));
    d.SDY = SumtrixLib::BoundedArray<double>(0, std::move(SDY));
    d.sheetRow = std::move(sheetRow);
    return d;
}

QString buildReportHeader(const QString& dataFileName, const QDateTime& now)
{
    // The dataset's name in brackets, centred in 80 characters; a long one
    // keeps its end.
    const QString t = KVECode::GetFileName(dataFileName);
    QString title;
    if (t.size() > 77) {
        title = QStringLiteral(" [...") + t.right(73) + QStringLiteral("] ");
    } else if (t.isEmpty()) {
        const int k = (80 - 8) / 2;
        title = QString(k, QLatin1Char(' ')) + QStringLiteral("[UNTITLED]") + QString(k, QLatin1Char(' '));
    } else {
        const int k = static_cast<int>((80 - t.size()) / 2);
        title = QString(k, QLatin1Char(' ')) + QLatin1Char('[') + t + QLatin1Char(']') + QString(k, QLatin1Char(' '));
    }
    return reportHeader(title, now);
}

EvaluationOutcome runEvaluation(DataMatrix& matrix, const EvaluationInput& input)
{
    EvaluationOutcome out;
    out.limits = input.limits;
    const EvaluationSettings& s = input.settings;
    EvaluationData data = gatherEvaluationData(matrix, input.gridRows, s.sheet.swapped, &out.refusal);
    if (!out.refusal.isEmpty())
        return out;
    if (data.N < 3) {
        out.refusal = nothingToEvaluate(matrix, input.gridRows, data.N);
        return out;
    }

    for (std::size_t i = 1; i <= static_cast<std::size_t>(data.N); ++i) {
        if (s.ignoreUncertaintyX)
            data.SDX[i] = 1E-30;
        if (s.ignoreUncertaintyY)
            data.SDY[i] = 1E-30;
    }

    // Notices that switch the weighted method to the regular one.
    QList<RunRequest> requests;
    RegressionMethod method = s.method;
    auto switchToRegular = [&](const QString& text) {
        requests.append(RunRequests::Notice{text});
        requests.append(RunRequests::SelectMethod{RegressionMethod::LeastSquares});
        method = RegressionMethod::LeastSquares;
    };
    if (s.ignoreUncertaintyX && s.ignoreUncertaintyY && method == RegressionMethod::WeightedLeastSquares)
        switchToRegular(QStringLiteral("Because both uncertainties are being ignored, the Regular Least-Squares Regression will be used"));
    if (method == RegressionMethod::WeightedLeastSquares) {
        for (std::size_t i = 1; i <= static_cast<std::size_t>(data.N); ++i) {
            const bool zeroX = data.SDX[i] == 0 && !s.ignoreUncertaintyX;
            if (zeroX || (data.SDY[i] == 0 && !s.ignoreUncertaintyY)) {
                // The first such cell, so that the user finds it.
                const int column = zeroX ? DataMatrix::ColSDX : DataMatrix::ColSDY;
                const int row = data.sheetRow[i];
                const QString held = matrix.cell(column, row).toDisplayString().trimmed();
                switchToRegular(QStringLiteral("Because at least one SD X or SD Y is zero (Row %1: %2 is %3), the "
                                               "Regular Least-Squares Regression will be used")
                                    .arg(row)
                                    .arg(DataSheet::columnHeader(column), held.isEmpty() ? QStringLiteral("empty") : held));
                break;
            }
        }
    }

    showStatus(input, QStringLiteral("Regression..."));
    if (method == RegressionMethod::None) {
        out.refusal = QStringLiteral("No option for regression is selected");
        showStatus(input, QString());
        return out;
    }
    // A limit or confidence box that the run would read and that holds no
    // number stops it, as a cell that holds none does.
    if (const QString unreadable = s.unreadableInput(); !unreadable.isEmpty()) {
        out.refusal = unreadable;
        showStatus(input, QString());
        return out;
    }
    out.methodUsed = method;
    out.limits = runLimits(input.limits, s.limits);

    std::optional<SeededRandomSource> clockSeeded;
    if (!input.random)
        clockSeeded.emplace(SeededRandomSource::clockSeed());
    RandomSource& random = input.random ? *input.random : *clockSeeded;
    try {
        EvaluationContext ctx(s, data, method, sumtrix(), random, matrix, out.limits,
                              computeRegression(sumtrix(), data, method));
        ctx.gridRows = input.gridRows;
        ctx.mainCaption = input.mainCaption;
        ctx.dataFileName = input.dataFileName;
        ctx.batchMode = input.batchMode;
        ctx.requests = requests;
        ctx.status = input.status;
        ctx.reportHeader = buildReportHeader(input.dataFileName, input.now);
        ctx.report.setComments(s.comments);
        ctx.report.append(ctx.reportHeader);
        writeMethodLines(ctx.report, s, method);
        for (const ReportSection& section : reportSections()) {
            if (!section.enabled(s))
                continue;
            if (section.status)
                showStatus(input, QString::fromUtf8(section.status));
            step([&] { section.write(ctx); });
        }
        out.ran = true;
        out.caption = ctx.windowCaption(QStringLiteral("Results - "));
        out.header = ctx.reportHeader;
        out.requests = ctx.requests;
        out.unsavedFiles = ctx.unsavedFiles;
        if (!input.utf8Only) {
            out.report = ctx.report.text();
            for (RunRequest& r : out.requests) {
                if (auto* show = std::get_if<RunRequests::ShowReport>(&r))
                    show->text = QString::fromUtf8(show->utf8);
                else if (auto* side = std::get_if<RunRequests::ShowSideWindow>(&r))
                    side->text = QString::fromUtf8(side->utf8);
            }
        }
        // The shared mean feeds the percentage bands; one that could not be
        // computed leaves the last one.
        if (std::isfinite(ctx.moments().MeanY))
            out.MeanY = ctx.moments().MeanY;
    } catch (const std::bad_alloc&) {
        // Not a step that failed: the report would lack whatever did not fit.
        out.refusal = QStringLiteral("There is not enough memory to complete the evaluation.");
        out.requests = requests;
        out.limits = input.limits;
        showStatus(input, QString());
        return out;
    }
    showStatus(input, QString());
    return out;
}
