#include "chatJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ChatJson {

bool isBlank(const QByteArray& line)
{
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

std::optional<InputLine> parseLine(const QByteArray& line)
{
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    const QJsonValue keyword = object.value(u"keyword");
    const QJsonValue prompt = object.value(u"prompt");
    if (!keyword.isString() || !prompt.isString())
        return std::nullopt;
    return InputLine{keyword.toString(), prompt.toString()};
}

QByteArray requestBody(const QString& model, const QString& prompt, std::optional<qint64> maxTokens)
{
    QJsonObject body{
        {u"model"_s, model},
        {u"messages"_s, QJsonArray{QJsonObject{{u"role"_s, u"user"_s}, {u"content"_s, prompt}}}}};
    if (maxTokens)
        body.insert(u"max_tokens"_s, *maxTokens);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

Article articleOf(const QByteArray& answer)
{
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(answer, &parsed);
    if (parsed.error != QJsonParseError::NoError)
        return {{}, u"the answer is not JSON (%1)"_s.arg(parsed.errorString())};
    const QJsonObject choice = document[u"choices"][0].toObject();
    const QJsonValue content = choice[u"message"][u"content"];
    if (choice[u"finish_reason"].toString() == u"length") {
        return {{},
                u"the article was cut at the token limit (finish_reason \"length\"): raise "
                "--max-tokens, or leave it out"_s};
    }
    if (!content.isString())
        return {{}, u"the answer has no article (choices[0].message.content)"_s};
    if (content.toString().isEmpty())
        return {{}, u"the article is empty"_s};
    return {content.toString(), {}};
}

QString serverMessage(const QByteArray& answer)
{
    const QJsonValue error = QJsonDocument::fromJson(answer)[u"error"];
    QString message = error.isString() ? error.toString() : error[u"message"].toString();
    message = message.simplified();
    return message.size() > 300 ? message.first(299) + u'\u2026' : message;
}

} // namespace ChatJson
