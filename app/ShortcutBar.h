#pragma once

#include <QWidget>

class QToolButton;

// The bar down the left edge: the "Daybrook" header and the five large
// buttons New Event, New Task, Reminders, Options and Preview.
class ShortcutBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Width = 100;

    explicit ShortcutBar(QWidget *parent = nullptr);

    QToolButton *newEventButton() const { return m_newEvent; }
    QToolButton *newTaskButton() const { return m_newTask; }
    QToolButton *remindersButton() const { return m_reminders; }
    QToolButton *optionsButton() const { return m_options; }
    QToolButton *previewButton() const { return m_preview; }

private:
    QToolButton *addButton(const QString &caption, const QString &icon);

    QToolButton *m_newEvent;
    QToolButton *m_newTask;
    QToolButton *m_reminders;
    QToolButton *m_options;
    QToolButton *m_preview;
};
