#include "store/CalendarPreload.h"

#include "store/Cursor.h"
#include "store/TableFile.h"
#include "store/TableSchema.h"
#include "store/Unit2.h"

#include <QFileInfo>

#include <array>

CalendarPreload::CalendarPreload(const DataRoot &root)
    : m_thread([this, root] { run(root); })
{ }

CalendarPreload::~CalendarPreload()
{
    wait();
}

void CalendarPreload::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

QString CalendarPreload::loadedPath() const
{
    return m_file ? m_file->path() : QString();
}

void CalendarPreload::run(const DataRoot &root)
{
    const QFileInfo calendar(TDataModule2::calendarFileToOpen(root));
    if (calendar.fileName().isEmpty())
        return;
    // One cursor in each order the calendar cursors use sorts the rows once
    // for all of them; the file is opened as start-up opens it, for writing.
    Cursor reader(QStringLiteral("Preload"));
    reader.setTableFile(calendar.path(), calendar.fileName(), calendarSchema());
    for (const QString &index : TDataModule2::calendarIndexNames()) {
        reader.close();
        reader.setIndexName(index);
        if (!reader.open())
            return;
        if (!m_file) {
            TableFile::Acquired file = TableFile::acquire(reader.filePath(), calendarSchema(), false);
            if (!file)
                return;
            m_file = std::move(file).value();
        }
    }
}
