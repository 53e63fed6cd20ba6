#include "outputs/sqlite_table.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "common/file_names.h"
#include "common/temp_file_cleanup.h"

namespace qvr {

namespace {

constexpr const char* kWriteAction = "Cannot write database";

/// An identifier as SQL reads it whatever it holds: quoted, its quotes doubled.
std::string quoted(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + '"';
}

/// int64 holds every number of 18 digits.
constexpr int kExactIntegerDigits = 18;

bool number_column(const OutputColumn& column) {
    return stored_as_number(column,
                            column.kind == ColumnKind::integer ? kExactIntegerDigits : kExactNumberDigits);
}

}  // namespace

struct SqliteTableWriter::Load {
    std::string path;
    sqlite3* db = nullptr;
    bool made_file = false;
    bool in_transaction = false;
    int open_writers = 0;

    ~Load() { close(); }

    void forget_made_file() noexcept {
        if (!made_file) return;
        forget_temp_file(path);
        forget_temp_file(path + "-journal");
        made_file = false;
    }
    void close() noexcept {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
    void roll_back() noexcept {
        if (in_transaction) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        in_transaction = false;
        close();
        // A database made for this load goes with it.
        if (made_file) ::unlink(path.c_str());
        forget_made_file();
    }
};

SqliteTableWriter::SqliteTableWriter(SqliteTableJob job)
    : job_(std::move(job)), load_(std::make_shared<Load>()), utf8_(job_.encoding) {
    load_->path = job_.path;
}

SqliteTableWriter::SqliteTableWriter(SqliteTableJob job, const SqliteTableWriter& first)
    : job_(std::move(job)), load_(first.load_), shares_(true), utf8_(job_.encoding) {}

SqliteTableWriter::~SqliteTableWriter() { abandon(); }

std::string SqliteTableWriter::declared_type(const OutputColumn& column) {
    switch (column.kind) {
        case ColumnKind::integer:
            return number_column(column) ? "INTEGER" : "TEXT";
        case ColumnKind::decimal:
            return number_column(column)
                       ? "DECIMAL(" + std::to_string(column.precision) +
                             (column.scale >= 0 ? "," + std::to_string(column.scale) : std::string()) + ")"
                       : "TEXT";
        case ColumnKind::date:
            // Numeric affinity, which leaves an ISO date as text; readers that go by the declared type
            // (Python's detect_types) see a date.
            return "DATE";
        case ColumnKind::text:
            break;
    }
    return "TEXT";
}

void SqliteTableWriter::run(const std::string& sql) const {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw_file_error(kWriteAction, job_.path, sqlite3_errmsg(db_));
}

void SqliteTableWriter::refuse_taken_name() const {
    sqlite3_stmt* find = nullptr;
    // Names are compared as SQLite compares them: ASCII letters in either case are the same.
    if (sqlite3_prepare_v2(db_, "SELECT type FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE", -1, &find,
                           nullptr) != SQLITE_OK)
        throw_file_error(kWriteAction, job_.path, sqlite3_errmsg(db_));
    sqlite3_bind_text(find, 1, job_.table.data(), static_cast<int>(job_.table.size()), SQLITE_STATIC);
    const int step = sqlite3_step(find);
    const std::string type =
        step == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(find, 0)) : std::string();
    sqlite3_finalize(find);
    if (step != SQLITE_ROW && step != SQLITE_DONE)
        throw_file_error(kWriteAction, job_.path, sqlite3_errmsg(db_));
    if (type.empty()) return;
    if (type == "table" && job_.overwrite) {
        run("DROP TABLE " + quoted(job_.table));
        return;
    }
    throw TableExists("The database " + job_.path + " already has a " + type + " named " + job_.table +
                      (type == "table" ? "; it is replaced only when asked" : ""));
}

void SqliteTableWriter::begin() {
    if (shares_ && !load_->in_transaction)
        throw_file_error(kWriteAction, job_.path, std::string_view("another table of its load failed"));
    if (!load_->in_transaction) open_database();
    db_ = load_->db;
    open_ = true;
    ++load_->open_writers;
    refuse_taken_name();
    std::string create = "CREATE TABLE " + quoted(job_.table) + " (";
    std::string insert = "INSERT INTO " + quoted(job_.table) + " VALUES (";
    for (std::size_t i = 0; i < job_.columns.size(); ++i) {
        const OutputColumn& column = job_.columns[i];
        create += (i ? ", " : "") + quoted(utf8_(column.name)) + " " + declared_type(column);
        insert += i ? ", ?" : "?";
    }
    run(create + ")");
    if (sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &insert_, nullptr) != SQLITE_OK)
        throw_file_error(kWriteAction, job_.path, sqlite3_errmsg(db_));
}

void SqliteTableWriter::open_database() {
    Load& load = *load_;
    load.made_file = !file_exists(job_.path);
    // A database made for this load goes, with its journal, when a signal ends the process midway. A
    // former one is never removed: its journal is what puts it back as it was at its next opening.
    if (load.made_file) {
        remove_temp_file_on_signal(job_.path);
        remove_temp_file_on_signal(job_.path + "-journal");
    }
    // One thread uses the connection: no mutex on each call.
    const int opened =
        sqlite3_open_v2(job_.path.c_str(), &load.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        const std::string reason = load.db ? sqlite3_errmsg(load.db) : sqlite3_errstr(opened);
        load.roll_back();
        throw_file_error(kWriteAction, job_.path, reason);
    }
    db_ = load.db;
    sqlite3_busy_timeout(db_, 2000);
    // One transaction, so the journal and the syncs cost only at its start and its end: synchronous stays
    // as the database has it (a crash never costs the user's other tables), and the journal mode too (it
    // is kept in the file, and WAL would outlive this load). A rollback journal holds only the pages that
    // were there before, so a new table appended to the file costs it nothing. A larger page cache was
    // tried and saved no time on a million rows: rows go in rowid order, at the tree's right edge.
    run("BEGIN IMMEDIATE");
    load.in_transaction = true;
}

void SqliteTableWriter::bind(int index, const OutputColumn& column, std::string_view value) {
    if (value.empty()) {
        sqlite3_bind_null(insert_, index);
        return;
    }
    const auto row = rows_ + 1;
    switch (column.kind) {
        case ColumnKind::integer:
        case ColumnKind::decimal: {
            const int digits = checked_number_digits(column, row, value);
            if (!number_column(column)) break;
            // A value wider than its column said would be rounded by the store: never silently.
            if (digits > column.precision)
                throw UserError(column.name + " (row " + std::to_string(row) + "): '" + std::string(value) +
                                "' has more than the column's " + std::to_string(column.precision) +
                                " digits");
            const char* end = value.data() + value.size();
            if (column.kind == ColumnKind::integer) {
                std::int64_t n = 0;
                std::from_chars(value.data(), end, n);
                sqlite3_bind_int64(insert_, index, n);
            } else {
                double x = 0;
                std::from_chars(value.data(), end, x);
                sqlite3_bind_double(insert_, index, x);
            }
            return;
        }
        case ColumnKind::date:
            checked_iso_date(column, row, value);
            break;
        case ColumnKind::text: {
            const std::string_view text = utf8_(value);
            // A converted text lives in a buffer the next value reuses: SQLite keeps its own copy.
            sqlite3_bind_text(insert_, index, text.data(), static_cast<int>(text.size()),
                              text.data() == value.data() ? SQLITE_STATIC : SQLITE_TRANSIENT);
            return;
        }
    }
    sqlite3_bind_text(insert_, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
}

void SqliteTableWriter::add_row(const std::vector<std::string_view>& values) {
    if (values.size() != job_.columns.size())
        throw UserError("Row " + std::to_string(rows_ + 1) + " has " + std::to_string(values.size()) +
                        " values for " + std::to_string(job_.columns.size()) + " columns");
    for (std::size_t i = 0; i < values.size(); ++i) bind(static_cast<int>(i + 1), job_.columns[i], values[i]);
    const int step = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (step != SQLITE_DONE) throw_file_error(kWriteAction, job_.path, sqlite3_errmsg(db_));
    ++rows_;
}

void SqliteTableWriter::commit() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (!open_) return;
    if (!load_->in_transaction)
        throw_file_error(kWriteAction, job_.path, std::string_view("another table of its load failed"));
    open_ = false;
    if (--load_->open_writers > 0) return;
    run("COMMIT");
    load_->in_transaction = false;
    load_->forget_made_file();
    load_->close();
    db_ = nullptr;
}

void SqliteTableWriter::abandon() noexcept {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    db_ = nullptr;
    if (!load_ || !load_->in_transaction) return;
    // A table of a load that has not committed takes the whole load with it.
    open_ = false;
    load_->roll_back();
}

}  // namespace qvr
