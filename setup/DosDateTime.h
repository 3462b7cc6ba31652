#pragma once

#include <cstdint>

namespace discdeck {

// An MS-DOS date and time as cabinets store them: date = (year - 1980) << 9 | month << 5 | day,
// time = hour << 11 | minute << 5 | second / 2.
struct DosDateTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    std::uint16_t PackDate() const {
        return static_cast<std::uint16_t>(((year - 1980) & 0x7F) << 9 | (month & 0x0F) << 5 | (day & 0x1F));
    }
    std::uint16_t PackTime() const {
        return static_cast<std::uint16_t>((hour & 0x1F) << 11 | (minute & 0x3F) << 5 | ((second / 2) & 0x1F));
    }
    static DosDateTime Unpack(std::uint16_t date, std::uint16_t time) {
        DosDateTime result;
        result.year = 1980 + (date >> 9);
        result.month = (date >> 5) & 0x0F;
        result.day = date & 0x1F;
        result.hour = time >> 11;
        result.minute = (time >> 5) & 0x3F;
        result.second = (time & 0x1F) * 2;
        return result;
    }
};

}  // namespace discdeck
