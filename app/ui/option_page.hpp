#pragma once
// A page of the main window that shows dataset options. Its controls carry
// the objectNames of main_window_controls.hpp; once a page has built them,
// bindOptions() ties each to the option it shows and sets it to the
// option's default. The window gathers the options of all pages for Save
// and Calculate alike, and sets them from a file.

#include <QFrame>

#include <utility>
#include <vector>

#include "core/dataset_options.hpp"
#include "ui/main_window_controls.hpp"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class OptionPage : public QFrame {
    Q_OBJECT
public:
    OptionPage(MainControls& controls, const QString& objectName, QWidget* parent);

    // Fills in the options whose controls are on this page.
    void gatherOptions(DatasetFile::DatasetOptions& options) const;
    // Sets the control of one option as the user's change would, so that
    // its rules follow; false when the option is not on this page.
    bool applyOption(DatasetFile::Option option, const DatasetFile::OptionValue& value);

    // Builds the notes page's controls: the notes box and its buttons.
    static OptionPage* notesPage(MainControls& controls, QWidget* parent);

protected:
    QCheckBox* addCheck(CheckBox box, const QString& caption, QWidget* parent = nullptr);
    QLineEdit* addText(TextBox box, const QString& text = QString(), QWidget* parent = nullptr);
    QRadioButton* addRadio(const QString& name, const QString& caption, QWidget* parent);
    QPushButton* addButton(const QString& name, const QString& caption, const QString& tooltip = QString(),
                           QWidget* parent = nullptr);
    QGroupBox* addFrame(const QString& caption, const QString& name = QString(), QWidget* parent = nullptr);

    // Ties the controls built so far to their options and gives them the
    // defaults. Called once, before the page connects its rules.
    void bindOptions();

    MainControls& m_controls;
    // True while applyOption sets a control to a stored value (a dataset's
    // option, a default).
    bool m_restoring = false;

private:
    QWidget* controlOf(DatasetFile::Option option) const;
    std::vector<std::pair<DatasetFile::Option, QWidget*>> m_bound;
};
