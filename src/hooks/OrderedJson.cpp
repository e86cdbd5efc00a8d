#include "OrderedJson.h"

#include <QStringDecoder>
#include <algorithm>

namespace OrderedJson {

Value Value::fromBool(bool value)
{
    Value v;
    v.m_type = Type::boolean;
    v.m_bool = value;
    return v;
}

Value Value::fromInteger(qint64 value)
{
    Value v;
    v.m_type = Type::number;
    v.m_text = QByteArray::number(value);
    return v;
}

Value Value::fromString(const QString& value)
{
    Value v;
    v.m_type = Type::string;
    v.m_string = value;
    return v;
}

Value Value::array()
{
    Value v;
    v.m_type = Type::array;
    return v;
}

Value Value::object()
{
    Value v;
    v.m_type = Type::object;
    return v;
}

void Value::append(Value value)
{
    m_elements.push_back(std::move(value));
}

const Value* Value::member(QStringView key) const
{
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        if (it->key == key)
            return &it->value;
    }
    return nullptr;
}

Value* Value::member(QStringView key)
{
    return const_cast<Value*>(std::as_const(*this).member(key));
}

void Value::setMember(const QString& key, Value value)
{
    auto first =
        std::find_if(m_members.begin(), m_members.end(), [&](const Member& m) { return m.key == key; });
    if (first == m_members.end()) {
        m_members.push_back(Member{key, {}, std::move(value)});
        return;
    }
    first->value = std::move(value);
    m_members.erase(
        std::remove_if(std::next(first), m_members.end(), [&](const Member& m) { return m.key == key; }),
        m_members.end());
}

bool Value::removeMember(QStringView key)
{
    const auto before = m_members.size();
    std::erase_if(m_members, [&](const Member& m) { return m.key == key; });
    return m_members.size() != before;
}

// ---------------------------------------------------------------------------------------------------

class Parser
{
public:
    explicit Parser(const QByteArray& bytes) : m_bytes(bytes) {}

    std::expected<Value, QString> parseDocument()
    {
        skipWhitespace();
        Value value;
        if (!parseValue(value, 0))
            return std::unexpected(m_error);
        skipWhitespace();
        if (m_pos < m_bytes.size()) {
            fail(QStringLiteral("Unexpected text after the end of the JSON value"));
            return std::unexpected(m_error);
        }
        return value;
    }

private:
    // Deep enough for any settings file, shallow enough that hostile nesting cannot exhaust the stack.
    static constexpr int maxDepth = 512;

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    char peek() const { return atEnd() ? '\0' : m_bytes.at(m_pos); }

    bool fail(const QString& what)
    {
        if (!m_error.isEmpty())
            return false;
        int line = 1;
        qsizetype lineStart = 0;
        const qsizetype end = std::min(m_pos, m_bytes.size());
        for (qsizetype i = 0; i < end; ++i) {
            if (m_bytes.at(i) == '\n') {
                ++line;
                lineStart = i + 1;
            }
        }
        // Columns count characters, not bytes: skip UTF-8 continuation bytes.
        int column = 1;
        for (qsizetype i = lineStart; i < end; ++i) {
            if ((uchar(m_bytes.at(i)) & 0xC0) != 0x80)
                ++column;
        }
        m_error = QStringLiteral("%1 at line %2, column %3").arg(what).arg(line).arg(column);
        return false;
    }

    void skipWhitespace()
    {
        while (!atEnd()) {
            const char c = m_bytes.at(m_pos);
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return;
            ++m_pos;
        }
    }

    bool parseValue(Value& out, int depth)
    {
        if (depth > maxDepth)
            return fail(QStringLiteral("Too deeply nested"));
        switch (peek()) {
        case '{':
            return parseObject(out, depth);
        case '[':
            return parseArray(out, depth);
        case '"':
            out.m_type = Value::Type::string;
            return parseString(out.m_string, out.m_text);
        case 't':
            return parseLiteral("true", out, Value::fromBool(true));
        case 'f':
            return parseLiteral("false", out, Value::fromBool(false));
        case 'n':
            return parseLiteral("null", out, Value());
        default:
            if (peek() == '-' || (peek() >= '0' && peek() <= '9'))
                return parseNumber(out);
            return fail(atEnd() ? QStringLiteral("Unexpected end of text")
                                : QStringLiteral("Unexpected character"));
        }
    }

    bool parseLiteral(const char* word, Value& out, Value value)
    {
        const QByteArray literal(word);
        if (m_bytes.mid(m_pos, literal.size()) != literal)
            return fail(QStringLiteral("Unexpected character"));
        m_pos += literal.size();
        out = std::move(value);
        return true;
    }

    bool parseNumber(Value& out)
    {
        const qsizetype start = m_pos;
        const auto digits = [&] {
            const qsizetype from = m_pos;
            while (peek() >= '0' && peek() <= '9')
                ++m_pos;
            return m_pos > from;
        };
        if (peek() == '-')
            ++m_pos;
        if (peek() == '0') {
            ++m_pos;
        } else if (!digits()) {
            return fail(QStringLiteral("Invalid number"));
        }
        if (peek() == '.') {
            ++m_pos;
            if (!digits())
                return fail(QStringLiteral("Invalid number"));
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            if (!digits())
                return fail(QStringLiteral("Invalid number"));
        }
        out.m_type = Value::Type::number;
        out.m_text = m_bytes.mid(start, m_pos - start);
        return true;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool parseString(QString& decoded, QByteArray& text)
    {
        const qsizetype start = m_pos;
        ++m_pos; // opening quote
        qsizetype runStart = m_pos;
        const auto flushRun = [&] {
            // Runs end only at ASCII quotes or backslashes, so they hold whole UTF-8 sequences.
            decoded += QString::fromUtf8(m_bytes.constData() + runStart, m_pos - runStart);
        };
        while (true) {
            if (atEnd())
                return fail(QStringLiteral("Unterminated string"));
            const char c = m_bytes.at(m_pos);
            if (c == '"') {
                flushRun();
                ++m_pos;
                text = m_bytes.mid(start, m_pos - start);
                return true;
            }
            if (uchar(c) < 0x20)
                return fail(QStringLiteral("Control character in a string"));
            if (c != '\\') {
                ++m_pos;
                continue;
            }
            flushRun();
            ++m_pos;
            const char escape = peek();
            ++m_pos;
            switch (escape) {
            case '"':
                decoded += u'"';
                break;
            case '\\':
                decoded += u'\\';
                break;
            case '/':
                decoded += u'/';
                break;
            case 'b':
                decoded += u'\b';
                break;
            case 'f':
                decoded += u'\f';
                break;
            case 'n':
                decoded += u'\n';
                break;
            case 'r':
                decoded += u'\r';
                break;
            case 't':
                decoded += u'\t';
                break;
            case 'u': {
                int unit = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexDigit(peek());
                    if (digit < 0)
                        return fail(QStringLiteral("Invalid \\u escape"));
                    unit = unit * 16 + digit;
                    ++m_pos;
                }
                // Lone surrogates are kept, as JSON.parse keeps them.
                decoded += QChar(char16_t(unit));
                break;
            }
            default:
                --m_pos;
                return fail(QStringLiteral("Invalid escape"));
            }
            runStart = m_pos;
        }
    }

    bool parseArray(Value& out, int depth)
    {
        out = Value::array();
        ++m_pos;
        skipWhitespace();
        if (peek() == ']') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            Value element;
            if (!parseValue(element, depth + 1))
                return false;
            out.m_elements.push_back(std::move(element));
            skipWhitespace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == ']') {
                ++m_pos;
                return true;
            }
            return fail(atEnd() ? QStringLiteral("Unexpected end of text")
                                : QStringLiteral("Expected ',' or ']'"));
        }
    }

    bool parseObject(Value& out, int depth)
    {
        out = Value::object();
        ++m_pos;
        skipWhitespace();
        if (peek() == '}') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            if (peek() != '"')
                return fail(atEnd() ? QStringLiteral("Unexpected end of text")
                                    : QStringLiteral("Expected a member name in double quotes"));
            Member member;
            if (!parseString(member.key, member.keyText))
                return false;
            skipWhitespace();
            if (peek() != ':')
                return fail(QStringLiteral("Expected ':'"));
            ++m_pos;
            skipWhitespace();
            if (!parseValue(member.value, depth + 1))
                return false;
            out.m_members.push_back(std::move(member));
            skipWhitespace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == '}') {
                ++m_pos;
                return true;
            }
            return fail(atEnd() ? QStringLiteral("Unexpected end of text")
                                : QStringLiteral("Expected ',' or '}'"));
        }
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    QString m_error;
};

std::expected<Value, QString> parse(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::unexpected(QStringLiteral("The text is not valid UTF-8"));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return std::unexpected(QStringLiteral("The text starts with a byte order mark"));
    return Parser(bytes).parseDocument();
}

// ---------------------------------------------------------------------------------------------------

class Writer
{
public:
    QByteArray write(const Value& value)
    {
        writeValue(value, 0);
        return m_out;
    }

private:
    void indent(int level) { m_out.append(QByteArray(level * 2, ' ')); }

    // As JSON.stringify spells a string: the two quotes and the backslash escaped, the usual short escapes,
    // other control characters and lone surrogates as \u escapes, everything else as UTF-8.
    void writeString(const QString& text)
    {
        m_out.append('"');
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = text.at(i).unicode();
            switch (c) {
            case u'"':
                m_out.append("\\\"");
                continue;
            case u'\\':
                m_out.append("\\\\");
                continue;
            case u'\b':
                m_out.append("\\b");
                continue;
            case u'\f':
                m_out.append("\\f");
                continue;
            case u'\n':
                m_out.append("\\n");
                continue;
            case u'\r':
                m_out.append("\\r");
                continue;
            case u'\t':
                m_out.append("\\t");
                continue;
            default:
                break;
            }
            if (c < 0x20) {
                m_out.append(QByteArray("\\u") + QByteArray::number(c, 16).rightJustified(4, '0'));
            } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                       QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                m_out.append(text.mid(i, 2).toUtf8());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                m_out.append(QByteArray("\\u") + QByteArray::number(c, 16));
            } else {
                m_out.append(QString(QChar(c)).toUtf8());
            }
        }
        m_out.append('"');
    }

    void writeValue(const Value& value, int level)
    {
        switch (value.m_type) {
        case Value::Type::null:
            m_out.append("null");
            return;
        case Value::Type::boolean:
            m_out.append(value.m_bool ? "true" : "false");
            return;
        case Value::Type::number:
            m_out.append(value.m_text);
            return;
        case Value::Type::string:
            if (!value.m_text.isEmpty())
                m_out.append(value.m_text);
            else
                writeString(value.m_string);
            return;
        case Value::Type::array:
            if (value.m_elements.empty()) {
                m_out.append("[]");
                return;
            }
            m_out.append("[\n");
            for (size_t i = 0; i < value.m_elements.size(); ++i) {
                indent(level + 1);
                writeValue(value.m_elements[i], level + 1);
                m_out.append(i + 1 < value.m_elements.size() ? ",\n" : "\n");
            }
            indent(level);
            m_out.append(']');
            return;
        case Value::Type::object:
            if (value.m_members.empty()) {
                m_out.append("{}");
                return;
            }
            m_out.append("{\n");
            for (size_t i = 0; i < value.m_members.size(); ++i) {
                const Member& member = value.m_members[i];
                indent(level + 1);
                if (!member.keyText.isEmpty())
                    m_out.append(member.keyText);
                else
                    writeString(member.key);
                m_out.append(": ");
                writeValue(member.value, level + 1);
                m_out.append(i + 1 < value.m_members.size() ? ",\n" : "\n");
            }
            indent(level);
            m_out.append('}');
            return;
        }
    }

    QByteArray m_out;
};

QByteArray serialize(const Value& value)
{
    return Writer().write(value);
}

} // namespace OrderedJson
