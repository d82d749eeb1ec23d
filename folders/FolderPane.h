#pragma once

#include <QWidget>

class QScrollArea;
class QToolButton;

// The folder pane's frame: the "Folders List" header with its close button
// above a white area that scrolls the folder list vertically, never
// sideways.
class FolderPane : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 19;

    explicit FolderPane(QWidget *parent = nullptr);

    // Puts the folder list into the white area (replacing the one there).
    // The list keeps the height it gives itself and takes the area's width.
    void setList(QWidget *list);
    QWidget *list() const { return m_list; }
    QScrollArea *scrollArea() const { return m_area; }

signals:
    void closeClicked();

private:
    QToolButton *m_close;
    QScrollArea *m_area;
    QWidget *m_list;
};
