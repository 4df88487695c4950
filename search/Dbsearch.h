#pragma once
// Dbsearch: the dataset search engine.
//
// TCustomdbSearch finds the record of a dataset whose value in one field matches a text
// or a wildcard pattern (Sercheng.h), and leaves the dataset on it; a miss raises an
// exception whose message says what was not found. The navigator owns one and publishes
// it as FindOptions.
//
// Two routes:
//  - indexed: a dataset of class exactly TTable whose database is not SQL-based, with an
//    index led by the search field, searched without wildcards and case-sensitively
//    (a key search compares exactly): the table is switched to the search field's order
//    and positioned with FindKey. It stays in that order afterwards.
//  - sequential, every other case: the dataset is walked from the first record (or from
//    the record after the current one, for a find-next) with its controls disabled and
//    the hourglass cursor showing; each record's field text goes through the matcher.
//    A memo field is compared on its contents (see SearchInMemo). A miss puts the
//    dataset back on the record where the search began. A database dataset that is
//    browsing is not moved record by record: the searched field is read a page at a time
//    (TDBDataSet::ScanField) and the dataset moves once, to the record found.
//
// Field texts and the pattern are UTF-8 and are compared by code points
// (CompareUtf8Strings); they take part whole, whatever their length.
#include <string>

#include "korin/platform/core/Component.h"
#include "korin/platform/core/Exception.h"
#include "korin/platform/core/StringList.h"
#include "korin/search/Dbslocat.h"

namespace korin {

class TDataSource;
class TDataSet;
class TField;
class TBlobField;
class TTable;

// A search found nothing (or the search field does not exist).
class EDBSearchPatternNotFound : public Exception {
public:
    using Exception::Exception;
};

// A memo takes part with at most this many bytes of its contents (256 chunks of 255).
inline constexpr int MemoSearchChunk = 255;
inline constexpr int MemoSearchLimit = 65280;

class TCustomdbSearch : public TComponent {
public:
    explicit TCustomdbSearch(TComponent* AOwner = nullptr);
    ~TCustomdbSearch() override;

    // The process-wide wildcards (setting them here changes them for every caller).
    // An empty multi-character wildcard is refused and the previous one stays.
    std::string MultiCharPattern() const;
    void SetMultiCharPattern(const std::string& Value);
    char SingleCharPattern() const;
    void SetSingleCharPattern(char Value);

    // The data source searched (not owned). Setting it clears the one-shot commands.
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    // The field the dialog offers when the locate information names none.
    const std::string& DefaultFieldName() const { return FDefaultFieldName; }
    void SetDefaultFieldName(const std::string& Value) { FDefaultFieldName = Value; }
    // The field labels the dialog offers; empty: every visible field. Setting copies.
    TStringList* SearchFields() { return &FSearchFields; }
    void SetSearchFields(const TStringList* Value);
    // The LocateField of the locate information.
    const std::string& SearchField() const { return FLocateInfo.LocateField; }
    void SetSearchField(const std::string& Value) { FLocateInfo.LocateField = Value; }

    // The parameters of the current search; they persist between commands.
    TLocateInfo& LocateInfo() { return FLocateInfo; }
    const TLocateInfo& LocateInfo() const { return FLocateInfo; }

    // Clears GotoFirst, GotoLast and FindNext.
    void InitLocateInfo();
    // Shows the locate dialog filled from this object; when the user closes it with a
    // command, takes its answer into the locate information and returns true. False when
    // cancelled or when no data source is set (nothing is shown then).
    bool GetLocateInfo();
    // Runs one search, or moves to the first or last record. Success leaves the dataset
    // on the found record; failure raises (EDBSearchPatternNotFound, or Exception with
    // "No any matches!" / "No more matches!" on the indexed route).
    void DoLocate(const TLocateInfo& Info);
    // Whether the memo's contents match Pattern (UTF-8, compared by code points). The
    // contents are read in chunks of 255 bytes, at most
    // MemoSearchLimit bytes take part, and a NUL byte ends the text that takes part.
    bool SearchInMemo(TBlobField* Field, const std::string& Pattern, bool CaseSensitive, bool Wild);
    // InitLocateInfo, GetLocateInfo and, when that gave a command, DoLocate. Returns
    // what GetLocateInfo returned; exceptions of DoLocate pass.
    bool Locate();
    // Repeats the last search from the record after the current one; without a text yet,
    // behaves as Locate (shows the dialog).
    void LocateNext();

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void LocateIndexed(TTable* Table, TField* Field, const TLocateInfo& Info);
    void LocateSequential(TDataSet* DataSet, TField* Field, const TLocateInfo& Info);
    TTable* IndexedRouteTable(TDataSet* DataSet, TField* Field, const TLocateInfo& Info,
                              const std::string& Pattern) const;

    TLocateInfo FLocateInfo;
    TDataSource* FDataSource = nullptr;
    std::string FDefaultFieldName;
    TStringList FSearchFields;
};

// Makes TCustomdbSearch known to form files (MultiCharPattern and SingleCharPattern,
// always written). Runs once; the constructor calls it.
void RegisterSearchClasses();

}  // namespace korin
