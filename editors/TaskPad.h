#pragma once

#include "store/TaskPadFilter.h"

#include <QWidget>

#include <functional>

class Cursor;
class QAbstractButton;
class QLineEdit;
class TDataModule2;
class TaskList;

// The task pad below the month navigator: a header row, the quick-add row
// and the list of the tasks of the task cursor Table47 under one of the
// five task pad views. Tasks are added by typing, ticked off with a click
// in the completion column and deleted with the Delete key; a double click
// asks for the task editor. Every change is posted at once.
class TaskPad : public QWidget
{
    Q_OBJECT
public:
    static constexpr int margin = 3; // from the pane's edges
    static constexpr int headerHeight = 19;
    static constexpr int quickAddHeight = 24;
    static constexpr int quickAddBoxLeft = 40;
    static constexpr int quickAddTickLeft = 22;

    static QString placeholderText(); // "Click here to add a new Task"
    static QColor frameColor();       // RGB(49,106,197), the quick-add row's frame

    explicit TaskPad(TDataModule2 &data, QWidget *parent = nullptr);
    ~TaskPad() override;

    // Where views 3 and 4 take their dates from when they are applied;
    // without a source, today and the current date stand in.
    void setDatesSource(std::function<TaskPadFilter::Dates()> source) { m_datesSource = std::move(source); }

    // Applies view n (1..5): the task cursor's filter, the list, and the
    // number stored in field "8" of the active folder's row.
    void applyView(int view);
    // Applies the view the active folder's row names.
    void applyStoredView();
    int currentView() const { return m_view; }

    // Re-reads the task cursor into the list, keeping the current task.
    void reload();
    // After any change to the calendar's rows, its own posts included.
    void followCalendarChange();

    // Quick add.
    bool isTyping() const { return m_typing; }
    void startTyping();
    void leaveTyping();
    // Adds the box's text as a task (ticked: completed); false, and nothing
    // added, when the box holds no subject.
    bool addPendingTask();

    // Flips `C` of the task at list row `index` and posts it.
    bool flipCompletion(int index);
    // Deletes the current task, without asking.
    bool deleteCurrentTask();

    TaskList *list() const { return m_list; }
    QLineEdit *quickAddBox() const { return m_box; }
    QAbstractButton *quickAddTick() const { return m_tick; }

signals:
    void viewApplied(int view);
    void openTaskRequested(); // a double click on a task; the cursor stands on it
    void storeError(const QString &message);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Cursor &tasks() const;
    bool holdsSubject() const;
    void listPressed(int row);
    void listClicked(int row, const QPoint &pos);
    void selectRow(int row);
    void writeStoredView(int view);
    bool postFailed(Cursor &cursor);
    QRect headerRect() const;
    QRect quickAddRect() const;

    TDataModule2 &m_data;
    std::function<TaskPadFilter::Dates()> m_datesSource;
    QLineEdit *m_box = nullptr;
    QAbstractButton *m_tick = nullptr;
    TaskList *m_list = nullptr;
    int m_view = 1;
    bool m_typing = false;
};
