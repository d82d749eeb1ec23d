#include "store/OptionsRecord.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/OptionFields.h"
#include "store/OptionLists.h"
#include "store/TypeNames.h"

using NumberedFields::fieldName;

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
    return textField(OptionField::FirstTypeName + type);
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

bool OptionsRecord::defaultReminder() const
{
    return boolField(OptionField::DefaultReminder);
}

int OptionsRecord::defaultReminderLead() const
{
    return intField(OptionField::DefaultReminderLead);
}

int OptionsRecord::defaultSnoozePeriod() const
{
    return intField(OptionField::DefaultSnoozePeriod);
}

bool OptionsRecord::playSoundFile() const
{
    return boolField(OptionField::PlaySoundFile);
}

QString OptionsRecord::soundFile() const
{
    return textField(OptionField::SoundFile);
}

bool OptionsRecord::remindTasksWithDueDates() const
{
    return boolField(OptionField::RemindTasksWithDueDates);
}

QTime OptionsRecord::taskReminderTime() const
{
    return timeField(OptionField::TaskReminderTime);
}

QString OptionsRecord::lastReminderScan() const
{
    return textField(OptionField::LastReminderScan);
}

bool OptionsRecord::isWorkingDay(const QDate &date) const
{
    // The flags run Sunday .. Saturday, as the item table's weekday flags do.
    return boolField(OptionField::SundayIsWorkingDay + ItemField::weekdayFlagIndex(date));
}

int OptionsRecord::workStart() const
{
    return intField(OptionField::WorkStart);
}

int OptionsRecord::workEnd() const
{
    return intField(OptionField::WorkEnd);
}

QColor OptionsRecord::offHoursColor() const
{
    return colorField(OptionField::OffHoursColor, QColor(255, 255, 255));
}

QColor OptionsRecord::workingHoursColor() const
{
    return colorField(OptionField::WorkingHoursColor, QColor(153, 204, 255));
}

Qt::DayOfWeek OptionsRecord::firstDayOfWeek() const
{
    return intField(OptionField::FirstDayOfWeek) == 0 ? Qt::Sunday : Qt::Monday;
}

bool OptionsRecord::clock24Hour() const
{
    return boolField(OptionField::Clock24Hour);
}

bool OptionsRecord::windowMaximised() const
{
    return boolField(OptionField::WindowMaximised);
}

int OptionsRecord::windowLeft() const
{
    return intField(OptionField::WindowLeft);
}

int OptionsRecord::windowTop() const
{
    return intField(OptionField::WindowTop);
}

int OptionsRecord::windowWidth() const
{
    return intField(OptionField::WindowWidth);
}

int OptionsRecord::windowHeight() const
{
    return intField(OptionField::WindowHeight);
}

bool OptionsRecord::openOnStartup() const
{
    return boolField(OptionField::OpenOnStartup);
}

bool OptionsRecord::hideOnStartup() const
{
    return boolField(OptionField::HideOnStartup);
}

int OptionsRecord::folderPaneWidth() const
{
    return intField(OptionField::FolderPaneWidth);
}

bool OptionsRecord::folderPaneShown() const
{
    return boolField(OptionField::FolderPaneShown);
}

QVariant OptionsRecord::activeFolder() const
{
    return m_table.value(fieldName(OptionField::ActiveFolder));
}

bool OptionsRecord::paperIsLetter() const
{
    return boolField(OptionField::PaperIsLetter);
}

bool OptionsRecord::dailyPrintTaskPad() const
{
    return boolField(OptionField::DailyPrintTaskPad);
}

bool OptionsRecord::weeklyPrintTaskPad() const
{
    return boolField(OptionField::WeeklyPrintTaskPad);
}

int OptionsRecord::dailyPrintFrom() const
{
    return intField(OptionField::DailyPrintFrom);
}

bool OptionsRecord::deleteOldItems() const
{
    return boolField(OptionField::DeleteOldItems);
}

int OptionsRecord::deleteOlderThanDays() const
{
    const QVariant stored = m_table.value(fieldName(OptionField::DeleteOlderThanDays));
    return stored.typeId() == QMetaType::Int ? stored.toInt() : 0;
}

QStringList typeNames(const OptionsRecord &options)
{
    QStringList names;
    for (int type = 0; type <= 10; ++type)
        names << options.typeName(type);
    return names;
}
