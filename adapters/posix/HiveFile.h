#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace quillora {

struct HiveValue {
    std::string name;  // "" is the key's default value, written @
    RegistryType type = RegistryType::None;
    std::string data;  // the bytes as stored; a REG_SZ carries its terminating zero byte

    bool operator==(const HiveValue& other) const = default;
};

// The keys and typed values of a registry hive, kept as text in the REGEDIT4 format that
// regedit imports:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Tessaline\Quillora\LU]
//   "Template"="/home/ann/site/template.html"
//   "Counter"=dword:0000002a
//   "Raw"=hex:01,02,03
//   "Path"=hex(2):25,48,4f,4d,45,25,00
//
// A key path is the key names from a root key (HKEY_CURRENT_USER and the other standard roots)
// down, joined by backslashes. Key and value names compare without regard to ASCII case; a
// name keeps the case it was first given. Quoted names and texts escape only \ and "; any other
// byte but CR, LF and zero stands for itself (the file is in the ANSI code page, UTF-8 here).
// A REG_SZ that a quoted text cannot carry exactly (CR, LF, a zero byte inside, no terminating
// zero) is written as hex(1), as is any value whose data does not fit its plain form.
//
// The file is the user's, and reading it never refuses it: a line that is not understood is kept
// as it is, byte for byte, and skipped, and every other line still counts. Understood are blank
// lines, ;comments (kept too), [key] headers and "name"=data lines under a header; regedit's
// delete forms ([-key], "name"=-) are import instructions, not content, and are kept unread like
// any other line not understood. A header not understood hides the lines after it, up to the next
// good header, since their key is unknown: they are kept with it. Kept lines are written back
// under the key they followed, after its values, in their order (those that followed a header not
// understood after every value of that key, so that they never come under another key). The
// first non-blank line "REGEDIT4" is the form's signature; CRLF and LF line ends, a UTF-8 byte
// order mark and regedit's wrapped hex lines (a trailing backslash) are accepted.
//
// For any text, Parse(Write(Parse(text))) equals Parse(text).
class HiveFile {
public:
    static constexpr std::size_t kDeepestKey = 512;       // levels below a root key
    static constexpr std::size_t kLongestKeyName = 255;   // bytes
    // A hive of ours holds a handful of keys; this bounds the memory a hand-made file can take.
    static constexpr std::size_t kMostKeys = 65536;

    // The keys and values that the text holds; empty or blank text is an empty hive. Headers past
    // kMostKeys keys count as not understood.
    static HiveFile Parse(std::string_view text);
    // The text of the hive: keys in tree order, each child after its parent, in the order they
    // were first added. A key that holds no value, no kept line and has a child needs no header
    // of its own.
    std::string Write() const;
    // The lines that were kept without being understood, in the order Write puts them.
    std::vector<std::string> KeptLines() const;

    bool HasKey(std::string_view path) const;
    // Null when there is no such key or value.
    const HiveValue* FindValue(std::string_view path, std::string_view name) const;
    // The key's values in the order first set; null when there is no such key.
    const std::vector<HiveValue>* ValuesOf(std::string_view path) const;
    // Full paths of every key, in the order Write puts them.
    std::vector<std::string> KeyPaths() const;

    // Adds the key with any missing parent. False when path is no valid key path or the hive
    // would hold more than kMostKeys keys; otherwise added tells whether the key itself is new.
    bool AddKey(std::string_view path, bool* added = nullptr);
    // Creates or replaces one value, adding its key when missing. False for an invalid path or
    // name; otherwise changed tells whether anything differs from before.
    bool SetValue(std::string_view path, std::string_view name, RegistryType type, std::string_view data,
                  bool* changed = nullptr);

    // Root name first, then 1..kDeepestKey names of 1..kLongestKeyName bytes without \, CR, LF or zero.
    static bool IsKeyPath(std::string_view path);
    // Any bytes but CR, LF and zero; "" is the default value.
    static bool IsValueName(std::string_view name);

    // Same keys in the same tree order, each with the same names, types and data and the same
    // kept lines in the same places.
    bool operator==(const HiveFile& other) const;

private:
    // A value of the key (its index in values), or a kept line.
    struct Item {
        std::size_t value = 0;
        std::string kept;
        bool isKept = false;
        bool operator==(const Item& other) const = default;
    };
    struct Node {
        std::string name;
        std::vector<std::size_t> children;
        std::vector<HiveValue> values;
        std::vector<Item> items;       // values and kept lines in their order
        std::vector<std::string> tail;  // kept lines from a header not understood on
    };

    std::optional<std::size_t> FindNode(std::string_view path) const;
    std::optional<std::size_t> AddNode(std::string_view path, bool* added);
    bool SetValueAt(std::size_t node, std::string_view name, RegistryType type, std::string_view data, bool* changed);
    // Calls visit for every key in tree order with its node, its depth (0 for a root key) and its full path.
    void ForEachKey(const std::function<void(std::size_t, std::size_t, const std::string&)>& visit) const;

    std::vector<Node> nodes_{Node{}};  // nodes_[0] stands above the root keys
    std::unordered_map<std::string, std::size_t> childAt_;  // parent and lowercased name -> node
    std::unordered_map<std::string, std::size_t> valueAt_;  // node and lowercased name -> index in values
};

}  // namespace quillora
