#include "store/FilterExpression.h"

#include "store/FilterLiterals.h"
#include "store/ItemFields.h"
#include "store/LocaleFormats.h"

#include <QHash>
#include <QLocale>
#include <QMutex>

#include <algorithm>
#include <limits>

namespace {

struct Token
{
    enum Kind { Name, Operator, Literal, End } kind = End;
    QString text;
    int position = 0; // 1-based, for messages
};

// Splits a filter into names, operators and quoted literals. Spaces are
// optional everywhere ("S <='1/5/2024'and E >= ..." is fine).
class Lexer
{
public:
    explicit Lexer(const QString &text)
        : m_text(text)
    { }

    bool next(Token *token, QString *error)
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
        token->position = m_pos + 1;
        token->text.clear();
        if (m_pos >= m_text.size()) {
            token->kind = Token::End;
            return true;
        }
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('\''))
            return readLiteral(token, error);
        if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return readOperator(token);
        if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.')) {
            const int start = m_pos;
            while (m_pos < m_text.size()
                   && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == QLatin1Char('_')
                       || m_text[m_pos] == QLatin1Char('-') || m_text[m_pos] == QLatin1Char('.')))
                ++m_pos;
            token->kind = Token::Name;
            token->text = m_text.mid(start, m_pos - start);
            return true;
        }
        // A character outside the basic plane is two UTF-16 units: show it whole.
        const int length =
            c.isHighSurrogate() && m_pos + 1 < m_text.size() && m_text[m_pos + 1].isLowSurrogate() ? 2 : 1;
        *error = QStringLiteral("Unexpected character '%1' at position %2 of the filter.")
                     .arg(m_text.mid(m_pos, length), QString::number(token->position));
        return false;
    }

private:
    bool readLiteral(Token *token, QString *error)
    {
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size()) {
                *error = QStringLiteral("The text that starts at position %1 of the filter has no closing quote.")
                             .arg(token->position);
                return false;
            }
            const QChar c = m_text[m_pos++];
            if (c != QLatin1Char('\'')) {
                token->text.append(c);
                continue;
            }
            // A doubled quote stands for one quote inside the literal.
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\'')) {
                token->text.append(c);
                ++m_pos;
                continue;
            }
            token->kind = Token::Literal;
            return true;
        }
    }

    bool readOperator(Token *token)
    {
        const QChar c = m_text[m_pos++];
        token->kind = Token::Operator;
        token->text = c;
        if (m_pos < m_text.size()) {
            const QChar d = m_text[m_pos];
            if ((c == QLatin1Char('<') && (d == QLatin1Char('>') || d == QLatin1Char('=')))
                || (c == QLatin1Char('>') && d == QLatin1Char('='))) {
                token->text.append(d);
                ++m_pos;
            }
        }
        return true;
    }

    const QString &m_text;
    int m_pos = 0;
};

bool isWord(const Token &token, const char *word)
{
    return token.kind == Token::Name && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

FilterExpression::Op operatorFor(const QString &text)
{
    if (text == QLatin1String("="))
        return FilterExpression::Op::Eq;
    if (text == QLatin1String("<>"))
        return FilterExpression::Op::Ne;
    if (text == QLatin1String("<"))
        return FilterExpression::Op::Lt;
    if (text == QLatin1String("<="))
        return FilterExpression::Op::Le;
    if (text == QLatin1String(">"))
        return FilterExpression::Op::Gt;
    return FilterExpression::Op::Ge;
}

// Date and time literals repeat across the views' filters; read each once.
// Only used under the filter cache's lock, and cleared with it.
QHash<QString, qint64> &dateLiterals()
{
    static QHash<QString, qint64> values;
    return values;
}
QHash<QString, qint64> &timeLiterals()
{
    static QHash<QString, qint64> values;
    return values;
}

bool cachedNumber(QHash<QString, qint64> &cache, const QString &literal, qint64 *number,
                  qint64 (*read)(const QString &))
{
    auto it = cache.constFind(literal);
    if (it == cache.constEnd()) {
        if (cache.size() > 4096)
            cache.clear();
        it = cache.insert(literal, read(literal));
    }
    *number = *it;
    return *it != std::numeric_limits<qint64>::min();
}

// The program writes its own literals in ISO form, read here without the
// locale; only a literal in another form is read in the locale's formats.
qint64 readDate(const QString &literal)
{
    QDate date = FilterLiterals::readDate(literal);
    if (!date.isValid())
        date = LocaleFormats::parseDate(literal);
    return date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min();
}

qint64 readTime(const QString &literal)
{
    QTime time = FilterLiterals::readTime(literal);
    if (!time.isValid())
        time = LocaleFormats::parseTime(literal);
    return time.isValid() ? time.msecsSinceStartOfDay() : std::numeric_limits<qint64>::min();
}

// A decimal whole number with an optional sign and blanks around it, and
// nothing else: QString::toLongLong would stop at a NUL inside the text and
// read "12<NUL>3" as 12.
qint64 wholeNumber(const QString &literal, bool *ok)
{
    const QString trimmed = literal.trimmed();
    *ok = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            && !(i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))))
            return 0;
    }
    return trimmed.toLongLong(ok);
}

// Converts a literal to the field's type; false when it is no such value.
bool convertLiteral(const FieldDef &field, const QString &literal, FilterExpression::Test *test)
{
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo:
        test->text = literal;
        return true;
    case FieldType::Date:
        return cachedNumber(dateLiterals(), literal, &test->number, readDate);
    case FieldType::Time:
        return cachedNumber(timeLiterals(), literal, &test->number, readTime);
    case FieldType::Boolean:
        if (literal.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            test->number = 1;
            return true;
        }
        if (literal.trimmed().compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            test->number = 0;
            return true;
        }
        return false;
    case FieldType::Integer:
    case FieldType::AutoIncrement: {
        bool ok = false;
        test->number = wholeNumber(literal, &ok);
        return ok && test->number != std::numeric_limits<qint64>::min(); // that value marks a blank
    }
    }
    return false;
}

QString typeWord(FieldType type)
{
    switch (type) {
    case FieldType::Date:
        return QStringLiteral("a date");
    case FieldType::Time:
        return QStringLiteral("a time of day");
    case FieldType::Boolean:
        return QStringLiteral("True or False");
    case FieldType::Integer:
    case FieldType::AutoIncrement:
        return QStringLiteral("a whole number");
    default:
        return QStringLiteral("a text");
    }
}

class Parser
{
public:
    Parser(const QString &text, const TableSchema &schema)
        : m_lexer(text)
        , m_schema(schema)
    { }

    bool parse(std::vector<FilterExpression::Clause> *clauses, QString *error)
    {
        m_error = error;
        if (!advance())
            return false;
        if (m_token.kind == Token::End)
            return true; // an empty filter lets every row through
        FilterExpression::Clause clause;
        for (;;) {
            FilterExpression::Test test;
            if (!parseTest(&test))
                return false;
            clause.push_back(test);
            if (m_token.kind == Token::End)
                break;
            if (isWord(m_token, "and")) {
                if (!advance())
                    return false;
            } else if (isWord(m_token, "or")) {
                clauses->push_back(std::move(clause));
                clause.clear();
                if (!advance())
                    return false;
            } else {
                return fail(
                    QStringLiteral("Expected \"and\" or \"or\" at position %1 of the filter.").arg(m_token.position));
            }
        }
        clauses->push_back(std::move(clause));
        return true;
    }

private:
    bool advance() { return m_lexer.next(&m_token, m_error); }

    bool fail(const QString &message)
    {
        *m_error = message;
        return false;
    }

    bool parseTest(FilterExpression::Test *test)
    {
        if (m_token.kind != Token::Name)
            return fail(QStringLiteral("Expected a field name at position %1 of the filter.").arg(m_token.position));
        const int fieldPosition = m_token.position;
        test->field = m_schema.fieldIndex(m_token.text);
        if (test->field < 0)
            return fail(QStringLiteral("Unknown field \"%1\" at position %2 of the filter.")
                            .arg(m_token.text, QString::number(fieldPosition)));
        const FieldDef &field = m_schema.fields[test->field];
        if (!advance())
            return false;
        if (isWord(m_token, "in"))
            return parseList(field, test);
        if (isWord(m_token, "occurs") || isWord(m_token, "reminds"))
            return parseSeriesTest(field, test);
        if (m_token.kind != Token::Operator)
            return fail(QStringLiteral("Expected a comparison after \"%1\" at position %2 of the filter.")
                            .arg(field.name, QString::number(m_token.position)));
        test->op = operatorFor(m_token.text);
        if (!advance())
            return false;
        if (isWord(m_token, "Null")) {
            if (test->op != FilterExpression::Op::Eq && test->op != FilterExpression::Op::Ne)
                return fail(QStringLiteral("Null can only be compared with = or <> (position %1 of the filter).")
                                .arg(m_token.position));
            test->isNull = true;
            return advance();
        }
        // A bare number is accepted where a quoted literal is expected.
        const bool bareNumber = m_token.kind == Token::Name && !m_token.text.isEmpty() && m_token.text[0].isDigit();
        if (m_token.kind != Token::Literal && !bareNumber)
            return fail(QStringLiteral("Expected a value in single quotes at position %1 of the filter.")
                            .arg(m_token.position));
        if (!convertLiteral(field, m_token.text, test))
            // One arg() call: a "%1" typed inside the literal stays as it is.
            return fail(QStringLiteral("'%1' at position %2 of the filter is not %3 for the field %4.")
                            .arg(m_token.text, QString::number(m_token.position), typeWord(field.type), field.name));
        return advance();
    }

    // "Rr occurs 'D'", "Rr reminds 'D'": only the series rule's field.
    bool parseSeriesTest(const FieldDef &field, FilterExpression::Test *test)
    {
        const QString word = m_token.text.toLower();
        test->op = word == QLatin1String("occurs") ? FilterExpression::Op::Occurs : FilterExpression::Op::Reminds;
        if (field.name != ItemField::Rr)
            return fail(QStringLiteral("\"%1\" needs the field Rr, not %2 (position %3 of the filter).")
                            .arg(word, field.name, QString::number(m_token.position)));
        if (!advance())
            return false;
        if (m_token.kind != Token::Literal)
            return fail(
                QStringLiteral("Expected a date in single quotes at position %1 of the filter.").arg(m_token.position));
        if (!cachedNumber(dateLiterals(), m_token.text, &test->number, readDate))
            return fail(QStringLiteral("'%1' at position %2 of the filter is not a date.")
                            .arg(m_token.text, QString::number(m_token.position)));
        return advance();
    }

    // "F in '3,17,42'": only whole-number fields, whose index buckets hold
    // exactly the rows of one number.
    bool parseList(const FieldDef &field, FilterExpression::Test *test)
    {
        test->op = FilterExpression::Op::In;
        if (field.type != FieldType::Integer && field.type != FieldType::AutoIncrement)
            return fail(QStringLiteral("\"in\" needs a whole-number field, not %1 (position %2 of the filter).")
                            .arg(field.name, QString::number(m_token.position)));
        if (!advance())
            return false;
        if (m_token.kind != Token::Literal)
            return fail(QStringLiteral("Expected a list of numbers in single quotes at position %1 of the filter.")
                            .arg(m_token.position));
        for (const QStringView part : QStringView(m_token.text).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const qint64 number = part.trimmed().toLongLong(&ok);
            if (!ok)
                return fail(QStringLiteral("'%1' at position %2 of the filter is not a list of whole numbers.")
                                .arg(m_token.text, QString::number(m_token.position)));
            test->numbers.push_back(number);
        }
        std::sort(test->numbers.begin(), test->numbers.end());
        test->numbers.erase(std::unique(test->numbers.begin(), test->numbers.end()), test->numbers.end());
        return advance();
    }

    Lexer m_lexer;
    const TableSchema &m_schema;
    Token m_token;
    QString *m_error = nullptr;
};

} // namespace

FilterExpression::Parsed FilterExpression::parseUncached(const QString &text, const TableSchema &schema)
{
    auto expression = std::make_shared<FilterExpression>();
    expression->m_schema = &schema;
    QString message;
    Parser parser(text, schema);
    if (!parser.parse(&expression->m_clauses, &message))
        return Parsed::failed(message);
    return Shared(std::move(expression));
}

FilterExpression::Parsed FilterExpression::parse(const QString &text, const TableSchema &schema)
{
    // Date and time literals are read in the locale's formats, so a cached
    // parse is only valid for the locale it was made in.
    struct Cache
    {
        QMutex mutex;
        QString localeName;
        QHash<QString, std::shared_ptr<const FilterExpression>> entries;
    };
    static Cache cache;
    constexpr int cacheLimit = 2048;

    const QString key = schema.sqlTable + QLatin1Char('\n') + text;
    QMutexLocker lock(&cache.mutex);
    const QString localeName = QLocale().name();
    if (cache.localeName != localeName) {
        cache.entries.clear();
        dateLiterals().clear();
        timeLiterals().clear();
        cache.localeName = localeName;
    }
    if (auto it = cache.entries.constFind(key); it != cache.entries.constEnd() && &(*it)->schema() == &schema)
        return *it;
    Parsed parsed = parseUncached(text, schema);
    if (parsed) {
        if (cache.entries.size() >= cacheLimit)
            cache.entries.clear();
        cache.entries.insert(key, parsed.value());
    }
    return parsed;
}
