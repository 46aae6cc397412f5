#!/usr/bin/env python3
"""Writes the protocol templates as flat OpenDocument spreadsheets (.fods), the editable source of
the .xls templates the program ships. Run it after changing a layout; the build converts the .fods
files to .xls with LibreOffice.

Placeholders start with "&" and are replaced by the protocol maker; the row holding "&LST_F" is
the point table's row: it is repeated once per point with the row keys filled in."""
from xml.sax.saxutils import escape
import pathlib

HERE = pathlib.Path(__file__).parent

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="1.2cm"/></style:style>
  <style:style style:name="co2" style:family="table-column"><style:table-column-properties style:column-width="3.0cm"/></style:style>
  <style:style style:name="title" style:family="table-cell"><style:text-properties fo:font-weight="bold" fo:font-size="13pt"/></style:style>
  <style:style style:name="bold" style:family="table-cell"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="grid" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:wrap-option="wrap"/></style:style>
  <style:style style:name="head" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:wrap-option="wrap" fo:background-color="#e6e6e6"/><style:text-properties fo:font-weight="bold"/></style:style>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
"""
TAIL = """  </office:spreadsheet>
 </office:body>
</office:document>
"""


def cell(text, style=None):
    s = f' table:style-name="{style}"' if style else ""
    if text is None or text == "":
        return f"<table:table-cell{s}/>"
    return f'<table:table-cell{s} office:value-type="string"><text:p>{escape(text)}</text:p></table:table-cell>'


def sheet(name, rows, columns=9):
    out = [f'   <table:table table:name="{escape(name)}">',
           '    <table:table-column table:style-name="co1"/>',
           f'    <table:table-column table:style-name="co2" table:number-columns-repeated="{columns - 1}"/>']
    for row in rows:
        if isinstance(row, tuple) and row and row[0] == "style":
            _, style, texts = row
            out.append("    <table:table-row>" + "".join(cell(t, style) for t in texts) + "</table:table-row>")
        else:
            out.append("    <table:table-row>" + "".join(cell(t) for t in row) + "</table:table-row>")
    out.append("   </table:table>")
    return "\n".join(out) + "\n"


def header(kind):
    return [
        ("style", "bold", ["&CD_ORG"]),
        ["&CD_ADDRESS"],
        ["Аттестат аккредитации: &CD_CRT_NUM"],
        [],
        ("style", "title", ["", "", f"ПРОТОКОЛ &VR_D1_TYPE_OF поверки № &D1_SH_NUM"]),
        ["", "", f"{kind}", "", "", "", "", "Дата:", "&CD_DATE"],
        [],
        ["Средство измерений:", "", "&D1_NAME &D1_TYPE"],
        ["Заводской номер:", "", "&D1_SERIAL", "", "Инвентарный номер:", "", "&D1_INV"],
        ["Владелец:", "", "&D1_OWNER"],
        ["Методика поверки:", "", "&VR_D1_DOC"],
        [],
        ("style", "bold", ["Условия поверки:"]),
        ["", "&CD_TEMP_FULL"],
        ["", "&CD_HUM_FULL"],
        ["", "&CD_PRES_FULL"],
        ("style", "bold", ["Средства поверки:"]),
        ["", "&CD_ET_AUX_LST"],
        [],
        ["Внешний осмотр:", "", "&D1_NOTES"],
    ]


def footer():
    return [
        [],
        ("style", "bold", ["Заключение:"]),
        ["", "Результаты поверки &VR_D1_RESULT_SHORT; средство измерений &VR_D1_SUITABLE."],
        ["", "&VR_D1_RES_DOC"],
        ["", "Допустимая погрешность умножена на коэффициент &CD_VRCOEFF."],
        [],
        ["Поверитель:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
        ["Руководитель:", "", "&CD_CHEF_POS", "", "_____________", "&CD_CHEF"],
    ]


def certificate(title, verdict):
    return [
        ("style", "bold", ["&CD_ORG"]),
        ["&CD_ADDRESS"],
        [],
        ("style", "title", ["", "", title]),
        [],
        ["Средство измерений:", "", "&D1_NAME &D1_TYPE"],
        ["Заводской номер:", "", "&D1_SERIAL"],
        ["Владелец:", "", "&D1_OWNER"],
        ["Поверено по:", "", "&VR_D1_DOC"],
        ["Протокол поверки:", "", "№ &D1_SH_NUM от &CD_DATE"],
        [],
        ["", "", verdict],
        [],
        ["Поверитель:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
        ["Руководитель:", "", "&CD_CHEF_POS", "", "_____________", "&CD_CHEF"],
    ]


def calibration():
    return [
        ("style", "bold", ["&CD_ORG"]),
        [],
        ("style", "title", ["", "", "СЕРТИФИКАТ О КАЛИБРОВКЕ"]),
        [],
        ["Средство измерений:", "", "&D1_NAME &D1_TYPE"],
        ["Заводской номер:", "", "&D1_SERIAL"],
        ["Владелец:", "", "&D1_OWNER"],
        ["Результаты калибровки приведены в протоколе от", "", "", "&CD_DATE"],
        [],
        ["Калибровку выполнил:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
    ]


KINDS = {
    "pressure": ("Датчик давления", [
        ["Проверка герметичности:", "", "&D1_CHECK_THT"],
        ["Опробование:", "", "&D1_CHECK_USG"],
        ["Проверка электрической прочности изоляции:", "", "", "&D1_CHECK_EL"],
        ["Проверка электрического сопротивления изоляции:", "", "", "&D1_CHECK_R"],
        ["Единица измерений:", "", "&D1_UNITS", "", "Выходной сигнал:", "", "&D1_SIGNAL"],
        [],
        ("style", "bold", ["Определение основной приведённой погрешности"]),
        ("style", "head", ["№", "Диапазон, &D1_UNITS", "Эталон, &ET_UNIT", "Эталонный сигнал, &D1_SIGNAL_UNITS",
                           "Измеренный сигнал, &D1_SIGNAL_UNITS", "Измеренное, &D1_UNITS", "Погрешность, %",
                           "Допуск, %", "Неопределённость, %"]),
        ("style", "grid", ["&LST_F", "&D1_INT_I", "&ET_REFF_I", "&D1_ECSGN_I", "&D1_SGN_I", "&D1_VAL_I",
                           "&D1_ACC_I", "&D1_ALL_ACC_I", "&D1_UNC_I"]),
    ]),
    "temperature": ("Датчик температуры", [
        ["Проверка электрического сопротивления изоляции:", "", "", "&D1_CHECK_R"],
        ["Опробование:", "", "&D1_CHECK_USG"],
        [],
        ("style", "bold", ["Определение отклонения от номинальной статической характеристики"]),
        ("style", "head", ["№", "Диапазон, °С", "Эталон, °С", "Сигнал эталона, &D1_SIGNAL_UNITS",
                           "Сигнал датчика, &D1_SIGNAL_UNITS", "Измеренное, °С", "Отклонение, °С", "Допуск, °С",
                           "Неопределённость, °С"]),
        ("style", "grid", ["&LST_F", "&D1_INT_I", "&ET_REFF_I", "&D1_ECSGN_I", "&D1_SGN_I", "&D1_VAL_I",
                           "&D1_ACC_I", "&D1_ALL_ACC_I", "&D1_UNC_I"]),
    ]),
    "secondary": ("Вторичный прибор", [
        ["Опробование:", "", "&D1_CHECK_USG"],
        ["Проверка электрического сопротивления изоляции:", "", "", "&D1_CHECK_R"],
        ["Входной сигнал:", "", "&D1_SIGNAL", "", "Единица показаний:", "", "&D1_UNITS"],
        [],
        ("style", "bold", ["Определение основной погрешности"]),
        ("style", "head", ["№", "Диапазон, &D1_UNITS", "Задано, &ET_UNIT", "Входной сигнал, &D1_SIGNAL_UNITS",
                           "Сигнал (контроль), &D1_SIGNAL_UNITS", "Показание, &D1_UNITS", "Погрешность, %",
                           "Допуск, %", "Неопределённость, %"]),
        ("style", "grid", ["&LST_F", "&D1_INT_I", "&ET_REFF_I", "&D1_ECSGN_I", "&D1_SGN_I", "&D1_VAL_I",
                           "&D1_ACC_I", "&D1_ALL_ACC_I", "&D1_UNC_I"]),
    ]),
}

FILES = {"pressure": "Протокол поверки датчика давления",
         "temperature": "Протокол поверки датчика температуры",
         "secondary": "Протокол поверки вторичного прибора"}

for kind, (title, body) in KINDS.items():
    text = HEAD
    text += sheet("&DEV_SH_1", header(title) + body + footer())
    text += sheet("&DEV_VCR_1", certificate("СВИДЕТЕЛЬСТВО О ПОВЕРКЕ № &D1_SH_NUM",
                                            "на основании результатов поверки признано пригодным к применению."))
    text += sheet("&DEV_VER_1", certificate("ИЗВЕЩЕНИЕ О НЕПРИГОДНОСТИ № &D1_SH_NUM",
                                            "на основании результатов поверки признано непригодным к применению."))
    text += sheet("&DEV_CCR_1", calibration())
    text += TAIL
    (HERE / f"{FILES[kind]}.fods").write_text(text, encoding="utf-8")
