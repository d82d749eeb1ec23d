#pragma once

#include <QStringList>
#include <QWidget>

class QScrollBar;

// A list that drops down inside a dialog, below the box it serves: fixed
// 15-pixel entries, a scroll bar when they do not all fit, the entry under
// the pointer selected while the pointer moves, a click choosing it. It
// never takes the focus, so the served box keeps it.
class DropDownList : public QWidget
{
    Q_OBJECT
public:
    static constexpr int entryHeight = 15;

    explicit DropDownList(QWidget *parent = nullptr);

    void setEntries(const QStringList &entries);
    const QStringList &entries() const { return m_entries; }
    void setEntryText(int index, const QString &text);
    // Size for `rows` visible entries, `width` pixels wide including the frame.
    void setVisibleRows(int rows, int width);
    int visibleRows() const { return m_visibleRows; }

    void setTopIndex(int index);
    int topIndex() const { return m_top; }
    void setCurrentIndex(int index);
    int currentIndex() const { return m_current; }

    // Top of entry `index` in this widget's coordinates.
    int entryTop(int index) const;
    int indexAt(int y) const; // -1 outside the entries

signals:
    void currentIndexChanged(int index);
    void entryClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateScrollBar();
    int maxTop() const;

    QStringList m_entries;
    QScrollBar *m_scrollBar;
    int m_visibleRows = 11;
    int m_top = 0;
    int m_current = -1;
};
