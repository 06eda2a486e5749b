#pragma once

#include "components/dataPaths.h"
#include "components/holderList.h"
#include "components/refusal.h"
#include "productRecord.h"

#include <QStringList>

class tsFile;

// The products folder as both windows see it: the listing of record names,
// and reading, writing and deleting one record, all through the file service
// and the program's paths. A record is a regular file of the folder: a
// symbolic link is never listed, read or written through. It holds no record
// in memory.
class ProductCatalogue
{
public:
    ProductCatalogue(const tsFile& files, const DataPaths& paths);

    // The record name of each record file, in order; `raw`, when given, gets
    // one item per file, its current item the last one (or none).
    QStringList list(HolderList* raw = nullptr) const;

    // Record `name` as every reader takes it: a name that stays in the
    // folder, a regular file, at least three lines. Nothing when it cannot be
    // used (unusableRecord() says so); `lines`, when given, gets the lines
    // read, at most three, for a reader that shows them one by one.
    std::optional<ProductRecord> record(const QString& name, QStringList* lines = nullptr) const;

    bool exists(const QString& name) const;
    bool save(const QString& name, const ProductRecord& record) const;
    bool remove(const QString& name) const;

    // The checks of the product form's Save, in order: the three fields, then
    // the file name (a new record's must be usable and free, as the file
    // system's existence test says; an edited one's must not be empty).
    Verdict checkSave(const ProductRecord& fields, const QString& name, bool adding) const;

    // What the product manager and a promoted product tell the user.
    static Refusal unusableRecord();
    static Refusal saveFailed();
    static Refusal nothingSelected();
    static Refusal confirmDelete();
    static Refusal deleted();
    static Refusal deleteFailed();

private:
    const tsFile& m_files;
    DataPaths m_paths;
};
