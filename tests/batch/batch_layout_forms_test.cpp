#include <gtest/gtest.h>

#include "batch_harness.h"

namespace qvr::test {
namespace {

// A layout in another form cuts as its field definition file does (names cut to 10 columns, types kept);
// what it says that cannot be cut is refused naming the file as given and its line.
TEST(LayoutForms, ExtractTakesACopybookOrASchemaAsItsFieldDefinitionFileAndNamesTheLineItRefuses) {
    TempDir dir;
    const std::string input = dir.write("in.txt", "00012ALICE000123{\r\n00345BOB  001000}\r\n");
    const std::string fields =
        "CUST-ID   1    5    5    int\r\nCUSTOMER-N6    5    10   \r\nAMOUNT    11   7    17   ";
    const std::string head = "000100 01  HEAD.\n000200     05 KIND PIC X(5).\n";
    const std::string copybook =
        "000300 01  CUSTOMER.\n000400     05 CUST-ID        PIC 9(5).\n"
        "000500     05 CUSTOMER-NAME  PIC X(5).\n000600     05 AMOUNT PIC S9(5)V99.\n";
    const std::string two = dir.write("two.cpy", head + copybook);
    const std::string bad =
        dir.write("bad.cpy", head + "000300     05 T OCCURS 1 TO 5 DEPENDING ON N PIC X.\n");
    const std::string wide = dir.write("wide.sas", "data x;\ninput id 1-5 amount 6-15 .40;\n");
    auto run = [&](const Args& layout) {
        const BatchOutcome o =
            run_batch_in_process(join({{"extract", "--input", input, "--output", "-"}, layout}));
        return std::to_string(o.status) + "|" + o.err + "|" + o.out;
    };
    const std::pair<Args, std::string> same[] = {
        {{"--layout", dir.write("c.cpy", copybook)}, fields + "zoned(2)\r\n"},
        {{"--layout", two, "--record", "customer"}, fields + "zoned(2)\r\n"},
        {{"--layout",
          dir.write("s.csv", "column,start,length\nCUST-ID,0,5\nCUSTOMER-NAME,5,5\nAMOUNT,10,7\n")},
         std::string(fields).replace(fields.find("int"), 3, "") + "\r\n"}};  // a schema gives no types
    for (const auto& [layout, tab] : same) {
        const std::string as_tab = dir.write("t.tab", tab);
        EXPECT_EQ(run({"--layout", as_tab}), run(layout)) << tab;
    }
    const std::pair<Args, std::string> refused[] = {
        {{"--layout", two},
         two + ": The layout describes several records (HEAD, CUSTOMER): choose one with --record."},
        {{"--layout", bad}, bad + " line 3: OCCURS DEPENDING ON"},
        {{"--layout", wide},
         wide + " line 2: 'dec(40)' is not a field type: the implied decimals are a number from 0 to 38."},
        {{"--layout", dir.write("f.tab", fields), "--record", "X"},
         "--record: " + dir.file("f.tab") + " is a field definition file, of one record."}};
    for (const auto& [layout, message] : refused)
        EXPECT_EQ(0u, run(layout).find("1|quarvel-batch: " + message));
    EXPECT_EQ(0u, run_batch_in_process({"layout", "--from", bad, "--output", "-", "--to", "sql"})
                      .err.find("quarvel-batch: " + bad + " line 3: OCCURS DEPENDING ON"));
}

}  // namespace
}  // namespace qvr::test
