#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "batch_harness.h"

namespace qvr::test {
namespace {

using ::testing::HasSubstr;

class LayoutFormsTest : public ::testing::Test {
  protected:
    /// The result of `command` on the input with `layout` and `more`: its status, what it said, the file.
    std::string run(const std::string& command, const std::string& layout, const Args& more = {}) {
        const std::string out = dir.file("out" + std::to_string(++runs) + ".txt");
        const Args args = command == "extract" ? Args{"extract", "--input", input, "--output", out}
                                               : Args{command, "--input", input};
        const BatchOutcome o = run_batch_in_process(join({args, {"--layout", layout}, more}));
        return std::to_string(o.status) + "|" + o.err + "|" + o.out + "|" +
               (command == "extract" ? read_file(out) : "");
    }

    TempDir dir;
    int runs = 0;
    std::string input = dir.write("in.txt", "00012ALICE000123{\r\n00345BOB  001000}\r\n");
    // Columns 1-5 a number, 6-10 a name, 11-17 an amount whose last digit carries its sign.
    std::string copybook = dir.write("cust.cpy",
                                     "000100 01  CUSTOMER.\n"
                                     "000200     05 CUST-ID        PIC 9(5).\n"
                                     "000300     05 CUSTOMER-NAME  PIC X(5).\n"
                                     "000400     05 AMOUNT         PIC S9(5)V99.\n");
    std::string typed_tab = dir.write("typed.tab",
                                      "CUST-ID   1    5    5    int\r\n"
                                      "CUSTOMER-N6    5    10   \r\n"
                                      "AMOUNT    11   7    17   zoned(2)\r\n");
    std::string schema_text = "column,start,length\nCUST-ID,0,5\nCUSTOMER-NAME,5,5\nAMOUNT,10,7\n";
    std::string plain_tab = dir.write("plain.tab",
                                      "CUST-ID   1    5    5    \r\n"
                                      "CUSTOMER-N6    5    10   \r\n"
                                      "AMOUNT    11   7    17   \r\n");
};

// A layout in another form cuts as its field definition file does: names cut to 10 columns, types kept.
TEST_F(LayoutFormsTest, ExtractAndCheckTakeACopybookOrASchemaAsTheirFieldDefinitionFile) {
    const std::string schema = dir.write("schema.csv", schema_text);
    const std::string unnamed = dir.write("schema.layout", schema_text);  // told by its text
    const std::pair<std::string, std::string> cases[] = {
        {copybook, typed_tab}, {schema, plain_tab}, {unnamed, plain_tab}};
    EXPECT_THAT(run("extract", typed_tab), HasSubstr("||CUST-ID;CUSTOMER-N;AMOUNT\r\n"));
    for (const auto& [layout, tab] : cases) {
        SCOPED_TRACE(layout);
        EXPECT_EQ(run("extract", tab), run("extract", layout));
        EXPECT_EQ(run("check", tab), run("check", layout));
    }
}

// What a layout says that cannot be cut is refused naming the file as given and its line.
TEST_F(LayoutFormsTest, RefusalsNameTheLayoutAndItsLine) {
    const std::string records = dir.write("two.cpy",
                                          "000100 01  HEAD.\n000200     05 KIND PIC X(5).\n"
                                          "000300 01  CUSTOMER.\n000400     05 CUST-ID PIC 9(5).\n");
    const std::string depending = dir.write("dep.cpy",
                                            "000100 01  R.\n000200     05 N PIC 9.\n"
                                            "000300     05 T OCCURS 1 TO 5 DEPENDING ON N PIC X.\n");
    const std::string decimals = dir.write("wide.sas", "data x;\ninput id 1-5 amount 6-15 .40;\n");
    const std::pair<Args, std::string> cases[] = {
        {{"--layout", records},
         records + ": The layout describes several records (HEAD, CUSTOMER): choose one "
                   "with --record."},
        {{"--layout", records, "--record", "TAIL"},
         records + ": The layout describes no record TAIL (it has HEAD, CUSTOMER)"},
        {{"--layout", depending}, depending + " line 3: OCCURS DEPENDING ON"},
        {{"--layout", decimals},
         decimals +
             " line 2: 'dec(40)' is not a field type: the implied decimals are a number from 0 to 38."},
        {{"--layout", typed_tab, "--record", "X"},
         "--record: " + typed_tab + " is a field definition file, of one record."},
    };
    for (const auto& [more, message] : cases) {
        const BatchOutcome o =
            run_batch_in_process(join({{"extract", "--input", input, "--output", "-"}, more}));
        EXPECT_EQ(1, o.status);
        EXPECT_EQ(0u, o.err.find("quarvel-batch: " + message)) << o.err;
    }
    // The layout command names them alike.
    EXPECT_EQ(0u, run_batch_in_process({"layout", "--from", depending, "--output", "-", "--to", "sql"})
                      .err.find("quarvel-batch: " + depending + " line 3: OCCURS DEPENDING ON"));
    const std::string id = dir.write("id.tab", "CUST-ID   1    5    5    int\r\n");
    EXPECT_EQ(run("extract", id), run("extract", records, {"--record", "customer"}));
}

}  // namespace
}  // namespace qvr::test
