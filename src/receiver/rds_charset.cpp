#include "receiver/rds_charset.h"

namespace orv::receiver {

namespace {

constexpr uint8_t firstPrintable = 0x20;
constexpr uint8_t firstExtended = 0x80;
constexpr uint8_t lastAssigned = 0xFE;

// 0x80..0xFE, sixteen to a line.
const char* const extendedCharacters[] = {
    "á", "à", "é", "è", "í", "ì", "ó", "ò", "ú", "ù", "Ñ", "Ç", "Ş", "ß", "¡", "Ĳ",
    "â", "ä", "ê", "ë", "î", "ï", "ô", "ö", "û", "ü", "ñ", "ç", "ş", "ğ", "ı", "ĳ",
    "ª", "α", "©", "‰", "Ğ", "ě", "ň", "ő", "π", "€", "£", "$", "←", "↑", "→", "↓",
    "º", "¹", "²", "³", "±", "İ", "ń", "ű", "µ", "¿", "÷", "°", "¼", "½", "¾", "§",
    "Á", "À", "É", "È", "Í", "Ì", "Ó", "Ò", "Ú", "Ù", "Ř", "Č", "Š", "Ž", "Đ", "Ŀ",
    "Â", "Ä", "Ê", "Ë", "Î", "Ï", "Ô", "Ö", "Û", "Ü", "ř", "č", "š", "ž", "đ", "ŀ",
    "Ã", "Å", "Æ", "Œ", "ŷ", "Ý", "Õ", "Ø", "Þ", "Ŋ", "Ŕ", "Ć", "Ś", "Ź", "Ŧ", "ð",
    "ã", "å", "æ", "œ", "ŵ", "ý", "õ", "ø", "þ", "ŋ", "ŕ", "ć", "ś", "ź", "ŧ",
};

// Where the set parts from ASCII below 0x80.
const char* asciiException(uint8_t code) {
    switch (code) {
        case 0x24: return "¤";
        case 0x5E: return "―";
        case 0x60: return "‖";
        case 0x7E: return "¯";
        default: return nullptr;
    }
}

}  // namespace

std::string rdsCharacterToUtf8(uint8_t code) {
    if (code >= firstExtended && code <= lastAssigned) return extendedCharacters[code - firstExtended];
    if (code < firstPrintable || code > 0x7E) return " ";
    if (const char* s = asciiException(code)) return s;
    return std::string(1, char(code));
}

std::string rdsTextToUtf8(const uint8_t* codes, size_t count) {
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) out += rdsCharacterToUtf8(codes[i]);
    return out;
}

}  // namespace orv::receiver
