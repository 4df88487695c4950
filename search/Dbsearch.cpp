#include "korin/search/Dbsearch.h"

#include <cstring>
#include <typeinfo>
#include <vector>

#include "korin/platform/core/TypInfo.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "korin/search/Sercheng.h"

namespace korin {

namespace {

// Everything the sequential walk changes outside the dataset's position — the mouse
// cursor, the disabled controls and the bookmark of the starting record — is put back
// by this guard on every way out: an engine error during the walk, and one while taking
// the bookmark or going back to it, included.
class TWalkGuard {
public:
    explicit TWalkGuard(TDataSet* D) : FDataSet(D)
    {
        FOldCursor = SetCursor(LoadCursor(0, IDC_WAIT));
        FDataSet->DisableControls();
        try {
            FBookmark = FDataSet->GetBookmark();
        } catch (...) {
            FDataSet->EnableControls();
            SetCursor(FOldCursor);
            throw;
        }
    }
    ~TWalkGuard()
    {
        if (FDone)
            return;
        // Leaving on an engine error: put back what can be put back, and let the
        // original error pass.
        try {
            Finish(false);
        } catch (const EDatabaseError&) {
        }
    }
    // Success stays on the current record; failure returns to the starting record.
    void Finish(bool Found)
    {
        FDone = true;
        try {
            FDataSet->EnableControls();
            if (!Found && FBookmark.Valid && FDataSet->BookmarkValid(FBookmark))
                FDataSet->GotoBookmark(FBookmark);
        } catch (...) {
            Release();
            throw;
        }
        Release();
    }

private:
    void Release()
    {
        FDataSet->FreeBookmark(FBookmark);
        SetCursor(FOldCursor);
    }

    TDataSet* FDataSet;
    HCURSOR FOldCursor = crDefault;
    TBookmark FBookmark;
    bool FDone = false;
};

// Keeps a dataset's controls disabled for the lifetime of the guard.
class TDisableGuard {
public:
    explicit TDisableGuard(TDataSet* D) : FDataSet(D) { FDataSet->DisableControls(); }
    ~TDisableGuard() { FDataSet->EnableControls(); }

private:
    TDataSet* FDataSet;
};

// True when the field holds Text as a key search would compare it: the text converted
// to the field's type, equal to the stored value.
bool FieldEqualsKey(TField* Field, const std::string& Text)
{
    try {
        return !Field->IsNull() && Field->Value() == Field->Convert(Variant(Text));
    } catch (const EDatabaseError&) {
        return false;
    }
}

// Field and index names of SQLite compare without regard to ASCII case.
bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        char a = A[i], b = B[i];
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = static_cast<char>(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return true;
}

// Memo gathering stops once more than this many bytes are in.
constexpr size_t MemoGatherStop = 0xFEF9;

}  // namespace

void RegisterSearchClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TCustomdbSearch>("TCustomdbSearch", "TComponent")
        .String("MultiCharPattern", [](TCustomdbSearch* s) { return Cp1251ToUtf8(s->MultiCharPattern()); },
                [](TCustomdbSearch* s, const std::string& v) { s->SetMultiCharPattern(Utf8ToCp1251(v)); })
        .AlwaysStored()
        .String("SingleCharPattern",
                [](TCustomdbSearch* s) { return Cp1251ToUtf8(std::string(1, s->SingleCharPattern())); },
                [](TCustomdbSearch* s, const std::string& v) {
                    std::string c = Utf8ToCp1251(v);
                    if (c.size() != 1)
                        throw Exception("SingleCharPattern must be one character");
                    s->SetSingleCharPattern(c[0]);
                })
        .AlwaysStored();
}

TCustomdbSearch::TCustomdbSearch(TComponent* AOwner) : TComponent(AOwner)
{
    RegisterSearchClasses();
    FLocateInfo.CaseSensitive = false;
    FLocateInfo.ExactMatch = false;
}

TCustomdbSearch::~TCustomdbSearch()
{
    if (FDataSource)
        RemoveFreeNotification(FDataSource);
}

std::string TCustomdbSearch::MultiCharPattern() const { return GetMultiPat(); }

void TCustomdbSearch::SetMultiCharPattern(const std::string& Value) { SetMultiPat(Value); }

char TCustomdbSearch::SingleCharPattern() const { return GetSinglePat(); }

void TCustomdbSearch::SetSingleCharPattern(char Value) { SetSinglePat(Value); }

void TCustomdbSearch::SetDataSource(TDataSource* Value)
{
    if (Value != FDataSource) {
        if (FDataSource)
            RemoveFreeNotification(FDataSource);
        FDataSource = Value;
        if (FDataSource)
            FreeNotification(FDataSource);
    }
    InitLocateInfo();
}

void TCustomdbSearch::SetSearchFields(const TStringList* Value)
{
    if (Value)
        FSearchFields.Assign(*Value);
    else
        FSearchFields.Clear();
}

void TCustomdbSearch::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSource)
        FDataSource = nullptr;
}

void TCustomdbSearch::InitLocateInfo()
{
    FLocateInfo.GotoFirst = false;
    FLocateInfo.GotoLast = false;
    FLocateInfo.FindNext = false;
}

bool TCustomdbSearch::Locate()
{
    InitLocateInfo();
    bool result = GetLocateInfo();
    if (result)
        DoLocate(FLocateInfo);
    return result;
}

void TCustomdbSearch::LocateNext()
{
    // A find-next searches; a go-to command left over from the dialog must not replay.
    InitLocateInfo();
    if (FLocateInfo.LocateText.empty()) {
        Locate();
        return;
    }
    FLocateInfo.FindNext = true;
    DoLocate(FLocateInfo);
}

void TCustomdbSearch::DoLocate(const TLocateInfo& Info)
{
    // A private copy: Info may be this object's own locate information.
    const TLocateInfo info = Info;
    TDataSet* dataSet = FDataSource ? FDataSource->DataSet() : nullptr;
    if (!dataSet)
        throw EDBSearchPatternNotFound("VDBNAV: No DataSet to search!");

    if (info.GotoFirst) {
        dataSet->First();
        return;
    }
    if (info.GotoLast) {
        dataSet->Last();
        return;
    }

    const std::string& pattern = info.LocateText;
    TField* field = nullptr;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        if (dataSet->Fields(i)->DisplayLabel() == info.LocateField) {
            field = dataSet->Fields(i);
            break;
        }
    }
    if (!field)
        throw EDBSearchPatternNotFound("VDBNAV: Search Field not in table!");

    if (TTable* table = IndexedRouteTable(dataSet, field, info, pattern))
        LocateIndexed(table, field, info);
    else
        LocateSequential(dataSet, field, info);
}

// The indexed route serves a plain TTable (a descendant class may change how records are
// reached, so it is walked) of a local database (TDatabase::IsSQLBased: a server database
// is walked too), searched for a plain text case-sensitively, when one of its indexes is
// led by the search field. A key search compares exactly, so a search that ignores case
// or expands wildcards walks the records instead. The table when the route applies,
// else null.
TTable* TCustomdbSearch::IndexedRouteTable(TDataSet* DataSet, TField* Field, const TLocateInfo& Info,
                                          const std::string& Pattern) const
{
    if (!Info.ExactMatch && IsUtf8PatternWild(Pattern))
        return nullptr;
    auto* table = dynamic_cast<TTable*>(DataSet);
    if (!table || typeid(*table) != typeid(TTable))
        return nullptr;
    if (table->Database() && table->Database()->IsSQLBased())
        return nullptr;
    bool isText = Field->DataType() == ftString || Field->DataType() == ftWideString || Field->DataType() == ftMemo ||
                  Field->DataType() == ftFmtMemo;
    if (!Info.CaseSensitive && isText)
        return nullptr;
    table->IndexDefs()->Update();
    for (int i = 0; i < table->IndexDefs()->Count(); ++i) {
        std::vector<std::string> fields = SplitFieldNames(table->IndexDefs()->Items(i)->Fields());
        if (!fields.empty() && SameName(fields[0], Field->FieldName()))
            return table;
    }
    return nullptr;
}

// Indexed route. A find positions the table with FindKey in the search field's order and
// leaves it in that order.
//
// A find-next moves one record forward in the search field's order. Records with equal
// keys stand together in that order, so the record reached is the next match exactly
// when its search field equals the text; otherwise there is no further match and the
// table goes back to where it was. Then the former order is put in force again and the
// table is positioned by key on the record reached: SetKey, the key fields of the former
// order take that record's values (the search field, when it is one of them, takes the
// text), GotoKey. A key need not be unique: when GotoKey lands on an earlier record with
// the same key, the bookmark of the record reached settles the position. After a find
// the former order is the search field's, so a run of find-next commands walks the
// matches in that order. A RecNo equal to the one before means nothing moved: "No more
// matches!".
void TCustomdbSearch::LocateIndexed(TTable* Table, TField* Field, const TLocateInfo& Info)
{
    TDisableGuard controls(Table);
    const std::string oldIndexName = Table->IndexName();
    const std::string oldIndexFieldNames = Table->IndexFieldNames();
    const int oldRecNo = Table->RecNo();
    std::vector<std::string> oldKeyFields;
    for (int i = 0; i < Table->IndexFieldCount(); ++i)
        oldKeyFields.push_back(Table->IndexFields(i)->FieldName());
    const TBookmark start = Table->GetBookmark();

    Table->SetIndexFieldNames(Field->FieldName());

    if (!Info.FindNext) {
        if (!Table->FindKey({Variant(Info.LocateText)}))
            throw Exception("No any matches!");
        return;
    }

    bool reached = Table->MoveBy(1) == 1 && FieldEqualsKey(Field, Info.LocateText);
    TBookmark target = reached ? Table->GetBookmark() : start;

    // The former order again.
    if (!oldIndexFieldNames.empty())
        Table->SetIndexFieldNames(oldIndexFieldNames);
    else
        Table->SetIndexName(oldIndexName);

    if (reached && !oldKeyFields.empty()) {
        std::vector<Variant> key;
        Table->GotoBookmark(target);
        for (const auto& name : oldKeyFields)
            key.push_back(Table->FieldByName(name)->Value());
        Table->SetKey();
        for (size_t i = 0; i < oldKeyFields.size(); ++i) {
            TField* f = Table->FieldByName(oldKeyFields[i]);
            f->SetValue(f == Field ? Variant(Info.LocateText) : key[i]);
        }
        Table->GotoKey();
    }
    if (target.Valid && Table->GetBookmark() != target && Table->BookmarkValid(target))
        Table->GotoBookmark(target);

    if (Table->RecNo() == oldRecNo)
        throw Exception("No more matches!");
}

namespace {

// The part of a memo's contents that takes part in a search, as SearchInMemo gathers it:
// at most MemoSearchLimit bytes, up to the first NUL byte.
std::string MemoSearchText(std::string Contents)
{
    if (Contents.size() > static_cast<size_t>(MemoSearchLimit))
        Contents.resize(static_cast<size_t>(MemoSearchLimit));
    if (auto nul = Contents.find('\0'); nul != std::string::npos)
        Contents.resize(nul);
    return Contents;
}

}  // namespace

// Sequential route: walk from the first record (or the record after the current one)
// and compare each record's field text with the pattern. The record after First is
// examined before any Next, so on an empty dataset the empty position is examined once.
//
// A dataset on a database that is browsing and not empty is not walked record by record:
// it reads the searched field a page at a time from the first record to examine on
// (TDBDataSet::ScanField) and moves once, to the record found; the texts, the matcher and
// the messages are the walk's.
void TCustomdbSearch::LocateSequential(TDataSet* DataSet, TField* Field, const TLocateInfo& Info)
{
    const std::string& pattern = Info.LocateText;
    const bool wild = !Info.ExactMatch;
    auto* memo = Field->DataType() == ftMemo ? As<TBlobField>(Field) : nullptr;

    TWalkGuard guard(DataSet);
    // The application may stop a long walk (Esc, or a cancel request): the guard then
    // returns to the starting record.
    TEngineWork work;
    bool found = false;
    auto* scanned = dynamic_cast<TDBDataSet*>(DataSet);
    if (scanned && DataSet->State() == dsBrowse && DataSet->RecordCount() > 0) {
        const int current = DataSet->RecNo() - 1;
        const int start = Info.FindNext ? current + 1 : 0;
        const TUtf8Matcher matcher(pattern, Info.CaseSensitive, wild);
        // Texts the engine hands over are tested where they lie; the records that pass
        // (and those the cursor has read already) are tested again as the field shows them.
        auto maybe = [&](std::string_view Text) {
            if (memo) {
                Text = Text.substr(0, std::min(Text.size(), static_cast<size_t>(MemoSearchLimit)));
                Text = Text.substr(0, Text.find('\0'));
            }
            return matcher.Matches(Text);
        };
        int index = scanned->ScanText(
            start, Field, maybe,
            [&](const Variant& Value) {
                std::string text = Field->TextOf(Value);
                if (matcher.Matches(memo ? MemoSearchText(std::move(text)) : text))
                    return true;
                work.Tick();
                return false;
            },
            [&] { work.Tick(); });
        found = index >= 0;
        if (!found) {
            // The walk ends on the last record, past its end; the guard goes back from there.
            DataSet->Last();
        } else {
            if (index == 0 || index == current) {
                // Where the walk would have started over or stands already: the walk's own
                // moves leave BOF and EOF as it leaves them.
                DataSet->First();
                DataSet->MoveBy(index);
            } else {
                DataSet->SetRecNo(index + 1);
            }
        }
    } else {
        bool atEnd = false;
        if (Info.FindNext) {
            DataSet->Next();
            atEnd = DataSet->EOF();
        } else {
            DataSet->First();
        }
        while (!atEnd) {
            if (memo)
                found = SearchInMemo(memo, pattern, Info.CaseSensitive, wild);
            else
                found = CompareUtf8Strings(Field->Text(), pattern, Info.CaseSensitive, wild);
            if (found)
                break;
            work.Tick();
            DataSet->Next();
            atEnd = DataSet->EOF();
        }
    }
    guard.Finish(found);
    if (!found)
        throw EDBSearchPatternNotFound("Search pattern: " + Info.LocateText +
                                       " not found in field: " + Field->FieldName());
}

// The memo's contents take part up to the first NUL byte and at most MemoSearchLimit
// bytes: chunks of 255 bytes are gathered until a short one arrives or more than
// 65,273 bytes are in (so at most 256 chunks).
bool TCustomdbSearch::SearchInMemo(TBlobField* Field, const std::string& Pattern, bool CaseSensitive, bool Wild)
{
    TBlobStream stream(Field, bmRead);
    std::string buffer;
    buffer.reserve(4096);
    char chunk[MemoSearchChunk];
    for (;;) {
        int n = stream.Read(chunk, MemoSearchChunk);
        buffer.append(chunk, static_cast<size_t>(n));
        if (n < MemoSearchChunk || buffer.size() > MemoGatherStop)
            break;
    }
    if (auto nul = buffer.find('\0'); nul != std::string::npos)
        buffer.resize(nul);
    return CompareUtf8Strings(buffer, Pattern, CaseSensitive, Wild);
}

}  // namespace korin
