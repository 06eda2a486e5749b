#include "promptExport.h"

#include "allPrompts.h"
#include "components/fileNames.h"
#include "components/fileOutput.h"
#include "utf8Blocks.h"

#include <QFileInfo>
#include <QIODevice>

namespace PromptExport {

namespace {

// The bytes gathered before they go to the device in one write: few enough
// that the system copies them out of the processor's cache (a megabyte made
// the export of a million prompts a sixth slower), enough that the calls to
// the system stay few.
constexpr qsizetype ChunkBytes = qsizetype(1) << 18;
// Progress is told each time this many more prompts are written.
constexpr qsizetype ProgressEvery = 4096;

// RFC 4180: a field holding a comma, a quote or a line break is quoted, and
// each quote in it doubled.
char* csvField(char* out, QStringView text, bool* quote)
{
    using Specials = AsciiSpecials<false, u',', u'"', u'\r', u'\n'>;
    return putUtf8<Specials>(out, text, [quote](char16_t u, char*& to) {
        *quote = true;
        if (u != u'"')
            return false;
        *to++ = '"';
        *to++ = '"';
        return true;
    });
}

// A JSON string's text: a quote, a backslash and the control characters escaped.
char* jsonField(char* out, QStringView text, bool*)
{
    return putUtf8<AsciiSpecials<true, u'"', u'\\'>>(out, text, [](char16_t u, char*& to) {
        *to++ = '\\';
        switch (u) {
        case u'"':
        case u'\\':
            *to++ = char(u);
            break;
        case u'\n':
            *to++ = 'n';
            break;
        case u'\r':
            *to++ = 'r';
            break;
        case u'\t':
            *to++ = 't';
            break;
        default:
            *to++ = 'u';
            *to++ = '0';
            *to++ = '0';
            *to++ = "0123456789abcdef"[u >> 4];
            *to++ = "0123456789abcdef"[u & 0xF];
        }
        return true;
    });
}

BlockLayout layoutOf(Format format)
{
    switch (format) {
    case Format::Csv:
        return BlockLayout{{}, ",", "\r\n", csvField, 3};
    case Format::JsonLines:
        // Six bytes for one unit: a control character as a backslash, "u" and four digits.
        return BlockLayout{"{\"keyword\": \"", "\", \"prompt\": \"", "\"}\n", jsonField, 6};
    case Format::Text:
        break;
    }
    return AllPrompts::layout();
}

// What comes before the first block.
QByteArrayView headerOf(Format format)
{
    return format == Format::Csv ? QByteArrayView("\xEF\xBB\xBFkeyword,prompt\r\n")
                                 : QByteArrayView();
}

// Gathers the text in a buffer of a quarter of a megabyte and writes it to the
// device each time the buffer is full. After a failed write the rest of the
// text is dropped unwritten and the writing stops at the next block.
class DeviceSink final : public Utf8Sink
{
public:
    DeviceSink(QIODevice& device, const Progress& progress)
        : m_device(device)
        , m_progress(progress)
        , m_buffer(ChunkBytes, Qt::Uninitialized)
    {
        next = m_buffer.data();
        end = next + m_buffer.size();
    }

    void makeRoom(qsizetype bytes) override
    {
        flush();
        // A prompt larger than the buffer gets a buffer of its size.
        if (bytes > m_buffer.size()) {
            m_buffer.resize(bytes);
            next = m_buffer.data();
            end = next + m_buffer.size();
        }
    }

    bool blockWritten(qsizetype written, qsizetype total) override
    {
        if (!m_outcome.error.isEmpty())
            return false;
        if (m_progress && written % ProgressEvery == 0 && !m_progress(written, total)) {
            m_outcome.result = Outcome::Cancelled;
            return false;
        }
        return true;
    }

    // What became of the writing; the rest of the text is written only when
    // it went to its end.
    Outcome finish(Utf8Blocks::WriteEnd ended)
    {
        if (ended == Utf8Blocks::WriteEnd::TooLong)
            m_outcome.result = Outcome::TooLong;
        if (m_outcome.result == Outcome::Written)
            flush();
        if (m_outcome.result == Outcome::Written && !m_outcome.error.isEmpty())
            m_outcome.result = Outcome::Failed;
        return m_outcome;
    }

private:
    void flush()
    {
        const qsizetype used = next - m_buffer.constData();
        if (used > 0 && m_outcome.error.isEmpty()
            && m_device.write(m_buffer.constData(), used) != used) {
            m_outcome.error = m_device.errorString();
        }
        next = m_buffer.data();
    }

    QIODevice& m_device;
    const Progress& m_progress;
    QByteArray m_buffer;
    Outcome m_outcome;
};

} // namespace

std::optional<Format> formatNamed(QStringView name)
{
    if (name.compare(u"txt", Qt::CaseInsensitive) == 0)
        return Format::Text;
    if (name.compare(u"csv", Qt::CaseInsensitive) == 0)
        return Format::Csv;
    if (name.compare(u"jsonl", Qt::CaseInsensitive) == 0)
        return Format::JsonLines;
    return std::nullopt;
}

Format formatOfFile(const QString& path)
{
    return formatNamed(QFileInfo(path).suffix()).value_or(Format::Text);
}

DialogTexts dialogTexts()
{
    return {QStringLiteral("Export All Prompts"), QStringLiteral("Export"),
            QStringLiteral("Exporting prompts..."), QStringLiteral("Cancel")};
}

QString fileFilters()
{
    return QStringLiteral("Text files (*.txt);;CSV files (*.csv);;JSON Lines files (*.jsonl)");
}

QString fileFilter(Format format)
{
    return fileFilters().split(QStringLiteral(";;")).at(int(format));
}

QString suggestedFileName(const QString& mainKeyword, Format format)
{
    static const char* const extensions[] = {".txt", ".csv", ".jsonl"};
    const QString name = FileNames::slugOf(mainKeyword, 80, 200);
    return (name.isEmpty() ? QStringLiteral("prompts") : name + QStringLiteral("-prompts"))
           + QLatin1StringView(extensions[int(format)]);
}

Outcome write(QIODevice& device, const PromptFields& fields, const QStringList& keywords,
              Format format, const Progress& progress)
{
    const PromptComposer composer(fields);
    const BlockLayout layout = layoutOf(format);
    DeviceSink sink(device, progress);
    sink.put(headerOf(format));
    return sink.finish(Utf8Blocks(composer, layout).writeAll(keywords, sink));
}

Outcome writeFile(const QString& path, const PromptFields& fields, const QStringList& keywords,
                  Format format, const Progress& progress)
{
    PartWriter writer(path, fields, format, progress);
    writer.write(keywords);
    return writer.finish();
}

struct PartWriter::State
{
    State(const QString& file, const PromptFields& fields, Format written, const Progress& told)
        : path(file)
        , format(written)
        , progress(told)
        , composer(fields)
        , layout(layoutOf(written))
    {
    }

    // Opens the file and writes the format's header, the first time; false
    // when the file could not be opened.
    bool open()
    {
        if (sink)
            return true;
        if (QString error;
            opened.error.isEmpty() && !out.open(path, FileOutput::Links::Follow, &error))
            opened = Outcome{Outcome::Failed, error};
        if (opened.result == Outcome::Failed)
            return false;
        sink.emplace(out.device(), progress);
        sink->put(headerOf(format));
        blocks.emplace(composer, layout);
        return true;
    }

    const QString path;
    const Format format;
    const Progress progress;
    const PromptComposer composer;
    const BlockLayout layout;
    FileOutput out; // cancels an unfinished file when the writer goes
    Outcome opened; // Failed, with the reason, when the file could not be opened
    std::optional<DeviceSink> sink;
    std::optional<Utf8Blocks> blocks;
    Utf8Blocks::WriteEnd ended = Utf8Blocks::WriteEnd::Done;
};

PartWriter::PartWriter(const QString& path, const PromptFields& fields, Format format,
                       const Progress& progress)
    : m_state(std::make_unique<State>(path, fields, format, progress))
{
}

PartWriter::~PartWriter() = default;

bool PartWriter::heldBack()
{
    return m_state->open() && m_state->out.heldBack();
}

bool PartWriter::write(const QStringList& keywords)
{
    State& s = *m_state;
    if (s.ended != Utf8Blocks::WriteEnd::Done || !s.open())
        return false;
    s.ended = s.blocks->writeAll(keywords, *s.sink);
    return s.ended == Utf8Blocks::WriteEnd::Done;
}

Outcome PartWriter::finish()
{
    State& s = *m_state;
    if (!s.open())
        return s.opened;
    Outcome outcome = s.sink->finish(s.ended);
    if (QString error; outcome.result == Outcome::Written && !s.out.commit(&error))
        outcome = Outcome{Outcome::Failed, error};
    return outcome;
}

} // namespace PromptExport
