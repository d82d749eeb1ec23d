#pragma once

#include <QWidget>

class QToolButton;
class QVBoxLayout;

// The folder pane's frame: the "Folders List" header with its close button
// above a white area that holds the folder list.
class FolderPane : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 19;

    explicit FolderPane(QWidget *parent = nullptr);

    // Puts the folder list into the white area (replacing the one there).
    void setList(QWidget *list);
    QWidget *list() const { return m_list; }
    QToolButton *closeButton() const { return m_close; }

signals:
    void closeClicked();

private:
    QVBoxLayout *m_layout;
    QToolButton *m_close;
    QWidget *m_list;
};
