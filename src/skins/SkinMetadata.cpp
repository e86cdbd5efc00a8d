#include "SkinMetadata.h"

#include "InternetDateTime.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>

namespace {
// The file names are joined to the skin's folder; a name that climbs out of it or is absolute
// would make the program read any file on the machine as a skin video.
bool isContainedFileName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'/'))
        return false;
    const QStringList parts = name.split(u'/');
    return std::none_of(parts.begin(), parts.end(), [](const QString& part) { return part == u".."; });
}

class Reader
{
public:
    explicit Reader(const QJsonObject& object) : m_object(object) {}

    QString required(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (!value.isString())
            fail(value.isUndefined() ? QStringLiteral("missing \"%1\"").arg(QLatin1String(key))
                                     : QStringLiteral("\"%1\" is not a string").arg(QLatin1String(key)));
        return value.toString();
    }

    std::optional<QString> optional(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        if (!value.isString()) {
            fail(QStringLiteral("\"%1\" is not a string").arg(QLatin1String(key)));
            return std::nullopt;
        }
        return value.toString();
    }

    QString fileName(const char* key)
    {
        const QString name = required(key);
        checkFileName(key, name);
        return name;
    }

    void checkFileName(const char* key, const QString& name)
    {
        if (!isContainedFileName(name))
            fail(QStringLiteral("\"%1\" is not a file name inside the skin folder").arg(QLatin1String(key)));
    }

    void fail(const QString& problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
    }

    const QString& problem() const { return m_problem; }

private:
    const QJsonObject m_object;
    QString m_problem;
};
} // namespace

std::expected<SkinMetadata, QString> SkinMetadata::fromJson(const QByteArray& bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return std::unexpected(QStringLiteral("metadata is not valid JSON: ") + parseError.errorString());
    if (!document.isObject())
        return std::unexpected(QStringLiteral("metadata is not a JSON object"));

    Reader reader(document.object());
    SkinMetadata metadata;
    metadata.name = reader.required("name");
    metadata.author = reader.optional("author");

    const QString date = reader.required("createdDate");
    const auto parsedDate = InternetDateTime::parse(date);
    // The written form has whole seconds; a fraction marks a file this format does not describe.
    if (reader.problem().isEmpty() && (!parsedDate || date.contains(u'.')))
        reader.fail(QStringLiteral("\"createdDate\" is not an ISO 8601 date-time: ") + date);
    if (parsedDate)
        metadata.createdDate = *parsedDate;

    const QString type = reader.required("type");
    const auto parsedType = skinTypeFromText(type);
    if (reader.problem().isEmpty() && !parsedType)
        reader.fail(QStringLiteral("unknown skin type: ") + type);
    metadata.type = parsedType.value_or(SkinType::custom);

    metadata.idleVideoPath = reader.fileName("idleVideoPath");
    metadata.workingVideoPath = reader.fileName("workingVideoPath");
    metadata.needsInputVideoPath = reader.fileName("needsInputVideoPath");
    metadata.completedVideoPath = reader.fileName("completedVideoPath");
    metadata.thumbnailPath = reader.optional("thumbnailPath");
    if (metadata.thumbnailPath)
        reader.checkFileName("thumbnailPath", *metadata.thumbnailPath);

    if (!reader.problem().isEmpty())
        return std::unexpected(reader.problem());
    return metadata;
}

QByteArray SkinMetadata::toJson() const
{
    QJsonObject object{
        {QStringLiteral("name"), name},
        {QStringLiteral("createdDate"), InternetDateTime::format(createdDate)},
        {QStringLiteral("type"), skinTypeText(type)},
        {QStringLiteral("idleVideoPath"), idleVideoPath},
        {QStringLiteral("workingVideoPath"), workingVideoPath},
        {QStringLiteral("needsInputVideoPath"), needsInputVideoPath},
        {QStringLiteral("completedVideoPath"), completedVideoPath},
    };
    if (author)
        object.insert(QStringLiteral("author"), *author);
    if (thumbnailPath)
        object.insert(QStringLiteral("thumbnailPath"), *thumbnailPath);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
