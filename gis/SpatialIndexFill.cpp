#include "gis/SpatialIndexFill.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <sqlite3.h>

#include <memory>

namespace {

// `text` as an SQL string literal or identifier.
std::string Quoted(const std::string& text, char quote) {
  std::string quoted(1, quote);
  for (char c : text) {
    quoted += c;
    if (c == quote) quoted += c;
  }
  return quoted + quote;
}

bool Execute(GDALDataset& gpkg, const std::string& sql, std::string& error) {
  CPLErrorReset();
  gpkg.ReleaseResultSet(gpkg.ExecuteSQL(sql.c_str(), nullptr, nullptr));
  if (CPLGetLastErrorType() < CE_Failure) return true;
  error = CPLGetLastErrorMsg();
  return false;
}

// The sqlite3 library's handles, let go on every way out; an unfinished transaction goes
// with its database.
struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

class Writer {
 public:
  explicit Writer(sqlite3* db) : db_(db) {}

  bool Execute(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  // The length of the root node: every node of the tree has it.
  int NodeBytes(const std::string& rtree) {
    Statement s;
    if (!Prepare("SELECT length(data) FROM " + Quoted(rtree + "_node", '"') + " WHERE nodeno = 1",
                 s) ||
        sqlite3_step(s.get()) != SQLITE_ROW) {
      return 0;
    }
    return sqlite3_column_int(s.get(), 0);
  }

  bool Write(const std::string& rtree, const PackedRtree& tree) {
    for (const char* table : {"_node", "_rowid", "_parent"}) {
      if (!Execute("DELETE FROM " + Quoted(rtree + table, '"'))) return false;
    }
    Statement node, leaf, parent;
    if (!Prepare("INSERT INTO " + Quoted(rtree + "_node", '"') + " (nodeno, data) VALUES (?, ?)",
                 node) ||
        !Prepare("INSERT INTO " + Quoted(rtree + "_rowid", '"') + " (rowid, nodeno) VALUES (?, ?)",
                 leaf) ||
        !Prepare(
            "INSERT INTO " + Quoted(rtree + "_parent", '"') + " (nodeno, parentnode) VALUES (?, ?)",
            parent)) {
      return false;
    }
    for (std::size_t k = 0; k < tree.nodes.size(); ++k) {
      sqlite3_bind_int64(node.get(), 1, static_cast<sqlite3_int64>(k + 1));
      sqlite3_bind_blob(node.get(), 2, tree.nodes[k].data(), static_cast<int>(tree.nodes[k].size()),
                        SQLITE_STATIC);
      if (!Step(node)) return false;
    }
    for (const auto& [id, leafNode] : tree.leafOf) {
      if (!Step(leaf, id, leafNode)) return false;
    }
    for (const auto& [child, parentNode] : tree.parentOf) {
      if (!Step(parent, child, parentNode)) return false;
    }
    return true;
  }

  std::string Error() const { return sqlite3_errmsg(db_); }

 private:
  bool Prepare(const std::string& sql, Statement& s) {
    sqlite3_stmt* prepared = nullptr;
    const bool ok = sqlite3_prepare_v2(db_, sql.c_str(), -1, &prepared, nullptr) == SQLITE_OK;
    s.reset(prepared);
    return ok;
  }
  static bool Step(Statement& s) {
    const bool done = sqlite3_step(s.get()) == SQLITE_DONE;
    sqlite3_reset(s.get());
    return done;
  }
  static bool Step(Statement& s, std::int64_t a, std::int64_t b) {
    sqlite3_bind_int64(s.get(), 1, a);
    sqlite3_bind_int64(s.get(), 2, b);
    return Step(s);
  }

  sqlite3* db_;
};

}  // namespace

bool DeferSpatialIndex(GDALDataset& gpkg, OGRLayer& layer, DeferredSpatialIndex& index,
                       std::string& error) {
  const std::string table = layer.GetName(), column = layer.GetGeometryColumn();
  index.rtree = "rtree_" + table + "_" + column;
  if (!Execute(
          gpkg,
          "SELECT CreateSpatialIndex(" + Quoted(table, '\'') + ", " + Quoted(column, '\'') + ")",
          error)) {
    return false;
  }
  std::vector<std::string> names;
  {
    const std::string sql =
        "SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND "
        "tbl_name = " +
        Quoted(table, '\'');
    OGRLayer* triggers = gpkg.ExecuteSQL(sql.c_str(), nullptr, nullptr);
    if (!triggers) {
      error = CPLGetLastErrorMsg();
      return false;
    }
    for (auto& row : *triggers) {
      const std::string name = row->GetFieldAsString(0);
      if (name.rfind(index.rtree + "_", 0) != 0) continue;
      names.push_back(name);
      index.triggers.push_back(row->GetFieldAsString(1));
    }
    gpkg.ReleaseResultSet(triggers);
  }
  for (const std::string& name : names) {
    if (!Execute(gpkg, "DROP TRIGGER " + Quoted(name, '"'), error)) return false;
  }
  return true;
}

bool FillSpatialIndexes(const std::string& file, std::vector<DeferredSpatialIndex>& indexes,
                        std::string& error) {
  sqlite3* opened = nullptr;
  const int status = sqlite3_open_v2(file.c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
  Database database(opened);
  if (status != SQLITE_OK) {
    error = opened ? sqlite3_errmsg(opened) : "brak pamięci";
    return false;
  }
  Writer writer(database.get());
  if (!writer.Execute("BEGIN")) {
    error = writer.Error();
    return false;
  }
  for (DeferredSpatialIndex& index : indexes) {
    const int nodeBytes = writer.NodeBytes(index.rtree);
    if (nodeBytes < 4 + 2 * kRtreeCellBytes) {
      error = "indeks " + index.rtree + ": " + writer.Error();
      return false;
    }
    const PackedRtree tree = PackRtree(std::move(index.entries), nodeBytes);
    index.entries = {};
    if (!writer.Write(index.rtree, tree)) {
      error = "indeks " + index.rtree + ": " + writer.Error();
      return false;
    }
    for (const std::string& trigger : index.triggers) {
      if (!writer.Execute(trigger)) {
        error = "indeks " + index.rtree + ": " + writer.Error();
        return false;
      }
    }
  }
  if (!writer.Execute("COMMIT")) {
    error = writer.Error();
    return false;
  }
  return true;
}
