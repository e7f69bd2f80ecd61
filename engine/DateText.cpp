#include "engine/DateText.h"

namespace quillora {

TextBuffer DateText(const std::tm& local) {
    static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11) return TextBuffer();
    return TextBuffer::Formatted("%s, %s %02d, %d",
                                 {kDays[local.tm_wday], kMonths[local.tm_mon], local.tm_mday, local.tm_year + 1900});
}

}  // namespace quillora
