#!/usr/bin/python3
"""The yardstick of the batch program's speed: the same climate report made
the way a script would make it with XlsxWriter.

It reads the whole export, keeps every k-th line as the program does (k the
smallest whole number not less than lines / 32000), and writes the program's
workbook: the chart on the first sheet, the table on the second (time,
temperature and humidity, with the date-time format), a scatter chart with
smooth lines, the humidity on the secondary value axis.

    xlsxwriter_report.py EXPORT.csv OUTPUT.xlsx
"""
import csv
import datetime
import sys

import xlsxwriter

MAX_LINES = 32000
EPOCH = datetime.datetime(1899, 12, 30)


def excel_time(text):
    # "2021-01-01T00:00:00+03:00": the local time the logger wrote.
    moment = datetime.datetime.fromisoformat(text).replace(tzinfo=None)
    return (moment - EPOCH) / datetime.timedelta(days=1)


def main(source, target):
    with open(source, newline="", encoding="utf-8-sig") as export:
        rows = list(csv.reader(export))
    lines = len(rows) - 1
    k = max(1, -(-lines // MAX_LINES))
    kept = rows[k::k]

    book = xlsxwriter.Workbook(target)
    chart_sheet = book.add_worksheet("Лист1")
    table = book.add_worksheet("Лист2")
    book.add_worksheet("Лист3")
    when = book.add_format({"num_format": "dd/mm/yy h:mm:ss;@", "border": 1})
    value = book.add_format({"num_format": "0.00", "border": 1})
    heading = book.add_format({"bold": True, "border": 1, "text_wrap": True})
    table.write_row(0, 0, ["Дата/Время", "Температура (ºС)", "Влажность (%)"], heading)
    for row, fields in enumerate(kept, start=1):
        table.write_number(row, 0, excel_time(fields[0]), when)
        table.write_number(row, 1, float(fields[1]), value)
        table.write_number(row, 2, float(fields[2]), value)
    table.set_column(0, 0, 17)
    table.set_column(1, 2, 12)

    last = len(kept)
    chart = book.add_chart({"type": "scatter", "subtype": "smooth"})
    chart.add_series({
        "name": ["Лист2", 0, 1],
        "categories": ["Лист2", 1, 0, last, 0],
        "values": ["Лист2", 1, 1, last, 1],
    })
    chart.add_series({
        "name": ["Лист2", 0, 2],
        "categories": ["Лист2", 1, 0, last, 0],
        "values": ["Лист2", 1, 2, last, 2],
        "y2_axis": True,
    })
    chart.set_x_axis({"num_format": "dd/mm/yy h:mm", "num_font": {"rotation": -90},
                      "major_gridlines": {"visible": True}})
    chart.set_y_axis({"name": "Температура (ºС)"})
    chart.set_y2_axis({"name": "Влажность (%)"})
    chart.set_size({"width": 1000, "height": 560})
    chart_sheet.insert_chart("A1", chart)
    book.close()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
