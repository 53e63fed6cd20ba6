#!/usr/bin/python3
"""A typed run's dBase table, read back by dbfread (and ogrinfo where GDAL is installed), holds the
numbers and dates of the separated-text result of the same fields; a value a type cannot read is counted,
and --strict fails the run and leaves the former result as it was.
Usage: typed_dbf_test.py PATH/TO/quarvel-batch"""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from decimal import Decimal

import dbfread

BATCH = sys.argv.pop(1) if len(sys.argv) > 1 else "quarvel-batch"
FIELDS = ["Id:1:6:int", "Cents:7:8:dec(2)", "Written:15:10:num", "Zoned:25:5:zoned(1)",
          "Day:30:8:date(YYYYMMDD)", "Name:38:6"]
# Blanks, signs either side, thousands separators, every overpunch kind, an all-zero date, and in the
# last line two values that cannot be read.
LINES = ["000012" "00012345" "1,234.50- " "0012}" "20240229" "Lee   ",
         "-00007" "-0000005" "      .5  " "0012A" "00000000" "Mo    ",
         "      " "        " "   +12    " "0000{" "19991231" "      ",
         "   98-" "00000100" "  7.125   " "9999R" "20261207" "Li    ",
         "12a456" "00000001" "       3  " "0001I" "20230230" "Ng    "]


def read(path):
    with open(path, encoding="cp1252") as f:
        return f.read()


def run(*args):
    return subprocess.run([BATCH, *args], capture_output=True, text=True)


class TypedDbf(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.input = os.path.join(self.dir, "in.txt")
        with open(self.input, "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in LINES))
        self.layout = [a for f in FIELDS for a in ("--field", f)]

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_table_holds_the_text_results_numbers_and_dates(self):
        text = run("extract", "--input", self.input, *self.layout, "--no-header", "--line-end", "lf",
                   "--output", self.path("out.txt"))
        self.assertEqual(0, text.returncode, text.stderr)
        self.assertIn("Id: 1 value could not be read (line 5).", text.stderr)
        self.assertIn("Day: 1 value could not be read (line 5).", text.stderr)
        table = run("dbf", "--input", self.input, *self.layout, "--output", self.path("out.dbf"))
        self.assertEqual(0, table.returncode, table.stderr)
        self.assertIn("Id: 1 value could not be read (line 5).", table.stderr)
        rows = [line.split(";") for line in read(self.path("out.txt")).splitlines()]
        dbf = dbfread.DBF(self.path("out.dbf"), encoding="cp1252")
        self.assertEqual(["N", "N", "N", "N", "D", "C"], [f.type for f in dbf.fields])
        # num takes the most decimals any value has; the implied decimals stay as their type says.
        self.assertEqual([0, 2, 3, 1, 0, 0], [f.decimal_count for f in dbf.fields])
        raw = list(dbfread.DBF(self.path("out.dbf"), raw=True))
        for row, record, raw_record in zip(rows, dbf, raw, strict=True):
            values = list(record.values())
            for i in range(4):
                if row[i] == "":
                    self.assertIsNone(values[i])
                else:
                    self.assertEqual(Decimal(row[i]), Decimal(str(values[i])), (row, values))
                    self.assertEqual(Decimal(row[i]), Decimal(list(raw_record.values())[i].decode()))
            self.assertEqual(row[4], values[4].isoformat() if isinstance(values[4], datetime.date) else "")
            self.assertEqual(row[5].strip(), values[5].strip())
        self.assertEqual(["12", "123.45", "-1234.50", "-12.0", "2024-02-29", "Lee   "], rows[0])
        if shutil.which("ogrinfo"):
            ogr = subprocess.run(["ogrinfo", "-ro", "-al", self.path("out.dbf")], capture_output=True, text=True)
            self.assertEqual(0, ogr.returncode, ogr.stderr)
            self.assertIn("WRITTEN (Real) = -1234.5", ogr.stdout)
            self.assertIn("DAY (Date) = 2024/02/29", ogr.stdout)

    def test_strict_fails_and_leaves_the_former_result(self):
        for command, output, extra in [("extract", "a.txt", []), ("extract", "b.txt", ["--fast"]),
                                       ("dbf", "c.dbf", [])]:
            with open(self.path(output), "w") as f:
                f.write("former\n")
            done = run(command, "--input", self.input, *self.layout, *extra, "--strict", "--overwrite",
                       "--output", self.path(output))
            self.assertEqual(1, done.returncode, (command, extra, done.stderr))
            self.assertIn("quarvel-batch: Day: 1 value could not be read (line 5).", done.stderr)
            self.assertEqual("former\n", read(self.path(output)), (command, extra))
            # Nothing of the refused result is left beside it.
            self.assertEqual([output], [n for n in os.listdir(self.dir) if n[0] == output[0]])


if __name__ == "__main__":
    unittest.main()
