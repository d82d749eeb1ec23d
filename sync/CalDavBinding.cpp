#include "sync/CalDavBinding.h"

#include "sync/SyncStateFile.h"

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

Result<std::optional<CalDavBinding>> CalDavBinding::read(const QString &calendarPath)
{
    SyncStateFile file;
    if (!file.open(calendarPath, true))
        return Result<std::optional<CalDavBinding>>::failed(file.lastError());
    return file.binding();
}

Outcome CalDavBinding::write(const QString &calendarPath, const CalDavBinding &binding)
{
    if (const QString problem = urlProblem(binding.url); !problem.isEmpty())
        return Outcome::failed(problem);
    SyncStateFile file;
    if (!file.open(calendarPath) || !file.writeBinding(binding))
        return Outcome::failed(file.lastError());
    return Outcome();
}

Outcome CalDavBinding::clear(const QString &calendarPath)
{
    SyncStateFile file;
    if (!file.open(calendarPath) || !file.clearBinding())
        return Outcome::failed(file.lastError());
    return Outcome();
}
