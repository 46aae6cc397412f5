#!/usr/bin/env python3
"""Writes the small layout templates of the sheetout tests (flat OpenDocument spreadsheets with the
named ranges the layouts look for). Run it after changing a layout; the .fods files are committed."""
from xml.sax.saxutils import escape
import pathlib

HERE = pathlib.Path(__file__).parent
HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:body>
  <office:spreadsheet>
   <table:table table:name="Protocol">
"""


def col(c):
    return chr(ord('A') + c - 1)


def write(name, cells, names, rows=40):
    grid = {}
    for (c, r), t in cells.items():
        grid[(c, r)] = t
    out = [HEAD]
    for r in range(1, rows + 1):
        line = "    <table:table-row>"
        for c in range(1, 9):
            t = grid.get((c, r))
            line += (f'<table:table-cell office:value-type="string"><text:p>{escape(t)}</text:p></table:table-cell>'
                     if t else "<table:table-cell/>")
        out.append(line + "</table:table-row>\n")
    out.append("   </table:table>\n   <table:named-expressions>\n")
    for n, (c, r) in names.items():
        ref = f"$Protocol.${col(c)}${r}"
        out.append(f'    <table:named-range table:name="{n}" table:base-cell-address="{ref}" table:cell-range-address="{ref}"/>\n')
    out.append("   </table:named-expressions>\n  </office:spreadsheet>\n </office:body>\n</office:document>\n")
    (HERE / name).write_text("".join(out), encoding="utf-8")


common_cells = {(1, 1): "Протокол № ", (3, 1): "", (1, 2): "Поверитель: ", (1, 3): "", (1, 4): "T=",
                (2, 4): "P=", (3, 4): "H=", (1, 5): "after tools"}
common_names = {"ProtocolNo": (1, 1), "ProtocolDate": (3, 1), "ProtocolAutor": (1, 2), "Tools": (1, 3),
                "MeteoT_ov": (1, 4), "MeteoP_atm": (2, 4), "MeteoHigr": (3, 4)}

# Type 1: devices from row 8, measurement blocks of 5 rows under Tab_Meas (row 16, two blocks in the
# template), results under Tab_Result.
cells = dict(common_cells)
cells.update({(1, 7): "Tab_Dev", (1, 12): "dev:", (1, 16): "Tab_Meas"})
for b in range(2):
    for k, label in enumerate(["PT1", "PT3", "PT5", "PT4", "PT7"]):
        cells[(1, 17 + 5 * b + k)] = label
cells.update({(1, 28): "Tab_Result", (1, 35): "end"})
names = dict(common_names, Tab_Dev=(1, 7), Tab_Meas=(1, 16), Tab_Result=(1, 28))
write("layout1.fods", cells, names)

# Type 3: one device; a one-row point table.
cells = dict(common_cells)
cells.update({(1, 7): "Прибор: ", (1, 8): "№ ", (1, 10): "Разряд: ", (1, 12): "Tab_Meas", (1, 13): "row",
              (1, 15): "Вывод: ", (1, 17): "end"})
names = dict(common_names, Tab_Dev=(1, 7), Tab_Meas=(1, 12))
write("layout3.fods", cells, names)

# Type 4: points as columns.
cells = dict(common_cells)
cells.update({(1, 8): "Tab_Dev", (1, 12): "Tab_Meas", (1, 24): "Итог: "})
names = dict(common_names, Tab_Dev=(1, 8), Tab_Meas=(1, 14))
write("layout4.fods", cells, names)

# A template without the layout's named ranges.
write("bare.fods", dict(common_cells), dict(common_names))
