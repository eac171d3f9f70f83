#pragma once
// The R page's commands, for both windows that carry one: the main window
// (single variant, the current dataset) and the comparison window (group
// variant, the ticked models of the current comparison file). Each window
// builds its own controls under the same names and hands them over; the
// handlers here are the windows' handlers of the same names.

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "core/r_runner.hpp"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QWidget;

struct RPageControls {
    QWidget* window = nullptr;
    QComboBox* RFile = nullptr;
    QListWidget* ROutputList = nullptr;
    QCheckBox* showAll = nullptr;           // Check51 (main) or Check2 (comparison)
    QCheckBox* Check52 = nullptr;           // assign template and overwrite
    QCheckBox* Check53 = nullptr;           // show log
    QCheckBox* Check54 = nullptr;           // open graphics
    QCheckBox* Check55 = nullptr;           // open TXT files
    std::array<QRadioButton*, 3> RGraph{};
    QLabel* Label22 = nullptr;              // the R folder
};

class RPage : public QObject {
    Q_OBJECT
public:
    RPage(RVariant variant, const RPageControls& controls, QObject* parent = nullptr);

    // The dataset or comparison file the lists and runs are named after.
    std::function<QString()> namedFile;
    // Fills the data part of a run: the sheet (single) or the ticked model
    // files (group).
    std::function<void(RRunRequest&)> gatherData;

    void Command25_Click();                  // "R Script": run the template
    void Command26_Click();                  // "Open" the ticked outputs
    void Command27_Click();                  // "Delete" the ticked outputs
    void Command28_Click();                  // "Refresh" both lists
    void Command29_Click();                  // "Load R": R's console
    void Command31_Click();                  // "R path"
    void Command32_Click();                  // "Edit template"
    void Command33_Click();                  // "Check/uncheck all"

    // Creates the page's command buttons in `row`, connected to the
    // handlers: "R Script", "Open", "Delete", "Check/uncheck all", "Edit
    // template", "Load R" and "R path".
    void addButtons(QWidget* parent, QBoxLayout* row);

    // The R folder label after the page is shown: the stored folder when
    // it holds R's programs, else "R path not defined".
    void showRFolder();

    // Starts R's console in a terminal: the first of terminalPrograms()
    // on the PATH that starts. Empty when one did, else what the user is
    // told: which terminal could not be started, or that none was found
    // and which were looked for.
    static QString startConsole(const QString& rProgram);

private:
    QString outputFolder() const;

    RVariant m_variant;
    RPageControls m_controls;
};

// Runs a program through the platform's process runner while a modal
// "Running R..." box offers Cancel, which ends it and whatever it started.
// Only the user stops it (Cancel, the box's close button, Escape); a box
// that leaves the screen any other way comes back while the program runs.
// The output is collected when `capture` (within the runner's bound), else
// dropped; a stopped run's output is dropped too.
RHost::ProcessResult runWithCancelBox(QWidget* parent, const QString& program, const QStringList& arguments,
                                      const QString& folder, bool capture);
