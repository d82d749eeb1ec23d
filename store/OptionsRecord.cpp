#include "OptionsRecord.h"

#include "Cursor.h"
#include "OptionLists.h"

namespace {
QString fieldName(int field)
{
    return QString::number(field);
}
} // namespace

bool OptionsRecord::boolField(int field) const
{
    return m_table.asBool(fieldName(field));
}

int OptionsRecord::intField(int field) const
{
    return m_table.asInt(fieldName(field));
}

QTime OptionsRecord::timeField(int field) const
{
    return m_table.asTime(fieldName(field));
}

QString OptionsRecord::textField(int field) const
{
    return m_table.asText(fieldName(field));
}

QColor OptionsRecord::colorField(int field, const QColor &fallback) const
{
    return ColorText::parse(textField(field)).value_or(fallback);
}

QString OptionsRecord::typeName(int type) const
{
    return textField(31 + type);
}

bool OptionsRecord::change(std::initializer_list<std::pair<int, QVariant>> values)
{
    // While the options dialog holds the row in edit mode the values join
    // its edit, and its OK or Cancel decides; posting here would commit the
    // user's unconfirmed changes behind the dialog's back.
    const bool ownEdit = m_table.state() == Cursor::State::Browse;
    if (ownEdit && !m_table.edit())
        return false;
    for (const auto &[field, value] : values)
        m_table.setValue(fieldName(field), value);
    if (!ownEdit)
        return true;
    if (!m_table.post()) {
        m_table.cancel();
        return false;
    }
    return true;
}
