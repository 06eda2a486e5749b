#include "productCatalogue.h"

#include "components/tsFile.h"

#include <algorithm>

ProductCatalogue::ProductCatalogue(const tsFile& files, const DataPaths& paths)
    : m_files(files)
    , m_paths(paths)
{
}

QStringList ProductCatalogue::list(HolderList* raw) const
{
    HolderList listed;
    m_files.ListFiles(m_paths.productsFolder(), listed, ProductRecords::FilePattern);
    QStringList names;
    names.reserve(listed.count());
    for (qsizetype i = 0; i < listed.count(); ++i) {
        QString item;
        listed.select(i, &item);
        // A file called ".txt" is listed with an empty name.
        names.append(ProductRecords::recordNameOf(m_files.FileNameOf(item)));
    }
    if (raw) {
        raw->items.append(listed.items);
        raw->current = raw->count() - 1;
    }
    return names;
}

std::optional<ProductRecord> ProductCatalogue::record(const QString& name, QStringList* lines) const
{
    QString text;
    if (!ProductRecords::staysInFolder(name)
        || !m_files.LoadTextFile(text, m_paths.recordFile(name), nullptr, tsFile::Links::Refuse))
        return std::nullopt;
    std::optional<ProductRecord> record = ProductRecord::fromText(text);
    if (lines) {
        *lines = tsFile::splitFileLines(text);
        lines->resize(std::min<qsizetype>(lines->size(), 3));
    }
    return record;
}

Refusal ProductCatalogue::unusableRecord()
{
    return Refusal{QStringLiteral("Invalid File"), QStringLiteral("The file can't be opened.")};
}

Refusal ProductCatalogue::saveFailed()
{
    return Refusal{QStringLiteral("Error"),
                   QStringLiteral("There was an error saving the product file.")};
}

Refusal ProductCatalogue::nothingSelected()
{
    return Refusal{QStringLiteral("Nothing to delete"),
                   QStringLiteral("Please select a product first.")};
}

Refusal ProductCatalogue::confirmDelete()
{
    return Refusal{QStringLiteral("Confirm"), QStringLiteral("Delete file?")};
}

Refusal ProductCatalogue::deleted()
{
    return Refusal{QStringLiteral("Done"), QStringLiteral("Done.")};
}

Refusal ProductCatalogue::deleteFailed()
{
    return Refusal{QStringLiteral("Error"),
                   QStringLiteral("There was an error with the deletion of the selected file.")};
}

bool ProductCatalogue::exists(const QString& name) const
{
    return m_files.FileExists(m_paths.recordFile(name));
}

bool ProductCatalogue::save(const QString& name, const ProductRecord& record) const
{
    return m_files.SaveTextFile(record.fileText(), m_paths.recordFile(name));
}

bool ProductCatalogue::remove(const QString& name) const
{
    return m_files.DeleteFile(m_paths.recordFile(name));
}

Verdict ProductCatalogue::checkSave(const ProductRecord& fields, const QString& name,
                                    bool adding) const
{
    const auto missing = [](const QString& text) {
        return Refusal{QStringLiteral("Missing Info"), text};
    };
    if (fields.name.isEmpty())
        return missing(QStringLiteral("Please enter the name of the product / service."));
    if (fields.format.isEmpty())
        return missing(QStringLiteral("Please enter the format of the product / service."));
    if (fields.description.isEmpty())
        return missing(QStringLiteral("Please enter a description of the product / service."));
    const Refusal enterName =
        missing(QStringLiteral("Please enter a filename to save this product / service."));
    if (!adding)
        return name.isEmpty() ? Verdict(enterName) : std::nullopt;
    switch (ProductRecords::checkNewRecordName(name)) {
    case ProductRecords::NameCheck::Empty:
        return enterName;
    case ProductRecords::NameCheck::Unusable:
        return Refusal{QStringLiteral("Ooops"),
                       QStringLiteral("That filename can't be used. Please use another filename.")};
    case ProductRecords::NameCheck::Ok:
        break;
    }
    if (exists(name))
        return Refusal{
            QStringLiteral("Ooops"),
            QStringLiteral("Oooops! That file is already in use. Please use another filename.")};
    return std::nullopt;
}
