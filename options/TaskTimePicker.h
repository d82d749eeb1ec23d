#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTime>

class DropDownList;
class MinuteStrip;
class QWidget;

// The drop-down of the "Task reminder time" box: the 48 half hours and,
// level with the entry under the pointer, a strip of minutes to its left.
// It pairs them the other way round from the editors' half-hour list: a
// full hour offers "55" to "35", a half hour "25" to "05", so that the
// minutes lead up to the entry below or back from the entry itself.
class TaskTimePicker : public QObject
{
    Q_OBJECT
public:
    static constexpr int listWidth = 89;
    static constexpr int visibleEntries = 11; // 167 pixels with the frame

    explicit TaskTimePicker(QWidget *dialog);

    void setEntries(const QStringList &texts);

    // Shows the list with its top left at `at` (dialog coordinates), the
    // entry of `time` at the top and selected.
    void open(const QPoint &at, const QTime &time);
    void close();
    bool isOpen() const;

    DropDownList *list() const { return m_list; }
    MinuteStrip *fullHourStrip() const { return m_fullHourStrip; } // "55".."35"
    MinuteStrip *halfHourStrip() const { return m_halfHourStrip; } // "25".."05"
    // The strip shown beside entry `index`.
    MinuteStrip *stripFor(int index) const;

signals:
    void entryChosen(int index);
    void timeChosen(const QTime &time); // an entry's hour and a strip's minutes

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showStrip(int index);
    void chooseMinute(int minute);

    DropDownList *m_list;
    MinuteStrip *m_fullHourStrip;
    MinuteStrip *m_halfHourStrip;
};
