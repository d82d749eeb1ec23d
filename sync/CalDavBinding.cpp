#include "sync/CalDavBinding.h"

QString CalDavBinding::urlProblem(const QUrl &url)
{
    if (!url.isValid() || url.isRelative())
        return QStringLiteral("\"%1\" is not a server address").arg(url.toString());
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QStringLiteral("\"%1\" is not an http or https address").arg(url.toString());
    if (url.host().isEmpty())
        return QStringLiteral("\"%1\" names no server").arg(url.toString());
    return QString();
}
