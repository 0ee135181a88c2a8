#include "tests/gis/SqlRows.h"

std::vector<std::string> SqlRows(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return {std::string("SQL error: ") + sqlite3_errmsg(db)};
  }
  std::vector<std::string> rows;
  while (sqlite3_step(s) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      const unsigned char* text = sqlite3_column_text(s, c);
      row += (c ? " " : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(s);
  return rows;
}

std::vector<std::string> SqlRowsOfFile(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::vector<std::string> rows =
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
          ? SqlRows(db, sql)
          : std::vector<std::string>{std::string("SQL error: ") + sqlite3_errmsg(db)};
  sqlite3_close(db);
  return rows;
}
