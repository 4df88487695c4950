// The server connection: connecting, running one statement at a time through the
// extended protocol while the application keeps its turns, and the server's errors.
#include <poll.h>

#include <cstdio>
#include <exception>

#include <libpq-fe.h>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/SQLText.h"

namespace korin {

namespace {

// libpq's messages end with a line break (and lost connections add an explanation on a
// second, indented line): keep the text up to the end of its last non-blank line.
std::string CleanMessage(const char* Text)
{
    std::string s = Text ? Text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s.empty() ? std::string("The server reported an error without a message") : s;
}

// The wait procedure installed by the application, if any.
TEngineWaitProc CurrentWaitProc()
{
    TEngineWaitProc proc = SetEngineWaitProc(nullptr);
    SetEngineWaitProc(proc);
    return proc;
}

// How long one look at the socket waits before the application gets a turn.
constexpr int kPollMilliseconds = 25;

}  // namespace

// ---------------------------------------------------------------------------------------
// Parameters and results

void TPGParams::Add(const Variant& Value, TFieldType Type)
{
    bool null = Value.IsNullOrEmpty();
    std::string text;
    bool binary = false;
    if (!null) {
        switch (Value.Type()) {
        case varBoolean:
            text = Value.AsBoolean() ? "true" : "false";
            break;
        case varInt64:
            text = std::to_string(Value.AsInteger());
            break;
        case varDouble: {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", Value.AsFloat());
            text = buf;
            break;
        }
        case varDate:
            text = Type == ftDate   ? DateToISO(Value.AsDateTime())
                   : Type == ftTime ? TimeToISO(Value.AsDateTime())
                                    : DateTimeToISO(Value.AsDateTime());
            break;
        case varArray:
            throw EDatabaseError("An array cannot be a parameter value");
        default:
            text = Value.AsString();
            binary = Type == ftBlob || Type == ftGraphic || Type == ftBytes || Type == ftVarBytes;
            break;
        }
    }
    Values.push_back(std::move(text));
    IsNull.push_back(null);
    Binary.push_back(binary);
}

TPGResult& TPGResult::operator=(TPGResult&& O) noexcept
{
    if (this != &O) {
        if (FRes)
            PQclear(FRes);
        FRes = O.FRes;
        O.FRes = nullptr;
    }
    return *this;
}

TPGResult::~TPGResult()
{
    if (FRes)
        PQclear(FRes);
}

int TPGResult::Rows() const { return FRes ? PQntuples(FRes) : 0; }
int TPGResult::Columns() const { return FRes ? PQnfields(FRes) : 0; }
bool TPGResult::IsNull(int Row, int Column) const { return PQgetisnull(FRes, Row, Column) != 0; }
const char* TPGResult::Raw(int Row, int Column) const { return PQgetvalue(FRes, Row, Column); }
int TPGResult::Length(int Row, int Column) const { return PQgetlength(FRes, Row, Column); }

std::string TPGResult::Text(int Row, int Column) const
{
    return std::string(PQgetvalue(FRes, Row, Column), static_cast<size_t>(PQgetlength(FRes, Row, Column)));
}

int TPGResult::RowsAffected() const
{
    const char* n = FRes ? PQcmdTuples(FRes) : nullptr;
    return n && *n ? std::atoi(n) : 0;
}

// ---------------------------------------------------------------------------------------
// Connection

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection()
{
    *FAlive = false;
    // Datasets outliving their connection close and forget it.
    std::vector<TCustomADODataSet*> sets = FDataSets;
    for (TCustomADODataSet* d : sets) {
        try {
            d->Close();
        } catch (...) {
        }
        d->FConnection = nullptr;
    }
    FDataSets.clear();
    if (FConn)
        PQfinish(FConn);
    FConn = nullptr;
}

void TADOConnection::SetConnectionString(const std::string& Value)
{
    if (Value == FConnectionString)
        return;
    if (Connected())
        throw EDatabaseError("Cannot change the connection string of an open connection");
    FConnectionString = Value;
}

TCustomADODataSet* TADOConnection::DataSets(int Index) const
{
    if (Index < 0 || Index >= DataSetCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FDataSets[static_cast<size_t>(Index)];
}

void TADOConnection::SetConnected(bool Value)
{
    if (Value == Connected())
        return;
    if (Value) {
        if (BeforeConnect)
            BeforeConnect(this);
        PGconn* c = PQconnectdb(FConnectionString.c_str());
        if (!c)
            throw EDatabaseError("Out of memory while connecting to the server");
        if (PQstatus(c) != CONNECTION_OK) {
            std::string msg = CleanMessage(PQerrorMessage(c));
            PQfinish(c);
            throw EDatabaseError(msg);
        }
        FConn = c;
        try {
            // Values travel as text in these forms.
            if (PQsetClientEncoding(FConn, "UTF8") != 0)
                throw EDatabaseError(CleanMessage(PQerrorMessage(FConn)));
            Run("SET DateStyle TO ISO, YMD");
        } catch (...) {
            if (FConn)
                PQfinish(FConn);
            FConn = nullptr;
            throw;
        }
        if (AfterConnect)
            AfterConnect(this);
        return;
    }
    if (FBusy)
        throw EDatabaseError("The connection is busy: records are still being read");
    if (BeforeDisconnect)
        BeforeDisconnect(this);
    std::vector<TCustomADODataSet*> sets = FDataSets;
    for (TCustomADODataSet* d : sets)
        d->Close();
    if (FConn)
        PQfinish(FConn);
    FConn = nullptr;
    if (AfterDisconnect)
        AfterDisconnect(this);
}

int TADOConnection::BackendPID() const { return FConn ? PQbackendPID(FConn) : 0; }

void TADOConnection::CheckFree()
{
    if (!FConn)
        throw EDatabaseError("The connection is not open");
    if (FBusy)
        throw EDatabaseError("The connection is busy: records are still being read");
    // A cursor read in the background holds the connection's transaction: the rest of its
    // records come first.
    if (FReading)
        FReading->FetchAll();
    if (!FConn)
        throw EDatabaseError("The connection is not open");
}

void TADOConnection::ConnectionLost()
{
    if (FConn)
        PQfinish(FConn);
    FConn = nullptr;
}

std::string TADOConnection::QuoteIdentifier(const std::string& Name) const
{
    if (FConn) {
        if (char* q = PQescapeIdentifier(FConn, Name.data(), Name.size())) {
            std::string s = q;
            PQfreemem(q);
            return s;
        }
        throw EDatabaseError(CleanMessage(PQerrorMessage(FConn)));
    }
    std::string s = "\"";
    for (char c : Name) {
        if (c == '"')
            s += '"';
        s += c;
    }
    return s + "\"";
}

void TADOConnection::RaiseError(PGresult* Res)
{
    std::string msg;
    if (Res) {
        if (const char* primary = PQresultErrorField(Res, PG_DIAG_MESSAGE_PRIMARY))
            msg = primary;
        else
            msg = CleanMessage(PQresultErrorMessage(Res));
    }
    if (msg.empty())
        msg = CleanMessage(PQerrorMessage(FConn));
    if (Res)
        PQclear(Res);
    if (FConn && PQstatus(FConn) == CONNECTION_BAD)
        ConnectionLost();
    throw EDatabaseError(msg);
}

TPGResult TADOConnection::Run(const std::string& SQL, const TPGParams& Params)
{
    if (!FConn)
        throw EDatabaseError("The connection is not open");
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    for (int i = 0; i < Params.Count(); ++i) {
        size_t k = static_cast<size_t>(i);
        values.push_back(Params.IsNull[k] ? nullptr : Params.Values[k].c_str());
        lengths.push_back(static_cast<int>(Params.Values[k].size()));
        formats.push_back(Params.Binary[k] ? 1 : 0);
    }
    if (!PQsendQueryParams(FConn, SQL.c_str(), Params.Count(), nullptr, values.data(), lengths.data(),
                           formats.data(), 0))
        RaiseError(nullptr);
    return Wait();
}

int TADOConnection::Describe(const std::string& SQL, int ParamCount)
{
    CheckFree();
    // The unnamed prepared statement: replaced by the next one, nothing to free.
    if (!PQsendPrepare(FConn, "", SQL.c_str(), ParamCount, nullptr))
        RaiseError(nullptr);
    Wait();
    if (!PQsendDescribePrepared(FConn, ""))
        RaiseError(nullptr);
    return Wait().Columns();
}

int TADOConnection::Execute(const std::string& SQL)
{
    CheckFree();
    // The application's own script: the simple protocol runs each of its statements.
    if (!PQsendQuery(FConn, SQL.c_str()))
        RaiseError(nullptr);
    return Wait().RowsAffected();
}

int TADOConnection::Execute(const std::string& SQL, const std::vector<Variant>& Params)
{
    CheckFree();
    TPGParams p;
    for (const Variant& v : Params)
        p.Add(v);
    return Run(SQL, p).RowsAffected();
}

Variant TADOConnection::ExecuteScalar(const std::string& SQL, const std::vector<Variant>& Params)
{
    CheckFree();
    TPGParams p;
    for (const Variant& v : Params)
        p.Add(v);
    TPGResult r = Run(SQL, p);
    if (r.Rows() == 0 || r.Columns() == 0 || r.IsNull(0, 0))
        return Variant::Null();
    return Variant(r.Text(0, 0));
}

// Waits for the statement sent last. While the server works the application's wait
// procedure gets turns; a cancel request (or an error raised by the wait procedure) asks
// the server to stop the statement, and the results are drained either way, so the
// connection is ready for the next statement.
TPGResult TADOConnection::Wait()
{
    std::exception_ptr stopped;
    bool cancelled = false;
    // The wait procedure runs the application's code, which may free this connection.
    const std::shared_ptr<bool> alive = FAlive;
    {
        TEngineWork work;
        while (FConn && PQisBusy(FConn)) {
            pollfd fd{PQsocket(FConn), POLLIN, 0};
            int ready = poll(&fd, 1, kPollMilliseconds);
            if (ready != 0) {
                if (!PQconsumeInput(FConn))
                    break;  // the connection broke: PQgetResult tells how
                continue;
            }
            if (cancelled || stopped)
                continue;
            try {
                if (TEngineWaitProc proc = CurrentWaitProc())
                    proc();
                work.Tick();
            } catch (const EDatabaseError& e) {
                if (std::string(e.what()) == "Operation cancelled")
                    cancelled = true;
                else
                    stopped = std::current_exception();
            } catch (...) {
                stopped = std::current_exception();
            }
            if (!*alive)
                throw EDatabaseError("The connection was freed while records were being read");
            if (cancelled || stopped) {
                if (PGcancel* c = PQgetCancel(FConn)) {
                    char err[256];
                    PQcancel(c, err, sizeof err);
                    PQfreeCancel(c);
                }
            }
        }
    }
    PGresult* error = nullptr;
    PGresult* last = nullptr;
    while (FConn) {
        PGresult* r = PQgetResult(FConn);
        if (!r)
            break;
        ExecStatusType st = PQresultStatus(r);
        if ((st == PGRES_FATAL_ERROR || st == PGRES_BAD_RESPONSE || st == PGRES_NONFATAL_ERROR) && !error) {
            error = r;
            continue;
        }
        if (last)
            PQclear(last);
        last = r;
        if (PQstatus(FConn) == CONNECTION_BAD)
            break;
    }
    if (!error && !last && FConn && PQstatus(FConn) == CONNECTION_BAD) {
        RaiseError(nullptr);
    }
    if (error) {
        if (last)
            PQclear(last);
        if (stopped) {
            PQclear(error);
            std::rethrow_exception(stopped);
        }
        if (cancelled) {
            PQclear(error);
            throw EDatabaseError("Operation cancelled");
        }
        RaiseError(error);
    }
    if (stopped)
        std::rethrow_exception(stopped);
    return TPGResult(last);
}

}  // namespace korin
