#include "ui/main_window_controls.hpp"

#include <QCheckBox>
#include <QPushButton>

namespace {

// In the order of the option table (dataset_options.hpp).
constexpr std::array<const char*, DatasetFile::OptionCount> kOptionControls = {{
    "Option1_0", "Option1_1", "Option1_2", "Check2", "Check3", "Check9", "Check8", "Check22", "Check13",
    "Check1", "Check46", "Check28", "Check50", "Text1_13", "Text1_12", "Check10", "Check20", "Check29",
    "Check4", "Check11", "Check34", "Check17", "Check30", "Check12", "Check19", "Check35", "Check5", "Check18",
    "Check24", "Check27", "Check26", "Check6", "Check33", "Check47", "Check48", "Check56", "Text1_10",
    "Text1_11", "Check23", "Text1_7", "Text1_6", "List1", "List1", "List1", "List1", "List1", "List1", "List1",
    "List1", "List1", "List1", "List1", "List1", "List1", "List1", "Text1_9", "Text1_1", "Text1_2", "Text1_3",
    "Text1_4", "Text1_5", "Text1_8", "Check25", "Check21", "Check32", "Check14", "Check31", "Check36",
    "Check37", "Option3_0", "Option3_1", "Check42", "Check43", "Check38", "Check39", "Text1_14", "Check40",
    "Check41", "Option2_0", "Option2_1", "Option2_2", "Option2_3", "Option2_4", "Check51", "Check52",
    "Check54", "Check55", "Check53", "RGraph_0", "RGraph_1", "RGraph_2", "Check45", "Check44", "Notes",
}};

} // namespace

QString checkBoxName(CheckBox box)
{
    return QStringLiteral("Check%1").arg(static_cast<int>(box));
}

QString textBoxName(TextBox box)
{
    return QStringLiteral("Text1_%1").arg(static_cast<int>(box));
}

QString optionControlName(DatasetFile::Option option)
{
    return QLatin1String(kOptionControls[static_cast<std::size_t>(DatasetFile::indexOf(option))]);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& tooltip)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (!tooltip.isEmpty())
        button->setToolTip(tooltip);
    return button;
}

QCheckBox* MainControls::check(CheckBox box) const
{
    const auto it = checks.find(static_cast<int>(box));
    return it == checks.end() ? nullptr : it->second;
}
