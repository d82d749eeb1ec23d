#include "sync/SyncCommand.h"

#include "sync/CalDavBinding.h"
#include "sync/PasswordSource.h"
#include "sync/SyncEngine.h"

#include "store/Cursor.h"
#include "store/DataRoot.h"
#include "store/OptionFields.h"
#include "store/OptionsRecord.h"
#include "store/TerminalCommand.h"
#include "store/Unit2.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTextStream>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using TerminalCommand::fail;

const QString caldavOption = QStringLiteral("--caldav");
const QString syncOption = QStringLiteral("--sync");
const QString userOption = QStringLiteral("--user");
const QString homeOption = QStringLiteral("--home");

// Exit codes beside 0 (synced) and 2 (a refused argument).
constexpr int otherFailure = 1;
constexpr int unreachableOrRefused = 3;

struct Request
{
    bool bind = false; // --caldav
    QUrl url;
    QString user;
    QString error;
};

// Every argument must be known: a mistyped option must not be read as a
// user name or an address.
Request parse(const QStringList &arguments)
{
    Request request;
    bool sync = false;
    bool user = false;
    const auto value = [&arguments](int at) {
        return at < arguments.size() && !arguments.at(at).startsWith(QLatin1String("--")) ? arguments.at(at)
                                                                                          : QString();
    };
    for (int i = 1; i < arguments.size() && request.error.isEmpty(); ++i) {
        const QString &a = arguments.at(i);
        if (a == homeOption) {
            ++i; // its value is the data root's business
        } else if (a.startsWith(homeOption + QLatin1Char('='))) {
        } else if (a == caldavOption) {
            const QString url = value(i + 1);
            if (request.bind || url.isEmpty())
                request.error = QStringLiteral("daybrook: --caldav needs one collection address");
            request.bind = true;
            request.url = QUrl::fromUserInput(url);
            if (url.contains(QLatin1String("://")))
                request.url = QUrl(url);
            ++i;
        } else if (a == userOption) {
            request.user = value(i + 1);
            if (user || request.user.isEmpty())
                request.error = QStringLiteral("daybrook: --user needs one user name");
            user = true;
            ++i;
        } else if (a == syncOption) {
            sync = true;
        } else {
            request.error = QStringLiteral("daybrook: unknown argument %1 for --caldav or --sync").arg(a);
        }
    }
    if (!request.error.isEmpty())
        return request;
    if (sync && request.bind)
        request.error = QStringLiteral("daybrook: --caldav and --sync cannot be combined");
    else if (user && !request.bind)
        request.error = QStringLiteral("daybrook: --user belongs to --caldav");
    else if (request.bind)
        if (const QString problem = CalDavBinding::urlProblem(request.url); !problem.isEmpty())
            request.error = QStringLiteral("daybrook: --caldav: %1").arg(problem);
    return request;
}

struct Calendar
{
    QString name; // the folder's name, for messages
    QString path;
};

// The password of a binding: environment, keyring, terminal, in that order.
std::optional<QString> passwordFor(const CalDavBinding &binding, const QString &calendar, QString *why)
{
    if (binding.user.isEmpty())
        return QString(); // no sign-in asked for
    if (std::optional<QString> password = PasswordSource::fromEnvironment())
        return password;
    PasswordSource source;
    QEventLoop loop;
    std::optional<QString> found;
    QString missing;
    QObject::connect(&source, &PasswordSource::found, &loop, [&](const QString &password) {
        found = password;
        loop.quit();
    });
    QObject::connect(&source, &PasswordSource::missing, &loop, [&](const QString &reason) {
        missing = reason;
        loop.quit();
    });
    source.fetch(binding);
    loop.exec();
    if (found)
        return found;
    if (std::optional<QString> typed = PasswordSource::askOnTerminal(
            QStringLiteral("Password of %1 at %2: ").arg(binding.user, binding.url.toDisplayString())))
        return typed;
    *why = QStringLiteral("%1: no password for %2 at %3: set %4, store it in the keyring (%5) or run on a terminal")
               .arg(calendar, binding.user, binding.url.toDisplayString(),
                    QLatin1String(PasswordSource::environmentVariable), missing);
    return std::nullopt;
}

SyncSummary runEngine(SyncEngine &engine, bool test)
{
    QEventLoop loop;
    SyncSummary result;
    QObject::connect(&engine, &SyncEngine::finished, &loop, [&](const SyncSummary &summary) {
        result = summary;
        loop.quit();
    });
    test ? engine.startTest() : engine.start();
    loop.exec();
    return result;
}

int exitCodeOf(const SyncSummary &summary)
{
    switch (summary.failure) {
    case SyncSummary::Failure::None:
        return 0;
    case SyncSummary::Failure::Unreachable:
    case SyncSummary::Failure::SignInFailed:
    case SyncSummary::Failure::Certificate:
    case SyncSummary::Failure::NotCalendar:
        return unreachableOrRefused;
    default:
        return otherFailure;
    }
}

// Syncs one calendar; for a new binding, checks the collection and the
// credentials before the binding is written, so a refusal changes nothing.
int syncOne(const Calendar &calendar, const CalDavBinding &binding, bool bindFirst, const QStringList &typeNames,
            QNetworkAccessManager &network, QTextStream &out, QTextStream &err)
{
    QString why;
    const std::optional<QString> password = passwordFor(binding, calendar.name, &why);
    if (!password) {
        err << why << '\n';
        return unreachableOrRefused;
    }
    SyncEngine engine(calendar.path, binding, *password, typeNames, &network);
    if (bindFirst) {
        const SyncSummary test = runEngine(engine, true);
        if (!test.ok()) {
            err << calendar.name << ": " << test.message << '\n';
            return exitCodeOf(test);
        }
        if (const Outcome written = CalDavBinding::write(calendar.path, binding); !written) {
            err << calendar.name << ": " << written.error() << '\n';
            return otherFailure;
        }
    }
    const SyncSummary summary = runEngine(engine, false);
    if (!summary.ok() && summary.failure != SyncSummary::Failure::ServerError) {
        err << calendar.name << ": " << summary.message << '\n';
        return exitCodeOf(summary);
    }
    out << calendar.name << ": " << summary.countsLine() << '\n';
    if (!summary.ok())
        err << calendar.name << ": " << summary.message << '\n';
    return exitCodeOf(summary);
}

} // namespace

bool isSyncCommand(const QStringList &arguments)
{
    return arguments.contains(caldavOption) || arguments.contains(syncOption);
}

int runSyncCommand(const QStringList &arguments)
{
    return TerminalCommand::run(
        [&arguments](QTextStream &out, QTextStream &err) { return runSyncCommand(arguments, out, err); });
}

int runSyncCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const Request request = parse(arguments);
    if (!request.error.isEmpty())
        return fail(err, request.error);

    // The store only tells which calendars there are and what the types
    // are called; sync itself works on the files.
    std::vector<Calendar> calendars;
    QStringList typeNames;
    {
        // Binding may be the first start of a fresh data root; a sync of what
        // is bound only reads the folders list.
        const DataRoot root = DataRoot::resolve(arguments);
        if (!request.bind && !QFileInfo::exists(root.dataDir() + QStringLiteral("folderslist.db"))) {
            // A data root never started has no calendar, bound or not.
            out << "No calendar is bound to a CalDAV collection.\n";
            return 0;
        }
        TDataModule2 store(root);
        if (const Outcome opened = request.bind ? store.startUp() : store.openForReading(1); !opened) {
            err << QStringLiteral("sync: %1").arg(opened.error()) << '\n';
            return otherFailure;
        }
        for (int t = 0; t <= 10; ++t)
            typeNames << store.options().typeName(t);
        if (request.bind) {
            calendars.push_back({store.Table61().asText(FolderListField::Name), store.table(1).filePath()});
        } else {
            Cursor &folders = store.Table61();
            for (folders.first(); !folders.eof(); folders.next()) {
                const QString path =
                    TDataModule2::folderFilePath(store.root().folderPath(folders.asText(FolderListField::Path)),
                                                 folders.asText(FolderListField::File));
                const bool listed = std::any_of(calendars.begin(), calendars.end(),
                                                [&path](const Calendar &c) { return c.path == path; });
                if (!listed && QFileInfo(path).isFile())
                    calendars.push_back({folders.asText(FolderListField::Name), path});
            }
        }
        store.closeAll();
    }

    QNetworkAccessManager network;
    int worst = 0;
    int bound = 0;
    for (const Calendar &calendar : calendars) {
        CalDavBinding binding;
        if (request.bind) {
            binding = {request.url, request.user};
        } else {
            const Result<std::optional<CalDavBinding>> read = CalDavBinding::read(calendar.path);
            if (!read) {
                err << calendar.name << ": " << read.error() << '\n';
                worst = std::max(worst, otherFailure);
                continue;
            }
            if (!read.value())
                continue;
            binding = *read.value();
        }
        ++bound;
        const int code = syncOne(calendar, binding, request.bind, typeNames, network, out, err);
        // A refused server outranks any other failure in the exit code.
        worst = std::max(worst, code);
    }
    if (!request.bind && bound == 0)
        out << "No calendar is bound to a CalDAV collection.\n";
    out.flush();
    err.flush();
    return worst;
}
