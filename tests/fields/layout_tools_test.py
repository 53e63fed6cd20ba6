#!/usr/bin/python3
"""Layouts against the tools that read them: each csvkit schema of a set cuts a generated file into the
values in2csv gives, read by Quarvel and written back by it; the SQL written for a layout, run by sqlite3
on a table of the file's lines, and the pandas snippet give the extract's values.
Usage: layout_tools_test.py PATH/TO/quarvel-batch"""

import csv
import io
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

BATCH = sys.argv.pop(1) if len(sys.argv) > 1 else "quarvel-batch"
IN2CSV = [shutil.which("in2csv")] if shutil.which("in2csv") else [sys.executable, "-m", "csvkit.utilities.in2csv"]

SCHEMAS = {
    "zero_based.csv": "column,start,length\nid,0,5\nname,5,12\ncity,17,10\n",
    "one_based.csv": "column,start,length\nid,1,5\nname,6,12\ncity,18,10\n",
    "overlapping.csv": "start,length,column,note\n0,10,whole,a\n5,5,part,b\n30,8,tail,c\n2,1,one,d\n",
    "long_names.csv": 'column,start,length\n"Household identifier, full",3,12\n'
                      "Average_income_of_the_household,20,15\nx,40,8\n",
    # A first start of 1 makes csvkit count every start from 1.
    "first_is_one.csv": "column,start,length\nb,1,4\nc,10,3\n",
}
# Fields from column 2 on: csvkit would read a written first start of 1 as counted from 1.
TAB_FROM_COLUMN_2 = "second    2    4    5    \r\nlater     10   3    12   \r\n"


def read(path):
    with open(path) as f:
        return f.read()


def run(*args, **kw):
    return subprocess.run(list(args), check=True, stdout=subprocess.PIPE, **kw).stdout


class LayoutTools(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp()
        rng = random.Random(7)
        letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij0123456789  "
        cls.lines = ["".join(rng.choice(letters) for _ in range(48)) for _ in range(300)]
        cls.data = cls.path("data.txt")
        with open(cls.data, "w") as f:
            f.write("".join(line + "\n" for line in cls.lines))
        for name, text in SCHEMAS.items():
            with open(cls.path(name), "w") as f:
                f.write(text)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.dir, name)

    def layout(self, source, output, *form):
        run(BATCH, "layout", "--from", source, "--output", output, "--overwrite", *form, stderr=subprocess.DEVNULL)
        return output

    def in2csv(self, schema):
        rows = list(csv.reader(io.StringIO(run(*IN2CSV, "-I", "-f", "fixed", "-s", schema, self.data).decode())))
        return rows[0], rows[1:]

    def extract(self, tab, *options):
        out = run(BATCH, "extract", "--input", self.data, "--layout", tab, "--output", "-", "--no-header",
                  "--separator", "\t", "--line-end", "lf", *options, stderr=subprocess.DEVNULL)
        return [line.split("\t") for line in out.decode().split("\n")[:-1]]

    def test_each_schema_cuts_as_in2csv_read_and_written_back(self):
        for name in SCHEMAS:
            with self.subTest(schema=name):
                schema = self.path(name)
                header, rows = self.in2csv(schema)
                tab = self.layout(schema, self.path(name + ".tab"))
                self.assertEqual(self.extract(tab, "--trim"), rows)
                written = self.layout(schema, self.path("written_" + name), "--to", "csvkit")
                again_header, again = self.in2csv(written)
                self.assertEqual((again_header, again), (header, rows))

    def test_written_schema_keeps_fields_from_column_2_in_place(self):
        tab = self.path("from_2.tab")
        with open(tab, "w", newline="") as f:
            f.write(TAB_FROM_COLUMN_2)
        header, rows = self.in2csv(self.layout(tab, self.path("from_2.csv")))
        by_name = [dict(zip(header, row)) for row in rows]
        self.assertEqual([[r["second"], r["later"]] for r in by_name], self.extract(tab, "--trim"))

    def test_sql_in_sqlite_gives_the_extracts_values(self):
        copybook = self.path("rec.cpy")
        with open(copybook, "w") as f:
            f.write("000100 01  REC.\n000200     05  KEY-PART  PIC X(5).\n000300     05  FILLER    PIC X(3).\n"
                    "000400     05  TEXT-PART PIC X(12).\n000500     05  LAST-PART PIC X(4).\n")
        # SQLite takes Spark's `quotes` as well as the standard's.
        for source, form in ((copybook, "sql"), (self.path("overlapping.csv"), "sql"), (copybook, "spark-sql")):
            with self.subTest(layout=os.path.basename(source), form=form):
                query = read(self.layout(source, self.path("q.sql"), "--to", form))
                script = "CREATE TABLE lines(line TEXT);\n" + "".join(
                    "INSERT INTO lines VALUES('%s');\n" % line.replace("'", "''") for line in self.lines)
                script += ".mode tabs\n" + query
                got = run("sqlite3", ":memory:", input=script.encode()).decode()
                expected = self.extract(self.layout(source, self.path("q.tab")))
                self.assertEqual([line.split("\t") for line in got.split("\n")[:-1]], expected)

    def test_sql_casts_whole_numbers_and_implied_decimals(self):
        copybook = self.path("num.cpy")
        with open(copybook, "w") as f:
            f.write("000100 01  R.\n000200     05  N PIC 9(5).\n000300     05  A PIC S9(7)V99\n"
                    "000400                      SIGN LEADING SEPARATE.\n"
                    "000500     05  T PIC S99 SIGN TRAILING SEPARATE.\n")
        query = read(self.layout(copybook, self.path("num.sql")))
        script = "CREATE TABLE lines(line TEXT);\nINSERT INTO lines VALUES('00012-00000000512-');\n"
        script += "INSERT INTO lines VALUES('98765 00001234507+');\n.mode tabs\n" + query
        got = run("sqlite3", ":memory:", input=script.encode()).decode()
        self.assertEqual(got, "12\t-0.05\t-12\n98765\t123.45\t7\n")

    def test_pandas_snippet_gives_the_extracts_values(self):
        try:
            import pandas  # noqa: F401
        except ImportError:
            self.skipTest("pandas is not installed")
        for name in ("long_names.csv", "overlapping.csv"):
            with self.subTest(schema=name):
                schema = self.path(name)
                snippet = read(self.layout(schema, self.path("read.py")))
                space = {}
                exec(snippet, space)
                frame = space["read_layout"](self.data)
                self.assertEqual(frame.values.tolist(), self.extract(self.layout(schema, self.path("p.tab")), "--trim"))


if __name__ == "__main__":
    unittest.main()
