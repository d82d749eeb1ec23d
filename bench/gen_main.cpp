// daybrook_gen: writes a data root with a generated calendar.
//   daybrook_gen --home DIR [--items N] [--seed S]
#include "bench/ItemGenerator.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&args](const char *name, const QString &fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    const QString home = option("--home", QString());
    bool countOk = false, seedOk = false;
    const int count = option("--items", QStringLiteral("10000")).toInt(&countOk);
    const qulonglong seed = option("--seed", QStringLiteral("1")).toULongLong(&seedOk);
    if (home.isEmpty() || !countOk || count < 0 || !seedOk) {
        std::fprintf(stderr, "usage: daybrook_gen --home DIR [--items N] [--seed S]\n");
        return 2;
    }
    if (QDir(home).exists() && !QDir(home).isEmpty()) {
        std::fprintf(stderr, "daybrook_gen: %s is not empty\n", qPrintable(home));
        return 2;
    }
    QString error;
    if (!ItemGenerator::makeDataRoot(home, count, seed, &error)) {
        std::fprintf(stderr, "daybrook_gen: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%d items (seed %llu) in %s\n", count, seed, qPrintable(QDir(home).absolutePath()));
    return 0;
}
