#pragma once

#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "store/OptionsRecord.h"
#include "store/Result.h"
#include "store/UndoHistory.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <map>
#include <memory>

// The views as the data module sees them: the main window implements this
// so that start-up and the after-post refresh can reach it without the
// store knowing any widget.
class DataModuleHost
{
public:
    enum class View { None = 0, Day = 1, Week = 2, Month = 3 };
    virtual ~DataModuleHost() = default;
    virtual void showFolderName(const QString &) { } // title strip of the main window
    virtual void configureWindow() { }               // last start-up step
    virtual View activeView() const { return View::None; }
    virtual void relayoutMonthFillers() { } // after the month cells were refreshed
    virtual void weekCellsRefreshed() { }   // after the week cells were refreshed
};

// A change to the rows of the active calendar, whoever made it.
struct CalendarChange
{
    QString calendar;           // the calendar file, as its cursors name it
    QList<qint64> rows;         // the `No`s that came, changed or went, ascending
    bool wholeCalendar = false; // the file was read anew: any row may have changed

    bool touches(qint64 no) const { return wholeCalendar || rows.contains(no); }
    void merge(const CalendarChange &other);
};
Q_DECLARE_METATYPE(CalendarChange)

// The data module: the one owner of every cursor.
class TDataModule2 : public QObject
{
    Q_OBJECT
public:
    explicit TDataModule2(const DataRoot &root, QObject *parent = nullptr);
    ~TDataModule2() override;

    void setHost(DataModuleHost *host) { m_host = host ? host : &m_noHost; }
    const DataRoot &root() const { return m_root; }

    // Start-up: opens options and folders (creating a missing data root
    // with the defaults), fills the default sound, locates the active
    // folder, opens its calendar (falling back to the default calendar),
    // purges when switched on, then asks the host to configure the window.
    // Fails when the options or folders table cannot be read, saying why;
    // nothing has been written then.
    [[nodiscard]] Outcome startUp();

    // The calendar file startUp() would open on the data root as it stands:
    // the active folder's file, else the default calendar; empty when there
    // is none yet or the options or folders table cannot be read. Reads
    // those two tables through cursors of its own and writes nothing, so it
    // may run on another thread while no module has started.
    static QString calendarFileToOpen(const DataRoot &root);
    // The index orders the calendar cursors read their rows in, each once
    // (the primary order as an empty name).
    static QStringList calendarIndexNames();

    // For tools that only read (the agenda command): opens the options and
    // folders tables and, on the active folder's calendar (or the default
    // calendar), the cursors Table1 up to Table<calendarCursors>, all
    // read-only; creates, repairs and purges nothing. Fails when any of
    // them is missing or unreadable.
    [[nodiscard]] Outcome openForReading(int calendarCursors = 50);

    // What openCalendarFolder does when the folder's file exists but is no
    // calendar it can open.
    enum class Unopenable {
        KeepCalendar,    // stay on the calendar in use (the default calendar when none is)
        DefaultCalendar, // open the default calendar, even when one is in use
    };

    // Points Table1..Table50 at the folder of the current Table61 row (or
    // the default calendar when its file does not exist). A calendar file
    // that exists but cannot be opened is reported through storeMessage()
    // and nothing is written to it; what opens instead is `unopenable`'s
    // choice. Returns whether the folder's own file was opened.
    bool openCalendarFolder(Unopenable unopenable = Unopenable::KeepCalendar);
    // Whether the last openCalendarFolder() opened the folder's own file.
    bool folderFileOpened() const { return m_folderFileOpened; }

    // Whether Table1..Table50 are open and readable now. They are closed for
    // a moment while a folder is switched or a calendar table is created, and
    // a message box shown in that moment lets timers run: a timer that reads
    // the calendar (the reminder scanner on Table48) asks this first.
    bool calendarCursorsOpen() const;

    // When the current Table61 row names no existing calendar file, makes
    // it name the default calendar and posts (start-up step 5, and the same
    // step of a folder switch). Returns whether the row was rewritten.
    bool rewriteMissingFolderFile();

    // The calendar file a folder row names: path "3" followed by file "4".
    static QString folderFilePath(const QString &path, const QString &file);
    // The calendar file the current Table61 row names, a path "3" relative
    // to the data root resolved against it.
    QString currentFolderFilePath();

    // Deletes every appointment and event that starts more than options
    // "54" days before today; recurring items and tasks stay.
    void purgeOldItems();

    // Re-reads the reminder cursor and the cursors of the shown week or
    // month cells and has the host repaint those cells. The cells' part
    // runs before every calendarChanged(), the reminder cursor's after every
    // post on Table50; the options dialog runs both.
    void Table50AfterPost();

    // How often the open calendar is checked for other programs' writes.
    static constexpr int outsideCheckMilliseconds = 500;
    // Checks now whether another program (another connection, the planner's
    // own --import) committed to the active calendar since it was read; if
    // so, every cursor re-reads and calendarChanged() follows. A timer runs
    // this every outsideCheckMilliseconds from start-up to closeAll().
    bool noticeOutsideChanges();

    // While one is alive, calendar changes are gathered and announced once
    // when the last one ends (a purge, a loop of posts).
    class ChangeBatch
    {
    public:
        explicit ChangeBatch(TDataModule2 &data);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch &) = delete;
        ChangeBatch &operator=(const ChangeBatch &) = delete;

    private:
        TDataModule2 &m_data;
    };

    // While one is alive, the writes to the active calendar made through
    // the planner's cursors are gathered into one step of its undo history,
    // named for the command ("Delete", "Move"), which is added when the
    // outermost one ends. Writes made while none is alive (and every write
    // of another program) are never undone. A step with a gesture
    // (newGesture()) joins the last step of the same gesture: a drag that
    // writes at each mouse move is one step.
    class UndoStep
    {
    public:
        UndoStep(TDataModule2 &data, const QString &name, quint64 gesture = 0);
        ~UndoStep();
        UndoStep(const UndoStep &) = delete;
        UndoStep &operator=(const UndoStep &) = delete;

    private:
        TDataModule2 &m_data;
    };
    // A number for a gesture whose writes spread over several events.
    quint64 newGesture() { return ++m_lastGesture; }

    // The names of the steps an undo and a redo of the active calendar would
    // take ("Delete"); empty when there is none. Each calendar keeps its
    // own history until the program ends, across folder switches.
    QString undoName() const;
    QString redoName() const;
    // Puts the last step back (or does it again) in one transaction. When
    // another program changed one of its rows since, nothing is written,
    // the step leaves the history and the message says so.
    [[nodiscard]] Outcome undo();
    [[nodiscard]] Outcome redo();
    // A step of rows that another connection of this program inserted into
    // the active calendar (an iCalendar import writes through its own):
    // they are taken as the file holds them now.
    void addInsertedStep(const QString &name, const QList<qint64> &nos);

    // Replaces (or creates) the calendar table dir + fileName with an empty
    // one; the calendar cursors are closed around it and reopened as before.
    // The file the calendar cursors read is refused without being touched.
    // On failure storeMessage() says "The calendar file is in use" and the
    // result is false.
    [[nodiscard]] bool createCalendarTable(const QString &dir, const QString &fileName);

    // Exit: closes the calendar cursors, then the folders list, then the options.
    void closeAll();

    // Cursors by their number: 1..50 on the calendar, 60 options, 61 folders.
    Cursor &table(int number);

    Cursor &Table43() { return table(43); } // day view: items starting within one slot (`end`)
    Cursor &Table44() { return table(44); } // day view: items running at a slot's start (`sta`)
    Cursor &Table45()
    {
        return table(45);
    } // unused since the day layout counts later slots in one pass over the day (primary)
    Cursor &Table46() { return table(46); } // day view: the timed items of the day; current = selected block
    Cursor &Table47() { return table(47); } // task pad and task editor
    Cursor &Table48() { return table(48); } // reminder scanner and reminders window
    Cursor &Table49() { return table(49); } // day view: all-day strip (`sta`)
    Cursor &Table50() { return table(50); } // edit cursor of the event editor; carries the after-post hook
    Cursor &Table60() { return table(60); } // the single options row
    Cursor &Table61() { return table(61); } // folders list; current row = current folder

    OptionsRecord &options() { return m_options; }

signals:
    // A message for the user (a calendar file that could not be opened...).
    void storeMessage(const QString &text);
    // After any change to the active calendar's rows: a post or a delete
    // through any cursor, or another program's write noticed by the timer.
    // The cursors of the shown cells have been re-read before.
    void calendarChanged(const CalendarChange &change);
    // The undo or redo of the active calendar changed (a step came or went,
    // or another calendar was opened): undoName() and redoName() are new.
    void undoHistoryChanged();

private:
    using Cursors = std::array<std::unique_ptr<Cursor>, 52>;
    static Cursors makeCursors();

    // The steps of startUp() and openForReading(): false with
    // m_startUpError saying why.
    bool runStartUp();
    bool runOpenForReading(int calendarCursors);
    Outcome startUpOutcome(bool started) const;
    bool openSettingsTables(bool readOnly);
    bool openSettingsTable(Cursor &cursor, const QString &fileName, const TableSchema &schema, bool readOnly);
    bool createSettingsTable(Cursor &cursor, const QString &fileName, const TableSchema &schema);
    bool insertDefaultFolder();
    bool insertDefaultOptions();
    void fillDefaultSound();
    void locateActiveFolder();
    bool openCalendar(const QString &dir, const QString &fileName, bool readOnly, QString *error);
    bool openDefaultCalendar(bool readOnly, QString *error);
    void closeCalendarCursors();
    bool failStartUp(const QString &message);
    void calendarWritten(const TableChange &written);
    void refreshReminderCursor();
    void refreshShownCells();
    void announce(const CalendarChange &change);
    UndoHistory *activeHistory();
    const UndoHistory *activeHistory() const;
    void addStep(const QString &calendar, UndoHistory::Step step);
    enum class Direction { Undo, Redo };
    Outcome putBack(Direction direction);

    DataRoot m_root;
    DataModuleHost m_noHost;
    DataModuleHost *m_host = &m_noHost;
    std::array<std::unique_ptr<Cursor>, 52> m_cursors; // 1..50, 60, 61
    OptionsRecord m_options;
    bool m_folderFileOpened = false;
    bool m_readOnly = false;          // opened by openForReading(): never writes
    bool m_reopeningCalendar = false; // the calendar cursors are being closed and reopened
    int m_calendarCursorsToOpen = 50; // fewer only for a reader that needs fewer
    QString m_calendarError;          // why the last calendar file did not open
    QString m_startUpError;
    QTimer m_outsideCheck;
    int m_batches = 0;           // ChangeBatch objects alive
    CalendarChange m_heldChange; // gathered while a batch is alive
    bool m_changeHeld = false;
    // Undo: a history per calendar file (by its absolute path), the step
    // being gathered while an UndoStep is alive, and the calendar it is for.
    std::map<QString, UndoHistory> m_histories;
    int m_undoSteps = 0; // UndoStep objects alive
    UndoHistory::Step m_openStep;
    QString m_openStepCalendar;
    quint64 m_lastGesture = 0;
};
