#include "catalogue/JsonReader.h"

#include "core/AppError.h"

#include <QVarLengthArray>

namespace JsonReader {

namespace {

// Far deeper than any catalogue; it keeps a hostile document from exhausting the stack.
constexpr int maxDepth = 128;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Well-formed UTF-8 only: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(const char *begin, const char *end)
{
    auto p = reinterpret_cast<const uchar *>(begin);
    const auto stop = reinterpret_cast<const uchar *>(end);
    while (p != stop) {
        const uchar lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int trailing;
        char32_t cp;
        char32_t smallest;
        if ((lead & 0xE0) == 0xC0) {
            trailing = 1, cp = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            trailing = 2, cp = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            trailing = 3, cp = lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (stop - p <= trailing)
            return false;
        for (int i = 1; i <= trailing; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += trailing + 1;
    }
    return true;
}

class Parser
{
public:
    explicit Parser(QByteArrayView json)
        : m_begin(json.data()), m_p(json.data()), m_end(json.data() + json.size())
    {}

    Value document()
    {
        // A byte order mark, which some editors write, may be ignored.
        if (m_end - m_p >= 3 && QByteArrayView(m_p, 3) == QByteArrayView("\xEF\xBB\xBF"))
            m_p += 3;
        skipSpace();
        Value result = value(0);
        skipSpace();
        if (m_p != m_end)
            fail("unexpected text after the document");
        return result;
    }

private:
    [[noreturn]] void fail(const char *what) const
    {
        int line = 1;
        const char *lineStart = m_begin;
        for (const char *c = m_begin; c != m_p; ++c) {
            if (*c == '\n')
                ++line, lineStart = c + 1;
        }
        throw AppError::decoding(QStringLiteral("not valid JSON: %1 at line %2, column %3")
                                     .arg(QLatin1StringView(what))
                                     .arg(line)
                                     .arg(m_p - lineStart + 1));
    }

    void skipSpace()
    {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    void expect(char c, const char *what)
    {
        if (m_p == m_end || *m_p != c)
            fail(what);
        ++m_p;
    }

    Value value(int depth)
    {
        if (m_p == m_end)
            fail("unexpected end of the document");
        Value v;
        switch (*m_p) {
        case '{':
        case '[':
            if (depth >= maxDepth)
                fail("nesting too deep");
            if (*m_p == '{')
                object(v, depth + 1);
            else
                array(v, depth + 1);
            break;
        case '"':
            v.type = Value::Type::String;
            v.string = string();
            break;
        case 't':
            word("true");
            v.type = Value::Type::Bool;
            v.boolean = true;
            break;
        case 'f':
            word("false");
            v.type = Value::Type::Bool;
            break;
        case 'n':
            word("null");
            break;
        default:
            v.type = Value::Type::Number;
            v.number = number();
        }
        return v;
    }

    void object(Value &v, int depth)
    {
        v.type = Value::Type::Object;
        ++m_p;
        skipSpace();
        if (m_p != m_end && *m_p == '}') {
            ++m_p;
            return;
        }
        for (;;) {
            skipSpace();
            if (m_p == m_end || *m_p != '"')
                fail("expected a member name");
            v.keys.append(string());
            skipSpace();
            expect(':', "expected ':' after a member name");
            skipSpace();
            v.items.push_back(value(depth));
            skipSpace();
            if (m_p != m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            expect('}', "expected ',' or '}' in an object");
            return;
        }
    }

    void array(Value &v, int depth)
    {
        v.type = Value::Type::Array;
        ++m_p;
        skipSpace();
        if (m_p != m_end && *m_p == ']') {
            ++m_p;
            return;
        }
        for (;;) {
            skipSpace();
            v.items.push_back(value(depth));
            skipSpace();
            if (m_p != m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            expect(']', "expected ',' or ']' in an array");
            return;
        }
    }

    void word(const char *literal)
    {
        for (const char *c = literal; *c; ++c, ++m_p) {
            if (m_p == m_end || *m_p != *c)
                fail("unexpected character");
        }
    }

    QByteArrayView number()
    {
        const char *start = m_p;
        if (*m_p == '-')
            ++m_p;
        if (m_p == m_end || !isDigit(*m_p))
            fail(start == m_p ? "unexpected character" : "invalid number");
        if (*m_p == '0')
            ++m_p;
        else
            digits();
        if (m_p != m_end && *m_p == '.') {
            ++m_p;
            requireDigits();
        }
        if (m_p != m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p != m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            requireDigits();
        }
        return QByteArrayView(start, m_p - start);
    }

    void digits()
    {
        while (m_p != m_end && isDigit(*m_p))
            ++m_p;
    }

    void requireDigits()
    {
        if (m_p == m_end || !isDigit(*m_p))
            fail("invalid number");
        digits();
    }

    // Text up to the next quote, backslash or control character.
    QString plainRun()
    {
        const char *start = m_p;
        while (m_p != m_end && *m_p != '"' && *m_p != '\\' && uchar(*m_p) >= 0x20)
            ++m_p;
        if (!isUtf8(start, m_p)) {
            m_p = start;
            fail("invalid UTF-8 in a string");
        }
        return QString::fromUtf8(start, m_p - start);
    }

    QString string()
    {
        ++m_p; // the opening quote
        QString text = plainRun();
        for (;;) {
            if (m_p == m_end)
                fail("unterminated string");
            if (*m_p == '"') {
                ++m_p;
                return text;
            }
            if (*m_p != '\\')
                fail("control character in a string");
            escape(text);
            text += plainRun();
        }
    }

    void escape(QString &text)
    {
        ++m_p; // the backslash
        if (m_p == m_end)
            fail("unterminated string");
        switch (*m_p++) {
        case '"':
            text += u'"';
            break;
        case '\\':
            text += u'\\';
            break;
        case '/':
            text += u'/';
            break;
        case 'b':
            text += u'\b';
            break;
        case 'f':
            text += u'\f';
            break;
        case 'n':
            text += u'\n';
            break;
        case 'r':
            text += u'\r';
            break;
        case 't':
            text += u'\t';
            break;
        case 'u':
            text += QChar(hex4());
            break;
        default:
            --m_p;
            fail("invalid escape in a string");
        }
    }

    // A \u escape gives one UTF-16 code unit; a pair of them spells a surrogate pair, which
    // the QString then holds as such.
    char16_t hex4()
    {
        char16_t unit = 0;
        for (int i = 0; i < 4; ++i, ++m_p) {
            if (m_p == m_end)
                fail("unterminated string");
            const char c = *m_p;
            int digit;
            if (isDigit(c))
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                fail("invalid \\u escape in a string");
            unit = char16_t(unit * 16 + digit);
        }
        return unit;
    }

    const char *m_begin;
    const char *m_p;
    const char *m_end;
};

} // namespace

const Value *Value::member(QLatin1StringView name) const
{
    for (qsizetype i = keys.size() - 1; i >= 0; --i) {
        if (keys.at(i) == name)
            return &items[size_t(i)];
    }
    return nullptr;
}

Value parse(QByteArrayView json)
{
    return Parser(json).document();
}

Integer toInteger(QByteArrayView literal, qint64 *value)
{
    // The literal is a valid JSON number: -?digits(.digits)?([eE][+-]?digits)?
    const char *p = literal.begin();
    const char *end = literal.end();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    // All significant digits, and the power of ten of the last one.
    QVarLengthArray<char, 32> digits;
    qint64 exponent = 0;
    for (; p != end && isDigit(*p); ++p)
        digits.append(*p);
    if (p != end && *p == '.') {
        for (++p; p != end && isDigit(*p); ++p, --exponent)
            digits.append(*p);
    }
    if (p != end) { // 'e' or 'E'
        ++p;
        const bool down = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        qint64 written = 0;
        for (; p != end; ++p) {
            if (written < 1'000'000'000) // saturates: any larger power decides alone
                written = written * 10 + (*p - '0');
        }
        exponent += down ? -written : written;
    }

    qsizetype first = 0;
    qsizetype last = digits.size();
    while (first < last && digits[first] == '0')
        ++first;
    while (last > first && digits[last - 1] == '0')
        --last, ++exponent;
    if (first == last) {
        *value = 0;
        return Integer::Exact;
    }
    if (exponent < 0)
        return Integer::NotWhole;
    if ((last - first) + exponent > 19)
        return Integer::OutOfRange;
    quint64 magnitude = 0; // at most 19 digits: fits
    for (qsizetype i = first; i < last; ++i)
        magnitude = magnitude * 10 + quint64(digits[i] - '0');
    for (qint64 i = 0; i < exponent; ++i)
        magnitude *= 10;
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    if (magnitude > limit)
        return Integer::OutOfRange;
    *value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return Integer::Exact;
}

QString typeName(Value::Type type)
{
    switch (type) {
    case Value::Type::Null:
        return QStringLiteral("null");
    case Value::Type::Bool:
        return QStringLiteral("a boolean");
    case Value::Type::Number:
        return QStringLiteral("a number");
    case Value::Type::String:
        return QStringLiteral("a string");
    case Value::Type::Array:
        return QStringLiteral("an array");
    case Value::Type::Object:
        return QStringLiteral("an object");
    }
    return {};
}

} // namespace JsonReader
