#!/usr/bin/python3
"""Prints a workbook as openpyxl reads it, for the workbook tests: a line per sheet
("sheet Data frozen=A2 widths=9.0,13.0") and a line per cell that holds a value
("A1 s bold Id", "B2 n 123.45", "D2 d 2026-12-07": string, number or date).
Usage: xlsx_cells.py WORKBOOK.xlsx"""

import datetime
import sys

import openpyxl
from openpyxl.utils import get_column_letter

book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    widths = ",".join(str(sheet.column_dimensions[get_column_letter(i)].width)
                      for i in range(1, sheet.max_column + 1))
    print(f"sheet {sheet.title} frozen={sheet.freeze_panes} widths={widths}")
    for row in sheet.iter_rows():
        for cell in row:
            value = cell.value
            if value is None:
                continue
            if isinstance(value, datetime.datetime):
                kind, value = "d", value.date().isoformat()
            elif isinstance(value, (int, float)):
                kind = "n"
            else:
                kind = "s"
            print(f"{cell.coordinate} {kind}{' bold' if cell.font.b else ''} {value}")
