#pragma once

#include "store/ItemSearch.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class Cursor;
class FoundItemsModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeView;

// "Find Items": a window beside the main window that lists, as the user
// types, every item of the active calendar (or of every folder's calendar)
// whose subject, location or notes contain the text. Enter or a double
// click shows the item's day in the day view with the item selected; doing
// it again on the same item opens it in its editor.
//
// Typing never waits for the search: a calendar is read in slices between
// events, and a new text starts over, so only the newest text's results are
// shown. The calendars are read through cursors of the window's own on the
// files' shared pictures; those of other folders stay open while the window
// is shown and close when it hides.
class FindItemsWindow : public QWidget
{
    Q_OBJECT
public:
    // A calendar file a folder names.
    struct Calendar
    {
        QString path;
        QString folderName;
        qint64 folderId = 0;
    };

    struct Hooks
    {
        std::function<QString()> activeCalendar;          // the file the calendar cursors read
        std::function<std::vector<Calendar>()> calendars; // every folder's, in the folders list's order
        // Shows the item's day with the item selected (switching folders
        // first for another calendar's); false when it could not.
        std::function<bool(const FoundItem &, qint64 folderId)> showItem;
        std::function<void(const FoundItem &)> openItem;
        std::function<bool()> use24Hour;
    };

    // Rows read between two looks at the event queue: a few milliseconds.
    static constexpr int rowsPerSlice = 5000;

    explicit FindItemsWindow(Hooks hooks, QWidget *parent = nullptr);
    ~FindItemsWindow() override;

    // Shows and raises the window, with the focus and its text selected in the text box.
    void openWindow();
    // Searches again when the window is shown: the list must not keep an
    // item that went or miss one that came.
    void followCalendarChange();

    // The item in the list's row, as Enter does: show it, or open it when
    // it is the item shown last.
    void activateRow(int row);

    bool isSearching() const { return m_slices.isActive(); }
    const std::vector<FoundItem> &results() const;

    QLineEdit *textBox() const { return m_text; }
    QCheckBox *allCalendarsBox() const { return m_allCalendars; }
    QTreeView *list() const { return m_list; }
    QLabel *statusLabel() const { return m_status; }

signals:
    // The list shows the results of the newest text.
    void searchFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct OpenCalendar
    {
        std::unique_ptr<Cursor> cursor;
        QString folderName;
        qint64 folderId = 0;
        bool readOnly = false;
    };

    void restart();
    void runSlice();
    void finishNow(); // the rest of the search at once, for an Enter that wants its results
    void finish();
    // The cursors of the calendars to search, opened as needed; the others closed.
    std::vector<OpenCalendar *> calendarsToSearch(QStringList *problems);
    OpenCalendar *openCalendar(const Calendar &calendar, bool active, QStringList *problems);
    void moveSelection(int step);
    void closeCalendars();
    void placeBesideOwner();
    static constexpr int minimumBelow = 240; // the least height worth placing the window below the main window

    Hooks m_hooks;
    QLineEdit *m_text = nullptr;
    QCheckBox *m_allCalendars = nullptr;
    QTreeView *m_list = nullptr;
    QLabel *m_status = nullptr;
    FoundItemsModel *m_model = nullptr;

    std::map<QString, OpenCalendar> m_open; // by absolute file path
    std::vector<OpenCalendar *> m_queue;    // the calendars this search reads, in order
    size_t m_queueAt = 0;
    ItemSearch m_search {QString()};
    std::vector<FoundItem> m_found;
    QStringList m_problems;
    QTimer m_slices;

    bool m_placed = false;   // placed at the first opening; the user's place after that
    QString m_shownCalendar; // the item Enter showed last
    qint64 m_shownNo = 0;
};
