#pragma once
// The demo on a database server: the sample data loaded into a PostgreSQL database, the
// demo form's tables read from the server, and a window on a large table that shows its
// fetch progress in both status bars.
#include <string>

namespace korin {

class TForm;

// Rows of the large table the demo loads on the server.
constexpr int kServerReadings = 500000;

// Runs the demo on the server ConnInfo (a libpq connection string). SampleDb is the
// embedded sample database whose rows are copied to the server when its tables are not
// there yet. Touring runs the scripted tour and writes its screenshots into Shots;
// otherwise the windows stay open for people. Returns the process exit code.
int RunServerDemo(const std::string& ConnInfo, const std::string& SampleDb, bool Touring, const std::string& Shots);

}  // namespace korin
