#include "app/TrayIcon.h"

#include "app/AppIcons.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
    , m_menu(new QMenu)
    , m_icon(new QSystemTrayIcon(AppIcons::icon(QStringLiteral("planner")), this))
{
    m_menu->addAction(QStringLiteral("Daybrook Planner"), this, &TrayIcon::restoreRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Reminders"), this, &TrayIcon::remindersRequested);
    m_menu->addAction(QStringLiteral("Options"), this, &TrayIcon::optionsRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Help"), this, &TrayIcon::helpRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("New Event"), this, &TrayIcon::newEventRequested);
    m_menu->addAction(QStringLiteral("New Task"), this, &TrayIcon::newTaskRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Exit"), this, &TrayIcon::exitRequested);
    m_icon->setContextMenu(m_menu);

    // Only a single click restores; a double click and the middle button do nothing.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit restoreRequested();
    });
}

TrayIcon::~TrayIcon()
{
    m_icon->hide();
    delete m_menu; // a context menu has no parent widget to delete it
}

void TrayIcon::show()
{
    m_icon->show();
}
