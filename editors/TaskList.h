#pragma once

#include <QAbstractScrollArea>
#include <QDate>
#include <QString>

#include <vector>

// One task as the task pad lists it.
struct TaskRow
{
    qint64 no = 0;
    QString subject;
    bool completed = false;
    QDate due; // invalid when the task has no due date
};

// The task pad's list: three columns (task picture, completion box,
// subject) in rows of 18 pixels, no title row and no lines, the current
// task selected across the whole row. It shows the rows it is given and
// reports what the mouse and the keyboard do; the task pad decides.
class TaskList : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 18;
    static constexpr int pictureColumnWidth = 19;
    static constexpr int completionColumnWidth = 18;
    static constexpr int subjectLeft = pictureColumnWidth + completionColumnWidth; // 37

    static QColor selectedBackground(); // RGB(49,106,197), while the list has the focus
    static QColor completedText();      // RGB(128,128,128)
    static QColor overdueText();        // RGB(255,0,0)
    static QString emptyText();         // "There are no items to show in this view"

    explicit TaskList(QWidget *parent = nullptr);

    // The rows and the index of the current one (-1 for none). The
    // vertical scroll bar shows while there are rows.
    void setRows(std::vector<TaskRow> rows, int current);
    const std::vector<TaskRow> &rows() const { return m_rows; }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // The third column: the list's width less 53 pixels while it has rows
    // (the scroll bar's 16 included), less 37 while it has none.
    int subjectColumnWidth() const;
    // The row under a point of the viewport; -1 below the last row.
    int rowAt(const QPoint &pos) const;
    QRect rowRect(int index) const;

signals:
    void pressed(int row, const QPoint &pos); // row -1 below the rows
    void clicked(int row, const QPoint &pos); // released on the row it was pressed on
    void doubleClicked(int row);
    void currentMoved(int row); // by the keyboard
    void deletePressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void paintRow(QPainter &painter, int index) const;
    void paintEmptyText(QPainter &painter) const;
    void updateScrollBar();
    void ensureVisible(int index);
    int visibleRows() const;

    std::vector<TaskRow> m_rows;
    int m_current = -1;
    int m_pressedRow = -2; // -2: no press pending
};
