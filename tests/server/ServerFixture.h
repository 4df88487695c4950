#pragma once
// Shared set-up of the server tests: the private cluster's connection string, a raw
// second connection for writing and checking behind the datasets' backs, and a fixture
// giving each test an empty schema of its own.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <string>

#include "korin/platform/db/ADODB.h"

namespace korin {

// The connection string of the test cluster: the one the test run started (its folder
// is given by the build), or else one this program starts for itself and stops at exit.
const std::string& ServerConnInfo();

// Runs SQL on its own connection.
class TRawPg {
public:
    explicit TRawPg(const std::string& ConnInfo);
    ~TRawPg();
    TRawPg(const TRawPg&) = delete;
    TRawPg& operator=(const TRawPg&) = delete;
    void Exec(const std::string& SQL);
    // Rows as "a|b|c" lines joined with "\n"; NULL shows as "<null>".
    std::string Rows(const std::string& SQL);
    int BackendPID() const { return PQbackendPID(FConn); }

private:
    PGconn* FConn = nullptr;
};

// Each test gets a fresh schema "korin_test" (dropped with everything in it first) that
// its connections use, a raw connection Raw and a connected TADOConnection Conn.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The connection string with the test schema as search path.
    static std::string ConnInfo();

    std::unique_ptr<TRawPg> Raw;
    std::unique_ptr<TComponent> Owner;
    TADOConnection* Conn = nullptr;
};

}  // namespace korin
