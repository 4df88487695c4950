#include "korin/query/Qparser.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "korin/platform/core/Exception.h"

namespace korin {

namespace {

// Deepest chain of unparenthesised SELECTs (UNION branches) the scanner follows; a
// deeper one is refused rather than exhausting the stack.
constexpr int MaxScanDepth = 1000;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal without regard to ASCII case; B is lower case.
bool SameText(const std::string& A, const char* B) {
    std::size_t i = 0;
    for (; i < A.size(); ++i) {
        if (B[i] == '\0' || LowerAscii(A[i]) != B[i]) return false;
    }
    return B[i] == '\0';
}

// Spaces, tabs and line breaks all separate terms: a statement written on several lines
// or indented with tabs reads the same as on one line.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsSeparator(char c) {
    switch (c) {
    case ' ': case '\t': case '\n': case '\r':
    case '(': case ')': case '*': case '+': case ',': case '-': case '<': case '=': case '>':
        return true;
    default:
        return false;
    }
}

// Scan_SELECT calls itself for a nested SELECT; this keeps count of the live frames.
struct TScanDepthGuard {
    explicit TScanDepthGuard(int& depth) : Depth(depth) {
        if (Depth >= MaxScanDepth) throw Exception("Statement nested too deeply!");
        ++Depth;
    }
    ~TScanDepthGuard() { --Depth; }
    int& Depth;
    TScanDepthGuard(const TScanDepthGuard&) = delete;
    TScanDepthGuard& operator=(const TScanDepthGuard&) = delete;
};

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// A word of the statement's top level: outside parentheses and quoted texts or names.
struct TTopWord {
    int Pos;
    std::string Upper;
};

std::vector<TTopWord> TopLevelWords(const std::string& Text) {
    std::vector<TTopWord> words;
    const int n = static_cast<int>(Text.size());
    int depth = 0;
    int i = 0;
    while (i < n) {
        const char c = Text[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++i;
            while (i < n && Text[i] != close) ++i;
            ++i;
            continue;
        }
        if (c == '(') ++depth;
        else if (c == ')') --depth;
        if (IsWordChar(c)) {
            const int start = i;
            std::string w;
            while (i < n && IsWordChar(Text[i])) {
                const char d = Text[i];
                w += (d >= 'a' && d <= 'z') ? static_cast<char>(d - 'a' + 'A') : d;
                ++i;
            }
            if (depth == 0) words.push_back({start, std::move(w)});
            continue;
        }
        ++i;
    }
    return words;
}

bool IsLimitWord(const std::string& Upper) { return Upper == "LIMIT" || Upper == "OFFSET" || Upper == "FETCH"; }

}  // namespace

TQParser::TQParser(const std::string& Statement) : FText(Statement) {
    // Positions are Integers; a statement must be indexable by one.
    if (FText.size() > static_cast<std::size_t>(INT_MAX / 2)) throw Exception("Statement too long!");
}

std::string TQParser::GetTerm() {
    FEndOfText = false;
    bool inQuotes = false;
    const int len = static_cast<int>(FText.size());

    while (FPosition < len && IsBlank(FText[FPosition])) ++FPosition;
    if (FPosition >= len) {
        FEndOfText = true;
        return std::string();
    }

    std::string term;
    while (FPosition < len) {
        const char c = FText[FPosition];
        if (c == '"') {
            inQuotes = !inQuotes;
            ++FPosition;
            continue;
        }
        if (IsSeparator(c) && !inQuotes) {
            if (c == '(') ++FParenDepth;
            else if (c == ')') --FParenDepth;
            if (term.empty()) term.assign(1, c);
            ++FPosition;
            return term;
        }
        term += c;
        ++FPosition;
    }
    // The text ended inside the term: return it; the next call reports the end.
    return term;
}

std::string TQParser::GetNextTerm() {
    // ORDER and GROUP must be followed by BY. A term after them that is itself ORDER or
    // GROUP can never yield BY either, so the term right after them decides; reading
    // no further keeps a long run of such words from nesting calls without bound.
    std::string last = GetTerm();
    std::string result = last;
    if (SameText(last, "order")) {
        last = GetTerm();
        if (!SameText(last, "by")) throw Exception("Missing BY reserved word!");
        result += " BY";
    }
    if (SameText(last, "group")) {
        last = GetTerm();
        if (!SameText(last, "by")) throw Exception("Missing BY reserved word!");
        result += " BY";
    }
    return result;
}

TClauseKind TQParser::IsATerm(const std::string& S) const {
    if (SameText(S, "select")) return ckSELECT;
    if (SameText(S, "where")) return ckWHERE;
    if (SameText(S, "union")) return ckUNION;
    if (SameText(S, "order by")) return ckORDERBY;
    if (SameText(S, "group by")) return ckGROUPBY;
    if (SameText(S, "from")) return ckFROM;
    return ckOther;
}

void TQParser::ScanQuery() {
    // A scan that raises leaves the statement unusable for placements.
    FScanResult = TScanResult::Failed;
    FTermStart = FPosition;
    std::string term;
    do {
        term = GetNextTerm();
    } while (term.empty() && !FEndOfText);

    if (!SameText(term, "select")) {
        FScanResult = TScanResult::NotSelect;
        return;
    }
    Scan_SELECT();
    const int len = static_cast<int>(FText.size());
    if (FWhereEnd == 0) FWhereEnd = len;
    if (FOrderByEnd == 0) FOrderByEnd = len;
    FScanResult = TScanResult::Select;
}

void TQParser::Scan_SELECT() {
    TScanDepthGuard depth(FScanDepth);
    TStatementState state{ckSELECT};
    bool limited = false;  // a top-level LIMIT, OFFSET or FETCH was met

    do {
        FTermStart = FPosition;
        std::string term = GetNextTerm();
        // Everything inside parentheses (subqueries included) is skipped.
        while (FParenDepth > 0 && !FEndOfText) term = GetNextTerm();

        const bool top = FSelectNesting == 0;
        switch (IsATerm(term)) {
        case ckSELECT:
            ++FSelectNesting;
            Scan_SELECT();
            break;
        case ckFROM:
            if (!state.Contains(ckFROM)) {
                state.Include(ckFROM);
                if (top) {
                    FWhereInsertPos = FPosition;
                    FFromPos = FPosition;
                }
                break;
            }
            --FSelectNesting;
            if (FSelectNesting > 0) return;
            FWhereInsertPos = FPosition;
            FFromPos = FPosition;
            return;
        case ckWHERE:
            if (state.Contains(ckGROUPBY) || state.Contains(ckORDERBY) || state.Contains(ckHAVING)) return;
            if (top) {
                FWhereInsertPos = FPosition;
                FMissingClauses.Exclude(ckWHERE);
            }
            break;
        case ckORDERBY:
            if (state.Contains(ckORDERBY) && FSelectNesting > 0) {
                FOrderByEnd = FPosition;
                FWhereEnd = FTermStart;
                FMissingClauses.Exclude(ckORDERBY);
                return;
            }
            state.Include(ckORDERBY);
            if (top) {
                FOrderByEnd = FPosition;
                if (!state.Contains(ckGROUPBY) && !state.Contains(ckHAVING)) FWhereEnd = FTermStart;
            }
            break;
        case ckGROUPBY:
            if (state.Contains(ckGROUPBY) && FSelectNesting > 0) return;
            state.Include(ckGROUPBY);
            if (!state.Contains(ckORDERBY) && !state.Contains(ckHAVING)) FWhereEnd = FTermStart;
            break;
        case ckHAVING:
            if (state.Contains(ckHAVING) && FSelectNesting > 0) return;
            state.Include(ckHAVING);
            if (!state.Contains(ckGROUPBY) && !state.Contains(ckORDERBY)) FWhereEnd = FTermStart;
            break;
        case ckUNION:
            break;
        case ckOther:
            // LIMIT, OFFSET and FETCH end the WHERE clause when no GROUP BY, HAVING or
            // ORDER BY did, so that a condition goes before them.
            if (top && FParenDepth == 0 && !limited && (SameText(term, "limit") || SameText(term, "offset") ||
                                                        SameText(term, "fetch"))) {
                limited = true;
                if (!state.Contains(ckGROUPBY) && !state.Contains(ckORDERBY) && !state.Contains(ckHAVING))
                    FWhereEnd = FTermStart;
            }
            break;
        }
    } while (!FEndOfText);
}

void TQParser::Scan_FROM() {
    if (FFromPos == 0) FFromPos = FPosition;
    FPosition = std::min(FFromPos, static_cast<int>(FText.size()));
    std::string term;
    do {
        term = GetTerm();
    } while (!FEndOfText && !SameText(term, "where"));
}

int TQParser::ReverseScan(const std::string& S) const {
    const std::size_t n = S.size();
    const std::size_t len = FText.size();
    if (n == 0 || n >= len) return -1;  // index 0 never takes part, so S must fit after it
    for (std::size_t start = len - n; start >= 1; --start) {
        if (FText.compare(start, n, S) == 0) return static_cast<int>(start);
    }
    return -1;
}

void TQParser::RequireSelect() {
    if (FScanResult == TScanResult::NotScanned) ScanQuery();
    if (FScanResult == TScanResult::NotSelect) throw Exception("Statement does not begin with SELECT!");
    if (FScanResult != TScanResult::Select) throw Exception("Can't place the condition!");
}

void TQParser::PlaceWHERECondition(const std::string& Cond, std::string& Result) {
    RequireSelect();
    const int len = static_cast<int>(FText.size());
    std::string out;
    if (FMissingClauses.Contains(ckWHERE)) {
        // The new clause goes at the end of the FROM clause, so that every table, alias,
        // join and later part of the statement stays.
        const int at = FWhereEnd;
        if (at < 0 || at > len) throw Exception("Can't place the condition!");
        FWhereInsertPos = at;
        out.reserve(FText.size() + Cond.size() + 10);
        out.append(FText, 0, at);
        out += " WHERE (";
        out += Cond;
        out += ')';
        out.append(FText, at, std::string::npos);
    } else {
        const int from = FWhereInsertPos, to = FWhereEnd;
        // A malformed statement can leave a clause end before the WHERE; placing into
        // it would repeat part of the text.
        if (from < 0 || from > to || to > len) throw Exception("Can't place the condition!");
        out.reserve(FText.size() + Cond.size() + 12);
        out.append(FText, 0, from);
        out += '(';
        out.append(FText, from, to - from);
        out += ") AND (";
        out += Cond;
        out += ") ";
        out.append(FText, to, std::string::npos);
    }
    FText = out;
    Result = std::move(out);
}

void TQParser::PlaceOrderBYCondition(const std::string& Order, std::string& Result) {
    RequireSelect();
    // The last ORDER BY and WHERE of the statement's top level, in any case and as whole
    // words (not inside a subquery, a quoted text or a longer word), and the first
    // LIMIT, OFFSET or FETCH after them: the sort keys go before that one.
    const std::vector<TTopWord> words = TopLevelWords(FText);
    int o = -1, w = -1, limit = -1;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].Upper == "ORDER" && i + 1 < words.size() && words[i + 1].Upper == "BY") o = words[i].Pos;
        else if (words[i].Upper == "WHERE") w = words[i].Pos;
    }
    for (const TTopWord& word : words)
        if (word.Pos > o && word.Pos > w && IsLimitWord(word.Upper)) {
            limit = word.Pos;
            break;
        }
    // The keys go after the last term before that LIMIT; the blanks that stood before it
    // stay, so the text only grows and every position read from it stays inside it.
    std::string out;
    std::string tail;
    if (limit < 0) {
        out = FText;
    } else {
        int end = limit;
        while (end > 0 && IsBlank(FText[end - 1])) --end;
        out = FText.substr(0, end);
        tail = (end == limit ? " " : "") + FText.substr(end);
    }
    if (o == -1 || w > o) {
        out += " ORDER BY ";
    } else {
        out += ',';
    }
    out += Order;
    out += tail;
    FText = out;
    Result = std::move(out);
}

}  // namespace korin
