// dBASE III tables for the gazetteer tests, written from a description so each
// test states its file. Header fields can be overridden to build damaged files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mwtest {

struct DbfField {
    std::string name;
    int length;
};

struct DbfTable {
    std::vector<DbfField> fields;
    std::vector<std::vector<std::string>> records;  // one text per field, padded with blanks
    // Overrides of what the header would say.
    std::optional<std::uint32_t> recordCount;
    std::optional<std::uint16_t> headerLength, recordLength;
    bool terminator = true;     // 0x0D after the descriptors, else a blank
    bool terminatorByte = true; // false: no byte at all after the descriptors
    bool endMark = true;  // the 0x1A after the last record

    std::string Bytes() const {
        std::uint16_t rl = 1;
        for (const DbfField& f : fields) rl = static_cast<std::uint16_t>(rl + f.length);
        const std::uint16_t hl =
            static_cast<std::uint16_t>(32 + 32 * fields.size() + (terminatorByte ? 1 : 0));
        std::string out(32, '\0');
        out[0] = 0x03;
        Put32(out, 4, recordCount.value_or(static_cast<std::uint32_t>(records.size())));
        Put16(out, 8, headerLength.value_or(hl));
        Put16(out, 10, recordLength.value_or(rl));
        for (const DbfField& f : fields) {
            std::string d(32, '\0');
            d.replace(0, std::min<std::size_t>(f.name.size(), 11), f.name.substr(0, 11));
            d[11] = 'C';
            d[16] = static_cast<char>(f.length);
            out += d;
        }
        if (terminatorByte) out += terminator ? '\x0D' : ' ';
        for (const auto& rec : records) {
            out += ' ';
            for (std::size_t i = 0; i < fields.size(); ++i) {
                std::string v = i < rec.size() ? rec[i] : "";
                v.resize(fields[i].length, ' ');
                out += v;
            }
        }
        if (endMark) out += '\x1A';
        return out;
    }

private:
    static void Put16(std::string& s, std::size_t at, std::uint16_t v) {
        s[at] = static_cast<char>(v & 0xFF);
        s[at + 1] = static_cast<char>(v >> 8);
    }
    static void Put32(std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
};

// The four fields of a gazetteer in their usual order.
inline std::vector<DbfField> GazetteerFields(int nameLength = 40) {
    return {{"NAME", nameLength}, {"FULL_CODE", 8}, {"DSG", 6}, {"LATITUDE", 11}, {"LONGITUDE", 11}};
}

}  // namespace mwtest
