#pragma once
// The per-user settings store: organisation and application "Brannex3",
// group "Config", one text value per key. Check box states are kept as
// decimal text: "0" clear, "1" ticked, "2" greyed.

#include <QString>
#include <Qt>

#include <array>
#include <optional>

// An option of the main window kept between runs.
struct PersistedOption {
    const char* key;
    const char* control;   // objectName of the check box on frmMain
    const char* caption;
    bool designTicked;     // state when the key is absent
};

// In the order they are read at start and written at close.
inline constexpr std::array<PersistedOption, 7> PersistedOptions{{
    {"AutoIncreaseRows", "Check9", "Auto increase rows", true},
    {"PasteSingleColumn", "Check8", "Paste single column", true},
    {"SameScaleXYAxis", "Check22", "Same scale for X- and Y-axis", true},
    {"AddComments", "Check13", "Add comments to output", true},
    {"ShowExcluded", "Check1", "Show excluded data points", false},
    {"PlotYXLine", "Check46", "Plot Y = X line", true},
    {"ShowRef", "Check28", "Show references", false},
}};

namespace SettingsStore {

// The stored text of `key` in "Config"; empty when absent.
QString GetSetting(const QString& key);
// Stores `value` under `key`; false when the store could not be written.
bool SaveSetting(const QString& key, const QString& value);
// Removes `key` (tests, and a user restoring the design state).
void DeleteSetting(const QString& key);

// The check state a stored text stands for. Only "0", "1" and "2" count;
// an absent, empty or other value gives nothing, so the check box keeps
// its design state.
std::optional<Qt::CheckState> CheckStateFromSetting(const QString& text);
// The stored text of a check state.
QString SettingFromCheckState(Qt::CheckState state);

} // namespace SettingsStore
