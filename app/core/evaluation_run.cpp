// The evaluation run: the frame of the report and the order of its sections.
#include "core/evaluation_run.hpp"

#include <QLocale>

#include "SumtrixLib/Runtime.hpp"
#include "core/kve_code.hpp"
#include "core/regression_analysis.hpp"
#include "core/report_text.hpp"
#include "core/program_info.hpp"

EvaluationData gatherEvaluationData(const DataMatrix& matrix, int gridRows)
{
    EvaluationData d;
    d.X.push_back(0);
    d.SDX.push_back(0);
    d.Y.push_back(0);
    d.SDY.push_back(0);
    const int lastRow = std::min(gridRows - 1, matrix.upperRow());
    for (int r = 1; r <= lastRow; ++r) {
        const DataCell& x = matrix.cell(DataMatrix::ColX, r);
        // A cell holding a number is never the empty text.
        if (x.isMissing())
            continue;
        const QString mark = matrix.cell(DataMatrix::ColExclude, r).toDisplayString();
        if (!mark.isEmpty()) {
            const QChar first = mark.at(0).toUpper();
            if (first == QLatin1Char('Y') || first == QLatin1Char('0'))
                continue;
        }
        ++d.N;
        // A cell that is not a number reads as 0; the row is still used.
        d.X.push_back(x.toNumber().value_or(0.0));
        const DataCell& sdx = matrix.cell(DataMatrix::ColSDX, r);
        d.SDX.push_back(sdx.isMissing() ? 0.0 : sdx.toNumber().value_or(0.0));
        d.Y.push_back(matrix.cell(DataMatrix::ColY, r).toNumber().value_or(0.0));
        const DataCell& sdy = matrix.cell(DataMatrix::ColSDY, r);
        d.SDY.push_back(sdy.isMissing() ? 0.0 : sdy.toNumber().value_or(0.0));
    }
    return d;
}

QString buildReportHeader(const QString& dataFileName, const QDateTime& now)
{
    QString first = QStringLiteral("KVE v. ") + ProgramVersionText();
    const QString t = KVECode::GetFileName(dataFileName);
    if (t.size() > 77) {
        first += QStringLiteral(" [...") + t.right(73) + QStringLiteral("] ");
    } else if (t.isEmpty()) {
        const int k = (80 - 8) / 2;
        first += QString(k, QLatin1Char(' ')) + QStringLiteral("[UNTITLED]") + QString(k, QLatin1Char(' '));
    } else {
        const int k = static_cast<int>((80 - t.size()) / 2);
        first += QString(k, QLatin1Char(' ')) + QLatin1Char('[') + t + QLatin1Char(']') + QString(k, QLatin1Char(' '));
    }
    first += QLocale().toString(now, QStringLiteral("dd-MMM-yyyy hh:mm:ss"));
    return first + QStringLiteral("\r\n") + QString(first.size(), QLatin1Char('.')) + QStringLiteral("\r\n\r\n");
}

namespace {

void showStatus(const EvaluationOptions& o, const QString& text)
{
    if (o.status)
        o.status(text);
}

} // namespace

EvaluationOutcome runEvaluation(const DataMatrix& matrix, const EvaluationOptions& options)
{
    EvaluationOutcome out;
    EvaluationData data = gatherEvaluationData(matrix, options.gridRows);
    if (data.N < 3)
        return out;

    const bool ignoreX = options.isTicked(QStringLiteral("Check2"));
    const bool ignoreY = options.isTicked(QStringLiteral("Check3"));
    for (int i = 1; i <= data.N; ++i) {
        if (ignoreX)
            data.SDX[static_cast<std::size_t>(i)] = 1E-30;
        if (ignoreY)
            data.SDY[static_cast<std::size_t>(i)] = 1E-30;
    }

    // Notices that switch the weighted method to the regular one.
    RegressionMethod method = options.method;
    auto switchToRegular = [&](const QString& text) {
        out.requests.append({RunRequest::Kind::Notice, text, {}, RegressionMethod::None, {}});
        out.requests.append({RunRequest::Kind::SelectMethod, {}, {}, RegressionMethod::LeastSquares, {}});
        method = RegressionMethod::LeastSquares;
    };
    if (ignoreX && ignoreY && method == RegressionMethod::WeightedLeastSquares)
        switchToRegular(QStringLiteral("Because both uncertainties are being ignored, the Regular Least-Squares Regression will be used"));
    if (method == RegressionMethod::WeightedLeastSquares) {
        for (int i = 1; i <= data.N; ++i) {
            if ((data.SDX[static_cast<std::size_t>(i)] == 0 && !ignoreX) || (data.SDY[static_cast<std::size_t>(i)] == 0 && !ignoreY)) {
                switchToRegular(QStringLiteral("Because at least one SD X or SD Y is zero, the Regular Least-Squares Regression will be used"));
                break;
            }
        }
    }

    showStatus(options, QStringLiteral("Regression..."));
    if (method == RegressionMethod::None) {
        out.requests.append({RunRequest::Kind::ErrorBox, QStringLiteral("No option for regression is selected"), {}, RegressionMethod::None, {}});
        showStatus(options, QString());
        return out;
    }
    out.methodUsed = method;

    RunResults results;
    computeRegression(data, method, results);
    out.MeanY = results.MeanY;

    out.ran = true;
    out.caption = QStringLiteral("Results - ") + options.mainCaption;
    out.header = buildReportHeader(options.dataFileName, options.now);

    ReportText report(options.isTicked(QStringLiteral("Check13")));
    report.append(out.header);
    switch (method) {
    case RegressionMethod::LeastSquares:
        report.line(QStringLiteral("Regular Least-Squares Regression"));
        break;
    case RegressionMethod::WeightedLeastSquares:
        report.line(QStringLiteral("Weighted Least-Squares Regression"));
        if (ignoreX)
            report.line(QStringLiteral("Ignored uncertainties in X"));
        if (ignoreY)
            report.line(QStringLiteral("Ignored uncertainties in Y"));
        break;
    case RegressionMethod::LeastAbsoluteDeviation:
        report.line(QStringLiteral("Robust Regression (Median)"));
        break;
    case RegressionMethod::None:
        break;
    }
    if (options.isTicked(QStringLiteral("Check7")))
        report.line(QStringLiteral("Swapped X <=> Y"));
    report.newLine();

    // The sections in their fixed order; each runs only when its guard holds.
    writeRegressionSection(report, data, method, results);
    if (options.isTicked(QStringLiteral("Check10"))) {
        showStatus(options, QStringLiteral("Parameters..."));
        writeParameterTestsSection(report, data, results);
    }
    if (options.isTicked(QStringLiteral("Check20"))) {
        showStatus(options, QStringLiteral("OLS and SLS..."));
        writeOlsSlsSection(report, data, results);
    }

    out.report = report.text();
    out.requests.append({RunRequest::Kind::ShowReport, out.report, out.caption, RegressionMethod::None, {}});
    if (options.batchMode)
        out.requests.append({RunRequest::Kind::SetAuto, {}, {}, RegressionMethod::None, {}});
    showStatus(options, QString());
    return out;
}

EvaluationOptions evaluationOptionsFrom(const DatasetFile::DatasetOptions& options)
{
    EvaluationOptions o;
    o.method = RegressionMethod::None;
    const auto& keys = DatasetFile::optionKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString control = QLatin1String(keys[i].control);
        const DatasetFile::OptionValue& v = options[i];
        switch (keys[i].form) {
        case DatasetFile::OptionForm::CheckState:
            if (std::get<int>(v) == 1)
                o.ticked.insert(control);
            break;
        case DatasetFile::OptionForm::Flag:
            if (control == QLatin1String("List1")) {
                if (keys[i].item >= 0 && keys[i].item < 14)
                    o.residueSelection[static_cast<std::size_t>(keys[i].item) + 1] = std::get<bool>(v);
            } else if (control.startsWith(QLatin1String("Option1_")) && std::get<bool>(v)) {
                o.method = static_cast<RegressionMethod>(control.mid(8).toInt());
            }
            break;
        case DatasetFile::OptionForm::Text:
            o.texts.insert(control, std::get<QString>(v));
            break;
        default:
            break;
        }
    }
    return o;
}
