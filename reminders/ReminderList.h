#pragma once

#include "reminders/DueText.h"

#include <QAbstractScrollArea>
#include <QList>

#include <functional>

// The list of the reminders window: one 18-pixel row per due item, with
// the item's icon, its subject and its "Due in" text, and no grid lines.
// It shows a picture of the reminder cursor's rows that the window renews
// whenever the cursor changes; the due texts are worked out as each row is
// painted, so they follow the clock.
class ReminderList : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 18;
    static constexpr int iconColumn = 22;
    static constexpr int subjectColumn = 300;
    static constexpr int dueColumn = 157;

    using DueTextSource = std::function<QString(const ReminderRow &)>;

    explicit ReminderList(QWidget *parent = nullptr);

    void setDueTextSource(DueTextSource source) { m_dueText = std::move(source); }
    void setRows(const QList<ReminderRow> &rows, int current);
    const QList<ReminderRow> &rows() const { return m_rows; }
    int currentRow() const { return m_current; }

    // Where row `index` sits in the viewport.
    QRect rowRect(int index) const;

signals:
    void rowChosen(int index); // a click, or an arrow key
    void deletePressed();      // Delete without Ctrl
    void keyReleased();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void paintRow(QPainter &painter, int index, const QRect &rect);
    void updateScrollBar();

    QList<ReminderRow> m_rows;
    int m_current = -1;
    DueTextSource m_dueText;
};

// The strip above the list: "Subject" at its left and "Due in" after the divider.
class ReminderListHeader : public QWidget
{
public:
    static constexpr int height = 17;
    static constexpr int dividerX = 322;
    static constexpr int dueTextX = 326;

    explicit ReminderListHeader(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
