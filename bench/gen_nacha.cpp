// Writes a bank payment file for the record-type runs, and the .tab layouts of its six record types:
//   gen_nacha FILE ENTRIES [ENTRIES_PER_BATCH]    (about 120 bytes an entry with its share of addenda)
//   gen_nacha --layouts DIR                       (writes examples/nacha/ anew)

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/output_file.h"
#include "fields/definition_file.h"
#include "fields/field_table.h"
#include "support/nacha_file.h"

int main(int argc, char** argv) {
    using namespace qvr;
    if (argc == 3 && std::string(argv[1]) == "--layouts") {
        for (const test::NachaLayout& layout : test::nacha_layouts()) {
            FieldTable table;
            std::vector<FieldTable::Row> rows;
            for (const test::NachaField& f : layout.fields)
                rows.push_back({f.name, std::to_string(f.start), std::to_string(f.length),
                                std::to_string(f.start + f.length - 1)});
            table.assign_rows(rows);
            write_definition_file(std::string(argv[2]) + "/" + layout.file, table);
        }
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_nacha FILE ENTRIES [ENTRIES_PER_BATCH] | gen_nacha --layouts DIR\n");
        return 2;
    }
    test::NachaOptions options;
    options.entries = std::strtoull(argv[2], nullptr, 10);
    if (argc > 3) options.entries_per_batch = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const std::string text = test::nacha_file(options);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
