#include "ical/IcsLines.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <algorithm>

namespace IcsLines {

namespace {

// The property name of a content line: what comes before its first ';' or ':'.
QByteArrayView nameOf(const QByteArray &line)
{
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ';' && line.at(end) != ':')
        ++end;
    return QByteArrayView(line.constData(), end);
}

bool isNamed(const QByteArray &line, QByteArrayView name)
{
    return nameOf(line).compare(name, Qt::CaseInsensitive) == 0;
}

// The value of a content line: what follows the first ':' outside quotes.
QByteArrayView valueOf(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return QByteArrayView(line.constData() + i + 1, line.size() - i - 1);
    }
    return {};
}

QString componentName(const QByteArray &line)
{
    return QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed().toUpper();
}

// A time zone rule that repeats more often than daily makes libical expand
// it change by change, without end in practice; offsets beyond a day's
// worth move times by days. No real zone has either.
QString zoneProblem(const Line &line)
{
    if (isNamed(line.text, "RRULE")) {
        static const QRegularExpression freq(QStringLiteral("(^|;)FREQ=([A-Z]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
        const QString frequency = freq.match(QString::fromUtf8(valueOf(line.text))).captured(2).toUpper();
        if (frequency == QLatin1String("SECONDLY") || frequency == QLatin1String("MINUTELY")
            || frequency == QLatin1String("HOURLY"))
            return QStringLiteral("line %1: a time zone rule repeats more often than daily (FREQ=%2)")
                .arg(line.number)
                .arg(frequency);
    } else if (isNamed(line.text, "TZOFFSETFROM") || isNamed(line.text, "TZOFFSETTO")) {
        static const QRegularExpression offset(QStringLiteral("^[+-](\\d\\d)(\\d\\d)(\\d\\d)?$"));
        const QString value = QString::fromUtf8(valueOf(line.text)).trimmed();
        const QRegularExpressionMatch m = offset.match(value);
        const int seconds =
            m.hasMatch() ? m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() : 0;
        const QString name = QString::fromUtf8(nameOf(line.text)).toUpper();
        if (m.hasMatch() && seconds > 18 * 3600)
            return QStringLiteral("line %1: %2 lies beyond 18 hours from UTC: %3")
                .arg(line.number)
                .arg(name, shown(valueOf(line.text)));
        if (!m.hasMatch() || m.captured(2).toInt() > 59 || m.captured(3).toInt() > 59)
            return QStringLiteral("line %1: %2 is not a UTC offset: %3")
                .arg(line.number)
                .arg(name, shown(valueOf(line.text)));
    }
    return QString();
}

// libical reads the numbers of a duration into an int; a longer one
// overflows there before we see it. (A date-time trigger has runs of 8
// digits at most.)
QString durationProblem(const Line &line)
{
    if (!isNamed(line.text, "DURATION") && !isNamed(line.text, "TRIGGER"))
        return QString();
    const QByteArrayView value = valueOf(line.text);
    int digits = 0, longest = 0;
    for (const char c : value) {
        digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
        longest = std::max(longest, digits);
    }
    if (longest > 9)
        return QStringLiteral("line %1: %2 holds a number too large for a duration: %3")
            .arg(line.number)
            .arg(QString::fromUtf8(nameOf(line.text)).toUpper(), shown(value));
    return QString();
}

// The structure libical forgives: every BEGIN has its END, in order, no
// deeper than any calendar needs, and nothing outside a component.
QString structureProblem(const QList<Line> &lines)
{
    QStringList open;
    QList<int> openedAt;
    bool sawCalendar = false;
    for (const Line &line : lines) {
        if (line.text.contains('\0'))
            return QStringLiteral("line %1: %2 holds a NUL byte, which iCalendar text cannot carry")
                .arg(line.number)
                .arg(shown(nameOf(line.text)).toUpper());
        if (isNamed(line.text, "BEGIN")) {
            open << componentName(line.text);
            openedAt << line.number;
            sawCalendar |= open.last() == QLatin1String("VCALENDAR");
            if (open.size() > maxDepth)
                return QStringLiteral("line %1: BEGIN:%2 nests deeper than %3 levels, more than any calendar needs")
                    .arg(line.number)
                    .arg(shown(open.last().toUtf8()))
                    .arg(maxDepth);
        } else if (isNamed(line.text, "END")) {
            const QString name = componentName(line.text);
            if (open.isEmpty() || open.last() != name)
                return QStringLiteral("line %1: END:%2 without its BEGIN").arg(line.number).arg(shown(name.toUtf8()));
            open.removeLast();
            openedAt.removeLast();
        } else if (open.isEmpty()) {
            return QStringLiteral("line %1: text outside BEGIN:VCALENDAR and END:VCALENDAR").arg(line.number);
        } else if (!line.text.contains(':')) {
            return QStringLiteral("line %1: a line without a colon").arg(line.number);
        } else if (open.contains(QLatin1String("VTIMEZONE"))) {
            const QString problem = zoneProblem(line);
            if (!problem.isEmpty())
                return problem;
        }
        const QString duration = durationProblem(line);
        if (!duration.isEmpty())
            return duration;
    }
    if (!open.isEmpty())
        return QStringLiteral("line %1: BEGIN:%2 is never ended").arg(openedAt.last()).arg(shown(open.last().toUtf8()));
    if (!sawCalendar)
        return QStringLiteral("line 1: not an iCalendar file (no BEGIN:VCALENDAR)");
    return QString();
}

// libical takes a malformed date or time as no value at all; an item
// without its start would then vanish without a word, so such a line
// stops the import.
QString badTimeValue(const QList<Line> &lines)
{
    static const char *const names[] = {"DTSTART", "DTEND", "DUE", "RECURRENCE-ID", "EXDATE", "RDATE"};
    static const QRegularExpression timeValue(
        QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(T(\\d{2})(\\d{2})(\\d{2})Z?)?$"));
    for (const Line &line : lines) {
        const QByteArrayView name = nameOf(line.text);
        if (std::none_of(std::begin(names), std::end(names),
                         [&name](const char *n) { return name.compare(n, Qt::CaseInsensitive) == 0; }))
            continue;
        const QByteArrayView value = valueOf(line.text);
        const QString params = QString::fromUtf8(line.text.left(line.text.size() - value.size()));
        if (params.contains(QLatin1String("VALUE=PERIOD"), Qt::CaseInsensitive))
            continue;
        for (const QString &one : QString::fromUtf8(value).split(QLatin1Char(','))) {
            const QRegularExpressionMatch m = timeValue.match(one.trimmed());
            // A leap second (:60) is a real time.
            const bool valid = m.hasMatch()
                && QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid()
                && (m.captured(4).isEmpty()
                    || QTime(m.captured(5).toInt(), m.captured(6).toInt(), std::min(59, m.captured(7).toInt()))
                           .isValid());
            if (!valid)
                return QStringLiteral("line %1: %2 is not a date or time: %3")
                    .arg(line.number)
                    .arg(QString::fromUtf8(name).toUpper(), shown(one.trimmed().toUtf8()));
        }
    }
    return QString();
}

} // namespace

QString shown(QByteArrayView text, int limit)
{
    const QString decoded = QString::fromUtf8(text.first(std::min(text.size(), qsizetype(limit) * 4)));
    QString out;
    for (const QChar c : decoded) {
        if (out.size() >= limit) {
            out += QStringLiteral("...");
            break;
        }
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out +=
                QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QList<Line> unfold(const QByteArray &text)
{
    // A file with no LF at all but CRs ends its lines in CR alone.
    const char end = (!text.contains('\n') && text.contains('\r')) ? '\r' : '\n';
    QList<Line> lines;
    int number = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype stop = text.indexOf(end, pos);
        if (stop < 0)
            stop = text.size();
        ++number;
        QByteArrayView line(text.constData() + pos, stop - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t')))
            lines.last().text += line.sliced(1);
        else if (!line.isEmpty())
            lines.append({number, line.toByteArray()});
        pos = stop + 1;
    }
    return lines;
}

QString firstProblem(const QList<Line> &lines)
{
    const QString structure = structureProblem(lines);
    return structure.isEmpty() ? badTimeValue(lines) : structure;
}

Result<icalcomponent *> parse(const QList<Line> &lines, const Progress &progress)
{
    bool cancelled = false;
    // As icalparser_parse does, but with lines we already unfolded: its
    // own reader rescans the rest of a line for every kilobyte it takes.
    const icalerrorstate was = icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR);
    icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, ICAL_ERROR_NONFATAL);
    icalparser *parser = icalparser_new();
    icalcomponent *root = nullptr;
    const int total = int(lines.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 512 == 0 && !progress(i, total)) {
            cancelled = true;
            break;
        }
        QByteArray line = lines.at(i).text;
        icalcomponent *c = icalparser_add_line(parser, line.data());
        if (!c)
            continue;
        if (!root) {
            root = c;
        } else if (icalcomponent_isa(root) != ICAL_XROOT_COMPONENT) {
            icalcomponent *several = icalcomponent_new(ICAL_XROOT_COMPONENT);
            icalcomponent_add_component(several, root);
            icalcomponent_add_component(several, c);
            root = several;
        } else {
            icalcomponent_add_component(root, c);
        }
    }
    icalparser_free(parser);
    icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, was);
    if (cancelled) {
        if (root)
            icalcomponent_free(root);
        return Result<icalcomponent *>::cancelled();
    }
    if (!root)
        return Result<icalcomponent *>::failed(QStringLiteral("line 1: not an iCalendar file"));
    return root;
}

QString markedError(icalcomponent *root, const QList<Line> &lines)
{
    QList<icalcomponent *> pending {root};
    while (!pending.isEmpty()) {
        icalcomponent *c = pending.takeFirst();
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
            icalparameter *type = icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
            const icalparameter_xlicerrortype kind =
                type ? icalparameter_get_xlicerrortype(type) : ICAL_XLICERRORTYPE_NONE;
            if (kind == ICAL_XLICERRORTYPE_PARAMETERNAMEPARSEERROR
                || kind == ICAL_XLICERRORTYPE_PARAMETERVALUEPARSEERROR)
                continue; // an unknown parameter changes nothing we read
            const char *raw = icalproperty_get_xlicerror(p);
            const QByteArray reason = raw ? QByteArray(raw) : QByteArray();
            // Find the line that carries the faulty text the message quotes.
            const qsizetype colon = reason.lastIndexOf(": ");
            const QByteArray quoted = (colon >= 0 ? reason.mid(colon + 2) : reason).trimmed();
            int number = 0;
            for (const Line &line : lines) {
                if (!quoted.isEmpty() && line.text.contains(quoted)) {
                    number = line.number;
                    break;
                }
            }
            const QString said = shown(reason, 300);
            return number ? QStringLiteral("line %1: %2").arg(number).arg(said) : said;
        }
        for (icalcomponent *child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            pending.append(child);
    }
    return QString();
}

} // namespace IcsLines
