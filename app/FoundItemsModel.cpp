#include "app/FoundItemsModel.h"

#include "store/LocaleFormats.h"
#include "views/ClockText.h"

FoundItemsModel::FoundItemsModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void FoundItemsModel::setItems(std::vector<FoundItem> items, QHash<QString, QString> folderNames)
{
    beginResetModel();
    m_items = std::move(items);
    m_folderNames = std::move(folderNames);
    endResetModel();
}

int FoundItemsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int FoundItemsModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_folderNames.isEmpty() ? FolderColumn : FolderColumn + 1;
}

QString FoundItemsModel::dateText(const FoundItem &item)
{
    if (item.isSeries())
        return item.pattern;
    if (item.task) {
        if (item.end.isValid())
            return QStringLiteral("Due ") + LocaleFormats::formatDate(item.end);
        return LocaleFormats::formatDate(item.start);
    }
    if (item.end.isValid() && item.end > item.start)
        return LocaleFormats::formatDate(item.start) + QStringLiteral(" - ") + LocaleFormats::formatDate(item.end);
    return LocaleFormats::formatDate(item.start);
}

QString FoundItemsModel::timeText(const FoundItem &item, bool use24Hour)
{
    if (item.task || item.allDay || !item.startTime.isValid())
        return QString();
    if (!item.endTime.isValid())
        return ClockText::format(item.startTime, use24Hour);
    return ClockText::format(item.startTime, use24Hour) + QLatin1Char('-') + ClockText::format(item.endTime, use24Hour);
}

QVariant FoundItemsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const FoundItem &found = item(index.row());
    switch (index.column()) {
    case DateColumn:
        return dateText(found);
    case TimeColumn:
        return timeText(found, m_use24Hour && m_use24Hour());
    case SubjectColumn:
        return found.subject;
    case FolderColumn:
        return m_folderNames.value(found.calendar);
    }
    return QVariant();
}

QVariant FoundItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case DateColumn:
        return QStringLiteral("Date");
    case TimeColumn:
        return QStringLiteral("Time");
    case SubjectColumn:
        return QStringLiteral("Subject");
    case FolderColumn:
        return QStringLiteral("Folder");
    }
    return QVariant();
}
