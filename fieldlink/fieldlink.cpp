// The HART tables, read once from the CSV files embedded at build time (UTF-8), kept as
// Windows-1251 texts, with the program's localized rows laid over them.
#include "fieldlink/fieldlink.h"
#include "platform/cp1251_table.h"

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#define FIELDLINK_EXPORT extern "C" __attribute__((visibility("default")))

// Generated from fieldlink/data/*.csv (see CMakeLists.txt).
extern const char kCsvDeviceTypes[];
extern const char kCsvUnits[];
extern const char kCsvTransferFunctions[];
extern const char kCsvMaterials[];
extern const char kCsvAlarmSelection[];
extern const char kCsvWriteProtect[];
extern const char kCsvManufacturers[];
extern const char kCsvClassification[];

namespace {

std::string ToCp1251(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0 && i + 3 < utf8.size() + 0) {
            cp = ((c & 0x07u) << 18) | ((utf8[i + 1] & 0x3Fu) << 12) | ((utf8[i + 2] & 0x3Fu) << 6) | (utf8[i + 3] & 0x3Fu);
            n = 4;
        } else if (c >= 0xE0 && i + 2 < utf8.size()) {
            cp = ((c & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
            n = 3;
        } else if (c >= 0xC0 && i + 1 < utf8.size()) {
            cp = ((c & 0x1Fu) << 6) | (utf8[i + 1] & 0x3Fu);
            n = 2;
        }
        out.push_back(platform::cp1251::Encode(cp));
        i += n;
    }
    return out;
}

// RFC 4180 rows: fields quoted only when they hold a comma; "" inside quotes is a quote.
std::vector<std::vector<std::string>> Csv(const char* text)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        if (quoted) {
            if (c == '"' && p[1] == '"') {
                field.push_back('"');
                ++p;
            } else if (c == '"') {
                quoted = false;
            } else {
                field.push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
        } else if (c == '\n') {
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
        } else if (c != '\r') {
            field.push_back(c);
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(field);
        rows.push_back(row);
    }
    if (!rows.empty()) rows.erase(rows.begin()); // header
    return rows;
}

int ToInt(const std::string& s)
{
    if (s.empty()) return -1;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

using Table = std::map<int, std::string>;

Table CodeNameTable(const char* csv)
{
    Table t;
    for (const auto& r : Csv(csv))
        if (r.size() >= 2 && ToInt(r[0]) >= 0) t[ToInt(r[0])] = ToCp1251(r[1]);
    return t;
}

void Lay(Table& t, std::initializer_list<std::pair<int, const char*>> rows)
{
    for (const auto& [code, utf8] : rows) t[code] = ToCp1251(utf8);
}

struct Tables {
    std::map<int, std::pair<std::string, std::string>> devices; // expanded type → model, maker
    Table units, transfer, materials, alarm, protect, makers, classes;

    Tables()
    {
        for (const auto& r : Csv(kCsvDeviceTypes))
            if (r.size() >= 5 && ToInt(r[2]) >= 0) devices[ToInt(r[2])] = {ToCp1251(r[3]), ToCp1251(r[4])};
        units = CodeNameTable(kCsvUnits);
        units.erase(143); // not a code of the edition the program's texts follow
        Lay(units, {{0, "---"},   {5, "мм рт.ст."}, {6, "фунт/кв.дюйм"}, {7, "Бар"},  {8, "мБар"},
                    {9, "г/кв.см"}, {10, "кгс/см2"}, {11, "Па"},          {12, "кПа"}, {14, "атм"},
                    {32, "°C"},   {33, "°F"},       {34, "°R"},           {35, "°K"},  {176, "кгс/м2"},
                    {237, "МПа"}});
        transfer = CodeNameTable(kCsvTransferFunctions);
        Lay(transfer, {{0, "Линейная"},
                       {1, "Квадратичная"},
                       {2, "Квадратичная 3-й степени"},
                       {3, "Квадратичная 5-й степени"},
                       {4, "Спец. кривая"},
                       {5, "y=x^2"},
                       {230, "Дискретная"},
                       {231, "Квадратичная + Спец. кривая"},
                       {232, "Квадратичная 3-й степени + Спец. кривая"},
                       {233, "Квадратичная 5-й степени + Спец. кривая"},
                       {250, "Не используется"},
                       {251, "Нет"},
                       {252, "Неизвестная"},
                       {253, "Специальная"}});
        for (int c = 240; c <= 249; ++c) transfer[c] = ToCp1251("Заводская");
        materials = CodeNameTable(kCsvMaterials);
        alarm = CodeNameTable(kCsvAlarmSelection);
        Lay(alarm, {{0, "High"}, {1, "Low"}, {239, "Hold Last Output Value"}, {240, "Hold Last Output Value"},
                    {250, "Not Used"}, {251, "None"}, {252, "Unknown"}, {253, "Special"}});
        protect = CodeNameTable(kCsvWriteProtect);
        Lay(protect, {{0, "Not Write Protected"}, {1, "Write Protected"}, {250, "Not Used"}, {251, "None"},
                      {252, "Unknown"}, {253, "Special"}});
        makers = CodeNameTable(kCsvManufacturers);
        classes = CodeNameTable(kCsvClassification);
        classes[0] = "Device Variable Not Classified";
        for (int c = 1; c <= 63; ++c) classes[c] = "Reserved";
    }

    const Table* ById(int id) const
    {
        switch (id) {
        case 2: return &units;
        case 3: return &transfer;
        case 4: return &materials;
        case 6: return &alarm;
        case 7: return &protect;
        case 8: return &makers;
        case 21: return &classes;
        default: return nullptr;
        }
    }
};

const Tables& Data()
{
    static const Tables tables;
    return tables;
}

char g_model[512];
char g_maker[512];

const char* CopyInto(char (&buffer)[512], const std::string& text)
{
    const size_t n = std::min(text.size(), sizeof buffer - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return buffer;
}

} // namespace

FIELDLINK_EXPORT const char* GetStrByCode(int table, int code)
{
    const Tables& d = Data();
    if (table == 0 || table == 1) {
        const auto it = d.devices.find(code);
        const std::string model = it == d.devices.end() ? std::string() : it->second.first;
        const std::string maker = it == d.devices.end() ? std::string() : it->second.second;
        CopyInto(g_model, model);
        CopyInto(g_maker, maker);
        return table == 0 ? g_model : g_maker;
    }
    const Table* t = d.ById(table);
    if (!t) return "";
    const auto it = t->find(code);
    return it == t->end() ? "" : it->second.c_str();
}

FIELDLINK_EXPORT int GetCodeByStr(int table, const char* text)
{
    if (!text || !*text) return -1;
    int start;
    switch (table) {
    case 2: start = 170; break;
    case 3:
    case 4:
    case 6: start = 254; break;
    case 7: start = 256; break;
    case 8: start = 183; break;
    case 21: start = 96; break;
    default: return -1;
    }
    const Table* t = Data().ById(table);
    for (int code = start; code >= 0; --code) {
        const auto it = t->find(code);
        if (it != t->end() && it->second == text) return code;
    }
    return -1;
}
