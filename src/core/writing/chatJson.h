#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The JSON that inkwright-write reads and sends: its input lines, the body of
// a chat completion request, and the article or the error of an answer.
namespace ChatJson {

// One line of the input, as the export and inkwright-batch --format jsonl
// write it: {"keyword": "...", "prompt": "..."}.
struct InputLine
{
    QString keyword;
    QString prompt;
};

// Lines of blanks only are skipped.
bool isBlank(const QByteArray& line);

// The keyword and prompt of an object holding both as strings; nothing for
// any other line.
std::optional<InputLine> parseLine(const QByteArray& line);

// {"model": model, "messages": [{"role": "user", "content": prompt}]}, with
// "max_tokens" when given.
QByteArray requestBody(const QString& model, const QString& prompt,
                       std::optional<qint64> maxTokens);

struct Article
{
    QString text;  // choices[0].message.content
    QString error; // why the answer holds no article to write; empty when it does
};

// The article of an answer with status 2xx. An article cut by the token limit
// (finish_reason "length") or an empty one is an error.
Article articleOf(const QByteArray& answer);

// The server's own words in an error answer ({"error": {"message": ...}} or
// {"error": "..."}), on one line and at most 300 characters; empty if none.
QString serverMessage(const QByteArray& answer);

} // namespace ChatJson
