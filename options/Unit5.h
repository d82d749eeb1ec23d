#pragma once

#include "editors/EditDialog.h"
#include "options/OptionBindings.h"
#include "store/Result.h"

#include <QColor>
#include <QPoint>

#include <array>
#include <functional>
#include <optional>

class DropDownWatcher;
class OptionsRecord;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class TaskTimePicker;
class TDataModule2;

// TForm5: the options dialog "Options", four pages of settings over the
// single options row. Opening puts the row into edit mode and every control
// writes into it as the user works, so the rest of the program already
// reads the unconfirmed values; "OK" posts the row and applies what is not
// simply read at the moment of use, "Cancel" drops every change. Created
// once and reused.
class TForm5 : public EditDialog
{
    Q_OBJECT
public:
    // 472 x 502 outside; the client area is that less a fixed dialog's frame.
    static constexpr int clientWidth = 466;
    static constexpr int clientHeight = 468;
    // Where the pages lie in the client area; control places are given
    // relative to it.
    static constexpr QPoint pageOrigin {4, 36};
    // The task reminder time list, on the "Calendar Options" page.
    static constexpr QPoint taskTimeListAt {128, 258};

    enum class Page { Calendar, EventTypes, PrintSetup, Program };

    // Shows a message and returns when it has been seen; tests record them.
    // Every message here is a plain information box, so it has no kind.
    using MessageReporter = std::function<void(QWidget *parent, const QString &text)>;
    // The colour dialog: the chosen colour, or nothing when dismissed.
    using ColorChooser = std::function<std::optional<QColor>(QWidget *parent, const QColor &initial)>;
    // The sound file dialog: the chosen file's full path, or "" when dismissed.
    using FileChooser = std::function<QString(QWidget *parent, const QString &start)>;
    // Registers (true) or removes (false) the start with the system; a
    // failure carries the message to show when the registration could not
    // be written.
    using StartWithSystem = std::function<Outcome(bool on)>;

    explicit TForm5(TDataModule2 &data, QWidget *parent = nullptr);
    ~TForm5() override;

    void setMessageReporter(MessageReporter reporter);
    void setColorChooser(ColorChooser chooser);
    void setSoundFileChooser(FileChooser chooser);
    void setStartWithSystem(StartWithSystem apply) { m_startWithSystem = std::move(apply); }

    // --- commands -------------------------------------------------------
    // The Options command: cancels and closes the dialog when it is open,
    // puts the options row into edit mode, fills the dialog from it and
    // shows it modally. Returns at once.
    void openOptions();
    // "OK": checks the number and time boxes, posts, applies and closes.
    // True when the dialog closed; a refused box or a failed post leaves it
    // open with nothing posted.
    bool confirm();
    // "Cancel": drops every change made since opening and closes.
    void cancelEdit() override;

    void showPage(Page page);
    Page currentPage() const { return m_page; }

    // --- controls, for the tests and the screenshots --------------------
    // The control bound to options field `field` (check box, drop-down list
    // or text box), null for fields without one.
    QWidget *fieldControl(int field) const { return m_bindings.control(field); }
    QToolButton *tabButton(Page page) const { return m_tabs[int(page)]; }
    QWidget *page(Page page) const { return m_pages[int(page)]; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    // Sample and "Color" button 0 for field 47, 1 for field 48.
    QFrame *colorSample(int which) const { return m_samples[which]; }
    QPushButton *colorButton(int which) const { return m_colorButtons[which]; }
    QLineEdit *taskTimeBox() const { return m_taskTime; }
    QToolButton *taskTimeButton() const { return m_taskTimeButton; }
    TaskTimePicker *taskTimePicker() const { return m_timePicker; }
    QListWidget *paperList() const { return m_paper; }
    QPushButton *browseButton() const { return m_browse; }
    DropDownWatcher *dropDownWatcher() const { return m_watcher; }

signals:
    // The steps of "OK" that other windows carry out, in this order.
    void clockFormatApplied(bool twentyFourHours); // relabel the time ruler
    void firstDayOfWeekApplied(Qt::DayOfWeek day); // the month calendars
    void typeNamesApplied();                       // the block menu's type entries
    // Last: the dialog is closed and the data module's after-post refresh
    // has run; whatever shows colours, working hours or times repaints.
    void optionsApplied();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void buildTabs();
    void buildCalendarPage(QWidget *page);
    void buildTaskTime(QWidget *page);
    void buildTypesPage(QWidget *page);
    void buildPrintPage(QWidget *page);
    void buildProgramPage(QWidget *page);
    void buildPickers();

    OptionsRecord &options() const;
    bool use24Hour() const;
    void writeField(int field, const QVariant &value);
    void report(const QString &text);

    // Opening, the steps that fill the dialog from the row.
    void fillFromRow();
    void writeTimeEntries();
    void paintSamples();

    bool checkBoxes();
    void finish(int result);

    // Handlers.
    void chooseColor(int which);
    void browseSound();
    void openTaskTimeList();
    void setTaskTime(const QTime &time, const QString &text);

    TDataModule2 &m_data;
    OptionBindings m_bindings;
    MessageReporter m_reporter;
    ColorChooser m_chooseColor;
    FileChooser m_chooseFile;
    StartWithSystem m_startWithSystem;
    QColor m_lastColor = Qt::blue; // the colour dialog opens on the last choice
    Page m_page = Page::Calendar;

    std::array<QToolButton *, 4> m_tabs {};
    std::array<QWidget *, 4> m_pages {};
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    QComboBox *m_startTime = nullptr;
    QComboBox *m_endTime = nullptr;
    QComboBox *m_printFrom = nullptr;
    std::array<QFrame *, 2> m_samples {};
    std::array<QPushButton *, 2> m_colorButtons {};
    QLineEdit *m_taskTime = nullptr;
    QToolButton *m_taskTimeButton = nullptr;
    QListWidget *m_paper = nullptr;
    QLineEdit *m_purgeDays = nullptr;
    QVariant m_openedPurgeAge; // options "54" as the dialog opened
    QLineEdit *m_soundFile = nullptr;
    QPushButton *m_browse = nullptr;

    TaskTimePicker *m_timePicker = nullptr;
    DropDownWatcher *m_watcher = nullptr;
};
