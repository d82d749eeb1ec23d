#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the reminders window: the kind of an item in its list
// and header, and the window's own bell.
namespace ReminderIcons {

QPixmap taskIcon();        // 12 x 14: a clipboard with a red tick
QPixmap appointmentIcon(); // 17 x 14: a small blue calendar page
QIcon windowIcon();        // a yellow bell, from the bundled pictures

} // namespace ReminderIcons
