#pragma once
// frmRND: the random-data generator window. Makes a dataset of n pairs
// (X predicted, Y observed) with chosen means, variances and correlation by
// a straight-line model or the Frank or Clayton copula, and puts it into the
// main window's sheet in place of the current dataset.
//
// The window is created on first showing and hidden, never destroyed, by
// "Return" and "Close generator", so its inputs stay while the program runs.
// Controls carry their names as objectNames (Text1_0 .. Text1_5,
// Option1_0 .. Option1_2, Check1 .. Check3, Command1, Command2).

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/random_data.hpp"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RandomSource;
class frmMain;

class frmRND : public QDialog {
    Q_OBJECT
public:
    explicit frmRND(frmMain& main);

    // The generator of this main window: created on first use, then shown.
    static frmRND& showFor(frmMain& main);
    // The generator window, when one was created.
    static frmRND* existing();

    void Command1_Click();                   // Execute
    void Command2_Click();                   // Return

    // Where Execute takes its uniform numbers: by default a source seeded
    // from the clock at every generation; tests give a fixed seed.
    std::function<std::unique_ptr<RandomSource>()> makeRandomSource;

    RandomDataInput input() const;

private:
    void placeDataset(const RandomDataset& data);

    frmMain& m_main;
    std::array<QLineEdit*, 6> Text1{};
    std::array<QRadioButton*, 3> Option1{};
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};
