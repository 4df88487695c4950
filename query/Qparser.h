#pragma once
// TQParser: a small scanner for one SQL SELECT statement held as text.
//
// It builds no syntax tree. It walks the statement term by term, notes where the
// top-level FROM, WHERE, GROUP BY and ORDER BY clauses begin and end, and then rewrites
// the text to add a condition to the WHERE clause or sort keys to the ORDER BY clause.
// The query command merges the condition and sort order composed by the user into a
// dataset's SQL with it.
//
// Calling order: construct, ScanQuery, then PlaceWHERECondition and/or
// PlaceOrderBYCondition. Every position is a byte index (from 0) into Text().
#include <cstdint>
#include <initializer_list>
#include <string>

#include "korin/platform/core/Object.h"

namespace korin {

// Clause keywords, in this order.
enum TClauseKind { ckSELECT, ckFROM, ckWHERE, ckORDERBY, ckGROUPBY, ckUNION, ckHAVING, ckOther };

// A set of clause kinds (bit i for ordinal i).
class TClauseKinds {
public:
    constexpr TClauseKinds() = default;
    constexpr TClauseKinds(std::initializer_list<TClauseKind> kinds) {
        for (TClauseKind k : kinds) Include(k);
    }
    constexpr bool Contains(TClauseKind k) const { return (FBits & Bit(k)) != 0; }
    constexpr void Include(TClauseKind k) { FBits = static_cast<std::uint8_t>(FBits | Bit(k)); }
    constexpr void Exclude(TClauseKind k) { FBits = static_cast<std::uint8_t>(FBits & ~Bit(k)); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TClauseKinds&) const = default;

private:
    static constexpr std::uint8_t Bit(TClauseKind k) { return static_cast<std::uint8_t>(1u << k); }
    std::uint8_t FBits = 0;
};

// The clauses already met at the current SELECT level (one run of Scan_SELECT).
using TStatementState = TClauseKinds;
// The clauses the statement lacks; starts as [ckWHERE, ckORDERBY].
using TMissingClauses = TClauseKinds;

class TQParser : public TObject {
public:
    // Takes a copy of the statement; every position and counter starts at 0.
    explicit TQParser(const std::string& Statement);
    ~TQParser() override = default;

    // The next term, with the keyword pairs ORDER BY and GROUP BY joined into one term
    // ("ORDER BY" as written plus " BY"). Raises Exception "Missing BY reserved word!"
    // when ORDER or GROUP is not followed by BY.
    virtual std::string GetNextTerm();
    // The next raw term. Spaces, tabs and line breaks separate terms; ( ) * + , - < = >
    // end a term and are returned as a one-character term only when they start one;
    // double quotes group a term and are dropped; every other byte (single quotes
    // included) is part of a term.
    virtual std::string GetTerm();
    // The clause keyword a term stands for (without regard to case); HAVING is ckOther.
    virtual TClauseKind IsATerm(const std::string& S) const;
    // Scans one SELECT level; calls itself for a nested SELECT.
    virtual void Scan_SELECT();
    // Sets the FROM position when it is still 0, moves there and reads terms up to
    // WHERE or the end of the text.
    virtual void Scan_FROM();
    // Index of the last occurrence of S in the text (bytes, case matters), or -1. An
    // occurrence that starts at index 0 is never found.
    virtual int ReverseScan(const std::string& S) const;
    // Scans the whole statement and fills the positions. A statement whose first term
    // is not SELECT is left unscanned.
    virtual void ScanQuery();
    // Adds Cond to the WHERE clause: "(old condition) AND (Cond) " when the statement
    // has a top-level WHERE, else " WHERE (Cond)" at the end of the FROM clause (before
    // GROUP BY / HAVING / ORDER BY / LIMIT / OFFSET / FETCH). Result is the new statement, which also becomes Text().
    // Raises Exception when the statement does not begin with SELECT, or when its scan
    // failed or found clause ends out of order (then Text() and Result stay as they were).
    virtual void PlaceWHERECondition(const std::string& Cond, std::string& Result);
    // Adds Order to the last top-level ORDER BY of the text (",Order"), or " ORDER BY
    // Order" when there is none or a WHERE follows it. ORDER BY and WHERE are found in
    // any case, as whole words, outside subqueries and quoted texts. The keys go at the
    // end of the statement, or before its top-level LIMIT, OFFSET or FETCH. Result also
    // becomes Text(). Raises Exception when the statement does not begin with SELECT.
    virtual void PlaceOrderBYCondition(const std::string& Order, std::string& Result);

    // Scanner state, readable for callers and descendants.
    bool EndOfText() const { return FEndOfText; }
    TMissingClauses MissingClauses() const { return FMissingClauses; }
    const std::string& Text() const { return FText; }
    int Position() const { return FPosition; }
    void SetPosition(int Value) { FPosition = Value; }
    int TermStart() const { return FTermStart; }
    int WhereInsertPos() const { return FWhereInsertPos; }
    int FromPos() const { return FFromPos; }
    int WhereEnd() const { return FWhereEnd; }
    int OrderByEnd() const { return FOrderByEnd; }
    int ParenDepth() const { return FParenDepth; }
    int SelectNesting() const { return FSelectNesting; }

protected:
    bool FEndOfText = false;
    TMissingClauses FMissingClauses{ckWHERE, ckORDERBY};
    std::string FText;
    int FPosition = 0;
    int FTermStart = 0;
    int FWhereInsertPos = 0;
    int FFromPos = 0;
    int FWhereEnd = 0;
    int FOrderByEnd = 0;
    int FParenDepth = 0;
    int FSelectNesting = 0;

private:
    // Placements need a scanned SELECT statement; scans on first use.
    void RequireSelect();
    enum class TScanResult { NotScanned, Failed, NotSelect, Select };
    TScanResult FScanResult = TScanResult::NotScanned;
    int FScanDepth = 0;  // live Scan_SELECT frames
};

}  // namespace korin
