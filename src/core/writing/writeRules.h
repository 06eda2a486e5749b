#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

// What inkwright-write decides before and after each request to a chat
// server: where requests may go, which key goes with them, and what an answer
// means for its keyword and for the run.
namespace WriteRules {

// Checks the --endpoint base address. Returns why it cannot be used, or an
// empty text with `requestUrl` set to the address of chat completions (one
// trailing "/" of the endpoint dropped). Plain http:// goes only to this
// machine unless `allowHttp`: prompts and key travel unencrypted over it.
QString checkEndpoint(const QString& endpoint, bool allowHttp, QUrl& requestUrl);

// localhost, 127.0.0.0/8 or ::1, as QUrl writes hosts.
bool isLoopbackHost(const QString& host);

// The key to send to `url`: INKWRIGHT_API_KEY to any endpoint; OPENAI_API_KEY
// only to https://api.openai.com, so that a key kept for one service never
// reaches another. Empty: no key is sent.
QByteArray keyFor(const QUrl& url, const QByteArray& inkwrightKey, const QByteArray& openAiKey);

// A key goes into a header line: visible ASCII only, no blank, no line break.
bool isSendableKey(const QByteArray& key);

enum class Answer
{
    Article, // 2xx: the answer holds the article
    Retry,   // 429, 500, 502, 503, 504: the server is busy or failed for now
    Stop,    // 401, 403, 404: the key, endpoint or model is wrong for every request
    Fail     // anything else fails this keyword only
};
Answer answerOf(int httpStatus);

// Milliseconds to wait before retry number `retry` (1, 2...): what the
// Retry-After header says (seconds or an HTTP date, at most 120 s), else
// 1, 2, 4... seconds, at most 60.
int retryDelayMs(int retry, const QByteArray& retryAfter, const QDateTime& now);

} // namespace WriteRules
