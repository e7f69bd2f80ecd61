#pragma once

#include <cstdint>
#include <string>

namespace quillora::testing {

// Version n of a page that a writer rewrites again and again: its number at both ends and a
// body whose size changes from one version to the next, so that a mixture or a cut shows.
inline std::string PageVersion(std::int64_t n) {
    const std::string number = std::to_string(n);
    const auto size = static_cast<std::size_t>((n * 7919) % 50000);
    return "version " + number + "\n" + std::string(size, static_cast<char>('a' + n % 26)) + "\nend of version " + number + "\n";
}

// What the writing child reports on its standard output: a letter and a step number, least
// significant byte first.
inline constexpr std::size_t kReportSize = 9;
inline std::string Report(char kind, std::int64_t n) {
    std::string record(kReportSize, '\0');
    record[0] = kind;
    for (std::size_t i = 0; i < 8; ++i) record[1 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return record;
}

}  // namespace quillora::testing
