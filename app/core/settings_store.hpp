#pragma once
// The per-user settings store: organisation and application "Brannex3",
// group "Config", one text value per key. Check box states are kept as
// decimal text: "0" clear, "1" ticked, "2" greyed.

#include <QList>
#include <QString>
#include <Qt>

#include <array>
#include <optional>
#include <utility>

#include "core/dataset_options.hpp"

// An option of the main window kept between runs.
struct PersistedOption {
    const char* key;
    DatasetFile::Option option;   // the check box's option
    const char* caption;
    bool defaultTicked;           // state when the key is absent
};

// In the order they are read at start and written at close.
inline constexpr std::array<PersistedOption, 7> PersistedOptions{{
    {"AutoIncreaseRows", DatasetFile::Option::AutoIncreaseRows, "Auto increase rows", true},
    {"PasteSingleColumn", DatasetFile::Option::PasteSingleColumn, "Paste single column", true},
    {"SameScaleXYAxis", DatasetFile::Option::SameScaleXY, "Same scale for X- and Y-axis", true},
    {"AddComments", DatasetFile::Option::AddComments, "Add comments to output", true},
    {"ShowExcluded", DatasetFile::Option::ShowExcluded, "Show excluded data points", false},
    {"PlotYXLine", DatasetFile::Option::PlotYXLine, "Plot Y = X line", true},
    {"ShowRef", DatasetFile::Option::ShowReferences, "Show references", false},
}};

namespace SettingsStore {

// The stored text of `key` in "Config"; empty when absent.
QString GetSetting(const QString& key);
// Stores `value` under `key`; false when the store could not be written.
bool SaveSetting(const QString& key, const QString& value);
// Stores several keys at once: the store is written once, and not at all
// when every value is already stored.
bool SaveSettings(const QList<std::pair<QString, QString>>& values);
// Removes `key`. The program itself never removes a setting; the tests
// use this to start from a store without the key.
void DeleteSetting(const QString& key);

// The check state a stored text stands for. Only "0", "1" and "2" count;
// an absent, empty or other value gives nothing, so the check box keeps
// its default state.
std::optional<Qt::CheckState> CheckStateFromSetting(const QString& text);
// The stored text of a check state.
QString SettingFromCheckState(Qt::CheckState state);

} // namespace SettingsStore
