#include "ui/frm_rnd.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "SumtrixLib/Runtime.hpp"
#include "core/copula_generator.hpp"
#include "core/random_source.hpp"
#include "platform/platform_services.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/wait_cursor.hpp"

namespace {

QPointer<frmRND> theWindow;

void showError(const QString& text)
{
    Platform::message(text, MsgButtons::Ok, MsgIcon::Critical);
}

} // namespace

frmRND::frmRND(frmMain& main)
    : QDialog(&main)
    , m_main(main)
{
    makeRandomSource = [] { return std::make_unique<SeededRandomSource>(SeededRandomSource::clockSeed()); };
    setObjectName(QStringLiteral("frmRND"));
    setWindowTitle(QStringLiteral("Random Generator"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);

    auto* values = new QGridLayout;
    values->addWidget(new QLabel(QStringLiteral("Mean"), this), 0, 1);
    values->addWidget(new QLabel(QStringLiteral("Variance"), this), 0, 2);
    values->addWidget(new QLabel(QStringLiteral("Observed (Y)"), this), 1, 0);
    values->addWidget(new QLabel(QStringLiteral("Predicted (X)"), this), 2, 0);
    values->addWidget(new QLabel(QStringLiteral("Correlation (X and Y)"), this), 3, 0);
    values->addWidget(new QLabel(QStringLiteral("Data points"), this), 4, 0);
    for (int i = 0; i < 6; ++i) {
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
    }
    values->addWidget(Text1[0], 1, 1);
    values->addWidget(Text1[1], 1, 2);
    values->addWidget(Text1[2], 2, 1);
    values->addWidget(Text1[3], 2, 2);
    values->addWidget(Text1[4], 3, 1);
    values->addWidget(Text1[5], 4, 1);
    Text1[4]->setText(QStringLiteral("0.5"));
    Text1[5]->setText(QStringLiteral("500"));
    layout->addLayout(values);

    auto* methods = new QGroupBox(this);
    auto* methodLayout = new QVBoxLayout(methods);
    const char* captions[] = {"Frank copula", "Clayton copula", "Varnholt"};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(QLatin1String(captions[i]), methods);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
    }
    methodLayout->addWidget(Option1[2]);
    methodLayout->addWidget(Option1[0]);
    methodLayout->addWidget(Option1[1]);
    Option1[2]->setChecked(true);
    layout->addWidget(methods);

    auto addCheck = [this, layout](const char* name, const char* caption) {
        auto* box = new QCheckBox(QLatin1String(caption), this);
        box->setObjectName(QLatin1String(name));
        box->setChecked(true);
        layout->addWidget(box);
        return box;
    };
    Check1 = addCheck("Check1", "Overwrite data points");
    Check2 = addCheck("Check2", "Show scatter plot");
    Check3 = addCheck("Check3", "Close generator");

    auto* buttons = new QHBoxLayout;
    Command1 = new QPushButton(QStringLiteral("Execute"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Return"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral("Return"));
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    connect(Command1, &QPushButton::clicked, this, &frmRND::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmRND::Command2_Click);
}

frmRND& frmRND::showFor(frmMain& main)
{
    if (!theWindow || &theWindow->m_main != &main)
        theWindow = new frmRND(main);
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return *theWindow;
}

frmRND* frmRND::existing()
{
    return theWindow.data();
}

RandomDataInput frmRND::input() const
{
    RandomDataInput in;
    in.meanY = Text1[0]->text();
    in.varianceY = Text1[1]->text();
    in.meanX = Text1[2]->text();
    in.varianceX = Text1[3]->text();
    in.correlation = Text1[4]->text();
    in.count = Text1[5]->text();
    in.method = Option1[0]->isChecked()   ? RandomMethod::FrankCopula
                : Option1[1]->isChecked() ? RandomMethod::ClaytonCopula
                                          : RandomMethod::Varnholt;
    return in;
}

void frmRND::Command1_Click()
{
    const RandomDataCheck check = checkRandomDataInput(input());
    if (!check.settings) {
        showError(check.message);
        return;
    }

    RandomDataset data;
    {
        WaitCursor wait;
        try {
            const std::unique_ptr<RandomSource> source = makeRandomSource();
            data = generateRandomData(*check.settings, *source, libraryNormalQuantile, copulaGenerator());
        } catch (const SumtrixLib::RuntimeError& e) {
            showError(QString::fromStdString(e.description()));
            return;
        }
        const QString tooLarge = checkGeneratedValues(data);
        if (!tooLarge.isEmpty()) {
            showError(tooLarge);
            return;
        }

        DataMatrix& matrix = m_main.dataMatrix();
        FlexGrid* grid = m_main.grid();
        if (!Check1->isChecked() && !matrix.cell(DataMatrix::ColX, 1).isMissing()) {
            if (Platform::message(QStringLiteral("Do you want clear the dataset?"), MsgButtons::YesNo,
                                  MsgIcon::None, QString(), MsgAnswer::Yes) != MsgAnswer::Yes)
                return;
            for (int r = 1; r < grid->rows() && r <= matrix.upperRow(); ++r)
                for (int c = 1; c < grid->cols() && c < DataMatrix::Columns; ++c)
                    matrix.setEmpty(c, r);
            m_main.showSheet();
        }
        placeDataset(data);
        if (Check2->isChecked())
            m_main.CallPlot();
    }
    if (Check3->isChecked())
        hide();
}

void frmRND::placeDataset(const RandomDataset& data)
{
    const int n = static_cast<int>(data.X.size());
    FlexGrid* grid = m_main.grid();
    m_main.text1(0)->setText(QStringLiteral(" %1").arg(n));
    grid->setRows(n + 1);
    m_main.dataMatrix() = randomDataMatrix(data);
    m_main.AssignRowNumbers();
    // Every row is shown afresh in every column: the SDs or exclusion mark
    // of a row the sheet showed before would otherwise stay on screen while
    // the matrix holds nothing there. The columns fit the new values, also
    // where the old ones were wider.
    m_main.showSheet();
    grid->fitColumnsAfresh();
}

void frmRND::Command2_Click()
{
    hide();
}
