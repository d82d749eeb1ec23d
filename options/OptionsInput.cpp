#include "options/OptionsInput.h"

#include <QRegularExpression>

namespace OptionsInput {

std::optional<int> purgeAge(const QString &text)
{
    // Digits only: toInt alone would take "+5" and, in some locales, group
    // separators.
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString trimmed = text.trimmed();
    if (!digits.match(trimmed).hasMatch())
        return std::nullopt;
    const int days = trimmed.toInt();
    if (days < purgeAgeMinimum || days > purgeAgeMaximum)
        return std::nullopt;
    return days;
}

} // namespace OptionsInput
