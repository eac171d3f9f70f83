#include "ui/option_page.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "core/program_state.hpp"
#include "ui/picture_button.hpp"

using DatasetFile::Option;
using DatasetFile::OptionForm;

namespace {

// Check states as the file writes them: 0 not ticked, 1 ticked, 2 grey.
int fileCheckState(Qt::CheckState state)
{
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

Qt::CheckState qtCheckState(int state)
{
    return state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// The residue columns are the items of one list.
int listItemOf(Option option)
{
    return DatasetFile::residueColumnOf(option) - 1;
}

} // namespace

OptionPage::OptionPage(MainControls& controls, const QString& objectName, QWidget* parent)
    : QFrame(parent)
    , m_controls(controls)
{
    setObjectName(objectName);
}

QCheckBox* OptionPage::addCheck(CheckBox box, const QString& caption, QWidget* parent)
{
    auto* check = new QCheckBox(caption, parent ? parent : this);
    check->setObjectName(checkBoxName(box));
    m_controls.checks[static_cast<int>(box)] = check;
    return check;
}

QLineEdit* OptionPage::addText(TextBox box, const QString& text, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent ? parent : this);
    edit->setObjectName(textBoxName(box));
    m_controls.texts[static_cast<std::size_t>(box)] = edit;
    return edit;
}

QRadioButton* OptionPage::addRadio(const QString& name, const QString& caption, QWidget* parent)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    return option;
}

QPushButton* OptionPage::addButton(const QString& name, const QString& caption, const QString& tooltip,
                                   QWidget* parent)
{
    return makeButton(parent ? parent : this, name, caption, tooltip);
}

QGroupBox* OptionPage::addFrame(const QString& caption, const QString& name, QWidget* parent)
{
    auto* frame = new QGroupBox(caption, parent ? parent : this);
    if (!name.isEmpty())
        frame->setObjectName(name);
    return frame;
}

void OptionPage::bindOptions()
{
    const DatasetFile::DatasetOptions defaults = DatasetFile::defaultOptions();
    for (const DatasetFile::OptionKey& k : DatasetFile::optionKeys()) {
        // The grid formats and the notes' font size are kept by the window
        // itself (the formats in force, the notes' font).
        if (k.form == OptionForm::Format || k.form == OptionForm::Size)
            continue;
        if (QWidget* control = findChild<QWidget*>(optionControlName(k.option))) {
            m_bound.emplace_back(k.option, control);
            applyOption(k.option, defaults[static_cast<std::size_t>(DatasetFile::indexOf(k.option))]);
        }
    }
}

QWidget* OptionPage::controlOf(Option option) const
{
    for (const auto& [bound, control] : m_bound)
        if (bound == option)
            return control;
    return nullptr;
}

void OptionPage::gatherOptions(DatasetFile::DatasetOptions& options) const
{
    for (const auto& [option, control] : m_bound) {
        DatasetFile::OptionValue& value = options[static_cast<std::size_t>(DatasetFile::indexOf(option))];
        switch (DatasetFile::optionKey(option).form) {
        case OptionForm::CheckState:
            value = fileCheckState(static_cast<QCheckBox*>(control)->checkState());
            break;
        case OptionForm::Flag:
            if (auto* list = qobject_cast<QListWidget*>(control))
                value = list->item(listItemOf(option))->isSelected();
            else
                value = static_cast<QRadioButton*>(control)->isChecked();
            break;
        case OptionForm::Text:
            value = static_cast<QLineEdit*>(control)->text();
            break;
        case OptionForm::Format:
        case OptionForm::Size:
            break;
        }
    }
}

bool OptionPage::applyOption(Option option, const DatasetFile::OptionValue& value)
{
    QWidget* control = controlOf(option);
    if (!control)
        return false;
    switch (DatasetFile::optionKey(option).form) {
    case OptionForm::CheckState:
        static_cast<QCheckBox*>(control)->setCheckState(qtCheckState(std::get<int>(value)));
        break;
    case OptionForm::Flag:
        if (auto* list = qobject_cast<QListWidget*>(control))
            list->item(listItemOf(option))->setSelected(std::get<bool>(value));
        else
            static_cast<QRadioButton*>(control)->setChecked(std::get<bool>(value));
        break;
    case OptionForm::Text:
        m_restoring = true;
        static_cast<QLineEdit*>(control)->setText(std::get<QString>(value));
        m_restoring = false;
        break;
    case OptionForm::Format:
    case OptionForm::Size:
        return false;
    }
    return true;
}

OptionPage* OptionPage::notesPage(MainControls& controls, QWidget* parent)
{
    // The notes box and its buttons; what they do belongs to the notes
    // (NotesPage).
    auto* page = new OptionPage(controls, QStringLiteral("Frame9_3"), parent);
    auto* layout = new QVBoxLayout(page);
    auto* notes = new QTextEdit(page);
    notes->setObjectName(QStringLiteral("Notes"));
    notes->setAcceptRichText(false);
    layout->addWidget(notes, 1);
    auto* row = new QHBoxLayout();
    QCheckBox* colours = page->addCheck(CheckBox::NotesBlue, QStringLiteral("Ab"));
    colours->setToolTip(QStringLiteral("Invert colors"));
    QCheckBox* bold = page->addCheck(CheckBox::NotesBold, QStringLiteral("B"));
    bold->setToolTip(QStringLiteral("Bold"));
    row->addWidget(colours);
    row->addWidget(bold);
    // Picture buttons: the tooltips say what they do.
    const struct {
        const char* name;
        const char* tooltip;
        const char* picture;
        QStyle::StandardPixmap fallback;
    } buttons[] = {
        {"Command18_1", "Zoom in", "zoom-in", QStyle::SP_ArrowUp},
        {"Command19_2", "Zoom out", "zoom-out", QStyle::SP_ArrowDown},
        {"Command16", "Clean Notes", "edit-clear", QStyle::SP_LineEditClearButton},
        {"Command21", "Save Notes as text file", "document-save", QStyle::SP_DialogSaveButton},
        {"Command22", "Open text file into Notes", "document-open", QStyle::SP_DialogOpenButton},
        {"Command20", "Edit with Notepad application", "accessories-text-editor", QStyle::SP_FileIcon},
    };
    for (const auto& b : buttons) {
        QPushButton* button = page->addButton(QLatin1String(b.name), QString(), QLatin1String(b.tooltip));
        setPicture(button, b.picture, b.fallback);
        row->addWidget(button);
    }
    row->addStretch();
    layout->addLayout(row);
    page->bindOptions();
    return page;
}
