// The options dialog over a real options row: opening in both clock
// formats, the controls writing into the row, the task reminder time
// picker, the colour and sound pickers, the checks of "OK", and "Cancel".

#include "store/Cursor.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "editors/MinuteStrip.h"
#include "options/TaskTimePicker.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"
#include "options/Unit5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button = Qt::NoButton,
               Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QPoint entryPoint(const DropDownList *list, int index)
{
    return QPoint(10, list->entryTop(index) + DropDownList::entryHeight / 2);
}

// The five labels of a strip as they read from left to right.
QStringList labelTexts(const MinuteStrip *strip)
{
    QStringList texts;
    for (int label = 0; label < 5; ++label)
        texts << QStringLiteral("%1").arg(strip->minuteAt(label), 2, 10, QLatin1Char('0'));
    return texts;
}

int labelOf(const MinuteStrip *strip, int minute)
{
    for (int label = 0; label < 5; ++label) {
        if (strip->minuteAt(label) == minute)
            return label;
    }
    return -1;
}

void choose(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void replaceText(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowAndTabs();
    void typeSwatchesBesideTheirNames();
    void openingInBothClockFormats_data();
    void openingInBothClockFormats();
    void positionOutsideItsListStaysStored();
    void controlsWriteIntoTheRowAtOnce();
    void cancelDropsEveryChange();
    void okPostsAndAppliesInOrder();
    void taskTimeStrips_data();
    void taskTimeStrips();
    void taskTimeEntryClick();
    void taskTimeListClosesWithoutFocus();
    void colorsRoundTrip_data();
    void colorsRoundTrip();
    void colorDialogOpensOnTheLastChoice();
    void soundFileBrowse();
    void paperList();
    void purgeDaysMustBeAWholeNumber_data();
    void purgeDaysMustBeAWholeNumber();
    void purgeDaysAreNotCheckedWithoutPurge_data();
    void purgeDaysAreNotCheckedWithoutPurge();
    void taskTimeMustReadAsATime();
    void failedStartWithSystemKeepsTheDialogOpen();
    void openingAgainDropsTheOpenEdit();

private:
    void setOption(int field, const QVariant &value);
    void open();
    // Brings the control's page to the front, as a user would first.
    void showPageOf(QWidget *control);
    void tick(int field);
    void type(int field, const QString &text);
    // A second, read-only module: what the options file holds on disk.
    std::unique_ptr<TDataModule2> onDisk();
    template<typename T> T *control(int field)
    {
        auto *widget = qobject_cast<T *>(m_form->fieldControl(field));
        if (!widget)
            qWarning() << "no control of that kind for field" << field;
        return widget;
    }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<TForm5> m_form;
    QStringList m_messages;
};

void TestOptionsDialog::initTestCase()
{
    pinTestLocale();
}

void TestOptionsDialog::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_form = std::make_unique<TForm5>(*m_data);
    m_messages.clear();
    m_form->setMessageReporter([this](QWidget *, const QString &text) { m_messages << text; });
    m_form->setStartWithSystem([](bool) { return Outcome(); });
}

void TestOptionsDialog::cleanup()
{
    m_form.reset();
    m_data.reset();
    m_home.reset();
}

void TestOptionsDialog::setOption(int field, const QVariant &value)
{
    QVERIFY(m_data->options().change({{field, value}}));
}

void TestOptionsDialog::open()
{
    m_form->openOptions();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_data->Table60().state(), Cursor::State::Edit);
}

void TestOptionsDialog::showPageOf(QWidget *control)
{
    for (int i = 0; i < 4; ++i) {
        if (m_form->page(TForm5::Page(i))->isAncestorOf(control))
            QTest::mouseClick(m_form->tabButton(TForm5::Page(i)), Qt::LeftButton);
    }
    QVERIFY(control->isVisible());
}

void TestOptionsDialog::tick(int field)
{
    QCheckBox *box = control<QCheckBox>(field);
    QVERIFY(box);
    showPageOf(box);
    QTest::mouseClick(box, Qt::LeftButton);
}

void TestOptionsDialog::type(int field, const QString &text)
{
    QLineEdit *box = control<QLineEdit>(field);
    QVERIFY(box);
    showPageOf(box);
    replaceText(box, text);
}

std::unique_ptr<TDataModule2> TestOptionsDialog::onDisk()
{
    auto reader = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    if (const Outcome opened = reader->openForReading(1); !opened)
        qWarning() << opened.error();
    return reader;
}

void TestOptionsDialog::windowAndTabs()
{
    open();
    QCOMPARE(m_form->windowTitle(), QString("Options"));
    QCOMPARE(m_form->okButton()->text(), QString("OK"));
    QCOMPARE(m_form->cancelButton()->text(), QString("Cancel"));
    QCOMPARE(m_form->okButton()->geometry(), QRect(232, 423, 89, 25));
    QCOMPARE(m_form->cancelButton()->geometry(), QRect(344, 423, 89, 25));

    const QStringList captions {"Calendar Options", "Event Types", "Print Setup", "Program Options"};
    const QList<int> lefts {8, 109, 210, 312};
    for (int i = 0; i < 4; ++i) {
        const auto page = TForm5::Page(i);
        QToolButton *tab = m_form->tabButton(page);
        QCOMPARE(tab->text(), captions.at(i));
        QCOMPARE(tab->geometry(), QRect(lefts.at(i), 4, 89, 25));
        QTest::mouseClick(tab, Qt::LeftButton);
        QCOMPARE(m_form->currentPage(), page);
        for (int other = 0; other < 4; ++other) {
            QCOMPARE(m_form->tabButton(TForm5::Page(other))->isChecked(), other == i);
            QCOMPARE(m_form->page(TForm5::Page(other))->isVisible(), other == i);
        }
        // OK and Cancel stay in front of every page.
        QCOMPARE(m_form->childAt(m_form->okButton()->geometry().center()), m_form->okButton());
    }
    // Opening again starts on the first page.
    m_form->cancelEdit();
    open();
    QCOMPARE(m_form->currentPage(), TForm5::Page::Calendar);
    QVERIFY(m_form->tabButton(TForm5::Page::Calendar)->isChecked());
}

void TestOptionsDialog::typeSwatchesBesideTheirNames()
{
    setOption(32, "Work");
    open();
    QWidget *page = m_form->page(TForm5::Page::EventTypes);
    showPageOf(control<QLineEdit>(32));
    QCOMPARE(control<QLineEdit>(32)->text(), QString("Work"));
    QCOMPARE(control<QLineEdit>(41)->geometry(), QRect(64, 24 + 32 * 10, 225, 21));
    const QImage shot = page->grab().toImage();
    const QColor face = page->palette().color(QPalette::Button);
    // Swatch t at (24 + 2, 26 + 32 t): its top and left edge in the face
    // colour, the type's colour inside, the black outline on the other sides.
    QCOMPARE(shot.pixelColor(24 + 2, 26 + 32), face);
    QCOMPARE(shot.pixelColor(24 + 2 + 8, 26 + 32), face);
    QCOMPARE(shot.pixelColor(24 + 2 + 8, 26 + 32 + 8), QColor(255, 153, 153));
    QCOMPARE(shot.pixelColor(24 + 2 + 8, 26 + 32 * 10 + 8), QColor(255, 255, 153));
    QCOMPARE(shot.pixelColor(24 + 2 + 8, 26 + 32 + 14), QColor(Qt::black));
}

void TestOptionsDialog::openingInBothClockFormats_data()
{
    QTest::addColumn<bool>("twentyFour");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("lastPrintFrom");
    QTest::addColumn<QString>("taskTime");
    QTest::newRow("24 hours") << true << "08:00"
                              << "17:00"
                              << "07:00"
                              << "14:30";
    QTest::newRow("12 hours") << false << "8:00 AM"
                              << "5:00 PM"
                              << "7:00 AM"
                              << "2:30 PM";
}

void TestOptionsDialog::openingInBothClockFormats()
{
    QFETCH(bool, twentyFour);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, lastPrintFrom);
    QFETCH(QString, taskTime);
    setOption(30, twentyFour);
    setOption(44, QTime(14, 30));
    // A first opening in the other format: the lists follow the setting
    // each time the dialog opens.
    setOption(30, !twentyFour);
    open();
    m_form->cancelEdit();
    setOption(30, twentyFour);
    open();

    QCOMPARE(control<QComboBox>(42)->currentText(), start);
    QCOMPARE(control<QComboBox>(43)->currentText(), end);
    QCOMPARE(control<QComboBox>(42)->itemText(34), end);
    QCOMPARE(control<QComboBox>(53)->itemText(7), lastPrintFrom);
    QCOMPARE(m_form->taskTimePicker()->list()->entries().at(16), start);
    QCOMPARE(m_form->taskTimeBox()->text(), taskTime);
    QCOMPARE(control<QCheckBox>(30)->isChecked(), twentyFour);
    // The other selections of the row's defaults.
    QCOMPARE(control<QComboBox>(2)->currentText(), QString("5 minutes"));
    QCOMPARE(control<QComboBox>(3)->currentText(), QString("0 minutes"));
    QCOMPARE(control<QComboBox>(45)->currentText(), QString("Sunday"));
    QCOMPARE(control<QComboBox>(53)->currentIndex(), 0);
    QCOMPARE(m_form->paperList()->currentItem()->text(), QString("Letter"));
    QVERIFY(!m_form->taskTimePicker()->isOpen());
    QVERIFY(m_form->dropDownWatcher()->isActive());
}

void TestOptionsDialog::positionOutsideItsListStaysStored()
{
    setOption(45, 2); // Monday, as any value but 0
    setOption(53, 9);
    open();
    QCOMPARE(control<QComboBox>(45)->currentIndex(), -1);
    QCOMPARE(control<QComboBox>(53)->currentIndex(), -1);
    QVERIFY(m_form->confirm());
    QCOMPARE(onDisk()->options().intField(45), 2);
    QCOMPARE(onDisk()->options().intField(53), 9);
}

void TestOptionsDialog::controlsWriteIntoTheRowAtOnce()
{
    open();
    OptionsRecord &options = m_data->options();
    tick(30);
    QVERIFY(options.boolField(30));
    tick(4); // Sunday
    QVERIFY(options.boolField(4));
    choose(control<QComboBox>(42), 18);
    QCOMPARE(options.intField(42), 18);
    choose(control<QComboBox>(3), 4);
    QCOMPARE(options.intField(3), 4);
    type(32, "Work");
    QCOMPARE(options.typeName(1), QString("Work"));
    tick(55);
    QVERIFY(options.boolField(55));
    type(54, "90");
    QCOMPARE(options.intField(54), 90);

    // Nothing reaches the table before "OK".
    QVERIFY(!onDisk()->options().boolField(30));
    QVERIFY(m_form->confirm());
    const auto stored = onDisk();
    QVERIFY(stored->options().boolField(30));
    QVERIFY(stored->options().boolField(4));
    QCOMPARE(stored->options().intField(42), 18);
    QCOMPARE(stored->options().intField(3), 4);
    QCOMPARE(stored->options().typeName(1), QString("Work"));
    QVERIFY(stored->options().boolField(55));
    QCOMPARE(stored->options().intField(54), 90);
}

void TestOptionsDialog::cancelDropsEveryChange()
{
    open();
    tick(30);
    choose(control<QComboBox>(45), 1);
    type(31, "Plain");
    m_form->setColorChooser([](QWidget *, const QColor &) { return QColor(Qt::black); });
    showPageOf(m_form->colorButton(0));
    QTest::mouseClick(m_form->colorButton(0), Qt::LeftButton);
    QSignalSpy applied(m_form.get(), &TForm5::optionsApplied);

    QTest::mouseClick(m_form->cancelButton(), Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->dropDownWatcher()->isActive());
    QCOMPARE(m_data->Table60().state(), Cursor::State::Browse);
    OptionsRecord &options = m_data->options();
    QVERIFY(!options.boolField(30));
    QCOMPARE(options.intField(45), 0);
    QCOMPARE(options.typeName(0), QString("Standard"));
    QCOMPARE(options.textField(47), QString("clWhite"));
    QCOMPARE(applied.count(), 0);
}

void TestOptionsDialog::okPostsAndAppliesInOrder()
{
    setOption(16, false);
    open();
    QStringList steps;
    connect(m_form.get(), &TForm5::clockFormatApplied, this, [&](bool on) {
        steps << QStringLiteral("clock %1").arg(on);
        QCOMPARE(m_data->Table60().state(), Cursor::State::Browse); // posted first
    });
    m_form->setStartWithSystem([&](bool on) {
        steps << QStringLiteral("start with system %1").arg(on);
        return Outcome();
    });
    connect(m_form.get(), &TForm5::firstDayOfWeekApplied, this,
            [&](Qt::DayOfWeek day) { steps << QStringLiteral("first day %1").arg(int(day)); });
    connect(m_form.get(), &TForm5::typeNamesApplied, this, [&] { steps << QStringLiteral("type names"); });
    connect(m_form.get(), &TForm5::optionsApplied, this,
            [&] { steps << QStringLiteral("applied, visible %1").arg(m_form->isVisible()); });

    tick(30);
    tick(16);
    choose(control<QComboBox>(45), 1);
    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);
    QCOMPARE(steps, QStringList({"clock 1", "start with system 1", "first day 1", "type names", "applied, visible 0"}));
    QVERIFY(!m_form->dropDownWatcher()->isActive());
    QCOMPARE(onDisk()->options().intField(45), 1);

    // Monday back to Sunday, and the registration removed.
    steps.clear();
    open();
    choose(control<QComboBox>(45), 0);
    tick(16);
    QVERIFY(m_form->confirm());
    QCOMPARE(steps, QStringList({"clock 1", "start with system 0", "first day 7", "type names", "applied, visible 0"}));
}

void TestOptionsDialog::taskTimeStrips_data()
{
    QTest::addColumn<bool>("twentyFour");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time");
    const QStringList late {"55", "50", "45", "40", "35"};
    const QStringList early {"25", "20", "15", "10", "05"};
    QTest::newRow("45 beside 8:00 AM") << false << 16 << late << 45 << "8:45 AM" << QTime(8, 45);
    QTest::newRow("15 beside 8:30 AM") << false << 17 << early << 15 << "8:15 AM" << QTime(8, 15);
    QTest::newRow("35 beside 5:00 PM") << false << 34 << late << 35 << "5:35 PM" << QTime(17, 35);
    QTest::newRow("05 beside 12:30 AM") << false << 1 << early << 5 << "12:05 AM" << QTime(0, 5);
    QTest::newRow("45 beside 08:00, 24 hours") << true << 16 << late << 45 << "08:45" << QTime(8, 45);
}

void TestOptionsDialog::taskTimeStrips()
{
    QFETCH(bool, twentyFour);
    QFETCH(int, entry);
    QFETCH(QStringList, labels);
    QFETCH(int, minute);
    QFETCH(QString, text);
    QFETCH(QTime, time);
    setOption(30, twentyFour);
    open();
    TaskTimePicker *picker = m_form->taskTimePicker();
    DropDownList *list = picker->list();
    QTest::mouseClick(m_form->taskTimeButton(), Qt::LeftButton);
    QVERIFY(picker->isOpen());
    QVERIFY(m_form->taskTimeBox()->hasFocus());
    QCOMPARE(list->geometry(), QRect(TForm5::pageOrigin + TForm5::taskTimeListAt, QSize(89, 167)));

    list->setTopIndex(entry - 3);
    sendMouse(list, QEvent::MouseMove, entryPoint(list, entry));
    QCOMPARE(list->currentIndex(), entry);
    MinuteStrip *strip = picker->stripFor(entry);
    MinuteStrip *other = strip == picker->fullHourStrip() ? picker->halfHourStrip() : picker->fullHourStrip();
    QVERIFY(strip->isVisible());
    QVERIFY(!other->isVisible());
    QCOMPARE(labelTexts(strip), labels);
    QCOMPARE(strip->size(), QSize(86, 17));
    QCOMPARE(strip->geometry().right() + 1, list->x());
    QCOMPARE(strip->y() + MinuteStrip::gap, list->y() + list->entryTop(entry));

    const int label = labelOf(strip, minute);
    QVERIFY(label >= 0);
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->labelRect(label).center());
    QCOMPARE(m_form->taskTimeBox()->text(), text);
    QCOMPARE(m_data->options().timeField(44), time);
    QVERIFY(!picker->isOpen());
    QVERIFY(!strip->isVisible());
    QVERIFY(m_form->confirm());
    QCOMPARE(onDisk()->options().timeField(44), time);
}

void TestOptionsDialog::taskTimeEntryClick()
{
    open();
    DropDownList *list = m_form->taskTimePicker()->list();
    QTest::mouseClick(m_form->taskTimeButton(), Qt::LeftButton);
    // The list opens on the box's time, 8:00 AM.
    QCOMPARE(list->topIndex(), 16);
    QCOMPARE(list->currentIndex(), 16);
    sendMouse(list, QEvent::MouseMove, entryPoint(list, 19));
    sendMouse(list, QEvent::MouseButtonPress, entryPoint(list, 19), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_form->taskTimeBox()->text(), QString("9:30 AM"));
    QCOMPARE(m_data->options().timeField(44), QTime(9, 30));
    QVERIFY(!m_form->taskTimePicker()->isOpen());
}

void TestOptionsDialog::taskTimeListClosesWithoutFocus()
{
    open();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::mouseClick(m_form->taskTimeButton(), Qt::LeftButton);
    m_form->dropDownWatcher()->check();
    QVERIFY(m_form->taskTimePicker()->isOpen());
    control<QComboBox>(2)->setFocus();
    m_form->dropDownWatcher()->check();
    QVERIFY(!m_form->taskTimePicker()->isOpen());

    // A click on the page's background closes it too.
    QTest::mouseClick(m_form->taskTimeButton(), Qt::LeftButton);
    QVERIFY(m_form->taskTimePicker()->isOpen());
    QWidget *page = m_form->page(TForm5::Page::Calendar);
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(440, 372));
    QVERIFY(!m_form->taskTimePicker()->isOpen());
}

void TestOptionsDialog::colorsRoundTrip_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("text");
    QTest::newRow("a named colour is written by name") << QColor(166, 202, 240) << "clSkyBlue";
    QTest::newRow("another colour in $00BBGGRR") << QColor(153, 204, 255) << "$00FFCC99";
    QTest::newRow("one step off a name") << QColor(255, 251, 241) << "$00F1FBFF";
}

void TestOptionsDialog::colorsRoundTrip()
{
    QFETCH(QColor, color);
    QFETCH(QString, text);
    open();
    m_form->setColorChooser([&](QWidget *, const QColor &) { return color; });
    QTest::mouseClick(m_form->colorButton(1), Qt::LeftButton);
    QCOMPARE(m_data->options().textField(48), text);
    QCOMPARE(m_form->colorSample(1)->palette().color(QPalette::Window), color);
    QVERIFY(m_form->confirm());
    QCOMPARE(onDisk()->options().textField(48), text);

    // Read back from the stored text into the other sample.
    setOption(47, text);
    open();
    QCOMPARE(m_form->colorSample(0)->palette().color(QPalette::Window), color);
    QCOMPARE(m_form->colorSample(0)->grab().toImage().pixelColor(48, 10), color);
}

void TestOptionsDialog::colorDialogOpensOnTheLastChoice()
{
    open();
    QList<QColor> offered;
    m_form->setColorChooser([&](QWidget *, const QColor &initial) -> std::optional<QColor> {
        offered << initial;
        if (offered.size() == 2)
            return std::nullopt; // dismissed
        return QColor(0, 128, 128);
    });
    QTest::mouseClick(m_form->colorButton(0), Qt::LeftButton);
    QTest::mouseClick(m_form->colorButton(1), Qt::LeftButton);
    QTest::mouseClick(m_form->colorButton(1), Qt::LeftButton);
    QCOMPARE(offered, QList<QColor>({QColor(0, 0, 255), QColor(0, 128, 128), QColor(0, 128, 128)}));
    QCOMPARE(m_data->options().textField(47), QString("clTeal"));
    QCOMPARE(m_data->options().textField(48), QString("clTeal"));
}

void TestOptionsDialog::soundFileBrowse()
{
    setOption(22, "/usr/share/sounds/old.wav");
    open();
    QStringList starts;
    m_form->setSoundFileChooser([&](QWidget *, const QString &start) {
        starts << start;
        return starts.size() == 1 ? QString("/home/ann/Sounds/chime one.wav") : QString();
    });
    QTest::mouseClick(m_form->tabButton(TForm5::Page::Program), Qt::LeftButton);
    QTest::mouseClick(m_form->browseButton(), Qt::LeftButton);
    QTest::mouseClick(m_form->browseButton(), Qt::LeftButton); // dismissed: the box keeps the file
    QCOMPARE(starts, QStringList({"/usr/share/sounds/old.wav", "/home/ann/Sounds/chime one.wav"}));
    QCOMPARE(control<QLineEdit>(22)->text(), QString("/home/ann/Sounds/chime one.wav"));
    QVERIFY(m_form->confirm());
    QCOMPARE(onDisk()->options().textField(22), QString("/home/ann/Sounds/chime one.wav"));
}

void TestOptionsDialog::paperList()
{
    open();
    QListWidget *paper = m_form->paperList();
    QCOMPARE(paper->size(), QSize(100, 36));
    paper->setCurrentRow(1);
    QVERIFY(!m_data->options().boolField(20));
    QVERIFY(m_form->confirm());
    QVERIFY(!onDisk()->options().boolField(20));
    open();
    QCOMPARE(paper->currentItem()->text(), QString("A4"));
    paper->setCurrentRow(0);
    QVERIFY(m_data->options().boolField(20));
}

void TestOptionsDialog::purgeDaysMustBeAWholeNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored"); // 0: refused
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("above 3650") << "3651" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("fraction") << "12.5" << 0;
    QTest::newRow("words") << "ten" << 0;
    QTest::newRow("plus sign") << "+7" << 0;
    QTest::newRow("smallest") << "1" << 1;
    QTest::newRow("largest") << "3650" << 3650;
    QTest::newRow("spaces around") << " 45 " << 45;
}

void TestOptionsDialog::purgeDaysMustBeAWholeNumber()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    open();
    tick(52);
    tick(30);
    type(54, typed);
    QSignalSpy applied(m_form.get(), &TForm5::optionsApplied);

    const bool closed = m_form->confirm();
    QCOMPARE(closed, stored != 0);
    const auto disk = onDisk();
    if (stored == 0) {
        QCOMPARE(m_messages, QStringList {"The number of days must be a whole number from 1 to 3650."});
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->currentPage(), TForm5::Page::Program);
        QCOMPARE(m_data->Table60().state(), Cursor::State::Edit);
        // Nothing posted, and the user's changes are still there to mend.
        QVERIFY(!disk->options().boolField(52));
        QVERIFY(!disk->options().boolField(30));
        QCOMPARE(disk->options().intField(54), 30);
        QVERIFY(m_data->options().boolField(30));
        QCOMPARE(applied.count(), 0);
    } else {
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(disk->options().intField(54), stored);
        QVERIFY(disk->options().boolField(52));
    }
}

// With "Delete items older than" unticked nothing is purged, so the age
// box cannot stand in the way of the other settings; a bad age is simply
// not stored.
void TestOptionsDialog::purgeDaysAreNotCheckedWithoutPurge_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("empty") << "" << 30;
    QTest::newRow("words") << "ten" << 30;
    QTest::newRow("zero") << "0" << 30;
    QTest::newRow("above 3650") << "3651" << 30;
    QTest::newRow("a good age is kept") << "45" << 45;
}

void TestOptionsDialog::purgeDaysAreNotCheckedWithoutPurge()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    open();
    tick(30);
    type(54, typed);
    QVERIFY(!m_data->options().boolField(52));

    QVERIFY(m_form->confirm());
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!m_form->isVisible());
    const auto disk = onDisk();
    QVERIFY(disk->options().boolField(30));
    QVERIFY(!disk->options().boolField(52));
    QCOMPARE(disk->options().intField(54), stored);
}

void TestOptionsDialog::taskTimeMustReadAsATime()
{
    open();
    replaceText(m_form->taskTimeBox(), "25:99");
    QTest::mouseClick(m_form->tabButton(TForm5::Page::PrintSetup), Qt::LeftButton);
    QVERIFY(!m_form->confirm());
    QCOMPARE(m_messages, QStringList {"'25:99' is not a valid time"});
    QCOMPARE(m_form->currentPage(), TForm5::Page::Calendar);
    QCOMPARE(onDisk()->options().timeField(44), QTime(8, 0));

    replaceText(m_form->taskTimeBox(), "7:05 pm");
    QVERIFY(m_form->confirm());
    QCOMPARE(onDisk()->options().timeField(44), QTime(19, 5));
}

void TestOptionsDialog::failedStartWithSystemKeepsTheDialogOpen()
{
    open();
    m_form->setStartWithSystem([](bool) { return Outcome::failed("Failed to set data for 'Daybrook Planner'"); });
    QSignalSpy firstDay(m_form.get(), &TForm5::firstDayOfWeekApplied);
    tick(16);
    QVERIFY(!m_form->confirm());
    QCOMPARE(m_messages, QStringList {"Failed to set data for 'Daybrook Planner'"});
    QCOMPARE(firstDay.count(), 0);
    QVERIFY(m_form->isVisible());
    // The options are posted; the dialog goes on editing the row.
    QVERIFY(onDisk()->options().boolField(16));
    QCOMPARE(m_data->Table60().state(), Cursor::State::Edit);
    tick(17);
    QVERIFY(m_data->options().boolField(17));
    m_form->cancelEdit();
    QVERIFY(!m_data->options().boolField(17));
    QVERIFY(m_data->options().boolField(16));
}

void TestOptionsDialog::openingAgainDropsTheOpenEdit()
{
    open();
    tick(30);
    QVERIFY(m_data->options().boolField(30));
    m_form->openOptions();
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_data->Table60().state(), Cursor::State::Edit);
    QVERIFY(!m_data->options().boolField(30));
    QVERIFY(!control<QCheckBox>(30)->isChecked());
}

QTEST_MAIN(TestOptionsDialog)
#include "test_optionsdialog.moc"
