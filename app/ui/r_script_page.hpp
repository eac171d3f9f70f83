#pragma once
// The "R Script" page of the main window: the R templates and output files
// of the dataset, the R options and the folder of the R program.

#include "ui/option_page.hpp"

class QComboBox;
class QLabel;
class QListWidget;

class RScriptPage : public OptionPage {
    Q_OBJECT
public:
    RScriptPage(MainControls& controls, QWidget* parent);

    QComboBox* templates() const { return RFile; }
    QListWidget* outputs() const { return ROutputList; }
    QLabel* folderLabel() const { return Label22; }
    QPushButton* refreshButton() const { return m_refresh; }

private:
    QComboBox* RFile = nullptr;
    QListWidget* ROutputList = nullptr;
    QLabel* Label22 = nullptr;
    QPushButton* m_refresh = nullptr;
};
