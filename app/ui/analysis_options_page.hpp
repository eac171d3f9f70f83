#pragma once
// The "Options" page of the main window: the regression method, the
// general options, the sections to calculate, the bootstrap and threshold
// settings and the grid formats, with their rules (the uncertainty boxes
// only for the weighted method, each frame only while its section is
// ticked, the formats taken when their box loses the focus).

#include <array>
#include <functional>

#include "ui/option_page.hpp"

class QRadioButton;

class AnalysisOptionsPage : public OptionPage {
    Q_OBJECT
public:
    AnalysisOptionsPage(MainControls& controls, QWidget* parent);

    // The method buttons' rule: the uncertainty boxes only with the
    // weighted method (index 1).
    void Option1_Click(int index);
    void Check24_Click();                    // threshold frame
    void Check5_Click();                     // bootstrap frame
    void Check50_Click();                    // no sound
    void Text1_LostFocus(TextBox box);       // the grid formats

    // Called when a grid format box has taken a new format.
    std::function<void()> onGridFormatsChanged;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFrameRule(QCheckBox* box, QWidget* frame);

    std::array<QRadioButton*, 3> Option1{};
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
};
