#include "store/OptionsRecord.h"

#include "store/Cursor.h"
#include "store/OptionLists.h"

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
    // Posted at once even while the options dialog holds the row in edit
    // mode: its Cancel must not throw this value away, nor its OK write an
    // older one over it (window placement stored on Exit, pane widths).
    std::vector<std::pair<QString, QVariant>> fields;
    for (const auto &[field, value] : values)
        fields.emplace_back(fieldName(field), value);
    return m_table.postBesideEdit(fields);
}
