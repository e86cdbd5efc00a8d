#pragma once

#include <QByteArray>
#include <QString>
#include <expected>
#include <vector>

// JSON that keeps what a user's file had: members in their order and every string and number spelled
// as it was read. Writing a settings file back then changes only what we changed, whereas
// QJsonDocument sorts the members and re-spells strings and numbers.
namespace OrderedJson {

struct Member;

class Value
{
public:
    enum class Type
    {
        null,
        boolean,
        number,
        string,
        array,
        object,
    };

    Value() = default; // null
    static Value fromBool(bool value);
    static Value fromInteger(qint64 value);
    static Value fromString(const QString& value);
    static Value array();
    static Value object();

    Type type() const { return m_type; }
    bool isObject() const { return m_type == Type::object; }
    bool isArray() const { return m_type == Type::array; }
    bool isString() const { return m_type == Type::string; }
    bool toBool() const { return m_bool; }
    // The decoded text of a string; empty for other types.
    const QString& toString() const { return m_string; }

    const std::vector<Value>& elements() const { return m_elements; }
    void append(Value value);

    const std::vector<Member>& members() const { return m_members; }
    // A key given twice counts with its last value, as in JSON.parse.
    const Value* member(QStringView key) const;
    Value* member(QStringView key);
    // Replaces the value where the key first stood (dropping later duplicates), or appends the member.
    void setMember(const QString& key, Value value);
    // Removes every occurrence; false when there was none.
    bool removeMember(QStringView key);

private:
    friend class Parser;
    friend class Writer;

    Type m_type = Type::null;
    bool m_bool = false;
    QString m_string;
    QByteArray m_text; // a number's or string's bytes as read (a string with its quotes); empty when built
    std::vector<Value> m_elements;
    std::vector<Member> m_members;
};

struct Member
{
    QString key;
    QByteArray keyText; // as read, with its quotes; empty when built
    Value value;
};

// Strict RFC 8259 JSON in UTF-8: no comments, no trailing commas, no byte order mark.
// The error names what was wrong and where ("... at line 3, column 7").
std::expected<Value, QString> parse(const QByteArray& bytes);

// The layout of JavaScript's JSON.stringify(value, null, 2), which Claude Code writes: two spaces per
// level, one member or element per line, "key": value, empty containers as {} and []. No final line break.
QByteArray serialize(const Value& value);

} // namespace OrderedJson
