#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTime>

class DropDownList;
class MinuteStrip;
class QWidget;

// The half-hour list with its minute strip, one pair shared by a dialog's
// time boxes. It opens below the row of the box it serves and hands the
// choice back; the dialog decides what the choice does to its boxes.
class HalfHourPicker : public QObject
{
    Q_OBJECT
public:
    static constexpr int listWidth = 87;
    static constexpr int visibleEntries = 11;

    explicit HalfHourPicker(QWidget *dialog);

    // The 48 entry texts, index i for i x 30 minutes.
    void setEntries(const QStringList &texts);

    // Opens below `top` (dialog coordinates) at the served box's left, with
    // the entry of `time` at the top and selected; the box keeps the focus.
    void open(QLineEdit *served, int top, const QTime &time);
    void close();
    bool isOpen() const;
    QLineEdit *served() const { return m_served; }

    DropDownList *list() const { return m_list; }
    MinuteStrip *strip() const { return m_strip; }

    // Entry index of a time of day: hour x 2 + minute div 30.
    static int entryOf(const QTime &time);

signals:
    void entryChosen(QLineEdit *served, int index);
    void minuteChosen(QLineEdit *served, const QTime &time);

private:
    void placeStrip(int index);

    DropDownList *m_list;
    MinuteStrip *m_strip;
    QPointer<QLineEdit> m_served;
};
