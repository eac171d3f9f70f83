#pragma once
// The "Graphics" page of the main window: the residual table's columns and
// plots with the acceptance limits and their percentage bands, the
// histogram options and the deviation confidence, with their rules (the
// histogram panel's boxes that enable others, one of "2D Graph" and
// "3D Graph" with no pie in three dimensions, the confidence and the
// deviation limits exclusive, at least 3 bins).

#include "ui/option_page.hpp"

class QLabel;
class QListWidget;
class QRadioButton;
class QScrollBar;

class GraphicsOptionsPage : public OptionPage {
    Q_OBJECT
public:
    GraphicsOptionsPage(MainControls& controls, QWidget* parent);

    // Fills the limit and confidence boxes that hold nothing from the
    // shared limits, deriving those still 0 from MeanY (the "Dataset" tab
    // does this as it opens); a box that holds a value keeps it.
    void refillLimits();
    void Check6_Click();                     // the residual frame
    void HScroll1_Change();                  // deviation band
    void HScroll2_Change();                  // residual band
    void Text1_Change(TextBox box);
    void Text1_LostFocus(TextBox box);       // the bin count
    // The histogram panel's rules; each runs whenever its box changes.
    void Check37_Click();                    // "Plot Y and X": "Together" and "Separate"
    void Check40_Click();                    // "2D Graph"
    void Check41_Click();                    // "3D Graph"
    void Check42_Click();                    // "Plot X and X difference": "Abs(difference)"

    QPushButton* plotButton() const { return m_plot; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setBoxText(TextBox box, const QString& text);
    bool ticked(CheckBox box) const;
    QRadioButton* option(const char* name) const;
    // A percentage band: the limits +-(value of `bar`) % of MeanY, shown
    // in their boxes and beside the bar.
    void setBand(QScrollBar* bar, QLabel* label, double& lower, TextBox lowerBox, double& upper, TextBox upperBox);

    QGroupBox* Frame5 = nullptr;
    QListWidget* List1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* HScroll2 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QPushButton* m_plot = nullptr;
    int m_changeOrigin = -1;               // the box whose change runs the rules
};
