#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extract_job.h"
#include "engine/record_sink.h"
#include "engine/typed_extract.h"
#include "outputs/output_column.h"
#include "outputs/sqlite_table.h"
#include "outputs/xlsx_workbook.h"

namespace qvr {

/// The columns of a job's typed output: "Nb" first when the records are numbered, then a column per
/// field named as the field (trimmed), its kind and digits from the field's type and length.
std::vector<OutputColumn> output_columns(const ExtractJob& job);

/// The table or sheet name of a job: the one it names, else its input's file name without extension.
std::string output_table_name(const ExtractJob& job);

/// Each record type's table in a database: `s`'s table name as the pattern, {type} standing for the type
/// as in a file name (type_file_name()), by default the input's name, "_" and the type; each type's sheet
/// of a workbook: the pattern, by default the type value itself, made a sheet name (31 characters,
/// [ ] : * ? / \ written "_"). Other outputs leave the tables' names empty.
void name_type_tables(const JobSettings& s, std::vector<RecordTypeTable>& tables);

/// The results of a window's run of record types: a database or a workbook takes every type's table
/// into the output file (a file per type when its name has {type}), other outputs a file per type
/// (typed_output_pattern()); the tables named by name_type_tables().
void name_typed_results(const JobSettings& s, TypedExtractJob& typed);

/// A record's values as a typed output takes them: typed fields as the pipeline read them (a value its
/// type cannot read left empty, as in the separated text), a text field trimmed when the job trims, and
/// the record's number in front when numbered.
class TypedValues {
  public:
    explicit TypedValues(const ExtractJob& job);
    const std::vector<std::string_view>& operator()(const PassedRecord& record);

  private:
    std::vector<FieldType> types_;
    bool trim_;
    bool numbers_;
    std::string number_;
    std::vector<std::string_view> values_;
};

/// A table of a SQLite database (see SqliteTableWriter): the database changes only at commit().
class SqliteSink : public RecordSink {
  public:
    /// Opens the database and starts the table; throws TableExists, FileError.
    explicit SqliteSink(const ExtractJob& job);
    /// Starts a further table of `first`'s database, in its transaction.
    SqliteSink(const ExtractJob& job, const SqliteSink& first);
    ~SqliteSink() override { abandon(); }

    bool takes_fields() const override { return true; }
    void put(const PassedRecord& record) override { writer_.add_row(values_(record)); }
    void commit() override { writer_.commit(); }
    void abandon() noexcept override { writer_.abandon(); }
    std::unique_ptr<RecordSink> next_table(const ExtractJob& job) override {
        return std::make_unique<SqliteSink>(job, *this);
    }
    std::uint64_t replaced_chars() const override { return writer_.replaced_chars(); }

  private:
    TypedValues values_;
    SqliteTableWriter writer_;
};

/// A workbook (see XlsxWorkbookWriter), put in the result's place only at commit(); the field names are
/// its header row when the job asks for one.
class XlsxSink : public RecordSink {
  public:
    /// Starts the workbook beside the result; throws UserError for a bad sheet name, FileError.
    explicit XlsxSink(const ExtractJob& job, std::uint32_t rows_per_sheet = kXlsxDataRowsPerSheet);
    /// Starts a further sheet of `first`'s workbook, its rows written as they come between first's.
    XlsxSink(const ExtractJob& job, XlsxSink& first);
    ~XlsxSink() override { abandon(); }

    bool takes_fields() const override { return true; }
    void put(const PassedRecord& record) override { writer_.add_row(values_(record)); }
    void commit() override { writer_.commit(); }
    void abandon() noexcept override { writer_.abandon(); }
    std::unique_ptr<RecordSink> next_table(const ExtractJob& job) override {
        return std::make_unique<XlsxSink>(job, *this);
    }
    std::uint64_t replaced_chars() const override { return writer_.replaced_chars(); }
    std::string closing_note() const override {
        return xlsx_sheets_text(writer_, first_sheet_, rows_per_sheet_);
    }

  private:
    TypedValues values_;
    XlsxWorkbookWriter writer_;
    std::string first_sheet_;
    std::uint32_t rows_per_sheet_;
};

}  // namespace qvr
