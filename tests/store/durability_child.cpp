// Posts calendar rows in a loop until it is killed, printing the No of each
// row on its own line once the post has returned. The durability test
// kills it at an arbitrary moment.
#include "store/Cursor.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: durability_child DIR FILE\n");
        return 2;
    }
    Cursor cursor(QStringLiteral("writer"));
    cursor.setTableFile(args.at(1), args.at(2), calendarSchema());
    if (!cursor.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(cursor.lastError()));
        return 1;
    }
    const QDate first(2025, 1, 1);
    for (int i = 0;; ++i) {
        cursor.insert();
        cursor.setValue(QStringLiteral("Subject"), QStringLiteral("row %1").arg(i));
        cursor.setValue(QStringLiteral("S"), first.addDays(i % 365));
        cursor.setValue(QStringLiteral("E"), first.addDays(i % 365));
        cursor.setValue(QStringLiteral("Md"), QStringLiteral("0"));
        if (!cursor.post()) {
            std::fprintf(stderr, "%s\n", qPrintable(cursor.lastError()));
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(cursor.currentId()));
        std::fflush(stdout);
    }
}
