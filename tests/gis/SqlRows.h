// The rows of an SQL query through the sqlite3 library, for checking GeoPackages and R-trees
// directly: each row its columns' text joined by blanks ("NULL" for none). A database or
// query that cannot be used gives the one row "SQL error: " and SQLite's message.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

std::vector<std::string> SqlRows(sqlite3* db, const std::string& sql);
// The same on a database file, opened read-only.
std::vector<std::string> SqlRowsOfFile(const std::string& file, const std::string& sql);
