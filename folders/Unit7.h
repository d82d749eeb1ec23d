#pragma once

#include "store/DataRoot.h"
#include "folders/FolderDialogs.h"

#include <QDialog>

class CalDavDialog;
class Cursor;
class QLineEdit;
class QPushButton;

// "Edit Folder": edits the current row of Table61 in place. Its boxes write
// straight into the row, which the caller has put in edit or insert mode;
// only "OK" posts it, "Cancel" (or Escape) drops the changes, and an
// inserted row with them. The path box shows the folder in full; the row
// keeps a folder inside the data root relative to it.
class TForm7 : public QDialog
{
    Q_OBJECT
public:
    TForm7(Cursor &table61, FolderDialogs dialogs, DataRoot root, QWidget *parent = nullptr);

    // Shows the row's fields "2".."4" and runs the dialog modally.
    int editCurrentRow();

    QLineEdit *nameBox() const { return m_name; } // field "2"
    QLineEdit *pathBox() const { return m_path; } // field "3"
    QLineEdit *fileBox() const { return m_file; } // field "4"
    QPushButton *newCalendarButton() const { return m_newCalendar; }
    QPushButton *openCalendarButton() const { return m_openCalendar; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *calDavButton() const { return m_calDavButton; }
    // "CalDAV...": the binding of the calendar file the row names; nullptr
    // until the button was first pressed.
    CalDavDialog *calDavDialog() const { return m_calDav; }
    // The calendar file the row names, in full.
    QString calendarPath() const;

    // Cancel: the row's changes are dropped and the dialog closes.
    void reject() override;

signals:
    void newCalendarRequested();
    // "OK" posted the row; the dialog is still open while this runs, so a
    // switch made from here may take the already active folder again.
    void posted();
    void cancelled();
    // The CalDAV dialog exists now, before it first opens.
    void calDavDialogMade(CalDavDialog &dialog);
    void storeError(const QString &message);

private:
    QLineEdit *addBox(const QString &label, int top, int width, const QString &field);
    QPushButton *addButton(const QString &caption, int left, int top, int width);
    void writeBox(QLineEdit *box, const QString &field, const QString &text); // as if typed
    void writeField(const QString &field, const QString &text);
    void okClicked();
    void openCalendarClicked();
    void calDavClicked();

    Cursor &m_table;
    FolderDialogs m_dialogs;
    DataRoot m_root;
    QLineEdit *m_name;
    QLineEdit *m_path;
    QLineEdit *m_file;
    QPushButton *m_newCalendar;
    QPushButton *m_openCalendar;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QPushButton *m_calDavButton;
    CalDavDialog *m_calDav = nullptr;
};
