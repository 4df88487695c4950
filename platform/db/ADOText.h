#pragma once
// Reading SQL texts the way the server does, for the connection layer.
#include <string>
#include <vector>

namespace korin {

namespace adosql {

// Replaces each ":name" parameter of an SQL text with "$n" (the same n for every use of a
// name, case-insensitively), skipping quoted texts and identifiers, dollar-quoted texts,
// comments and "::" casts. Names receives the names in order of first use.
std::string NumberParameters(const std::string& SQL, std::vector<std::string>& Names);

// Raises EDatabaseError "Invalid filter expression: ..." unless the filter is one
// expression: balanced parentheses and no ";" outside quotes and comments.
void CheckFilter(const std::string& Filter);

// The text without surrounding blanks and trailing ";"s.
std::string StatementText(const std::string& SQL);

}  // namespace adosql

}  // namespace korin
