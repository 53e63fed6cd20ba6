#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"
#include "outputs/output_column.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qvr {

/// Where a database table goes and what it holds.
struct SqliteTableJob {
    std::string path;   ///< the database file, made when missing
    std::string table;  ///< in UTF-8, as file names and command lines are
    std::vector<OutputColumn> columns;
    bool overwrite = false;  ///< a table of that name is replaced (and only it); else the load is refused
    TextEncoding encoding = TextEncoding::utf8;  ///< of the values; the database holds UTF-8
};

/// A table of that name is already in the database and the job may not replace it.
class TableExists : public UserError {
  public:
    using UserError::UserError;
};

/// Loads one table of a SQLite database in a single transaction: the database changes only when
/// commit() succeeds, so a failure, an abandon() or an interruption leaves it as it was (and no file
/// where there was none). Other tables are never touched. Several writers may load tables of one
/// database in one transaction (record types): it commits when the last of them commits, and any one's
/// abandon() rolls all of them back.
///
/// Columns are declared from their kinds: INTEGER, DECIMAL(p,s) (numeric affinity, so SUM and ORDER BY
/// work on numbers), DATE (ISO text), TEXT. SQLite turns a number text into a binary number with 15
/// significant digits and silently rounds a longer one, so a decimal column wider than 15 digits (an
/// integer one wider than 18) is declared TEXT: its values keep every digit.
class SqliteTableWriter {
  public:
    explicit SqliteTableWriter(SqliteTableJob job);
    /// A further table of `first`'s database (begun already), loaded in its transaction; `job.path` is
    /// first's.
    SqliteTableWriter(SqliteTableJob job, const SqliteTableWriter& first);
    ~SqliteTableWriter();
    SqliteTableWriter(const SqliteTableWriter&) = delete;
    SqliteTableWriter& operator=(const SqliteTableWriter&) = delete;

    /// Opens (or makes) the database, starts the transaction and makes the table. Throws TableExists when
    /// the name is taken and may not be replaced, FileError when the file is no database or cannot be
    /// written.
    void begin();
    /// Adds one row, a value per column (an empty one is NULL). Throws UserError naming the column and row
    /// for a value its column cannot hold (`12x` in an integer column), FileError when the disk fails.
    void add_row(const std::vector<std::string_view>& values);
    /// Ends the transaction (once every writer sharing it has committed): the table is in the database
    /// from now on.
    void commit();
    /// Drops everything since begin(), of every writer sharing the transaction; the database is as it was.
    void abandon() noexcept;

    std::uint64_t rows() const { return rows_; }
    /// Bytes of a UTF-8 input that started no character, stored as U+FFFD.
    std::uint64_t replaced_chars() const { return utf8_.replaced(); }

    /// The column's declared type: `INTEGER`, `DECIMAL(12,2)`, `DATE` or `TEXT`.
    static std::string declared_type(const OutputColumn& column);

  private:
    void open_database();
    void run(const std::string& sql) const;
    void refuse_taken_name() const;
    void bind(int index, const OutputColumn& column, std::string_view value);

    /// The database and its transaction, shared by the writers loading it.
    struct Load;

    SqliteTableJob job_;
    std::shared_ptr<Load> load_;
    bool shares_ = false;    // another writer's load
    sqlite3* db_ = nullptr;  // load_'s
    sqlite3_stmt* insert_ = nullptr;
    bool open_ = false;  // begun, not yet committed or abandoned
    std::uint64_t rows_ = 0;
    Utf8Values utf8_;
};

}  // namespace qvr
