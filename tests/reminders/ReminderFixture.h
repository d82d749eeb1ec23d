#pragma once

// A fresh data root with a started data module, and items written the way
// the editors write them, for the reminder tests.

#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/SeriesRow.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QStringList>
#include <QVariantMap>
#include <QtTest>

#include <memory>

class ReminderFixture
{
public:
    ReminderFixture()
    {
        m_home = std::make_unique<TempHome>();
        m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
        if (const Outcome started = m_data->startUp(); !started)
            qWarning() << started.error();
    }

    TDataModule2 &data() { return *m_data; }
    QString home() const { return m_home->path(); }

    qint64 add(const QVariantMap &fields)
    {
        Cursor &cursor = m_data->table(1);
        cursor.insert();
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            cursor.setValue(it.key(), it.value());
        if (!cursor.post()) {
            qWarning() << cursor.lastError();
            return 0;
        }
        return cursor.currentId();
    }

    // The row as stored, read through a cursor the reminders do not use.
    Cursor &stored(qint64 no)
    {
        Cursor &cursor = m_data->table(2);
        cursor.setFiltered(false);
        cursor.refresh();
        if (!cursor.locate(QStringLiteral("No"), no))
            qWarning() << "item" << no << "not stored";
        return cursor;
    }

    // Subjects of the rows Table48 lists, in its order.
    QStringList listed()
    {
        QStringList subjects;
        Cursor &cursor = m_data->Table48();
        const qint64 current = cursor.currentId();
        for (cursor.first(); !cursor.eof(); cursor.next())
            subjects << cursor.asText(QStringLiteral("Subject"));
        if (current != 0)
            cursor.locate(QStringLiteral("No"), current);
        return subjects;
    }

    QString currentSubject() { return m_data->Table48().asText(QStringLiteral("Subject")); }

    void setOption(int field, const QVariant &value) { QVERIFY(m_data->options().change({{field, value}})); }

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
};

// A one-off appointment whose reminder falls at `at`.
inline QVariantMap oneOff(const QString &subject, const QDate &date, const QTime &at)
{
    return {{"Subject", subject}, {"S", date}, {"E", date},  {"St", at}, {"Et", at.addSecs(3600)},
            {"Md", "0"},          {"R", true}, {"Rs", date}, {"Rt", at}, {"Re", false},
            {"Ta", false}};
}

// A recurring item with a reminder at `at`: weekly on the given weekday
// flags (all seven: daily), starting on `start`.
inline QVariantMap weekly(const QString &subject, const QDate &start, const QTime &at, const QStringList &days)
{
    QVariantMap item {{"Subject", subject}, {"S", start}, {"E", start},  {"St", at}, {"Et", at.addSecs(1800)},
                      {"Md", "0"},          {"R", true},  {"Rs", start}, {"Rt", at}, {"Re", true},
                      {"Ret", "2"},         {"Ta", false}};
    for (const char *day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
        item.insert(QLatin1String(day), days.contains(QLatin1String(day)));
    return item;
}

inline QVariantMap daily(const QString &subject, const QDate &start, const QTime &at)
{
    return weekly(subject, start, at, {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"});
}

// A monthly item on day `day` of the month, reminder that day at `at`.
inline QVariantMap monthly(const QString &subject, const QDate &start, int day, const QTime &at)
{
    QVariantMap item = weekly(subject, start, at, {});
    item.insert("Ret", "3");
    item.insert("Rd", QString::number(day));
    item.insert("D", QString::number(day));
    return item;
}

inline QVariantMap with(QVariantMap item, const QVariantMap &more)
{
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        item.insert(it.key(), it.value());
    return item;
}

// An extended series of rule `rule` first dated `start` at `time`, without
// the `removed` dates, reminding `leadDays` before each occurrence at
// `reminder`, written as the series writer writes it.
inline QVariantMap extendedSeries(const QString &subject, const QString &rule, const QDate &start, const QTime &time,
                                  int leadDays, const QTime &reminder, const SeriesDates &removed = {})
{
    QVariantMap item = with(weekly(subject, start, time, {}), {{"Rs", start.addDays(-leadDays)}, {"Rt", reminder}});
    const Result<SeriesRule> parsed = SeriesRule::parse(rule);
    if (!parsed)
        qFatal("%s", qPrintable(parsed.error()));
    const Result<SeriesRow::FieldValues> values =
        SeriesRow::extendedSeriesValues(parsed.value(), start, removed, start.addDays(-leadDays));
    if (!values)
        qFatal("%s", qPrintable(values.error()));
    for (const auto &[field, value] : values.value())
        item.insert(field, value);
    return item;
}
