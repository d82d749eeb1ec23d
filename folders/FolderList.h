#pragma once

#include <QString>
#include <QWidget>

#include <vector>

class Cursor;

// The folder list of the folder pane: field "2" of every row of Table61 in
// the cursor's order, one 16-pixel row each, the cursor's current row
// selected. The list is exactly as high as its rows; the pane's white area
// scrolls it. Clicks, double clicks and the Delete key are announced; the
// folder commands act on them.
class FolderList : public QWidget
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 16;
    static constexpr int ColumnMargin = 16; // the name column is this much narrower than the list

    explicit FolderList(Cursor &table61, QWidget *parent = nullptr);

    // Re-reads the names (when Table61 is not being edited) and makes the
    // list 16 pixels high per folder, plus one row for a folder being
    // inserted, so that the new row shows.
    void reload();

    int rowCount() const { return int(m_rows.size()) + (m_newRowShown ? 1 : 0); }
    QString rowName(int row) const;
    // The row of Table61's current folder (the new row while inserting); -1 for none.
    int currentRow() const;
    int columnWidth() const { return width() - ColumnMargin; }
    QRect rowRect(int row) const;

    QSize sizeHint() const override;

signals:
    void folderClicked(qint64 folderId);
    void editRequested();
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Row
    {
        qint64 id = 0;
        QString name;
    };

    int rowAt(const QPoint &point) const;
    void readRows();

    Cursor &m_table;
    std::vector<Row> m_rows;
    bool m_newRowShown = false;
};
