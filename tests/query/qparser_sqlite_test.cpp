// The clause scanner against SQLite: every statement of the corpus, rewritten with a
// condition and a sort key, must prepare and return exactly the rows of the original
// filtered by that condition, in the new order.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "korin/query/Qparser.h"

using namespace korin;

namespace {

using Rows = std::vector<std::vector<std::string>>;

class Db {
public:
    Db() {
        EXPECT_EQ(sqlite3_open(":memory:", &FDb), SQLITE_OK);
        Exec(R"(
CREATE TABLE cust(id INTEGER PRIMARY KEY, name TEXT, city TEXT, age INTEGER, balance REAL);
INSERT INTO cust VALUES (1,'Anna','Paris',34,120.5),(2,'Boris','Oslo',27,-5),(3,'Chen','New York',45,300),
  (4,'Dana','Paris',22,0),(5,'Emil','Oslo',51,80),(6,'Fay','New York',38,NULL),(7,'Gus','Rome',29,15),
  (8,'Hana','Paris',41,220);
CREATE TABLE orders(id INTEGER PRIMARY KEY, cust_id INTEGER, amount REAL, odate TEXT, note TEXT);
INSERT INTO orders VALUES (1,1,25.0,'2024-01-05','rush, fragile'),(2,1,140.0,'2024-02-11',NULL),
  (3,2,12.5,'2024-02-20','a-b'),(4,3,310.0,'2024-03-01','k=v <x>'),(5,3,95.0,'2024-03-15','x*y+z'),
  (6,5,60.0,'2024-04-02','it''s ok'),(7,5,7.0,'2024-05-09','rush, fragile'),(8,7,180.0,'2024-06-30','a-b'),
  (9,8,42.0,'2024-07-04','n/a'),(10,8,99.0,'2024-08-12',NULL),(11,3,3.0,'2024-09-01','k=v <x>'),
  (12,1,55.0,'2024-10-10','note (1)');
CREATE TABLE staff(id INTEGER PRIMARY KEY, name TEXT, dept TEXT, salary INTEGER);
INSERT INTO staff VALUES (1,'Anna','Sales',3000),(2,'Ivan','IT',4200),(3,'Jo','IT',3900),(4,'Kim','Sales',2800),
  (5,'Lee','HR',3100);
CREATE TABLE "Order Lines"("Order No" INTEGER, "Line No" INTEGER, product TEXT, qty INTEGER);
INSERT INTO "Order Lines" VALUES (1,1,'Nuts, Bolts',3),(1,2,'Washers',1),(2,1,'Gears',2),(4,1,'Nuts, Bolts',5),
  (4,2,'Springs',1),(5,1,'Gears',4),(8,1,'Washers',2),(10,1,'Springs',6);
)");
    }
    ~Db() { sqlite3_close(FDb); }

    void Exec(const std::string& sql) {
        char* err = nullptr;
        ASSERT_EQ(sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    }

    // The rows of a query as text ("NULL" for null); an error message when it does not prepare.
    bool Query(const std::string& sql, Rows& rows, std::string& error) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(FDb, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(FDb);
            return false;
        }
        rows.clear();
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const unsigned char* t = sqlite3_column_text(stmt, i);
                row.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            error = sqlite3_errmsg(FDb);
            return false;
        }
        return true;
    }

private:
    sqlite3* FDb = nullptr;
};

struct Case {
    std::string sql;
    std::string cond, order;            // as placed into the statement
    std::string outerCond, outerOrder;  // the same over the statement's result columns
};

// outerCond empty: the condition reads the same over the result columns.
const std::vector<Case>& Corpus() {
    static const std::vector<Case> corpus = {
        {"SELECT * FROM cust", "age>30", "id", "", "id"},
        {"SELECT id, name, city FROM cust", "city = 'Paris'", "name", "", "name"},
        {"SELECT * FROM cust WHERE age > 30", "city <> 'Oslo'", "id DESC", "", "id DESC"},
        {"SELECT * FROM cust WHERE city = 'Paris' OR age < 25", "balance > 10", "id", "", "id"},
        {"SELECT * FROM cust ORDER BY city", "age < 50", "id", "", "city, id"},
        {"SELECT * FROM cust WHERE balance IS NOT NULL ORDER BY balance DESC", "age BETWEEN 25 AND 45", "id", "",
         "balance DESC, id"},
        {"SELECT c.id, c.name FROM cust c", "c.id > 3", "c.name", "id > 3", "name"},
        {"SELECT c.id AS cid, c.name AS cname FROM cust AS c", "c.name LIKE '%a%'", "c.id", "cname LIKE '%a%'", "cid"},
        {"SELECT c.name AS cname, o.amount FROM cust c JOIN orders o ON o.cust_id = c.id", "o.amount > 50",
         "o.amount, c.name", "amount > 50", "amount, cname"},
        {"SELECT c.name AS cname, c.city, o.id AS oid, o.amount FROM cust c INNER JOIN orders o ON c.id = o.cust_id "
         "WHERE o.amount >= 20",
         "c.city = 'Paris'", "o.id", "city = 'Paris'", "oid"},
        {"SELECT c.id AS cid, c.name, o.id AS oid FROM cust c LEFT JOIN orders o ON o.cust_id = c.id", "c.id <= 6",
         "c.id, o.id", "cid <= 6", "cid, oid"},
        {"SELECT c.name, o.amount, o.id AS oid FROM cust c, orders o WHERE o.cust_id = c.id", "o.amount < 100", "o.id",
         "amount < 100", "oid"},
        {"SELECT c.name AS cname, o.id AS oid, l.product, l.qty FROM cust c JOIN orders o ON o.cust_id = c.id "
         "JOIN \"Order Lines\" l ON l.\"Order No\" = o.id",
         "l.qty > 1", "o.id, l.product", "qty > 1", "oid, product"},
        {"SELECT a.name AS n1, b.name AS n2 FROM cust a JOIN cust b ON a.city = b.city AND a.id < b.id",
         "a.name <> 'Anna'", "a.name, b.name", "n1 <> 'Anna'", "n1, n2"},
        {"SELECT * FROM cust WHERE id IN (SELECT cust_id FROM orders WHERE amount > 100)", "age > 30", "name", "",
         "name"},
        {"SELECT * FROM cust WHERE id NOT IN (SELECT cust_id FROM orders)", "city = 'Paris' OR age > 40", "id", "",
         "id"},
        {"SELECT name, city FROM cust c WHERE EXISTS (SELECT 1 FROM orders o WHERE o.cust_id = c.id AND o.amount > 90)",
         "c.city <> 'Rome'", "c.name", "city <> 'Rome'", "name"},
        {"SELECT * FROM (SELECT id, name, age FROM cust WHERE age > 25) AS s", "s.age < 45", "s.id", "age < 45", "id"},
        {"SELECT * FROM (SELECT id, name FROM cust ORDER BY name) s", "id > 2", "id DESC", "", "id DESC"},
        {"SELECT name, (SELECT COUNT(*) FROM orders o WHERE o.cust_id = c.id) AS n FROM cust c", "c.name < 'G'",
         "n, name", "name < 'G'", "n, name"},
        {"SELECT city, COUNT(*) AS n FROM cust GROUP BY city", "city <> 'Rome'", "city", "", "city"},
        {"SELECT city, COUNT(*) AS n, SUM(balance) AS total FROM cust GROUP BY city HAVING COUNT(*) > 1",
         "city IN ('Paris', 'Oslo', 'Rome')", "n DESC, city", "", "n DESC, city"},
        {"SELECT city, AVG(age) AS avg_age FROM cust GROUP BY city ORDER BY avg_age DESC", "city LIKE '%o%'", "city",
         "", "avg_age DESC, city"},
        {"SELECT cust_id, SUM(amount) AS total FROM orders WHERE amount > 10 GROUP BY cust_id HAVING SUM(amount) > 50 "
         "ORDER BY total",
         "cust_id <> 3", "cust_id", "", "total, cust_id"},
        {"SELECT DISTINCT city FROM cust", "city <> 'Paris'", "city", "", "city"},
        {"SELECT \"Order No\", \"Line No\", product FROM \"Order Lines\"", "\"Line No\" = 1", "\"Order No\"", "",
         "\"Order No\""},
        {"SELECT * FROM \"Order Lines\" WHERE product <> 'Nuts, Bolts'", "qty >= 2", "\"Order No\", \"Line No\"", "",
         "\"Order No\", \"Line No\""},
        {"SELECT * FROM orders WHERE note = 'rush, fragile' OR note LIKE '%a-b%'", "amount > 10", "id", "", "id"},
        {"SELECT id, note FROM orders WHERE note <> 'k=v <x>'", "id > 2", "id DESC", "", "id DESC"},
        {"SELECT id, 'x * y + z' AS label, amount FROM orders", "amount < 200", "id", "", "id"},
        {"SELECT id, amount * 2 AS dbl, amount + 1 AS inc, amount - 1 AS decr FROM orders", "amount * 2 > 100", "id",
         "dbl > 100", "id"},
        {"SELECT name, CASE WHEN age > 40 THEN 'senior' ELSE 'junior' END AS grp FROM cust", "name <> 'Boris'",
         "grp, name", "", "grp, name"},
        {"SELECT UPPER(name) AS uname, LENGTH(city) AS len FROM cust", "LENGTH(city) > 4", "uname", "len > 4",
         "uname"},
        {"SELECT id, COALESCE(balance, 0) AS bal FROM cust WHERE COALESCE(balance, 0) >= 0", "id < 8", "bal DESC, id",
         "", "bal DESC, id"},
        {"SELECT * FROM orders WHERE amount BETWEEN 10 AND 150", "cust_id IN (1, 2, 3)", "amount", "", "amount"},
        {"SELECT * FROM cust WHERE balance > -10", "age < 40", "id", "", "id"},
        {"select id, name from cust where age > 30", "id <> 5", "name", "", "name"},
        {"Select Name, City From Cust", "City = 'New York'", "Name", "", "Name"},
        {"SELECT * FROM (SELECT name FROM cust UNION SELECT name FROM staff) AS u", "name < 'H'", "name", "", "name"},
        {"SELECT * FROM staff WHERE name IN (SELECT name FROM cust UNION ALL SELECT 'Ivan')", "salary > 3500", "id", "",
         "id"},
        {"SELECT dept, total FROM (SELECT dept, SUM(salary) AS total FROM staff GROUP BY dept UNION SELECT 'Cust', "
         "COUNT(*) FROM cust) t",
         "total > 10", "dept", "", "dept"},
        {"SELECT * FROM cust WHERE city IN ('Paris', 'Rome')", "age > 30", "age", "", "age"},
        {"SELECT id, odate FROM orders WHERE odate >= '2024-02-01'", "odate < '2024-06-01'", "odate, id", "",
         "odate, id"},
        {"SELECT * FROM cust WHERE balance IS NULL OR balance < 100", "id > 4", "id", "", "id"},
        {"SELECT * FROM orders WHERE amount > 5 ORDER BY cust_id DESC", "note IS NOT NULL", "id", "",
         "cust_id DESC, id"},
        {"SELECT * FROM staff WHERE salary > (SELECT AVG(salary) FROM staff)", "name <> 'Jo'", "id", "", "id"},
        {"SELECT c.name AS cname, t.total FROM cust c JOIN (SELECT cust_id, SUM(amount) AS total FROM orders GROUP BY "
         "cust_id) t ON t.cust_id = c.id",
         "t.total > 100", "c.name", "total > 100", "cname"},
        {"SELECT l.\"Order No\" AS ono, l.product, l.qty FROM \"Order Lines\" AS l", "l.qty > 1", "ono, l.product",
         "qty > 1", "ono, product"},
        {"SELECT o.id, o.note FROM orders o WHERE o.note LIKE '%(%' OR o.note = 'it''s ok'", "o.id > 6", "o.id DESC",
         "id > 6", "id DESC"},
        {"SELECT id, name, salary FROM staff WHERE dept = 'IT' OR dept = 'HR' ORDER BY salary DESC", "name <> 'Jo'",
         "id", "", "salary DESC, id"},
    };
    return corpus;
}

}  // namespace

TEST(QParserSqlite, RewrittenStatementsReturnTheFilteredRowsInTheNewOrder) {
    Db db;
    ASSERT_GE(Corpus().size(), 40u);
    for (const Case& c : Corpus()) {
        SCOPED_TRACE(c.sql);
        Rows original, rewritten, expected;
        std::string error;
        ASSERT_TRUE(db.Query(c.sql, original, error)) << error;

        TQParser p(c.sql);
        p.ScanQuery();
        std::string withWhere, withOrder;
        p.PlaceWHERECondition(c.cond, withWhere);
        p.PlaceOrderBYCondition(c.order, withOrder);
        ASSERT_TRUE(db.Query(withOrder, rewritten, error)) << withOrder << ": " << error;

        const std::string outerCond = c.outerCond.empty() ? c.cond : c.outerCond;
        const std::string oracle = "SELECT * FROM (" + c.sql + ") WHERE " + outerCond + " ORDER BY " + c.outerOrder;
        ASSERT_TRUE(db.Query(oracle, expected, error)) << oracle << ": " << error;
        EXPECT_EQ(rewritten, expected) << withOrder;
        // The condition must actually restrict something, or the case proves little.
        EXPECT_LT(expected.size(), original.size()) << c.cond;
        EXPECT_FALSE(expected.empty()) << c.cond;
    }
}
