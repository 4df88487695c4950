#include "tests/server/ServerFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>


namespace korin {

namespace {

std::string ReadFile(const std::string& Path)
{
    std::ifstream in(Path);
    std::string line;
    std::getline(in, line);
    return line;
}

// A cluster this program started itself (when run outside the test command).
struct TOwnCluster {
    std::string Dir;
    ~TOwnCluster()
    {
        if (!Dir.empty())
            std::system((std::string(KORIN_PG_CLUSTER_SCRIPT) + " stop '" + Dir + "' >/dev/null 2>&1").c_str());
    }
};

}  // namespace

const std::string& ServerConnInfo()
{
    static TOwnCluster own;
    static const std::string info = [] {
        std::string s = ReadFile(std::string(KORIN_PG_CLUSTER_DIR) + "/conninfo");
        if (!s.empty())
            return s;
        char tmpl[] = "/tmp/korin-server-test.XXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("cannot make a folder for the test cluster");
        own.Dir = tmpl;
        std::string cmd = std::string(KORIN_PG_CLUSTER_SCRIPT) + " start '" + own.Dir + "' >/dev/null";
        if (std::system(cmd.c_str()) != 0)
            throw std::runtime_error("cannot start the test cluster");
        return ReadFile(own.Dir + "/conninfo");
    }();
    return info;
}

TRawPg::TRawPg(const std::string& ConnInfo)
{
    FConn = PQconnectdb(ConnInfo.c_str());
    if (PQstatus(FConn) != CONNECTION_OK)
        throw std::runtime_error(PQerrorMessage(FConn));
}

TRawPg::~TRawPg() { PQfinish(FConn); }

void TRawPg::Exec(const std::string& SQL)
{
    PGresult* r = PQexec(FConn, SQL.c_str());
    ExecStatusType st = PQresultStatus(r);
    std::string err = PQresultErrorMessage(r);
    PQclear(r);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        throw std::runtime_error(err);
}

std::string TRawPg::Rows(const std::string& SQL)
{
    PGresult* r = PQexec(FConn, SQL.c_str());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::string err = PQresultErrorMessage(r);
        PQclear(r);
        throw std::runtime_error(err);
    }
    std::string out;
    for (int i = 0; i < PQntuples(r); ++i) {
        if (i)
            out += "\n";
        for (int c = 0; c < PQnfields(r); ++c) {
            if (c)
                out += "|";
            out += PQgetisnull(r, i, c) ? "<null>" : PQgetvalue(r, i, c);
        }
    }
    PQclear(r);
    return out;
}

std::string ServerTest::ConnInfo() { return ServerConnInfo() + " options='-c search_path=korin_test'"; }

void ServerTest::SetUp()
{
    Raw = std::make_unique<TRawPg>(ConnInfo());
    Raw->Exec("SET client_min_messages = warning; DROP SCHEMA IF EXISTS korin_test CASCADE; CREATE SCHEMA korin_test");
    Owner = std::make_unique<TComponent>(nullptr);
    Conn = new TADOConnection(Owner.get());
    Conn->SetConnectionString(ConnInfo());
    Conn->Open();
}

void ServerTest::TearDown()
{
    Owner.reset();
    Raw.reset();
}

}  // namespace korin
