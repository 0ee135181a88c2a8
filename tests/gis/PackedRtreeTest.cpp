// The packed R-tree against SQLite's own R-tree module: the same envelopes inserted row by
// row by the module into one table and packed into another must give a tree that the
// module's rtreecheck() accepts, the same rows, the same answers to window queries, and that
// the module keeps right through later deletes and inserts.
#include "gis/PackedRtree.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/gis/SqlRows.h"

namespace {

class Db {
 public:
  explicit Db(int pageSize) {
    sqlite3_open(":memory:", &db_);
    Exec("PRAGMA page_size = " + std::to_string(pageSize));
    Exec("CREATE VIRTUAL TABLE packed USING rtree(id, minx, maxx, miny, maxy)");
    Exec("CREATE VIRTUAL TABLE module USING rtree(id, minx, maxx, miny, maxy)");
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void Exec(const std::string& sql) {
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
        << sql << ": " << (message ? message : "");
    sqlite3_free(message);
  }

  // The rows of one column of a query, as text.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> rows = SqlRows(db_, sql);
    EXPECT_TRUE(rows.empty() || rows[0].rfind("SQL error: ", 0) != 0) << sql << ": " << rows[0];
    return rows;
  }

  int NodeBytes() { return std::stoi(Column("SELECT length(data) FROM packed_node")[0]); }

  void InsertThroughModule(const std::vector<FeatureEnvelope>& envelopes) {
    Exec("BEGIN");
    for (const FeatureEnvelope& e : envelopes)
      Insert("module", e);
    Exec("COMMIT");
  }

  void Insert(const std::string& table, const FeatureEnvelope& e) {
    sqlite3_stmt* s = nullptr;
    const std::string sql = "INSERT INTO " + table + " VALUES (?, ?, ?, ?, ?)";
    ASSERT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK);
    sqlite3_bind_int64(s, 1, e.id);
    sqlite3_bind_double(s, 2, e.minX);
    sqlite3_bind_double(s, 3, e.maxX);
    sqlite3_bind_double(s, 4, e.minY);
    sqlite3_bind_double(s, 5, e.maxY);
    EXPECT_EQ(sqlite3_step(s), SQLITE_DONE);
    sqlite3_finalize(s);
  }

  void WritePacked(const PackedRtree& tree) {
    Exec("BEGIN; DELETE FROM packed_node; DELETE FROM packed_rowid; DELETE FROM packed_parent");
    for (std::size_t k = 0; k < tree.nodes.size(); ++k) {
      sqlite3_stmt* s = nullptr;
      sqlite3_prepare_v2(db_, "INSERT INTO packed_node VALUES (?, ?)", -1, &s, nullptr);
      sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(k + 1));
      sqlite3_bind_blob(s, 2, tree.nodes[k].data(), static_cast<int>(tree.nodes[k].size()),
                        SQLITE_STATIC);
      EXPECT_EQ(sqlite3_step(s), SQLITE_DONE);
      sqlite3_finalize(s);
    }
    for (const auto& [id, node] : tree.leafOf)
      Exec("INSERT INTO packed_rowid VALUES (" + std::to_string(id) + ", " + std::to_string(node) +
           ")");
    for (const auto& [node, parent] : tree.parentOf)
      Exec("INSERT INTO packed_parent VALUES (" + std::to_string(node) + ", " +
           std::to_string(parent) + ")");
    Exec("COMMIT");
  }

  std::vector<std::string> Window(const std::string& table, double x0, double x1, double y0,
                                  double y1) {
    std::vector<std::string> ids;
    for (const std::vector<double>& row :
         Numbers("SELECT id FROM " + table +
                     " WHERE minx <= ?1 AND maxx >= ?2 AND miny <= ?3 AND maxy >= ?4 ORDER BY id",
                 {x1, x0, y1, y0}))
      ids.push_back(std::to_string(static_cast<long long>(row[0])));
    return ids;
  }

  // The rows of a query as numbers, with `parameters` bound in order.
  std::vector<std::vector<double>> Numbers(const std::string& sql,
                                           const std::vector<double>& parameters = {}) {
    std::vector<std::vector<double>> rows;
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    for (std::size_t k = 0; k < parameters.size(); ++k)
      sqlite3_bind_double(s, static_cast<int>(k + 1), parameters[k]);
    while (s && sqlite3_step(s) == SQLITE_ROW) {
      std::vector<double> row;
      for (int c = 0; c < sqlite3_column_count(s); ++c)
        row.push_back(sqlite3_column_double(s, c));
      rows.push_back(row);
    }
    sqlite3_finalize(s);
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Envelopes on a grid of halves below 2^20: floats hold them exactly, so the module's
// rounding and the packer's cannot differ and both tables must hold the same numbers.
std::vector<FeatureEnvelope> ExactEnvelopes(std::size_t n, std::mt19937& random) {
  std::uniform_int_distribution<int> corner(0, 400000), size(0, 300);
  std::vector<FeatureEnvelope> envelopes;
  for (std::size_t k = 0; k < n; ++k) {
    const double x = corner(random) / 2.0, y = corner(random) / 2.0;
    envelopes.push_back({static_cast<std::int64_t>(3 * k + 7), x, x + size(random) / 2.0, y,
                         y + size(random) / 2.0});
  }
  return envelopes;
}

struct SizeCase {
  const char* name;
  int pageSize;  // 512: nodes of 18 cells, so a few thousand rows make a deep tree
  std::size_t rows;
};

TEST(PackedRtree, AgreesWithSqlitesOwnModule) {
  const SizeCase cases[] = {
      {"no rows", 512, 0},           {"one row", 512, 1},
      {"one full leaf", 512, 18},    {"one row over a leaf", 512, 19},
      {"two full levels", 512, 324}, {"one row over two levels", 512, 325},
      {"four levels", 512, 6000},    {"nodes of a 4 KB page", 4096, 20000},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 random(static_cast<unsigned>(c.rows) + 1);
    Db db(c.pageSize);
    const std::vector<FeatureEnvelope> envelopes = ExactEnvelopes(c.rows, random);
    db.InsertThroughModule(envelopes);
    const PackedRtree tree = PackRtree(envelopes, db.NodeBytes());
    db.WritePacked(tree);
    EXPECT_EQ(db.Column("SELECT rtreecheck('packed')"), std::vector<std::string>{"ok"});
    EXPECT_EQ(db.Column("SELECT * FROM packed ORDER BY id"),
              db.Column("SELECT * FROM module ORDER BY id"));
    std::uniform_real_distribution<double> at(-1000, 201000), size(0, 20000);
    for (int q = 0; q < 50; ++q) {
      const double x = at(random), y = at(random), w = size(random), h = size(random);
      ASSERT_EQ(db.Window("packed", x, x + w, y, y + h), db.Window("module", x, x + w, y, y + h));
    }
    // The module keeps the packed tree from here on: half the rows go, new ones come.
    db.Exec("BEGIN");
    for (std::size_t k = 0; k < envelopes.size(); k += 2) {
      db.Exec("DELETE FROM packed WHERE id = " + std::to_string(envelopes[k].id));
      db.Exec("DELETE FROM module WHERE id = " + std::to_string(envelopes[k].id));
    }
    for (FeatureEnvelope e : ExactEnvelopes(c.rows / 3 + 1, random)) {
      e.id = -e.id;
      db.Insert("packed", e);
      db.Insert("module", e);
    }
    db.Exec("COMMIT");
    EXPECT_EQ(db.Column("SELECT rtreecheck('packed')"), std::vector<std::string>{"ok"});
    EXPECT_EQ(db.Column("SELECT * FROM packed ORDER BY id"),
              db.Column("SELECT * FROM module ORDER BY id"));
  }
}

// Coordinates that floats do not hold: each stored bound is the nearest float outside the
// envelope, so the index never misses a feature and adds as little as it can.
TEST(PackedRtree, BoundsAreTheNearestEnclosingFloats) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> easting(7.45e6, 7.46e6), northing(5.56e6, 5.57e6),
      size(0, 50);
  std::vector<FeatureEnvelope> envelopes;
  for (std::int64_t id = 1; id <= 3000; ++id) {
    const double x = easting(random), y = northing(random);
    envelopes.push_back({id, x, x + size(random), y, y + size(random)});
  }
  envelopes.push_back({3001, -0.1, 0.1, -1e-30, 1e-30});  // both signs and a tiny value
  Db db(4096);
  db.WritePacked(PackRtree(envelopes, db.NodeBytes()));
  EXPECT_EQ(db.Column("SELECT rtreecheck('packed')"), std::vector<std::string>{"ok"});
  const std::vector<std::vector<double>> rows = db.Numbers("SELECT * FROM packed ORDER BY id");
  ASSERT_EQ(rows.size(), envelopes.size());
  const float inf = std::numeric_limits<float>::infinity();
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const FeatureEnvelope& e = envelopes[k];
    ASSERT_EQ(rows[k].size(), 5u);
    const double id = rows[k][0], minX = rows[k][1], maxX = rows[k][2], minY = rows[k][3],
                 maxY = rows[k][4];
    EXPECT_EQ(id, static_cast<double>(e.id));
    // Stored floats come back as doubles: at or outside the bound, and the next float
    // inwards would be inside it.
    const auto below = [&](double stored, double bound) {
      EXPECT_LE(stored, bound) << e.id;
      EXPECT_GT(static_cast<double>(std::nextafter(static_cast<float>(stored), inf)), bound)
          << e.id;
    };
    const auto above = [&](double stored, double bound) {
      EXPECT_GE(stored, bound) << e.id;
      EXPECT_LT(static_cast<double>(std::nextafter(static_cast<float>(stored), -inf)), bound)
          << e.id;
    };
    below(minX, e.minX);
    above(maxX, e.maxX);
    below(minY, e.minY);
    above(maxY, e.maxY);
  }
}

}  // namespace
