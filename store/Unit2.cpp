#include "store/Unit2.h"

#include "store/Clock.h"
#include "store/FilterLiterals.h"
#include "store/OptionFields.h"
#include "store/OptionLists.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int calendarCursorCount = 50;
const QString optionsFileName = QStringLiteral("options.db");
const QString foldersFileName = QStringLiteral("folderslist.db");
const QString defaultFolderName = QStringLiteral("Personal Calendar");

// Position of cursor `number` in the data module's array.
int slotOfCursor(int number)
{
    if (number >= 1 && number <= calendarCursorCount)
        return number - 1;
    if (number == 60)
        return calendarCursorCount;
    if (number == 61)
        return calendarCursorCount + 1;
    return -1;
}

// The index order each calendar cursor reads its rows in.
QString indexOfCalendarCursor(int number)
{
    if (number <= 42 || number == 44 || number == 49)
        return QStringLiteral("sta");
    if (number == 43)
        return QStringLiteral("end");
    return QString(); // 45..48, 50: primary
}

// Whether two paths name one file (through links and "..", when it exists).
bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo first(a), second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

QString withSeparator(const QString &dir)
{
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        return dir;
    return dir + QLatin1Char('/');
}

// The built-in names of event types 0..10.
const QStringList &builtInTypeNames()
{
    static const QStringList names = {
        QStringLiteral("Standard"),        QStringLiteral("Important"),         QStringLiteral("Business"),
        QStringLiteral("Personal"),        QStringLiteral("Vacation"),          QStringLiteral("Must Attend"),
        QStringLiteral("Travel Required"), QStringLiteral("Needs Preparation"), QStringLiteral("Birthday"),
        QStringLiteral("Anniversary"),     QStringLiteral("Phone Call"),
    };
    return names;
}

} // namespace

TDataModule2::Cursors TDataModule2::makeCursors()
{
    Cursors cursors;
    for (int number = 1; number <= calendarCursorCount; ++number) {
        auto cursor = std::make_unique<Cursor>(QStringLiteral("Table%1").arg(number));
        cursor->setIndexName(indexOfCalendarCursor(number));
        cursors[slotOfCursor(number)] = std::move(cursor);
    }
    cursors[slotOfCursor(60)] = std::make_unique<Cursor>(QStringLiteral("Table60"));
    cursors[slotOfCursor(61)] = std::make_unique<Cursor>(QStringLiteral("Table61"));
    return cursors;
}

TDataModule2::TDataModule2(const DataRoot &root, QObject *parent)
    : QObject(parent)
    , m_root(root)
    , m_cursors(makeCursors())
    , m_options(*m_cursors[slotOfCursor(60)])
{
    // Every cursor on the calendar shares its file, so one of them hears
    // the writes of all fifty and of other programs.
    table(1).setChangeHook([this](const TableChange &written) { calendarWritten(written); });
    // ... and the one hears every write they make, for undo.
    table(1).setWriteHook([this](const RowWrite &write) {
        if (m_undoSteps > 0)
            m_openStep.add(write);
    });
    // The event editor's posts reach the reminder cursor at once, so that
    // the next tick sees them whatever the reminders window shows.
    Table50().setAfterPost([this] { refreshReminderCursor(); });
    m_outsideCheck.setInterval(outsideCheckMilliseconds);
    connect(&m_outsideCheck, &QTimer::timeout, this, &TDataModule2::noticeOutsideChanges);
    // A pending edit that a move or close could not save is never dropped
    // without a word.
    for (auto &cursor : m_cursors)
        cursor->setPostFailureHook([this](const QString &message) { emit storeMessage(message); });
}

TDataModule2::~TDataModule2()
{
    closeAll();
}

Cursor &TDataModule2::table(int number)
{
    const int slot = slotOfCursor(number);
    Q_ASSERT_X(slot >= 0, "TDataModule2::table", "no cursor of that number");
    return *m_cursors[slot >= 0 ? slot : slotOfCursor(50)];
}

QString TDataModule2::folderFilePath(const QString &path, const QString &file)
{
    return withSeparator(path) + file;
}

bool TDataModule2::failStartUp(const QString &message)
{
    m_startUpError = message;
    return false;
}

// --- start-up ----------------------------------------------------------------

Outcome TDataModule2::startUp()
{
    return startUpOutcome(runStartUp());
}

Outcome TDataModule2::openForReading(int calendarCursors)
{
    return startUpOutcome(runOpenForReading(calendarCursors));
}

Outcome TDataModule2::startUpOutcome(bool started) const
{
    return started ? Outcome() : Outcome::failed(m_startUpError);
}

bool TDataModule2::runStartUp()
{
    m_startUpError.clear();
    m_readOnly = false;
    m_calendarCursorsToOpen = calendarCursorCount;
    if (!m_root.isValid())
        return failStartUp(tr("No data directory was given."));

    if (!openSettingsTables(false)) // 1
        return false;
    fillDefaultSound();   // 2
    locateActiveFolder(); // 3
    openCalendarFolder(); // 4
    if (!table(1).isOpen())
        return failStartUp(tr("No calendar could be opened: %1").arg(m_calendarError));
    rewriteMissingFolderFile();     // 5
    if (m_options.deleteOldItems()) // 6
        purgeOldItems();
    m_outsideCheck.start();
    m_host->configureWindow(); // 7
    return true;
}

bool TDataModule2::runOpenForReading(int calendarCursors)
{
    m_startUpError.clear();
    m_readOnly = true;
    m_calendarCursorsToOpen = std::clamp(calendarCursors, 1, calendarCursorCount);
    if (!m_root.isValid())
        return failStartUp(tr("No data directory was given."));
    if (!openSettingsTables(true))
        return false;
    locateActiveFolder();
    const bool folderFileExists = QFileInfo(currentFolderFilePath()).isFile();
    openCalendarFolder();
    // A reader must not quietly show another calendar in place of a folder
    // file that exists but cannot be read.
    if (!table(1).isOpen() || (folderFileExists && !m_folderFileOpened))
        return failStartUp(m_calendarError);
    return true;
}

QString TDataModule2::currentFolderFilePath()
{
    return folderFilePath(m_root.folderPath(Table61().asText(FolderListField::Path)),
                          Table61().asText(FolderListField::File));
}

// Opens options and folders. Every existing table is opened before anything
// is created or written, so an unreadable one fails start-up untouched.
bool TDataModule2::openSettingsTables(bool readOnly)
{
    const QString dataDir = m_root.dataDir();
    const bool optionsExist = QFileInfo::exists(dataDir + optionsFileName);
    const bool foldersExist = QFileInfo::exists(dataDir + foldersFileName);
    if (optionsExist && !openSettingsTable(Table60(), optionsFileName, optionsSchema(), readOnly))
        return false;
    if (foldersExist && !openSettingsTable(Table61(), foldersFileName, foldersSchema(), readOnly))
        return false;

    if (readOnly) {
        if (!optionsExist || !foldersExist)
            return failStartUp(tr("The data directory %1 holds no options or folders table.").arg(dataDir));
        Table61().first();
        return true;
    }

    if (!QDir().mkpath(dataDir))
        return failStartUp(tr("The data directory %1 cannot be created.").arg(dataDir));
    if (!foldersExist && !createSettingsTable(Table61(), foldersFileName, foldersSchema()))
        return false;
    if (!optionsExist && !createSettingsTable(Table60(), optionsFileName, optionsSchema()))
        return false;

    // Both tables are required to hold rows; an empty one gets its defaults.
    Table61().first();
    if (Table61().eof() && !insertDefaultFolder())
        return false;
    Table60().first();
    if (Table60().eof() && !insertDefaultOptions())
        return false;
    Table60().first();
    Table61().first();
    return true;
}

bool TDataModule2::openSettingsTable(Cursor &cursor, const QString &fileName, const TableSchema &schema, bool readOnly)
{
    cursor.close();
    cursor.setTableFile(m_root.dataDir(), fileName, schema);
    cursor.setReadOnly(readOnly);
    if (cursor.open())
        return true;
    return failStartUp(tr("The table %1 cannot be read: %2").arg(m_root.dataDir() + fileName, cursor.lastError()));
}

bool TDataModule2::createSettingsTable(Cursor &cursor, const QString &fileName, const TableSchema &schema)
{
    if (const Outcome created = TableFile::create(m_root.dataDir() + fileName, schema); !created)
        return failStartUp(tr("The table %1 cannot be created: %2").arg(m_root.dataDir() + fileName, created.error()));
    return openSettingsTable(cursor, fileName, schema, false);
}

bool TDataModule2::insertDefaultFolder()
{
    // The folder names the default calendar, which a first start creates empty.
    const QString calendar = m_root.defaultCalendarDir() + DataRoot::defaultCalendarFile();
    if (!QFileInfo::exists(calendar)) {
        // A folder that cannot be made leaves the reason blank.
        const Outcome created = QDir().mkpath(m_root.defaultCalendarDir())
            ? TableFile::create(calendar, calendarSchema())
            : Outcome::failed(QString());
        if (!created)
            return failStartUp(tr("The calendar %1 cannot be created: %2").arg(calendar, created.error()));
    }

    Cursor &folders = Table61();
    folders.insert();
    folders.setValue(FolderListField::Name, defaultFolderName);
    folders.setValue(FolderListField::Path, m_root.storedFolderPath(m_root.defaultCalendarDir()));
    folders.setValue(FolderListField::File, DataRoot::defaultCalendarFile());
    FolderListField::setNewFolderView(folders);
    if (folders.post())
        return true;
    folders.cancel();
    return failStartUp(tr("The folders list cannot be written: %1").arg(folders.lastError()));
}

bool TDataModule2::insertDefaultOptions()
{
    Cursor &folders = Table61();
    folders.first();
    const QVariant activeFolder = folders.eof() ? QVariant() : folders.value(FolderListField::Id);

    Cursor &options = Table60();
    options.insert();
    auto set = [&options](int field, const QVariant &value) { options.setValue(QString::number(field), value); };
    set(1, false); // default reminder off
    set(2, 1);     // "5 minutes"
    set(3, 0);     // "0 minutes"
    set(4, false); // work week Monday to Friday
    for (int day = 5; day <= 9; ++day)
        set(day, true);
    set(10, false);
    set(11, false); // normal placement, the main window's first size
    set(12, 100);
    set(13, 60);
    set(14, 687);
    set(15, 814);
    set(16, false);
    set(17, false);
    set(18, 150);  // folder pane width
    set(19, true); // folder pane shown
    set(20, true); // Letter
    set(21, true); // play the reminder sound
    set(22, m_root.defaultSoundPath());
    set(30, false); // 12-hour times
    for (int type = 0; type <= 10; ++type)
        set(31 + type, builtInTypeNames().at(type));
    set(42, 16);          // 8:00 AM
    set(43, 34);          // 5:00 PM
    set(44, QTime(8, 0)); // task reminder time
    set(45, 0);           // weeks start on Sunday
    set(46, activeFolder);
    set(47, ColorText::write(QColor(255, 255, 255)));
    set(48, ColorText::write(QColor(153, 204, 255)));
    set(49, false);
    set(50, false);
    set(52, false); // no purge
    set(53, 0);     // daily print from 12:00 AM
    set(54, 30);
    set(55, false); // no reminders set on tasks by themselves
    if (options.post())
        return true;
    options.cancel();
    return failStartUp(tr("The options table cannot be written: %1").arg(options.lastError()));
}

void TDataModule2::fillDefaultSound()
{
    if (!m_options.soundFile().isEmpty())
        return;
    if (!m_options.change({{OptionField::SoundFile, m_root.defaultSoundPath()}}))
        emit storeMessage(Table60().lastError());
}

namespace {

// The folder the options name active, else the first one.
void locateFolder(Cursor &folders, const QVariant &active)
{
    if (!active.isValid() || !folders.locate(FolderListField::Id, active))
        folders.first();
}

bool openForPeek(Cursor &cursor, const QString &dir, const QString &fileName, const TableSchema &schema)
{
    if (!QFileInfo::exists(dir + fileName))
        return false;
    cursor.setTableFile(dir, fileName, schema);
    cursor.setReadOnly(true);
    if (!cursor.open())
        return false;
    cursor.first();
    return !cursor.eof();
}

} // namespace

void TDataModule2::locateActiveFolder()
{
    locateFolder(Table61(), m_options.activeFolder());
}

QStringList TDataModule2::calendarIndexNames()
{
    QStringList names;
    for (int number = 1; number <= calendarCursorCount; ++number) {
        if (const QString index = indexOfCalendarCursor(number); !names.contains(index))
            names << index;
    }
    return names;
}

QString TDataModule2::calendarFileToOpen(const DataRoot &root)
{
    if (!root.isValid())
        return QString();
    Cursor options(QStringLiteral("PeekOptions"));
    Cursor folders(QStringLiteral("PeekFolders"));
    if (!openForPeek(options, root.dataDir(), optionsFileName, optionsSchema())
        || !openForPeek(folders, root.dataDir(), foldersFileName, foldersSchema()))
        return QString();
    locateFolder(folders, OptionsRecord(options).activeFolder());
    const QString own =
        folderFilePath(root.folderPath(folders.asText(FolderListField::Path)), folders.asText(FolderListField::File));
    if (QFileInfo(own).isFile())
        return own;
    // A folder without its file falls back to the default calendar, which
    // start-up creates when it is missing: nothing to read then.
    const QString fallback = root.defaultCalendarDir() + DataRoot::defaultCalendarFile();
    return QFileInfo(fallback).isFile() ? fallback : QString();
}

// --- calendar folder -------------------------------------------------------

namespace {

// Marks the calendar cursors as unusable for as long as it lives, so that
// readers woken by a message box in between skip their turn.
class ReopeningCalendar
{
public:
    explicit ReopeningCalendar(bool &flag)
        : m_flag(flag)
        , m_was(flag)
    {
        m_flag = true;
    }
    ~ReopeningCalendar() { m_flag = m_was; }
    ReopeningCalendar(const ReopeningCalendar &) = delete;
    ReopeningCalendar &operator=(const ReopeningCalendar &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

bool TDataModule2::calendarCursorsOpen() const
{
    if (m_reopeningCalendar)
        return false;
    for (int number = 1; number <= m_calendarCursorsToOpen; ++number) {
        if (!m_cursors[slotOfCursor(number)]->isOpen())
            return false;
    }
    return true;
}

bool TDataModule2::openCalendarFolder(Unopenable unopenable)
{
    const ReopeningCalendar reopening(m_reopeningCalendar);
    m_calendarError.clear();
    m_host->showFolderName(Table61().asText(FolderListField::Name));
    const QFileInfo own(currentFolderFilePath());

    const QString defaultPath = m_root.defaultCalendarDir() + DataRoot::defaultCalendarFile();
    const bool ownIsDefault =
        QDir::cleanPath(own.absoluteFilePath()) == QDir::cleanPath(QFileInfo(defaultPath).absoluteFilePath());

    QString error;
    if (own.isFile()) {
        m_folderFileOpened = openCalendar(own.path(), own.fileName(), m_readOnly, &error);
        if (m_folderFileOpened)
            return true;
        m_calendarError = error;
        if (table(1).isOpen() && unopenable == Unopenable::KeepCalendar) { // a switch keeps the calendar it had
            emit storeMessage(tr("%1 is not a calendar that can be opened; the calendar in use stays open.\n\n%2")
                                  .arg(QDir::toNativeSeparators(own.filePath()), error));
            return false;
        }
        if (ownIsDefault) { // the default calendar is no fallback for itself
            emit storeMessage(error);
            return false;
        }
    }
    m_folderFileOpened = false;
    const QString ownError = m_calendarError;
    const bool defaultExisted = QFileInfo::exists(defaultPath);
    if (!openDefaultCalendar(m_readOnly, &error)) {
        if (!ownError.isEmpty())
            emit storeMessage(ownError);
        m_calendarError = error;
        emit storeMessage(error);
        return false;
    }
    const QString native = QDir::toNativeSeparators(defaultPath);
    if (!ownError.isEmpty())
        emit storeMessage(ownError + QLatin1Char(' ') + tr("The default calendar %1 was opened instead.").arg(native));
    else if (!own.isFile() && !ownIsDefault && !Table61().asText(FolderListField::File).isEmpty())
        emit storeMessage(tr("The calendar file %1 is missing; the default calendar %2 was opened instead.")
                              .arg(QDir::toNativeSeparators(own.filePath()), native));
    else if (!defaultExisted && !m_readOnly)
        emit storeMessage(
            tr("The default calendar %1 was missing; an empty one was created in its place.").arg(native));
    return false;
}

bool TDataModule2::rewriteMissingFolderFile()
{
    Cursor &folders = Table61();
    if (m_readOnly || folders.eof() || QFileInfo(currentFolderFilePath()).isFile())
        return false;
    if (!folders.edit())
        return false;
    folders.setValue(FolderListField::Path, m_root.storedFolderPath(m_root.defaultCalendarDir()));
    folders.setValue(FolderListField::File, DataRoot::defaultCalendarFile());
    if (folders.post())
        return true;
    emit storeMessage(folders.lastError());
    folders.cancel();
    return false;
}

// Opens Table1..Table50 on dir/fileName. The file is tried first on a
// cursor of its own, so a file that does not open leaves the calendar
// cursors as they were.
bool TDataModule2::openCalendar(const QString &dir, const QString &fileName, bool readOnly, QString *error)
{
    Cursor probe(QStringLiteral("probe"));
    probe.setTableFile(dir, fileName, calendarSchema());
    probe.setReadOnly(readOnly);
    if (!probe.open()) {
        *error = probe.lastError();
        return false;
    }
    closeCalendarCursors();
    for (int number = 1; number <= m_calendarCursorsToOpen; ++number) {
        Cursor &cursor = table(number);
        cursor.setTableFile(dir, fileName, calendarSchema());
        cursor.setReadOnly(readOnly);
        if (!cursor.open()) {
            *error = cursor.lastError();
            closeCalendarCursors();
            emit undoHistoryChanged();
            return false;
        }
    }
    emit undoHistoryChanged();
    return true;
}

bool TDataModule2::openDefaultCalendar(bool readOnly, QString *error)
{
    const QString dir = m_root.defaultCalendarDir();
    const QString path = dir + DataRoot::defaultCalendarFile();
    if (!readOnly && !QFileInfo::exists(path)) {
        if (!QDir().mkpath(dir)) {
            *error = tr("The folder %1 cannot be created.").arg(dir);
            return false;
        }
        if (const Outcome created = TableFile::create(path, calendarSchema()); !created) {
            *error = created.error();
            return false;
        }
    }
    return openCalendar(dir, DataRoot::defaultCalendarFile(), readOnly, error);
}

void TDataModule2::closeCalendarCursors()
{
    for (int number = 1; number <= calendarCursorCount; ++number)
        table(number).close();
}

// --- purge and refresh -----------------------------------------------------

void TDataModule2::purgeOldItems()
{
    // Only a whole age of 1 to 3650 days purges: a blank or unreadable age
    // would otherwise read as 0 and delete every past item, and a negative
    // one would reach into today and the future.
    const int age = m_options.deleteOlderThanDays();
    Cursor &cursor = Table50();
    if (m_readOnly || age < 1 || age > 3650 || !cursor.isOpen())
        return;
    const ChangeBatch batch(*this);
    const QString limit = FilterLiterals::date(Clock::today().addDays(-age));
    if (!cursor.setFilter("S < '" + limit + "' and Re<>'True' and Ta<>'True'"))
        return;
    cursor.setFiltered(true);
    cursor.first();
    while (!cursor.eof()) {
        if (!cursor.deleteRow()) {
            emit storeMessage(cursor.lastError());
            return;
        }
    }
}

void TDataModule2::Table50AfterPost()
{
    refreshReminderCursor();
    refreshShownCells();
}

void TDataModule2::refreshReminderCursor()
{
    // A cursor in edit would post its unfinished edit on a refresh.
    if (Table48().isOpen() && Table48().state() == Cursor::State::Browse)
        Table48().refresh();
}

void TDataModule2::refreshShownCells()
{
    switch (m_host->activeView()) {
    case DataModuleHost::View::Month:
        for (int number = 1; number <= 42; ++number) {
            table(number).first();
            table(number).refresh();
        }
        m_host->relayoutMonthFillers();
        break;
    case DataModuleHost::View::Week:
        for (int number = 1; number <= 7; ++number)
            table(number).refresh();
        m_host->weekCellsRefreshed();
        break;
    default:
        break;
    }
}

// --- the change path ---------------------------------------------------------

void CalendarChange::merge(const CalendarChange &other)
{
    calendar = other.calendar;
    wholeCalendar = wholeCalendar || other.wholeCalendar;
    if (wholeCalendar) {
        rows.clear();
        return;
    }
    rows += other.rows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}

TDataModule2::ChangeBatch::ChangeBatch(TDataModule2 &data)
    : m_data(data)
{
    ++m_data.m_batches;
}

TDataModule2::ChangeBatch::~ChangeBatch()
{
    if (--m_data.m_batches > 0 || !m_data.m_changeHeld)
        return;
    const CalendarChange held = m_data.m_heldChange;
    m_data.m_heldChange = CalendarChange();
    m_data.m_changeHeld = false;
    m_data.announce(held);
}

bool TDataModule2::noticeOutsideChanges()
{
    if (!calendarCursorsOpen())
        return false;
    return table(1).noticeOutsideChanges();
}

void TDataModule2::calendarWritten(const TableChange &written)
{
    CalendarChange change;
    change.calendar = table(1).filePath();
    change.wholeCalendar = written.wholeFile;
    change.rows = QList<qint64>(written.ids.begin(), written.ids.end());
    if (m_batches > 0) {
        m_heldChange.merge(change);
        m_changeHeld = true;
        return;
    }
    announce(change);
}

void TDataModule2::announce(const CalendarChange &change)
{
    // While the cursors are being pointed at another file, the views are
    // built anew once they are; a change now would reach half-open cursors.
    if (m_reopeningCalendar)
        return;
    // The reminder cursor is the scanner's to re-query: the reminders
    // window keeps its list while the user works in it.
    refreshShownCells();
    emit calendarChanged(change);
}

// --- creation and exit -----------------------------------------------------

bool TDataModule2::createCalendarTable(const QString &dir, const QString &fileName)
{
    const bool wasOpen = table(1).isOpen();
    const QString openDir = table(1).directory();
    const QString openFile = table(1).fileName();
    const bool readOnly = m_readOnly;

    // Closing the cursors would free the active calendar for replacing, and
    // its rows would be gone while the program goes on showing its folder.
    if (wasOpen && sameFile(folderFilePath(dir, fileName), table(1).filePath())) {
        emit storeMessage(tr("The calendar file is in use"));
        return false;
    }

    const ReopeningCalendar reopening(m_reopeningCalendar);

    closeCalendarCursors();
    QString error;
    const bool created =
        !m_readOnly && QDir().mkpath(dir) && TableFile::create(folderFilePath(dir, fileName), calendarSchema()).isOk();
    if (wasOpen && !openCalendar(openDir, openFile, readOnly, &error))
        emit storeMessage(error);
    if (!created)
        emit storeMessage(tr("The calendar file is in use"));
    return created;
}

void TDataModule2::closeAll()
{
    m_outsideCheck.stop();
    closeCalendarCursors();
    Table61().close();
    // Every writer of the options row but the options dialog posts at once;
    // an edit still open is the dialog's, which the user never confirmed.
    Table60().cancel();
    Table60().close();
}

// --- undo and redo -------------------------------------------------------------

namespace {

QString historyKey(const QString &calendar)
{
    return QDir::cleanPath(QFileInfo(calendar).absoluteFilePath());
}

} // namespace

TDataModule2::UndoStep::UndoStep(TDataModule2 &data, const QString &name, quint64 gesture)
    : m_data(data)
{
    if (m_data.m_undoSteps++ > 0)
        return; // the outermost command names the step
    m_data.m_openStep = UndoHistory::Step();
    m_data.m_openStep.name = name;
    m_data.m_openStep.gesture = gesture;
    m_data.m_openStepCalendar = m_data.table(1).isOpen() ? m_data.table(1).filePath() : QString();
}

TDataModule2::UndoStep::~UndoStep()
{
    if (--m_data.m_undoSteps > 0)
        return;
    UndoHistory::Step step = std::move(m_data.m_openStep);
    m_data.m_openStep = UndoHistory::Step();
    if (!step.isEmpty() && !m_data.m_openStepCalendar.isEmpty())
        m_data.addStep(m_data.m_openStepCalendar, std::move(step));
}

void TDataModule2::addStep(const QString &calendar, UndoHistory::Step step)
{
    m_histories[historyKey(calendar)].add(std::move(step));
    emit undoHistoryChanged();
}

void TDataModule2::addInsertedStep(const QString &name, const QList<qint64> &nos)
{
    if (m_readOnly || !calendarCursorsOpen() || nos.isEmpty())
        return;
    // The rows are in the file; the picture shows them once it is re-read.
    noticeOutsideChanges();
    UndoHistory::Step step;
    step.name = name;
    for (const qint64 no : nos) {
        if (RowWrite::Image row = table(1).rowImage(no))
            step.add({no, std::nullopt, std::move(row)});
    }
    if (!step.isEmpty())
        addStep(table(1).filePath(), std::move(step));
}

UndoHistory *TDataModule2::activeHistory()
{
    if (!table(1).isOpen())
        return nullptr;
    const auto it = m_histories.find(historyKey(table(1).filePath()));
    return it == m_histories.end() ? nullptr : &it->second;
}

const UndoHistory *TDataModule2::activeHistory() const
{
    return const_cast<TDataModule2 *>(this)->activeHistory();
}

QString TDataModule2::undoName() const
{
    const UndoHistory *history = activeHistory();
    return history && history->canUndo() ? history->nextUndo().name : QString();
}

QString TDataModule2::redoName() const
{
    const UndoHistory *history = activeHistory();
    return history && history->canRedo() ? history->nextRedo().name : QString();
}

Outcome TDataModule2::undo()
{
    return putBack(Direction::Undo);
}

Outcome TDataModule2::redo()
{
    return putBack(Direction::Redo);
}

Outcome TDataModule2::putBack(Direction direction)
{
    const bool undoing = direction == Direction::Undo;
    UndoHistory *history = activeHistory();
    if (!history || !(undoing ? history->canUndo() : history->canRedo()) || m_undoSteps > 0)
        return Outcome::cancelled();
    const UndoHistory::Step &step = undoing ? history->nextUndo() : history->nextRedo();
    const QString command = (undoing ? tr("Undo %1") : tr("Redo %1")).arg(step.name);
    Cursor &cursor = table(1);
    if (cursor.rewriteRows(undoing ? step.undoing() : step.redoing())) {
        if (undoing)
            history->undone();
        else
            history->redone();
        emit undoHistoryChanged();
        return {};
    }
    if (!cursor.lastWriteConflicted())
        return Outcome::failed(tr("%1 failed, nothing was changed: %2").arg(command, cursor.lastError()));
    // The step can never be put back now; the older ones may still be.
    if (undoing)
        history->dropNextUndo();
    else
        history->dropNextRedo();
    emit undoHistoryChanged();
    return Outcome::failed(tr("%1 is not possible: another program has changed the item since. Nothing was "
                              "changed, and this change has been taken off the list.")
                               .arg(command));
}
