#include "folders/Unit7.h"

#include "folders/CalDavDialog.h"
#include "store/Cursor.h"
#include "store/OptionFields.h"
#include "views/MinimiseGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int BoxLeft = 88;
constexpr int BoxHeight = 21;
constexpr int LabelLeft = 8;

// The capacity of a text field of the row, so that a box never takes more
// than the store would accept at "OK".
int capacityOf(const Cursor &table, const QString &field)
{
    const TableSchema *schema = table.schema();
    const int index = schema ? schema->fieldIndex(field) : -1;
    return index >= 0 && schema->fields[index].size > 0 ? schema->fields[index].size : 32767;
}

} // namespace

TForm7::TForm7(Cursor &table61, FolderDialogs dialogs, DataRoot root, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_table(table61)
    , m_dialogs(std::move(dialogs))
    , m_root(std::move(root))
{
    MinimiseGuard::install(this);
    setWindowTitle(QStringLiteral("Edit Folder"));
    setModal(true);
    setFixedSize(547, 232);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);

    m_name = addBox(QStringLiteral("Folder name:"), 24, 297, FolderListField::Name);
    m_path = addBox(QStringLiteral("Calendar path:"), 80, 353, FolderListField::Path);
    m_file = addBox(QStringLiteral("Calendar file:"), 128, 225, FolderListField::File);
    m_newCalendar = addButton(QStringLiteral("New Calendar"), 448, 32, 81);
    m_openCalendar = addButton(QStringLiteral("Open Calendar"), 448, 78, 81);
    // Beside the file box, below the other two: the calendar file is what
    // gets bound.
    m_calDavButton = addButton(QStringLiteral("CalDAV..."), 448, 126, 81);
    m_ok = addButton(QStringLiteral("OK"), 248, 183, 89);
    m_cancel = addButton(QStringLiteral("Cancel"), 368, 183, 89);
    m_ok->setDefault(true);

    connect(m_newCalendar, &QPushButton::clicked, this, &TForm7::newCalendarRequested);
    connect(m_openCalendar, &QPushButton::clicked, this, &TForm7::openCalendarClicked);
    connect(m_calDavButton, &QPushButton::clicked, this, &TForm7::calDavClicked);
    connect(m_ok, &QPushButton::clicked, this, &TForm7::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &TForm7::reject);
}

QLineEdit *TForm7::addBox(const QString &label, int top, int width, const QString &field)
{
    auto *caption = new QLabel(label, this);
    caption->setGeometry(LabelLeft, top + 4, BoxLeft - LabelLeft - 4, 13);
    auto *box = new QLineEdit(this);
    box->setGeometry(BoxLeft, top, width, BoxHeight);
    box->setMaxLength(capacityOf(m_table, field));
    caption->setBuddy(box);
    connect(box, &QLineEdit::textEdited, this, [this, field](const QString &text) {
        if (m_table.state() != Cursor::State::Browse)
            writeField(field, text);
    });
    return box;
}

QPushButton *TForm7::addButton(const QString &caption, int left, int top, int width)
{
    auto *button = new QPushButton(caption, this);
    button->setGeometry(left, top, width, 25);
    button->setAutoDefault(false);
    return button;
}

int TForm7::editCurrentRow()
{
    m_name->setText(m_table.asText(FolderListField::Name));
    const QString path = m_table.asText(FolderListField::Path);
    m_path->setText(path.isEmpty() ? path : QDir::toNativeSeparators(m_root.folderPath(path)));
    m_file->setText(m_table.asText(FolderListField::File));
    m_name->setFocus();
    return m_dialogs.runModal ? m_dialogs.runModal(*this) : exec();
}

void TForm7::writeBox(QLineEdit *box, const QString &field, const QString &text)
{
    box->setText(text);
    writeField(field, text);
}

void TForm7::writeField(const QString &field, const QString &text)
{
    m_table.setValue(field, field == FolderListField::Path ? m_root.storedFolderPath(text) : text);
}

void TForm7::openCalendarClicked()
{
    const QString chosen =
        m_dialogs.chooseCalendarFile ? m_dialogs.chooseCalendarFile(this, m_path->text()) : QString();
    if (chosen.isEmpty())
        return;
    if (!m_table.edit()) {
        emit storeError(m_table.lastError());
        return;
    }
    const QFileInfo file(chosen);
    // The folders list keeps the directory with its separator at the end.
    writeBox(m_path, FolderListField::Path, QDir::toNativeSeparators(file.absolutePath() + QLatin1Char('/')));
    writeBox(m_file, FolderListField::File, file.fileName());
}

QString TForm7::calendarPath() const
{
    const QString path = m_table.asText(FolderListField::Path);
    const QString file = m_table.asText(FolderListField::File);
    return file.isEmpty() ? QString() : QDir(m_root.folderPath(path)).filePath(file);
}

void TForm7::calDavClicked()
{
    const QString calendar = calendarPath();
    if (calendar.isEmpty() || !QFileInfo(calendar).isFile()) {
        emit storeError(QStringLiteral("The folder has no calendar file yet: create or open one first."));
        return;
    }
    // Made at first use: a user who never binds a calendar never has one.
    if (!m_calDav) {
        m_calDav = new CalDavDialog(this);
        emit calDavDialogMade(*m_calDav);
    }
    m_calDav->openFor(calendar);
}

void TForm7::okClicked()
{
    if (!m_table.post()) {
        // Nothing is lost: the row stays in the boxes for another try or Cancel.
        emit storeError(m_table.lastError());
        return;
    }
    emit posted();
    accept();
}

void TForm7::reject()
{
    m_table.cancel();
    emit cancelled();
    QDialog::reject();
}
