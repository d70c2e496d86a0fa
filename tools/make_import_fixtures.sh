#!/bin/bash
# Makes the spreadsheet fixtures of the basic-values import tests with real
# spreadsheet writers (openpyxl for .xlsx, xlwt for .xls) and writes them to
# tests/payroll/fixtures. The files are small and committed; run this again
# only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
ensure_packages python3-openpyxl python3-xlwt
out=tests/payroll/fixtures
mkdir -p "$out"

# Debian's own interpreter: the writers are Debian packages.
/usr/bin/python3 - "$out" <<'PY'
import datetime
import sys

import openpyxl
import xlwt

out = sys.argv[1]
titles = ["COD BASICO", "DESC BASICO", "CARGO", "CCOSTOS", "REF", "CLASIF", "VALOR", "VALOR ANT", "VIGENCIA"]
# The same data as basicos.csv: a date cell, whole and decimal amounts,
# empty position, cost centre and reference, an accented description.
rows = [
    [1, "Salario mínimo nacional", None, None, None, None, 24572, 23604, datetime.date(2026, 1, 1)],
    [3, "Laudo construcción", 4, None, None, "Jornal", 471.35, 452.3, datetime.date(2026, 5, 1)],
    [3, "Laudo construcción", 4, "ADM", None, "Jornal", 480.5, 0, datetime.date(2026, 5, 1)],
    [7, "Tope AFAP", None, None, "SUNCA", None, 264000.75, 0, datetime.date(2026, 1, 15)],
]

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Basicos"
sheet.append(titles)
for row in rows:
    sheet.append(row)
for cell in sheet["I"][1:]:
    cell.number_format = "dd/mm/yyyy"
for cell in sheet["G"][1:]:
    cell.number_format = "#,##0.00"
book.save(f"{out}/basicos.xlsx")

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Basicos")
date_style = xlwt.easyxf(num_format_str="dd/mm/yyyy")
for column, title in enumerate(titles):
    sheet.write(0, column, title)
for line, row in enumerate(rows, start=1):
    for column, value in enumerate(row):
        if value is None:
            continue
        if isinstance(value, datetime.date):
            sheet.write(line, column, value, date_style)
        else:
            sheet.write(line, column, value)
book.save(f"{out}/basicos.xls")
PY

# The same rows as delimited text, ";" between fields and "," for decimals.
cat > "$out/basicos.csv" <<'CSV'
COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA
1;Salario mínimo nacional;;;;;24572;23604;01/01/2026
3;Laudo construcción;4;;;Jornal;471,35;452,3;01/05/26
3;Laudo construcción;4;ADM;;Jornal;480,5;0;01/05/2026
7;Tope AFAP;;;SUNCA;;264000,75;0;15/01/2026
CSV
# A file that calls itself a workbook and is not one.
printf 'COD BASICO;DESC BASICO\n1;texto\n' > "$out/no_es_planilla.xlsx"
# A workbook cut in half, as a broken download leaves it.
head -c 1500 "$out/basicos.xlsx" > "$out/danada.xlsx"
# A workbook under a password is not a zip but a compound document, as an
# .xls is: the .xls under the other name stands for one.
cp "$out/basicos.xls" "$out/protegida.xlsx"
ls -l "$out"
