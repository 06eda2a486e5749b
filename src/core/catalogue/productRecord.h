#pragma once

#include <QString>

#include <optional>

// A product record: three lines, name, format and description, separated by
// CR LF, with nothing after the description. A record written by another
// program may go on past the third line; that rest is kept as it was.
struct ProductRecord
{
    QString name;
    QString format;
    QString description;
    QString rest = {}; // everything after the description, from its line break on

    // The file text. A line break inside a field becomes a blank, so that a
    // field can never spill into the next line of the record.
    QString fileText() const;

    // The record in a file's text, or nothing when it has fewer than three lines.
    static std::optional<ProductRecord> fromText(const QString& text);
};

namespace ProductRecords {

inline const QString FilePattern = QStringLiteral("*.txt");
inline const QString Extension = QStringLiteral(".txt");

// `text` with every line break (CR LF, CR, LF, and the Unicode line and
// paragraph separators) turned into one blank.
QString singleLine(const QString& text);

// The record name of a record file: its name without the final ".txt".
QString recordNameOf(const QString& fileName);

enum class NameCheck
{
    Ok,
    Empty,
    Unusable
};

// True when `name` cannot lead out of the products folder: no folder
// separator and no NUL. ".txt" is always appended, so "." and ".." name files
// inside the folder too; whether the file opens is the file system's to say.
bool staysInFolder(const QString& name);

// Whether a new record may be saved under `name`. Refused everywhere: a
// folder separator, a control character and a lone surrogate, which leave the
// folder or cannot be stored as the name typed. Refused on Windows only,
// where writing them would report success and write elsewhere: the
// characters : * ? " < > | and the device names (CON, NUL, COM1...).
NameCheck checkNewRecordName(const QString& name);

} // namespace ProductRecords
