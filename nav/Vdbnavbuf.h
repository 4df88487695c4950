#pragma once
// TRecordBuffer: a snapshot of one dataset record as (field name, value) pairs, detached
// from the dataset. The navigator keeps two: the record that was current when INSERT was
// pressed (for DITTO FIELD and DITTO RECORD) and the record of COPY RECORD (for PASTE
// RECORD). Values travel by field name, so a snapshot taken from one dataset can be pasted
// into another that has fields of the same names.
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/Object.h"
#include "korin/platform/core/Variant.h"

namespace korin {

class TDataSet;
class TField;

// One saved field: its name as the dataset reports it and its value at copy time (Null
// for an empty field).
struct TFieldBuffer {
    std::string FieldName;
    Variant Value;
};

class TRecordBuffer : public TObject {
public:
    TRecordBuffer() = default;
    // Releases every entry.
    ~TRecordBuffer() override;

    // Releases every entry, last first, and leaves the buffer empty.
    virtual void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    // The entry at Index (0-based, dataset field order); raises for a bad index.
    const TFieldBuffer& Items(int Index) const;

    // Replaces the contents with the current record of DataSet. A field whose value
    // cannot be read is left out; the copy itself never fails.
    void Copy(TDataSet* DataSet);
    // Writes the saved values into DataSet's current record: entries without a field of
    // that name in DataSet, and fields that cannot be modified, are skipped; only values
    // that differ from the current ones are written, so unchanged fields stay unmodified.
    // Errors of the dataset (not editing, a value that does not fit) end the paste and
    // pass on; what was written before stays written.
    void Paste(TDataSet* DataSet);
    // Writes the saved value of every entry named exactly (case-sensitive) like Field
    // into DataSet's field of that name, unconditionally. Nothing without such an entry.
    void PasteField(TDataSet* DataSet, TField* Field);
    // Whether DataSet's current record holds the saved values. An entry whose field
    // DataSet lacks raises the dataset's field-not-found error.
    bool Equal(TDataSet* DataSet) const;
    // The saved value of the first entry of that name (case-insensitive); Null when no
    // entry has that name.
    Variant GetFieldValue(const std::string& Name) const;
    // Replaces the saved value of the first entry of that name (case-insensitive); adds
    // nothing when no entry has that name.
    void SetFieldValue(const std::string& Name, const Variant& Value);

private:
    TFieldBuffer* Find(const std::string& Name) const;
    std::vector<std::unique_ptr<TFieldBuffer>> FItems;
};

}  // namespace korin
