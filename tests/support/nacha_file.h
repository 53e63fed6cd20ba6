#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvr::test {

/// What a generated payment file holds. The same options give the same bytes on every machine.
struct NachaOptions {
    std::uint64_t entries = 1000;
    std::uint32_t entries_per_batch = 500;
    std::uint32_t addenda_every = 4;  ///< every Nth entry has an addenda record; 0: none
    std::uint64_t seed = 1;
    std::string line_end = "\n";
};

/// A bank payment file in the public 94-column layout: a file header (type 1), batches of a batch header
/// (5), entry details (6) each optionally followed by an addenda record (7) and a batch control (8)
/// holding the batch's entry and addenda count, entry hash and debit and credit totals, then the file
/// control (9) and lines of 9s up to a multiple of ten lines (blocks of ten records). Amounts are in
/// cents; transaction codes 27 and 37 are debits, 22 and 32 credits.
std::string nacha_file(const NachaOptions& options);

/// One field of a record type's table: a name of at most ten characters (a .tab name's width), its
/// first column (from 1) and its length.
struct NachaField {
    const char* name;
    int start;
    int length;
};

/// A record type's table: its type character, a file name for its .tab layout, its fields.
struct NachaLayout {
    char type;
    const char* file;
    std::vector<NachaField> fields;
};

/// The tables of the six record types, from the public layouts; examples/nacha/ holds them as .tab files.
const std::vector<NachaLayout>& nacha_layouts();

}  // namespace qvr::test
