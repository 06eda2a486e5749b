// inkwright-write against a loopback HTTP/1.1 server of this test (and an https one with a
// certificate made by the openssl command), and the core rules it follows: the file names, the
// endpoint check, the key, the meaning of an answer and the wait before a retry.
#include "progressReport.h"
#include "writing/articleNames.h"
#include "writing/chatJson.h"
#include "writing/writeRules.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSslKey>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using WriteRules::Answer;

// Answers each request as its prompt says: "CODES:TEXT", where CODES are the answers to the
// first, second... request with that prompt (the last one repeated): an HTTP status (200 with
// TEXT as the article; any other with Retry-After: 0 and a Location), "cut" (the
// article stopped by the token limit), "big" (17 MB of answer without a length), "close" (the
// connection dropped) or "hang" (no answer).
class ChatServer : public QTcpServer
{
public:
    QList<QByteArray> heads, bodies; // of every request, in order
    std::optional<QSslConfiguration> tls;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket* socket = tls ? new QSslSocket(this) : new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        if (auto* secure = qobject_cast<QSslSocket*>(socket)) {
            secure->setSslConfiguration(*tls);
            secure->startServerEncryption();
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }

private:
    QHash<QTcpSocket*, QByteArray> m_pending;

    void read(QTcpSocket* socket)
    {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        for (qsizetype end = pending.indexOf("\r\n\r\n"); end >= 0;
             end = pending.indexOf("\r\n\r\n")) {
            const QByteArray head = pending.first(end);
            const qsizetype at = head.toLower().indexOf("content-length:");
            const qsizetype length =
                at < 0 ? 0 : head.mid(at + 15, head.indexOf('\r', at) - at - 15).trimmed().toInt();
            if (pending.size() < end + 4 + length)
                return;
            heads.append(head);
            bodies.append(pending.mid(end + 4, length));
            pending.remove(0, end + 4 + length);
            answer(socket, bodies.constLast());
        }
    }

    void answer(QTcpSocket* socket, const QByteArray& body)
    {
        const QString prompt = QJsonDocument::fromJson(body)[u"messages"][0][u"content"].toString();
        const QStringList codes = prompt.section(u':', 0, 0).split(u',');
        const QString code = codes.at(std::min(bodies.count(body), codes.size()) - 1);
        const QJsonObject choice{
            {u"message"_s, QJsonObject{{u"content"_s, prompt.section(u':', 1)}}},
            {u"finish_reason"_s, code == u"cut" ? u"length"_s : u"stop"_s}};
        QByteArray json = QJsonDocument(QJsonObject{{u"choices"_s, QJsonArray{choice}}}).toJson();
        QByteArray head = "HTTP/1.1 200 OK\r\n";
        if (code == u"hang")
            return;
        if (code == u"close")
            return socket->abort();
        if (code == u"big") {
            socket->write(head + "Connection: close\r\n\r\n" + QByteArray(17 << 20, 'x'));
            return socket->disconnectFromHost();
        }
        if (code != u"200" && code != u"cut") {
            head = "HTTP/1.1 " + code.toLatin1()
                   + " Told\r\nRetry-After: 0\r\nLocation: http://127.0.0.1:"
                   + QByteArray::number(serverPort()) + "/moved\r\n";
            json = R"({"error": {"message": "told )" + code.toLatin1() + "\"}}";
        }
        socket->write(head + "Content-Length: " + QByteArray::number(json.size()) + "\r\n\r\n"
                      + json);
    }
};

class tst_write : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<ChatServer> server;
    QString base; // --endpoint
    QByteArray err;

    static QByteArray line(const char16_t* keyword, const char16_t* prompt)
    {
        return QJsonDocument(QJsonObject{{u"keyword"_s, QString::fromUtf16(keyword)},
                                         {u"prompt"_s, QString::fromUtf16(prompt)}})
                   .toJson(QJsonDocument::Compact)
               + '\n';
    }

    // Runs inkwright-write over `input`, given on standard input and as in.jsonl, with the
    // variables `env` and --out articles; SIGTERM once the server has had `stopAt` requests;
    // `later` given on standard input once the first article is written.
    int run(const QStringList& args, const QByteArray& input, const QStringList& env = {},
            int stopAt = 0, const QByteArray& later = {})
    {
        QFile file(dir.filePath(u"in.jsonl"_s));
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return -2;
        file.close();
        QProcess write;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"INKWRIGHT_API_KEY"_s);
        environment.remove(u"OPENAI_API_KEY"_s);
        for (const QString& variable : env)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        write.setProcessEnvironment(environment);
        write.setWorkingDirectory(dir.path());
        write.start(
            QStringLiteral(INKWRIGHT_WRITE),
            QStringList{u"--endpoint"_s, base, u"--model"_s, u"m"_s, u"--out"_s, u"articles"_s}
                + args);
        write.write(input);
        const QDir out(dir.filePath(u"articles"_s));
        if (!later.isEmpty()
            && QTest::qWaitFor([&] { return !out.entryList({u"*.md"_s}).isEmpty(); }, 60000))
            write.write(later);
        write.closeWriteChannel();
        if (stopAt > 0 && QTest::qWaitFor([&] { return server->heads.size() >= stopAt; }, 60000))
            write.terminate();
        const bool ended =
            QTest::qWaitFor([&] { return write.state() == QProcess::NotRunning; }, 120000);
        err = write.readAllStandardError();
        return ended && write.exitStatus() == QProcess::NormalExit ? write.exitCode() : -1;
    }

    // The files of the articles folder, hidden ones included, as "name=content".
    QStringList articles() const
    {
        QStringList files;
        const QDir out(dir.filePath(u"articles"_s));
        for (const QString& name :
             out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            QFile file(out.filePath(name));
            files << name + u'='
                         + (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                                           : u"?"_s);
#ifdef Q_OS_UNIX
            if (!file.permissions().testFlag(QFile::ReadOther)) // the umask (022) applies
                files.last() += u" (owner only)"_s;
#endif
        }
        files.sort();
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
#ifdef Q_OS_UNIX
        ::umask(022);
#endif
    }

    void init()
    {
        server = std::make_unique<ChatServer>();
        QVERIFY(server->listen(QHostAddress::LocalHost));
        base = u"http://127.0.0.1:%1/v1/"_s.arg(server->serverPort());
        QVERIFY(QDir(dir.filePath(u"articles"_s)).removeRecursively());
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QStringList>("existing"); // articles there before the run
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("files"); // the articles folder after the run
        QTest::addColumn<int>("requests");      // negative: at most that many
        QTest::addColumn<QString>("said");      // a part of standard error
        const QStringList key{u"INKWRIGHT_API_KEY=sekret"_s};
        const QStringList none;
        const auto row = [](const char* name, const QByteArray& input, int code,
                            const QStringList& files, int requests, const QString& said,
                            const QStringList& args = {}, const QStringList& env = {},
                            const QStringList& existing = {}) {
            QTest::newRow(name) << input << args << env << existing << code << files << requests
                                << said;
        };
        row("names, collisions, scripts, a blank line, the key",
            line(u"Sourdough Bread!", u"200:Crumb\r\n\u00fcn\u00ef \U0001F35E") + "\n \r \t\r\n"
                + line(u"sourdough  bread", u"200:two")
                + line(u"\u6771\u4eac \u30e9\u30fc", u"200:3"),
            0,
            {u"sourdough-bread-2.md=two"_s,
             u"sourdough-bread.md=Crumb\r\n\u00fcn\u00ef \U0001F35E"_s,
             u"\u6771\u4eac-\u30e9\u30fc.md=3"_s},
            3, u"3 written, 0 skipped, 0 failed"_s, none, key);
        row("retried as Retry-After says, max_tokens", "\n" + line(u"a", u"429,503,200:A"), 0,
            {u"a.md=A"_s}, 3, u"1 written"_s, {u"--max-tokens"_s, u"9"_s});
        row("a dropped connection retried", line(u"a", u"close,200:A"), 0, {u"a.md=A"_s}, 2,
            u"1 written"_s);
        row("retries run out", line(u"a", u"500:x"), 1, none, 2,
            u"failed: 'a': the server answered 500 Told: told 500 (tried 2 times)"_s,
            {u"--retries"_s, u"1"_s});
        row("cut by the token limit", line(u"a", u"cut:x"), 1, none, 1,
            u"failed: 'a': the article was cut at the token limit"_s);
        row("a 400 fails its keyword only, named safely",
            line(u"a\x1b[2J", u"400:x") + line(u"b", u"200:B"), 1, {u"b.md=B"_s}, 2,
            u"failed: 'a?[2J': the server answered 400 Told: told 400"_s, none, key);
        row("401 stops the run", line(u"a", u"401:x") + line(u"b", u"200:B"), 3, none, 1,
            u"stopped at 'a': the server answered 401 Told: told 401. The key"_s,
            {u"--jobs"_s, u"1"_s});
        row("a redirect is not followed, the key not sent on", line(u"a", u"307:x"), 1, none, 1,
            u"/moved; redirects are not followed"_s, none, key);
        row("OPENAI_API_KEY only to api.openai.com", line(u"a", u"200:A"), 0, {u"a.md=A"_s}, 1,
            u"1 written"_s, none, {u"OPENAI_API_KEY=sekret"_s});
        row("an answer above 16 MB", line(u"a", u"big"), 1, none, 1,
            u"failed: 'a': the answer is larger than 16 MB"_s);
        row("time out", line(u"a", u"hang"), 1, none, 1, u"no whole answer within 0.3 s"_s,
            {u"--timeout"_s, u"0.3"_s, u"--retries"_s, u"0"_s});
        row("resume, from a file", line(u"a", u"200:A") + line(u"b", u"200:B"), 0,
            {u"a.md=old"_s, u"b.md=B"_s}, 1,
            u"[2/2] articles/b.md\n1 written, 1 skipped, 0 failed"_s, {u"in.jsonl"_s}, none,
            {u"a.md=old"_s});
        row("a bad line stops the run",
            line(u"a", u"hang") + "\n{\"keyword\": \"b\"}\n" + line(u"c", u"200:C"), 2, none, -1,
            u"line 3 is not a JSON object"_s);
        const QStringList usage[] = {
            {u"--endpoint"_s, u"http://192.0.2.1/v1"_s, u"plain http://"_s},
            {u"--jobs"_s, u"65"_s, u"--jobs takes a whole number from 1 to 64, not '65'"_s},
            {u"--timeout"_s, u"soon"_s, u"--timeout takes a number"_s},
            {u"--max-tokens"_s, u"0"_s, u"--max-tokens takes"_s},
            {u"--model"_s, QString(), u"the model is missing"_s},
            {u"--ca-file"_s, u"in.jsonl"_s, u"no PEM certificate"_s},
            {u"--out"_s, u"in.jsonl"_s, u"could not be made"_s},
            {u"missing.jsonl"_s, u"--retries=3"_s, u"the input missing.jsonl could not be read"_s}};
        for (const QStringList& bad : usage)
            row(qPrintable(u"usage: "_s + bad.constLast()), {}, 2, none, 0, bad.constLast(),
                bad.first(2));
    }

    void write()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(QStringList, existing);
        QFETCH(int, requests);
        QVERIFY(QDir(dir.path()).mkpath(u"articles"_s));
        for (const QString& file : existing) {
            QFile article(dir.filePath(u"articles/"_s + file.section(u'=', 0, 0)));
            QVERIFY(article.open(QIODevice::WriteOnly)
                    && article.write(file.section(u'=', 1).toUtf8()) > 0);
        }
        QFETCH(QString, said);
        QTEST(run(args, input, env), "code");
        QVERIFY2(err.contains(said.toUtf8()), err.constData());
        QVERIFY(!err.contains("sekret"));
        QTEST(articles(), "files");
        QVERIFY(requests < 0 ? server->heads.size() <= -requests
                             : server->heads.size() == requests);
        for (qsizetype i = 0; i < server->heads.size(); ++i) {
            const QByteArray head = server->heads.at(i);
            QVERIFY(head.startsWith("POST /v1/chat/completions HTTP/1.1\r\n"));
            QCOMPARE(head.contains("\r\nAuthorization: Bearer sekret"),
                     env == QStringList{u"INKWRIGHT_API_KEY=sekret"_s});
            const QJsonDocument body = QJsonDocument::fromJson(server->bodies.at(i));
            QCOMPARE(body[u"model"].toString(), u"m"_s);
            QCOMPARE(body[u"max_tokens"].toInt(-1), args.contains(u"--max-tokens"_s) ? 9 : -1);
        }
    }

    void streamedInput()
    {
        // A line that comes once the run has nothing else to do, as from a slow producer, is
        // written too.
        QCOMPARE(run({}, line(u"a", u"200:A"), {}, 0, line(u"b", u"200:B")), 0);
        QCOMPARE(articles(), (QStringList{u"a.md=A"_s, u"b.md=B"_s}));
    }

    void terminalProgress()
    {
        // On a terminal the counts are one line, written over; a failure goes above it, and the
        // line comes back, up to date, below it and once more at the end.
        std::FILE* file = std::tmpfile();
        QVERIFY(file);
        {
            ProgressReport report(file, true);
            report.written(u"a.md"_s);
            report.failed(u"c\n"_s, u"told 400"_s);
            report.finish();
        }
        std::rewind(file);
        QByteArray text(4096, Qt::Uninitialized);
        text.resize(qsizetype(std::fread(text.data(), 1, 4096, file)));
        std::fclose(file);
        const QByteArray line = "2 done: 1 written, 0 skipped, 1 failed";
        QCOMPARE(text, "\r1 done: 1 written, 0 skipped, 0 failed\r" + QByteArray(38, ' ')
                           + "\rfailed: 'c': told 400\n\r" + line + "\r" + line + "\n"
                           + "1 written, 0 skipped, 1 failed\n");
    }

    void interrupt()
    {
        // Nine keywords that get no answer, eight at a time: two access managers' worth.
        QCOMPARE(run({u"--jobs"_s, u"8"_s}, line(u"a", u"hang").repeated(9), {}, 8), 3);
        QCOMPARE(server->heads.size(), 8);
        QVERIFY2(err.contains("interrupted") && err.contains("0 written, 0 skipped, 0 failed"),
                 err.constData());
        QCOMPARE(articles(), QStringList());
    }

    void https()
    {
        const QString openssl = QStandardPaths::findExecutable(u"openssl"_s);
        if (openssl.isEmpty() || !QSslSocket::supportsSsl())
            QSKIP("needs the openssl command and a TLS backend");
        const QString cert = dir.filePath(u"cert.pem"_s);
        const QString key = dir.filePath(u"key.pem"_s);
        QProcess make;
        make.start(openssl, {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                             u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s, u"-days"_s, u"1"_s,
                             u"-subj"_s, u"/CN=127.0.0.1"_s, u"-addext"_s,
                             u"subjectAltName=IP:127.0.0.1"_s, u"-keyout"_s, key, u"-out"_s, cert});
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
        QFile keyFile(key);
        QVERIFY(keyFile.open(QIODevice::ReadOnly));
        server->tls = QSslConfiguration::defaultConfiguration();
        server->tls->setLocalCertificate(QSslCertificate::fromPath(cert).value(0));
        server->tls->setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
        base = u"https://127.0.0.1:%1/v1"_s.arg(server->serverPort());
        // The certificate is trusted through --ca-file only.
        QCOMPARE(run({}, line(u"a", u"200:A")), 1);
        QVERIFY2(err.contains("certificate"), err.constData());
        QCOMPARE(run({u"--ca-file"_s, cert}, line(u"a", u"200:A")), 0);
        QCOMPARE(articles(), QStringList{u"a.md=A"_s});
    }

    void fileNames_data()
    {
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<QStringList>("names");
        const QString astral = QString::fromUcs4(U"\U00020000");
        QTest::newRow("lower case, a dash per gap")
            << QStringList{u" Sourdough -- Bread!! (2024) "_s}
            << QStringList{u"sourdough-bread-2024.md"_s};
        QTest::newRow("NFC") << QStringList{u"Cafe\u0301 MEN\u00DC"_s}
                             << QStringList{u"caf\u00e9-men\u00fc.md"_s};
        QTest::newRow("scripts and their marks")
            << QStringList{u"\u041f\u0440\u0438\u0432\u0435\u0442, \u041c\u0418\u0420"_s,
                           u"\u0939\u093f\u0928\u094d\u0926\u0940 \u092d\u093e\u0937\u093e"_s,
                           u"\u0645\u0631\u062d\u0628\u0627 \u0628\u0643"_s, astral + u" x"_s}
            << QStringList{u"\u043f\u0440\u0438\u0432\u0435\u0442-\u043c\u0438\u0440.md"_s,
                           u"\u0939\u093f\u0928\u094d\u0926\u0940-\u092d\u093e\u0937\u093e.md"_s,
                           u"\u0645\u0631\u062d\u0628\u0627-\u0628\u0643.md"_s,
                           astral + u"-x.md"_s};
        QTest::newRow("symbols, emoji, a lone surrogate")
            << QStringList{u"I \u2764 \U0001F35E b"_s + QChar(0xD800) + u"read"_s,
                           u"z"_s + QChar(0xD800)}
            << QStringList{u"i-b-read.md"_s, u"z.md"_s};
        QTest::newRow("nothing left")
            << QStringList{u"!!!"_s, QString()} << QStringList{u"article.md"_s, u"article-2.md"_s};
        QTest::newRow("Windows devices")
            << QStringList{u"NUL"_s, u"Com1"_s, u"lpt9!"_s, u"com10"_s, u"console"_s, u"com0"_s}
            << QStringList{u"nul-.md"_s,  u"com1-.md"_s,   u"lpt9-.md"_s,
                           u"com10.md"_s, u"console.md"_s, u"com0.md"_s};
        QTest::newRow("80 characters")
            << QStringList{QString(100, u'a'), QString(79, u'b') + u" c"_s,
                           QString(78, u'd') + u" e"_s}
            << QStringList{QString(80, u'a') + u".md"_s, QString(79, u'b') + u".md"_s,
                           QString(78, u'd') + u"-e.md"_s};
        QTest::newRow("200 bytes")
            << QStringList{QString(80, u'\u6771'), astral.repeated(60)}
            << QStringList{QString(66, u'\u6771') + u".md"_s, astral.repeated(50) + u".md"_s};
        QTest::newRow("collisions")
            << QStringList{u"Bread"_s, u"bread!"_s, u"bread 2"_s, u"BREAD"_s}
            << QStringList{u"bread.md"_s, u"bread-2.md"_s, u"bread-2-2.md"_s, u"bread-3.md"_s};
    }

    void fileNames()
    {
        QFETCH(QStringList, keywords);
        ArticleNames names;
        QStringList taken;
        for (const QString& keyword : keywords)
            taken << names.take(keyword);
        QTEST(taken, "names");
    }

    void endpoints_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<bool>("allowHttp");
        QTest::addColumn<QString>("result"); // the address of requests, or a part of the refusal
        const QString plain = u"plain http://"_s;
        const auto row = [](const char* name, const char* endpoint, bool allow,
                            const QString& result) {
            QTest::newRow(name) << QString::fromLatin1(endpoint) << allow << result;
        };
        row("localhost, a trailing /", "http://localhost:11434/v1/", false,
            u"http://localhost:11434/v1/chat/completions"_s);
        row("127.0.0.0/8 in any form", "http://0x7f.1:8080/v1", false,
            u"http://127.0.0.1:8080/v1/chat/completions"_s);
        row("::1", "http://[::1]:8000", false, u"http://[::1]:8000/chat/completions"_s);
        row("https anywhere", "https://api.example.com/v1", false,
            u"https://api.example.com/v1/chat/completions"_s);
        row("http elsewhere", "http://192.168.1.5:8000/v1", false, plain);
        row("http elsewhere allowed", "http://192.168.1.5:8000/v1", true,
            u"http://192.168.1.5:8000/v1/chat/completions"_s);
        row("a name beginning as localhost", "http://localhost.example.com/v1", false, plain);
        row("a name beginning as 127", "http://127.0.0.1.example.com/", false, plain);
        row("IPv4 in IPv6", "http://[::ffff:127.0.0.1]/", false, plain);
        row("no scheme", "localhost:11434/v1", false, u"not an http:// or https://"_s);
        row("a password", "https://u:p@example.com/v1", false,
            u"leave out a user name or password"_s);
        row("a query", "https://example.com/v1?key=1", false, u"'?'"_s);
    }

    void endpoints()
    {
        QFETCH(QString, endpoint);
        QFETCH(bool, allowHttp);
        QFETCH(QString, result);
        QUrl url;
        const QString refusal = WriteRules::checkEndpoint(endpoint, allowHttp, url);
        QCOMPARE(refusal.isEmpty()          ? url.toString()
                 : refusal.contains(result) ? result
                                            : refusal,
                 result);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QByteArray>("inkwright");
        QTest::addColumn<QByteArray>("openAi");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("sendable");
        const auto row = [](const char* name, const char* endpoint, const QByteArray& inkwright,
                            const QByteArray& openAi, const QByteArray& sent, bool sendable) {
            QTest::newRow(name) << QString::fromLatin1(endpoint) << inkwright << openAi << sent
                                << sendable;
        };
        const char* openAi = "https://api.openai.com/v1";
        row("INKWRIGHT_API_KEY anywhere", "http://localhost/v1", "sk-i", "sk-o", "sk-i", true);
        row("OPENAI_API_KEY to OpenAI", openAi, {}, "sk-o", "sk-o", true);
        row("not to another host", "https://api.openai.com.example.com/v1", {}, "sk-o", {}, true);
        row("not over http", "http://api.openai.com/v1", {}, "sk-o", {}, true);
        row("a line break", openAi, "sk\r\nX: 1", {}, "sk\r\nX: 1", false);
        row("a blank", openAi, {}, "sk o", "sk o", false);
        row("not ASCII", openAi, "\xD0\xBA", {}, "\xD0\xBA", false);
    }

    void keys()
    {
        QFETCH(QString, endpoint);
        QFETCH(QByteArray, inkwright);
        QFETCH(QByteArray, openAi);
        const QByteArray sent = WriteRules::keyFor(QUrl(endpoint), inkwright, openAi);
        QTEST(sent, "sent");
        QTEST(WriteRules::isSendableKey(sent), "sendable");
    }

    void answers()
    {
        const std::pair<Answer, QList<int>> meanings[] = {
            {Answer::Article, {200, 201}},
            {Answer::Retry, {429, 500, 502, 503, 504}},
            {Answer::Stop, {401, 403, 404}},
            {Answer::Fail, {0, 301, 400, 408, 501}}};
        for (const auto& [meaning, statuses] : meanings) {
            for (const int status : statuses)
                QVERIFY2(WriteRules::answerOf(status) == meaning,
                         qPrintable(QString::number(status)));
        }
        // The JSON of an answer with no article to write; Ollama's error form.
        const std::pair<QByteArray, QString> empty[] = {
            {"<html>", u"not JSON"_s},
            {R"({"choices": []})", u"no article"_s},
            {R"({"choices": [{"message": {"content": null, "tool_calls": []}}]})", u"no article"_s},
            {R"({"choices": [{"message": {"content": ""}}]})", u"empty"_s}};
        for (const auto& [answer, why] : empty)
            QVERIFY2(ChatJson::articleOf(answer).error.contains(why), answer.constData());
        const QByteArray ollama = "{\"error\": \"no model\\n  here\"}";
        QCOMPARE(ChatJson::serverMessage(ollama), u"no model here"_s);
    }

    void delays_data()
    {
        QTest::addColumn<int>("retry");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<int>("ms");
        QTest::newRow("1 s first") << 1 << QByteArray() << 1000;
        QTest::newRow("then 2, 4...") << 3 << QByteArray() << 4000;
        QTest::newRow("at most 60 s") << 7 << QByteArray() << 60000;
        QTest::newRow("at most 60 s, far on") << 40 << QByteArray() << 60000;
        QTest::newRow("Retry-After: 0") << 2 << "0"_ba << 0;
        QTest::newRow("Retry-After in seconds") << 1 << " 30 "_ba << 30000;
        QTest::newRow("at most 120 s") << 1 << "121"_ba << 120000;
        QTest::newRow("more digits than a number") << 1 << "99999999999999999999"_ba << 120000;
        QTest::newRow("an HTTP date") << 1 << "Wed, 21 Oct 2015 07:28:10 GMT"_ba << 10000;
        QTest::newRow("a date passed") << 1 << "Wed, 21 Oct 2015 07:27:00 GMT"_ba << 0;
        QTest::newRow("not understood") << 2 << "soon"_ba << 2000;
    }

    void delays()
    {
        QFETCH(int, retry);
        QFETCH(QByteArray, retryAfter);
        const QDateTime now = QDateTime::fromString(u"2015-10-21T07:28:00Z"_s, Qt::ISODate);
        QTEST(WriteRules::retryDelayMs(retry, retryAfter, now), "ms");
    }

    void inputLines()
    {
        const QByteArray good = R"({"prompt": "p", "keyword": "k", "n": 1})";
        QCOMPARE(ChatJson::parseLine(good)->keyword, u"k"_s);
        for (const QByteArray& bad :
             {R"({"keyword": "k"})"_ba, R"({"keyword": 1, "prompt": "p"})"_ba, R"(["k", "p"])"_ba,
              "keyword,prompt"_ba, R"({"keyword": "k", "prompt": "p"} x)"_ba})
            QVERIFY2(!ChatJson::parseLine(bad), bad.constData());
    }
};

QTEST_GUILESS_MAIN(tst_write)
#include "tst_write.moc"
