// The navigator's FILTER and QUERY commands.
//
// FILTER sets the dataset's own filter expression from the text typed in the filter edit
// box. QUERY builds an internal query from the dataset's SQL (a TQuery or TADOQuery), its
// command text (a TADODataSet) or its table (a TTable or TADOTable), merges in the condition and sort order composed in the condition builder,
// opens it and shows it through the navigator's data source in place of the dataset;
// releasing it puts the dataset back on the same record. Both are toggles whose pressed
// state the button shows; holding the button down opens the dialog again.
//
// Neither command lets an error escape, and a rejected filter or query leaves the dataset
// as it was. Everything the user types runs as a read-only statement: filters and the
// internal query are compiled under the engine's read-only guard, and the statement is
// prepared before it is used. On a server (TADOQuery, TADOTable, TADODataSet) the
// internal query is a TADOQuery on the same connection that reads in a READ ONLY
// transaction, so the server itself refuses any write the condition attempts.
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/query/QueryText.h"
#include "korin/query/Sqdlg.h"
#include "korin/query/Vdbnavfed.h"

namespace korin {

namespace {

// A table name as it goes after FROM: as it is when it is a plain name, else quoted.
std::string TableNameSQL(const std::string& Name) { return QuoteFieldName(Name); }

}  // namespace

// ---- state -----------------------------------------------------------------------------

void TVandroDBNavigator::SetFilterDataSource(TDataSource* Value)
{
    FFilterDataSource = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVandroDBNavigator::SetQueryDataSource(TDataSource* Value)
{
    FQueryDataSource = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVandroDBNavigator::SetSourceDataSet(TDataSet* Value)
{
    FSourceDataSet = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVandroDBNavigator::QueryNotification(TComponent* AComponent)
{
    if (!AComponent)
        return;
    if (AComponent == static_cast<TComponent*>(FFilterDataSource)) {
        FFilterDataSource = nullptr;
        FFilterActive = false;
    }
    if (AComponent == static_cast<TComponent*>(FQueryDataSource)) {
        // The data source goes with the internal query in it: nothing to give back.
        FQueryDataSource = nullptr;
        FQueryActive = false;
    }
    if (AComponent == static_cast<TComponent*>(FSourceDataSet))
        FSourceDataSet = nullptr;
    if (AComponent == static_cast<TComponent*>(FInternalQuery)) {
        FInternalQuery = nullptr;
        FQueryActive = false;
    }
    if (FButtonsCreated && !InState(csDestroying)) {
        FButtons[vnbFilter]->SetDown(FFilterActive);
        FButtons[vnbQuery]->SetDown(FQueryActive);
    }
}

// ---- filter ----------------------------------------------------------------------------

void TVandroDBNavigator::ApplyFilter(TNavigatorFilterAction Action)
{
    bool wanted = false;
    switch (Action) {
    case nfaApply: wanted = true; break;
    case nfaRelease: wanted = false; break;
    case nfaChange: wanted = !FFilterActive; break;
    case nfaModify: wanted = FFilterActive; break;
    }
    bool forced = false;
    TDataSource* source = DataSource();
    if ((wanted && (FFilterText.empty() || source != FFilterDataSource)) || Action == nfaModify) {
        try {
            if (ShowFilterBox()) {
                wanted = !FFilterText.empty();
                forced = true;
            } else {
                wanted = FFilterActive;
            }
        } catch (const Exception&) {
            wanted = false;
        }
    }

    if (wanted != FFilterActive || forced) {
        if (wanted) {
            TDataSet* ds = source ? source->DataSet() : nullptr;
            if (!FFilterText.empty() && ds) {
                // A rejected expression leaves the dataset as it was: a filter in force
                // stays (the engine refuses a new text before changing anything), and
                // the filter text of an unfiltered dataset is put back.
                const std::string oldFilter = ds->Filter();
                try {
                    ds->SetFilter(FFilterText);
                    ds->SetFiltered(true);
                    SetFilterDataSource(source);
                    FFilterActive = true;
                } catch (const Exception&) {
                    try {
                        if (!ds->Filtered())
                            ds->SetFilter(oldFilter);
                    } catch (const Exception&) {
                    }
                    // The navigator's state keeps telling the truth: its own filter is in
                    // force only when the dataset still carries it.
                    if (!(FFilterActive && source == FFilterDataSource && ds->Filtered())) {
                        FFilterDataSource = nullptr;
                        FFilterActive = false;
                    }
                }
            }
        } else {
            // Release on the dataset the filter was set on, and come back to the record
            // that was current: by its row id when the dataset reaches its records through
            // row ids (the very record, also among records of equal values, found without
            // a search), else, or when that record is gone, by the values of its fields.
            TDataSource* filtered = FFilterDataSource ? FFilterDataSource : source;
            TDataSet* ds = filtered ? filtered->DataSet() : nullptr;
            FFilterActive = false;
            if (ds) {
                try {
                    std::string keyFields;
                    Variant keyValues;
                    TBookmark mark;
                    const bool hasRecord = ds->Active() && !ds->IsEmpty();
                    if (hasRecord) {
                        SaveDataSetPosition(ds, keyFields, keyValues);
                        if (auto* keyed = dynamic_cast<TDBDataSet*>(ds); keyed && keyed->IsKeysetCursor())
                            mark = ds->GetBookmark();
                    }
                    ds->SetFiltered(false);
                    if (mark.Valid && ds->BookmarkValid(mark))
                        ds->GotoBookmark(mark);
                    else if (hasRecord)
                        ds->Locate(keyFields, keyValues, 0);
                } catch (const Exception&) {
                }
            }
        }
    }
    if (FButtonsCreated)
        FButtons[vnbFilter]->SetDown(FFilterActive);
}

bool TVandroDBNavigator::ShowFilterBox()
{
    if (!DataSource())
        return false;
    TOwned<TFilterEditBox> box(new TFilterEditBox(this));
    FilterEditBox = box.get();
    const TPoint origin = ClientOrigin();
    box->SetLeft(origin.x);
    box->SetTop(origin.y);
    AdjustLeftTop(box.get());
    box->Edit->SetText(FFilterText);
    box->SetDataSource(DataSource());
    box->SetCaption("Setup Filter");
    if (box->ShowModal() != mrOk)
        return false;
    try {
        FFilterText = box->Edit->Text();
    } catch (...) {
        FFilterText.clear();
        throw;
    }
    return true;
}

// ---- query -----------------------------------------------------------------------------

bool TVandroDBNavigator::ShowQueryBox(std::string& Where, std::string& OrderBy)
{
    Where.clear();
    OrderBy.clear();
    TOwned<TSetupQ> dialog(new TSetupQ(this));
    dialog->SetDataSource(DataSource());
    dialog->SetDialogMode(dopQuery);
    dialog->SetCaption("Query setup");
    if (dialog->ShowModal() != mrOk)
        return false;
    if (dialog->Condition().empty() && dialog->OrderBy().empty())
        return false;
    Where = dialog->Condition();
    OrderBy = dialog->OrderBy();
    return true;
}

void TVandroDBNavigator::ApplyQuery(TNavigatorQueryAction Action)
{
    bool wanted = false;
    switch (Action) {
    case nqaApply: wanted = true; break;
    case nqaRelease: wanted = false; break;
    case nqaChange: wanted = !FQueryActive; break;
    case nqaModify: wanted = FQueryActive; break;
    }
    bool forced = false;
    if ((wanted && DataSource() != FQueryDataSource) || Action == nqaModify) {
        try {
            std::string where, orderBy;
            if (ShowQueryBox(where, orderBy)) {
                if (BuildInternalQuery(where, orderBy)) {
                    wanted = true;
                    forced = true;
                } else {
                    wanted = FQueryActive;
                }
            } else {
                wanted = FQueryActive;
            }
        } catch (const Exception&) {
            wanted = false;
        }
    }
    if (wanted != FQueryActive || forced) {
        if (wanted)
            ActivateQuery();
        else
            ReleaseQuery();
    }
    if (FButtonsCreated)
        FButtons[vnbQuery]->SetDown(FQueryActive);
}

namespace {

// The master-detail terms of a detail table: "(detail=:master)" for each linked pair,
// joined with " AND ", after " WHERE "; empty when the table has no complete link.
std::string DetailLinkWhere(TDataSet* Detail)
{
    std::vector<TField*> masterFields, detailFields;
    Detail->GetDetailLinkFields(masterFields, detailFields);
    if (masterFields.empty() || detailFields.empty())
        return std::string();
    std::string sql = " WHERE ";
    const std::size_t n = std::min(masterFields.size(), detailFields.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            sql += " AND ";
        sql += "(" + detailFields[i]->FieldName() + "=:" + masterFields[i]->FieldName() + ")";
    }
    return sql;
}

// Whether the engine of query Q compiles a statement (Q's SQL is replaced by it).
template <class Q>
std::function<bool(const std::string&)> PreparesOn(Q* q)
{
    return [q](const std::string& Statement) {
        try {
            q->SQL()->Clear();
            q->SQL()->Add(Statement);
            q->Prepare();
            return true;
        } catch (const Exception&) {
            return false;
        }
    };
}

}  // namespace

TQuery* TVandroDBNavigator::InternalQuery() const { return As<TQuery>(FInternalQuery); }
TADOQuery* TVandroDBNavigator::InternalADOQuery() const { return As<TADOQuery>(FInternalQuery); }

TStringList* TVandroDBNavigator::InternalSQL() const
{
    if (TQuery* q = InternalQuery())
        return q->SQL();
    if (TADOQuery* q = InternalADOQuery())
        return q->SQL();
    return nullptr;
}

bool TVandroDBNavigator::BuildInternalQuery(const std::string& Where, const std::string& OrderBy)
{
    TDataSource* source = DataSource();
    if (!source)
        return false;
    // While a query of this data source is in force, the dataset to query is the one
    // it replaced, not the internal query itself.
    TDataSet* D = (FQueryActive && source == FQueryDataSource) ? FSourceDataSet : source->DataSet();
    auto* query = As<TQuery>(D);
    auto* table = As<TTable>(D);
    auto* adoQuery = As<TADOQuery>(D);
    auto* adoTable = As<TADOTable>(D);
    auto* adoDataSet = As<TADODataSet>(D);
    if (!query && !table && !adoQuery && !adoTable && !adoDataSet) {
        // No statement can be made from this dataset: no query of an earlier data source
        // may be opened on this one.
        ReleaseQuery();
        if (FInternalQuery)
            std::exchange(FInternalQuery, nullptr)->Free();
        return false;
    }

    // The new query is built aside; the one in force stays until this one is ready, so
    // that a refused statement leaves everything as it was.
    TOwned<TDataSet> fresh;
    TStringList* freshSQL = nullptr;
    TParams* freshParams = nullptr;
    TParams* sourceParams = nullptr;
    std::string sql;
    TDataSource* master = nullptr;
    // Whether a statement compiles on the query's database without running it.
    std::function<bool(const std::string&)> prepares;
    if (query || table) {
        auto* q = new TQuery(this);
        fresh.reset(q);
        q->SetDatabaseName(static_cast<TDBDataSet*>(D)->DatabaseName());
        freshSQL = q->SQL();
        freshParams = q->Params();
        if (query) {
            sql = StringListToString(*query->SQL());
            master = query->DataSource();
            sourceParams = query->Params();
        } else {
            sql = "SELECT * FROM " + TableNameSQL(table->TableName());
            if (table->MasterSource()) {
                sql += DetailLinkWhere(table);
                master = table->MasterSource();
            }
        }
        prepares = PreparesOn(q);
    } else {
        auto* ado = static_cast<TCustomADODataSet*>(D);
        auto* q = new TADOQuery(this);
        fresh.reset(q);
        q->SetConnection(ado->Connection());
        // What the user composed may only read: the server refuses any write inside it.
        q->SetReadOnlyTransaction(true);
        // The navigator's own query reports its fetch to the navigator's status bar.
        q->OnFetchProgress = FetchProgressHandler();
        freshSQL = q->SQL();
        freshParams = q->Params();
        if (adoQuery) {
            sql = StringListToString(*adoQuery->SQL());
            master = adoQuery->DataSource();
            sourceParams = adoQuery->Params();
        } else if (adoDataSet) {
            sql = adoDataSet->CommandText();
            master = adoDataSet->DataSource();
        } else {
            sql = "SELECT * FROM " + TableNameSQL(adoTable->CommandText());
            if (adoTable->MasterSource()) {
                sql += DetailLinkWhere(adoTable);
                master = adoTable->MasterSource();
            }
        }
        // The server compiles the statement without running it.
        prepares = PreparesOn(q);
    }

    std::string text;
    try {
        text = MergeQueryConditions(sql, Where, OrderBy, prepares);
        freshSQL->Clear();
        freshSQL->Add(text);
    } catch (const Exception&) {
        fresh.reset();
        Application->MessageBox("Can't prepare query!", "Parser error", MB_OK);
        return false;
    }
    if (sourceParams)
        freshParams->AssignValues(*sourceParams);
    if (master) {
        if (auto* q = As<TQuery>(fresh.get()))
            q->SetDataSource(master);
        else if (auto* q = As<TADOQuery>(fresh.get()))
            q->SetDataSource(master);
    }

    ReleaseQuery();
    if (FInternalQuery)
        std::exchange(FInternalQuery, nullptr)->Free();
    FInternalQuery = fresh.release();
    return true;
}

void TVandroDBNavigator::ActivateQuery()
{
    TDataSource* source = DataSource();
    if (!FInternalQuery || !InternalSQL() || InternalSQL()->CommaText().empty() || !source)
        return;
    const bool hadFilter = FFilterActive;
    try {
        ApplyFilter(nfaRelease);
        SetSourceDataSet(source->DataSet());
        SetQueryDataSource(source);
        FInternalQuery->SetActive(true);
        source->SetDataSet(FInternalQuery);
        if (CurrentControl)
            CurrentControl->Refresh();
        FQueryActive = true;
        SB_DSChanged();  // the bar shows the query, not the table it replaced
    } catch (const Exception&) {
        if (HandleAllocated())
            MessageBox(Handle(), "Can not apply Query!", "SQL ERROR", MB_OK | MB_ICONERROR);
        else
            Application->MessageBox("Can not apply Query!", "SQL ERROR", MB_OK | MB_ICONERROR);
        SetQueryDataSource(nullptr);
        try {
            if (FInternalQuery && FInternalQuery->Active())
                FInternalQuery->SetActive(false);
            source->SetDataSet(FSourceDataSet);
            if (CurrentControl)
                CurrentControl->Refresh();
        } catch (const Exception&) {
        }
        FQueryActive = false;
        // The filter released for the query comes back, so that the dataset is as it was.
        if (hadFilter)
            ApplyFilter(nfaApply);
    }
}

void TVandroDBNavigator::ReleaseQuery()
{
    if (!FQueryActive || !FQueryDataSource)
        return;
    try {
        ApplyFilter(nfaRelease);
    } catch (const Exception&) {
    }
    std::string keyFields;
    Variant keyValues;
    bool hasRecord = false;
    try {
        hasRecord = FInternalQuery && FInternalQuery->Active() && !FInternalQuery->IsEmpty();
        if (hasRecord)
            SaveDataSetPosition(FInternalQuery, keyFields, keyValues);
    } catch (const Exception&) {
        hasRecord = false;
    }
    try {
        FQueryDataSource->SetDataSet(FSourceDataSet);
    } catch (const Exception&) {
    }
    try {
        if (hasRecord && FSourceDataSet && FSourceDataSet->Active())
            FSourceDataSet->Locate(keyFields, keyValues, 0);
    } catch (const Exception&) {
    }
    try {
        if (CurrentControl)
            CurrentControl->Refresh();
    } catch (const Exception&) {
    }
    FQueryActive = false;
    if (!InState(csDestroying))
        SB_DSChanged();  // the bar shows the table again
}

}  // namespace korin
