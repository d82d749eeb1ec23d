#pragma once

#include <QString>

#include <optional>

// What the options dialog accepts from its free text boxes.
namespace OptionsInput {

inline constexpr int purgeAgeMinimum = 1;
inline constexpr int purgeAgeMaximum = 3650;

// The "Delete items older than" days: a whole number from 1 to 3650,
// spaces around it allowed; nothing for anything else.
std::optional<int> purgeAge(const QString &text);

} // namespace OptionsInput
