#!/usr/bin/env python3
"""Writes the protocol templates as flat OpenDocument spreadsheets (.fods), the editable source of
the .xls templates the program ships. Run it after changing a layout; the build converts the .fods
files to .xls with LibreOffice.

Placeholders start with "&" and are replaced by the protocol maker; the row holding "&LST_F" is
the point table's row: it is copied once per point (with its style and its formulas) and the row
keys are filled in. The "№" column of that row is a formula counting from the header row, so every
copy carries its point number. The marker itself sits in a narrow last column and is emptied.

Each kind of instrument has a verification template (protocol, certificate, notice of
unsuitability) and a calibration template (protocol, calibration certificate) that holds none of
the verification-only placeholders."""
from xml.sax.saxutils import escape
import pathlib

HERE = pathlib.Path(__file__).parent

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="1.2cm"/></style:style>
  <style:style style:name="co2" style:family="table-column"><style:table-column-properties style:column-width="3.0cm"/></style:style>
  <style:style style:name="co3" style:family="table-column"><style:table-column-properties style:column-width="0.3cm"/></style:style>
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


class Number:
    """The "№" of a point row: its distance from the table's header row."""


def cell(text, style=None, header_row=None):
    s = f' table:style-name="{style}"' if style else ""
    if isinstance(text, Number):
        return (f'<table:table-cell{s} table:formula="of:=ROW()-ROW([.$A${header_row}])" office:value-type="float"'
                f' office:value="1"><text:p>1</text:p></table:table-cell>')
    if text is None or text == "":
        return f"<table:table-cell{s}/>"
    return f'<table:table-cell{s} office:value-type="string"><text:p>{escape(text)}</text:p></table:table-cell>'


def sheet(name, rows, columns=10):
    out = [f'   <table:table table:name="{escape(name)}">',
           '    <table:table-column table:style-name="co1"/>',
           f'    <table:table-column table:style-name="co2" table:number-columns-repeated="{columns - 1}"/>',
           '    <table:table-column table:style-name="co3"/>']
    header_row = None
    for number, row in enumerate(rows, start=1):
        if isinstance(row, tuple) and row and row[0] == "style":
            _, style, texts = row
            if style == "head":
                header_row = number
            cells = [cell(t, style, header_row) for t in texts]
            if "&LST_F" in texts:  # the marker: unstyled, in the narrow last column
                cells = [cell(t, style, header_row) for t in texts if t != "&LST_F"]
                cells += ["<table:table-cell/>"] * (columns - len(cells)) + [cell("&LST_F")]
        else:
            cells = [cell(t) for t in row]
        out.append("    <table:table-row>" + ("".join(cells) or "<table:table-cell/>") + "</table:table-row>")
    out.append("   </table:table>")
    return "\n".join(out) + "\n"


# The words that differ between a verification and a calibration protocol.
VERIFICATION = {"of": "поверки", "title": "ПРОТОКОЛ &VR_D1_TYPE_OF поверки № &D1_SH_NUM",
                "method": "Методика поверки:", "conditions": "Условия поверки:", "means": "Средства поверки:"}
CALIBRATION = {"of": "калибровки", "title": "ПРОТОКОЛ калибровки № &D1_SH_NUM",
               "method": "Методика калибровки:", "conditions": "Условия калибровки:",
               "means": "Средства калибровки:"}


def header(kind, words):
    return [
        ("style", "bold", ["&CD_ORG"]),
        ["&CD_ADDRESS"],
        ["Аттестат аккредитации: &CD_CRT_NUM"],
        [],
        ("style", "title", ["", "", words["title"]]),
        ["", "", f"{kind}", "", "", "", "", "Дата:", "&CD_DATE"],
        [],
        ["Средство измерений:", "", "&D1_NAME &D1_TYPE"],
        ["Заводской номер:", "", "&D1_SERIAL", "", "Инвентарный номер:", "", "&D1_INV"],
        ["Владелец:", "", "&D1_OWNER"],
        [words["method"], "", "&VR_D1_DOC"],
        [],
        ("style", "bold", [words["conditions"]]),
        ["", "&CD_TEMP_FULL"],
        ["", "&CD_HUM_FULL"],
        ["", "&CD_PRES_FULL"],
        ("style", "bold", [words["means"]]),
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
        ["", "Правило принятия решения: &VR_D1_DECISION_RULE."],
        [],
        ["Поверитель:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
        ["Руководитель:", "", "&CD_CHEF_POS", "", "_____________", "&CD_CHEF"],
    ]


def calibration_footer():
    return [
        [],
        ("style", "bold", ["Результаты калибровки приведены в таблице."]),
        ["", "Допустимая погрешность умножена на коэффициент &CD_VRCOEFF."],
        [],
        ["Калибровку выполнил:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
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


def calibration_certificate():
    return [
        ("style", "bold", ["&CD_ORG"]),
        ["&CD_ADDRESS"],
        [],
        ("style", "title", ["", "", "СЕРТИФИКАТ О КАЛИБРОВКЕ № &D1_SH_NUM"]),
        [],
        ["Средство измерений:", "", "&D1_NAME &D1_TYPE"],
        ["Заводской номер:", "", "&D1_SERIAL"],
        ["Владелец:", "", "&D1_OWNER"],
        ["Методика калибровки:", "", "&VR_D1_DOC"],
        ["Результаты калибровки приведены в протоколе от", "", "", "&CD_DATE"],
        [],
        ["Калибровку выполнил:", "", "&CD_VERIF_POS", "", "_____________", "&CD_VERIF"],
        ["Руководитель:", "", "&CD_CHEF_POS", "", "_____________", "&CD_CHEF"],
    ]


POINT_ROW = ("style", "grid", [Number(), "&D1_INT_I", "&ET_REFF_I", "&D1_ECSGN_I", "&D1_SGN_I", "&D1_VAL_I",
                               "&D1_ACC_I", "&D1_ALL_ACC_I", "&D1_UNC_I", "&D1_TUR_I", "&LST_F"])

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
                           "Допуск, %", "Неопределённость, &D1_UNITS", "TUR"]),
        POINT_ROW,
    ]),
    "temperature": ("Датчик температуры", [
        ["Проверка электрического сопротивления изоляции:", "", "", "&D1_CHECK_R"],
        ["Опробование:", "", "&D1_CHECK_USG"],
        [],
        ("style", "bold", ["Определение отклонения от номинальной статической характеристики"]),
        ("style", "head", ["№", "Диапазон, °С", "Эталон, °С", "Сигнал эталона, &D1_SIGNAL_UNITS",
                           "Сигнал датчика, &D1_SIGNAL_UNITS", "Измеренное, °С", "Отклонение, °С", "Допуск, °С",
                           "Неопределённость, °С", "TUR"]),
        POINT_ROW,
    ]),
    "secondary": ("Вторичный прибор", [
        ["Опробование:", "", "&D1_CHECK_USG"],
        ["Проверка электрического сопротивления изоляции:", "", "", "&D1_CHECK_R"],
        ["Входной сигнал:", "", "&D1_SIGNAL", "", "Единица показаний:", "", "&D1_UNITS"],
        [],
        ("style", "bold", ["Определение основной погрешности"]),
        ("style", "head", ["№", "Диапазон, &D1_UNITS", "Задано, &ET_UNIT", "Входной сигнал, &D1_SIGNAL_UNITS",
                           "Сигнал (контроль), &D1_SIGNAL_UNITS", "Показание, &D1_UNITS", "Погрешность, %",
                           "Допуск, %", "Неопределённость, &D1_UNITS", "TUR"]),
        POINT_ROW,
    ]),
}

FILES = {"pressure": "датчика давления", "temperature": "датчика температуры", "secondary": "вторичного прибора"}

for kind, (title, body) in KINDS.items():
    text = HEAD
    text += sheet("&DEV_SH_1", header(title, VERIFICATION) + body + footer())
    text += sheet("&DEV_VCR_1", certificate("СВИДЕТЕЛЬСТВО О ПОВЕРКЕ № &D1_SH_NUM",
                                            "на основании результатов поверки признано пригодным к применению."))
    text += sheet("&DEV_VER_1", certificate("ИЗВЕЩЕНИЕ О НЕПРИГОДНОСТИ № &D1_SH_NUM",
                                            "на основании результатов поверки признано непригодным к применению."))
    text += TAIL
    (HERE / f"Протокол поверки {FILES[kind]}.fods").write_text(text, encoding="utf-8")

    text = HEAD
    text += sheet("&DEV_SH_1", header(title, CALIBRATION) + body + calibration_footer())
    text += sheet("&DEV_CCR_1", calibration_certificate())
    text += TAIL
    assert "поверк" not in text and "&VR_D1_TYPE_OF" not in text and "&VR_D1_SUITABLE" not in text
    assert "&VR_D1_DECISION_RULE" not in text
    (HERE / f"Протокол калибровки {FILES[kind]}.fods").write_text(text, encoding="utf-8")
