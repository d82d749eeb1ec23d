#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;
class ReminderList;
class ReminderScanner;
class ReminderSound;
class TDataModule2;
struct ReminderRow;

// TForm6: the reminders window "Reminders". Lists the items of the
// reminder cursor Table48, shows the current one in its header, and lets
// the user dismiss, snooze or open it. It owns the scanner's 10-second
// timer Timer1, which runs from creation to exit whether the window is
// shown or not. A top-level window without owner, so it has a taskbar
// entry of its own and can be reached while the main window sits in the
// notification area; closing it only hides it.
class TForm6 : public QWidget
{
    Q_OBJECT
public:
    static constexpr int clientWidth = 519;
    static constexpr int clientHeight = 334;
    static constexpr int tickMilliseconds = 10000;

    using MessageSink = std::function<void(const QString &)>;

    explicit TForm6(TDataModule2 &data, QWidget *parent = nullptr);
    ~TForm6() override;

    // Messages for the user: an unusable snooze amount, a sound file that
    // cannot be played. By default a message box of this window, above it;
    // a sink given here must show them above the window as well.
    void setMessageSink(MessageSink sink);

    // Creation's last step: catches up on missed reminders, re-queries and
    // starts Timer1; raises the alarm when reminders were missed.
    void start();

    ReminderScanner &scanner() { return *m_scanner; }
    ReminderSound &sound() { return *m_sound; }

    // --- commands -------------------------------------------------------
    // "Reminders" (Tools menu, tray menu, shortcut bar): shows the window,
    // or brings it to the front and restores it when it is shown already.
    void showReminders();
    void Timer1Timer();
    void refreshHeader();
    void dismiss();
    void snooze();
    void openItem();
    void chooseSnoozeLead(int index);
    // The "Due in" text of a row now; "overdue since" and its date for a
    // reminder missed on an earlier day.
    QString dueText(const ReminderRow &row) const;

    // --- controls, for the tests and the screenshots --------------------
    QTimer *timer() const { return m_timer; }
    ReminderList *list() const { return m_list; }
    QLabel *itemIcon() const { return m_itemIcon; }
    QLabel *subjectLabel() const { return m_subject; }
    QLabel *timeLine() const { return m_timeLine; }
    QLabel *locationCaption() const { return m_locationCaption; }
    QLabel *locationLabel() const { return m_location; }
    QLineEdit *amountBox() const { return m_amount; }
    QLabel *unitLabel() const { return m_unit; }
    QToolButton *leadListButton() const { return m_leadButton; }
    QMenu *leadList() const { return m_leadList; }
    QPushButton *dismissButton() const { return m_dismiss; }
    QPushButton *openButton() const { return m_open; }
    QPushButton *snoozeButton() const { return m_snooze; }

signals:
    // Open Item on an appointment, all-day event or recurring item: the
    // event editor's cursor Table50 already holds the item (filtered as
    // Table48 is); the editor is to open it.
    void openEventRequested(qint64 no);
    // Open Item on a task: the task cursor Table47 reads all tasks; the
    // task editor is to open the item.
    void openTaskRequested(qint64 no);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void prepareToShow();
    void raiseAlarm();
    void rowChosen(int index);
    void requeryAndRefresh();
    // The reminder the list stands on, 0 for none.
    qint64 currentReminder() const;
    // Posts the change Table48 holds in edit mode to reminder `no`.
    void postReminder(qint64 no);
    bool use24Hour() const;
    void report(const QString &text);

    TDataModule2 &m_data;
    ReminderScanner *m_scanner = nullptr;
    ReminderSound *m_sound = nullptr;
    MessageSink m_sink;
    QTimer *m_timer = nullptr; // Timer1

    QLabel *m_itemIcon = nullptr;
    QLabel *m_subject = nullptr;
    QLabel *m_timeLine = nullptr;
    QLabel *m_locationCaption = nullptr;
    QLabel *m_location = nullptr;
    ReminderList *m_list = nullptr;
    QPushButton *m_dismiss = nullptr;
    QPushButton *m_open = nullptr;
    QLineEdit *m_amount = nullptr;
    QLabel *m_unit = nullptr;
    QToolButton *m_leadButton = nullptr;
    QMenu *m_leadList = nullptr;
    QPushButton *m_snooze = nullptr;
};
