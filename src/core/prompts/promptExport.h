#pragma once

#include "composition.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;

// Export of a batch's prompts to a file, in UTF-8, streamed in chunks: the
// memory it takes does not grow with the number of prompts. The prompts are
// composed exactly as "Copy to Clipboard (All)" composes them, every line
// break of a prompt written as CR LF.
namespace PromptExport {

enum class Format
{
    Text,      // .txt: the "Copy to Clipboard (All)" text
    Csv,       // .csv: RFC 4180, header "keyword,prompt", with a byte-order mark
    JsonLines, // .jsonl: {"keyword": ..., "prompt": ...} per line
};

// The format named "txt", "csv" or "jsonl" (in any letter case).
std::optional<Format> formatNamed(QStringView name);

// The format of a file name's extension; Text for any other extension.
Format formatOfFile(const QString& path);

// The filters of a save dialog, one per format, the text file first, and the
// one of `format`.
QString fileFilters();
QString fileFilter(Format format);

// The file name an export proposes: "<name>-prompts.<extension>", the name
// made from the main keyword by FileNames::slugOf, or "prompts.<extension>"
// when nothing is left.
QString suggestedFileName(const QString& mainKeyword, Format format);

// The texts of the export's dialogs: the save dialog's title, and the title,
// text and button of the progress dialog.
struct DialogTexts
{
    QString saveTitle;
    QString progressTitle;
    QString progressText;
    QString cancel;
};
DialogTexts dialogTexts();

// Told the number of prompts written and the number in all, every few
// thousand prompts; returning false cancels the export.
using Progress = std::function<bool(qsizetype written, qsizetype total)>;

struct Outcome
{
    enum Result
    {
        Written,
        Cancelled,
        Failed,
        TooLong // a prompt would be longer than Prompts::MaxPromptChars
    };
    Result result = Written;
    QString error; // why it failed, in the system's words
};

// Writes the prompts of `keywords` composed from `fields` to an open device.
Outcome write(QIODevice& device, const PromptFields& fields, const QStringList& keywords,
              Format format, const Progress& progress = {});

// Writes them to the file at `path` as a FileOutput writes it: a regular file
// through a temporary file that takes its place only once everything is
// written (a failed or cancelled export leaves no file, and an existing file
// untouched); standard output ("-", /dev/stdout) through its descriptor; a
// device as it is.
Outcome writeFile(const QString& path, const PromptFields& fields, const QStringList& keywords,
                  Format format, const Progress& progress = {});

// An export to a file written a part of the keywords at a time, as they are
// read, and as writeFile() writes it: the file is opened when first needed
// (heldBack(), the first part or finish()) and takes its place at finish()
// only, so an export dropped before its end (the writer destroyed
// unfinished) leaves no file.
class PartWriter
{
public:
    PartWriter(const QString& path, const PromptFields& fields, Format format,
               const Progress& progress = {});
    ~PartWriter();
    PartWriter(const PartWriter&) = delete;
    PartWriter& operator=(const PartWriter&) = delete;

    // Opens the file, if it was not, and tells whether it takes its place only
    // at finish(): false for standard output or a device, which get each part
    // as it is written, and when the file could not be opened.
    bool heldBack();

    // Writes the prompts of `keywords` after those written before; false once
    // the writing has stopped (the file could not be opened or written, a
    // prompt is too long, the progress cancelled it).
    bool write(const QStringList& keywords);

    // How the export ended; the file takes its place when it was written.
    Outcome finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace PromptExport
