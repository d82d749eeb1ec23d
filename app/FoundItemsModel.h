#pragma once

#include "store/ItemSearch.h"

#include <QAbstractTableModel>
#include <QHash>

#include <functional>
#include <vector>

// The results of a search as the Find Items list shows them: date, time
// and subject, and the folder when several calendars were searched. A
// series shows its pattern where a date would be. Texts are made when a
// row is painted, so a search that finds every item of a large calendar
// costs no more to show than one that finds ten.
class FoundItemsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { DateColumn, TimeColumn, SubjectColumn, FolderColumn };

    explicit FoundItemsModel(QObject *parent = nullptr);

    // Asked at paint time: whether times are on the 24-hour clock.
    void setClockSource(std::function<bool()> use24Hour) { m_use24Hour = std::move(use24Hour); }
    // folderNames: the folder's name by calendar file, shown in a fourth
    // column; empty shows three.
    void setItems(std::vector<FoundItem> items, QHash<QString, QString> folderNames);
    const std::vector<FoundItem> &items() const { return m_items; }
    const FoundItem &item(int row) const { return m_items.at(size_t(row)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QString dateText(const FoundItem &item);
    static QString timeText(const FoundItem &item, bool use24Hour);

private:
    std::vector<FoundItem> m_items;
    QHash<QString, QString> m_folderNames;
    std::function<bool()> m_use24Hour;
};
