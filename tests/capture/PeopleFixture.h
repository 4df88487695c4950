#pragma once
// The capture fixture with one more table, people (id, name, city), whose names are
// made for prefix searches: several begin with "sm" in mixed case, some with letters
// outside ASCII. Rows in id order:
//   1 Adams, 2 Baker, 3 smart, 4 Smythe, 5 SMILEY, 6 Smith, 7 Øberg, 8 Ørsted,
//   9 Zola, 10 日本橋
#include <string>
#include <vector>

#include "tests/capture/CaptureFixture.h"

namespace korin {

class PeopleTest : public CaptureTest {
protected:
    void SetUp() override
    {
        CaptureTest::SetUp();
        {
            TRawSql raw(Path);
            std::string sql = "BEGIN; CREATE TABLE people(id INTEGER PRIMARY KEY, name TEXT, city TEXT);";
            const std::vector<std::string> names = PeopleNames();
            for (size_t i = 0; i < names.size(); ++i)
                sql += "INSERT INTO people VALUES (" + std::to_string(i + 1) + ",'" + names[i] + "','Town" +
                       std::to_string(i % 3) + "');";
            sql += "COMMIT;";
            raw.Exec(sql);
        }
        People = OpenTable("people");
        PeopleSrc = new TDataSource(Form.get());
        PeopleSrc->SetDataSet(People);
    }
    static std::vector<std::string> PeopleNames()
    {
        return {"Adams", "Baker", "smart", "Smythe", "SMILEY", "Smith", "Øberg", "Ørsted", "Zola", "日本橋"};
    }
    std::string Name() { return People->FieldByName("name")->AsString(); }
    // Types text as one burst: every key and character is queued before any is handled.
    void TypeAll(const std::string& Text)
    {
        input.Type(Text);
        Run();
    }

    TTable* People = nullptr;
    TDataSource* PeopleSrc = nullptr;
};

}  // namespace korin
