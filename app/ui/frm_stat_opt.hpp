#pragma once
// frmStatOpt "Plot Statistics": the options window of the chart windows'
// "Stats" box. One window for the whole program, loaded the first time a
// "Stats" box is ticked and hidden between uses; each chart window puts its
// own choices, colour and width into it before showing it modally and takes
// them back afterwards.

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QPushButton;

class frmStatOpt : public QDialog {
    Q_OBJECT
public:
    // The window, loaded the first time.
    static frmStatOpt* instance();
    static bool isLoaded();

    // "Show mean", "Show SD", "Show min", "Show max", "Show trend".
    QCheckBox* Check1(int index) const { return m_check1[static_cast<std::size_t>(index)]; }
    QPushButton* lineWidthButton() const { return cmdLineWidth; }
    QPushButton* statColorButton() const { return cmdStatColor; }

    // The line colour, shown as cmdStatColor's back colour.
    QColor statColor() const { return m_statColor; }
    void setStatColor(const QColor& colour);

    // Shows the window modally over `owner` and returns once it is hidden.
    // Where nobody can see windows it returns at once, as if confirmed.
    void showModal(QWidget* owner);
    // For tests: run in place of the modal showing (the script sets the
    // controls and confirms or closes the window).
    static std::function<void(frmStatOpt&)>& modalScript();

    void cmdLineWidth_Click();
    void cmdStatColor_Click();
    void OKButton_Click();
    // The close box: all five boxes unticked, the window hidden.
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmStatOpt();

    std::array<QCheckBox*, 5> m_check1{};
    QPushButton* cmdLineWidth = nullptr;
    QPushButton* cmdStatColor = nullptr;
    QPushButton* OKButton = nullptr;
    QColor m_statColor;
};
