#include "writeRules.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace WriteRules {

QString checkEndpoint(const QString& endpoint, bool allowHttp, QUrl& requestUrl)
{
    const QString base = endpoint.endsWith(u'/') ? endpoint.chopped(1) : endpoint;
    const QUrl url(base, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        return u"'%1' is not an http:// or https:// address such as http://localhost:11434/v1"_s
            .arg(url.isValid() ? url.toDisplayString(QUrl::RemoveUserInfo) : endpoint);
    }
    if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty()) {
        return u"the endpoint is a base address: leave out a user name or password (the key goes "
               "in INKWRIGHT_API_KEY) and any '?' or '#' part"_s;
    }
    if (scheme == u"http" && !allowHttp && !isLoopbackHost(url.host())) {
        return u"plain http:// carries the prompts and the key unencrypted, so it goes only to "
               "this machine (localhost, 127.x.x.x, ::1): use https://, or give --allow-http "
               "for a network you trust"_s;
    }
    requestUrl = QUrl(base + u"/chat/completions"_s, QUrl::StrictMode);
    return {};
}

bool isLoopbackHost(const QString& host)
{
    if (host == u"localhost" || host == u"::1")
        return true;
    // QUrl writes every IPv4 form (127.1, 0x7f.0.0.1...) as four decimal numbers.
    const QStringList parts = host.split(u'.');
    return parts.size() == 4 && parts.constFirst() == u"127"
           && std::all_of(parts.begin(), parts.end(), [](const QString& part) {
                  bool number = false;
                  return part.toUInt(&number) <= 255 && number;
              });
}

QByteArray keyFor(const QUrl& url, const QByteArray& inkwrightKey, const QByteArray& openAiKey)
{
    if (!inkwrightKey.isEmpty())
        return inkwrightKey;
    if (url.scheme() == u"https" && url.host() == u"api.openai.com")
        return openAiKey;
    return {};
}

bool isSendableKey(const QByteArray& key)
{
    return std::all_of(key.begin(), key.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

Answer answerOf(int httpStatus)
{
    switch (httpStatus) {
    case 429:
    case 500:
    case 502:
    case 503:
    case 504:
        return Answer::Retry;
    case 401:
    case 403:
    case 404:
        return Answer::Stop;
    default:
        return httpStatus >= 200 && httpStatus < 300 ? Answer::Article : Answer::Fail;
    }
}

int retryDelayMs(int retry, const QByteArray& retryAfter, const QDateTime& now)
{
    constexpr qint64 MaxToldSeconds = 120;
    const QByteArray told = retryAfter.trimmed();
    if (!told.isEmpty()
        && std::all_of(told.begin(), told.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Digits too many for a number are more than the limit too.
        bool fits = false;
        const qint64 seconds = told.toLongLong(&fits);
        return int(fits ? std::min(seconds, MaxToldSeconds) * 1000 : MaxToldSeconds * 1000);
    }
    // An HTTP date ends in "GMT", which Qt reads as the offset +0000.
    if (told.endsWith(" GMT")) {
        const QDateTime then =
            QDateTime::fromString(QString::fromLatin1(told.chopped(4) + " +0000"), Qt::RFC2822Date);
        if (then.isValid())
            return int(std::clamp(now.secsTo(then), qint64(0), MaxToldSeconds) * 1000);
    }
    return std::min(1000 << std::clamp(retry - 1, 0, 6), 60'000);
}

} // namespace WriteRules
