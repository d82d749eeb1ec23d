#pragma once

#include "store/DataRoot.h"

#include <memory>
#include <thread>

class TableFile;

// Reads the calendar that start-up is going to open on a thread of its own,
// while the application and the main window are being made: the rows and
// the orders the calendar cursors read them in. The shared table file stays
// open until the preload is let go, so that TDataModule2::startUp() finds
// it loaded instead of reading it again. Nothing of the store may be used
// elsewhere until wait() has returned; when start-up opens another file, or
// the preload found nothing to read, start-up simply reads as it always did.
class CalendarPreload
{
public:
    explicit CalendarPreload(const DataRoot &root);
    ~CalendarPreload();
    CalendarPreload(const CalendarPreload &) = delete;
    CalendarPreload &operator=(const CalendarPreload &) = delete;

    // Blocks until the reading is over. Called more than once, it returns at once.
    void wait();
    // The file that was read; empty before wait() or when nothing was read.
    QString loadedPath() const;

private:
    void run(const DataRoot &root);

    std::shared_ptr<TableFile> m_file;
    std::thread m_thread;
};
