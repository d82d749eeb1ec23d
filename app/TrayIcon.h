#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

// The planner's icon in the notification area: the planner-page picture
// without a tip, a click brings the main window back, the right button opens
// the tray menu.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    void show();
    QMenu *menu() const { return m_menu; }

signals:
    void restoreRequested();
    void remindersRequested();
    void optionsRequested();
    void helpRequested();
    void newEventRequested();
    void newTaskRequested();
    void exitRequested();

private:
    QMenu *m_menu;
    QSystemTrayIcon *m_icon;
};
