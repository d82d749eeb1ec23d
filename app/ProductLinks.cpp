#include "app/ProductLinks.h"

#include <QDesktopServices>

namespace ProductLinks {

QUrl webSite()
{
    return QUrl(QStringLiteral("https://daybrook-planner.example.org/"));
}

QUrl supportMail()
{
    return QUrl(QStringLiteral("mailto:support@daybrook-planner.example.org"));
}

// A missing browser or mail program is reported by the desktop itself, if at
// all; the planner does not check.
void openWebSite()
{
    QDesktopServices::openUrl(webSite());
}

void openSupportMail()
{
    QDesktopServices::openUrl(supportMail());
}

} // namespace ProductLinks
