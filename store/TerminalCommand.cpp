#include "store/TerminalCommand.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace TerminalCommand {

int run(const Body &body)
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "daybrook";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = body(out, err);
    out.flush();
    return code;
}

int fail(QTextStream &err, const QString &line)
{
    err << line << '\n';
    err.flush();
    return 2;
}

QDate isoDate(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return iso.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
}

} // namespace TerminalCommand
