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

    // Lists the record files into `raw` (one item per file, its current item
    // the last one, or none) and returns the record name of each, in order.
    QStringList list(HolderList& raw) const;

    // Appends the lines of record `name` to `lines`; false when it cannot be read.
    bool load(const QString& name, HolderList& lines) const;

    // The whole text of record `name`; false when it cannot be read.
    bool read(const QString& name, QString& text) const;

    bool exists(const QString& name) const;
    bool save(const QString& name, const ProductRecord& record) const;
    bool remove(const QString& name) const;

    // The checks of the product form's Save, in order: the three fields, then
    // the file name (a new record's must be usable and free, as the file
    // system's existence test says; an edited one's must not be empty).
    Verdict checkSave(const ProductRecord& fields, const QString& name, bool adding) const;

private:
    const tsFile& m_files;
    DataPaths m_paths;
};
