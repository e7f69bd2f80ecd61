#include "adapters/posix/HiveFile.h"

#include <array>
#include <cstdint>

namespace quillora {
namespace {

constexpr std::array<std::string_view, 6> kRootKeys = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                       "HKEY_USERS", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
constexpr std::size_t kWrapAt = 76;  // regedit's width for wrapped hex lines

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = LowerAscii(c);
    return lowered;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool StartsIgnoringCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && SameIgnoringCase(text.substr(0, head.size()), head);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

bool HasLineBreakOrZero(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// The names of a key path; empty when the path has an empty name anywhere.
std::vector<std::string_view> NamesOf(std::string_view path) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty()) return {};
        names.push_back(name);
        if (end == std::string_view::npos) return names;
        start = end + 1;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
bool ReadHexNumber(std::string_view digits, std::size_t maxDigits, std::uint32_t& number) {
    if (digits.empty() || digits.size() > maxDigits) return false;
    number = 0;
    for (char c : digits) {
        int digit = HexDigit(c);
        if (digit < 0) return false;
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

// Comma-separated bytes of one or two hex digits; a trailing comma is allowed.
bool ReadHexBytes(std::string_view list, std::string& bytes) {
    bytes.clear();
    list = Trim(list);
    if (list.empty()) return true;
    if (list.back() == ',') list.remove_suffix(1);
    std::size_t start = 0;
    while (true) {
        std::size_t comma = list.find(',', start);
        std::uint32_t byte = 0;
        std::string_view item = Trim(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!ReadHexNumber(item, 2, byte)) return false;
        bytes.push_back(static_cast<char>(byte));
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

// A quoted text starting at line[pos]; pos ends behind the closing quote. \\ and \" are the
// escapes; a backslash before anything else stands for itself.
bool ReadQuoted(std::string_view line, std::size_t& pos, std::string& text) {
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '\\' || line[pos + 1] == '"')) c = line[++pos];
        text.push_back(c);
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// The data part of a value line: "text", dword:n, hex:bytes or hex(type):bytes.
bool ReadData(std::string_view data, RegistryType& type, std::string& bytes) {
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        if (!ReadQuoted(data, pos, bytes) || !TrimRight(data.substr(pos)).empty()) return false;
        bytes.push_back('\0');
        type = RegistryType::Sz;
        return true;
    }
    if (StartsIgnoringCase(data, "dword:")) {
        std::uint32_t number = 0;
        if (!ReadHexNumber(TrimRight(data.substr(6)), 8, number)) return false;
        bytes.clear();
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
        type = RegistryType::Dword;
        return true;
    }
    if (StartsIgnoringCase(data, "hex:")) {
        type = RegistryType::Binary;
        return ReadHexBytes(data.substr(4), bytes);
    }
    if (StartsIgnoringCase(data, "hex(")) {
        std::size_t close = data.find("):");
        std::uint32_t number = 0;
        if (close == std::string_view::npos || !ReadHexNumber(data.substr(4, close - 4), 8, number)) return false;
        type = static_cast<RegistryType>(number);
        return ReadHexBytes(data.substr(close + 2), bytes);
    }
    return false;
}

// A REG_SZ goes out as a quoted text when that gives back exactly the same bytes.
bool FitsQuoted(std::string_view data) {
    return !data.empty() && data.back() == '\0' && !HasLineBreakOrZero(data.substr(0, data.size() - 1));
}

void AppendHex(std::string& out, std::string line, std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        auto byte = static_cast<unsigned char>(data[i]);
        std::string item{kDigits[byte >> 4], kDigits[byte & 0xF]};
        if (i + 1 < data.size()) item.push_back(',');
        if (line.size() + item.size() > kWrapAt) {
            out += line;
            out += "\\\n";
            line = "  ";
        }
        line += item;
    }
    out += line;
    out.push_back('\n');
}

void AppendValue(std::string& out, const HiveValue& value) {
    std::string line;
    if (value.name.empty()) {
        line = "@";
    } else {
        AppendQuoted(line, value.name);
    }
    line.push_back('=');
    if (value.type == RegistryType::Sz && FitsQuoted(value.data)) {
        AppendQuoted(line, std::string_view(value.data).substr(0, value.data.size() - 1));
        out += line;
        out.push_back('\n');
    } else if (value.type == RegistryType::Dword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4; ++i) number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
        static constexpr char kDigits[] = "0123456789abcdef";
        line += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) line.push_back(kDigits[(number >> shift) & 0xF]);
        out += line;
        out.push_back('\n');
    } else {
        if (value.type == RegistryType::Binary) {
            line += "hex:";
        } else {
            static constexpr char kDigits[] = "0123456789abcdef";
            auto number = static_cast<std::uint32_t>(value.type);
            std::string digits;
            do {
                digits.insert(digits.begin(), kDigits[number & 0xF]);
                number >>= 4;
            } while (number != 0);
            line += "hex(" + digits + "):";
        }
        AppendHex(out, std::move(line), value.data);
    }
}

std::string ChildKey(std::size_t parent, std::string_view name) { return std::to_string(parent) + '\\' + Lowered(name); }
std::string ValueKey(std::size_t node, std::string_view name) { return std::to_string(node) + '\n' + Lowered(name); }

}  // namespace

bool HiveFile::IsKeyPath(std::string_view path) {
    std::vector<std::string_view> names = NamesOf(path);
    if (names.empty() || names.size() > kDeepestKey + 1) return false;
    bool knownRoot = false;
    for (std::string_view root : kRootKeys) knownRoot = knownRoot || SameIgnoringCase(names.front(), root);
    if (!knownRoot) return false;
    for (std::string_view name : names) {
        if (name.size() > kLongestKeyName || HasLineBreakOrZero(name)) return false;
    }
    return true;
}

bool HiveFile::IsValueName(std::string_view name) { return !HasLineBreakOrZero(name); }

HiveFile HiveFile::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    HiveFile hive;
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty()) ++i;
    if (i < lines.size() && Trim(lines[i]) == "REGEDIT4") ++i;

    std::size_t key = 0;  // the key the lines belong to; 0 before the first header
    bool hidden = false;  // behind a header not understood: every line is kept in the key's tail
    auto keep = [&](std::string_view line) {
        Node& node = hive.nodes_[key];
        if (hidden) {
            node.tail.emplace_back(line);
        } else {
            node.items.push_back(Item{0, std::string(line), true});
        }
    };
    std::string name;
    std::string bytes;
    for (; i < lines.size(); ++i) {
        const std::string_view raw = lines[i];
        std::string_view line = TrimLeft(raw);
        if (TrimRight(line).empty()) continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            std::optional<std::size_t> node;
            if (close != std::string_view::npos && TrimRight(line.substr(close + 1)).empty()) {
                node = hive.AddNode(line.substr(1, close - 1), nullptr);
            }
            if (node) {
                key = *node;
                hidden = false;
            } else {
                hidden = true;
                keep(raw);
            }
            continue;
        }
        if (hidden || key == 0 || line.front() == ';') {
            keep(raw);
            continue;
        }
        // A value line, which hex data may carry on over lines that end in a backslash.
        const std::size_t first = i;
        bool understood = line.front() == '"' || line.front() == '@';
        std::size_t pos = 0;
        if (understood && line.front() == '@') {
            name.clear();
            pos = 1;
        } else if (understood) {
            understood = ReadQuoted(line, pos, name);
        }
        std::string_view rest = understood ? TrimLeft(line.substr(pos)) : std::string_view();
        understood = understood && !rest.empty() && rest.front() == '=';
        std::string_view data = understood ? TrimLeft(rest.substr(1)) : std::string_view();
        std::string joined;
        if (understood && StartsIgnoringCase(data, "hex")) {
            joined = TrimRight(data);
            while (understood && !joined.empty() && joined.back() == '\\') {
                understood = i + 1 < lines.size() && !Trim(lines[i + 1]).empty();  // a wrapped line goes on
                if (understood) {
                    joined.pop_back();
                    joined.append(Trim(lines[++i]));
                }
            }
            data = joined;
        }
        RegistryType type = RegistryType::None;
        understood = understood && ReadData(data, type, bytes) && hive.SetValueAt(key, name, type, bytes, nullptr);
        if (!understood) {
            // Kept whole, with every line it ran on over.
            const std::size_t from = static_cast<std::size_t>(lines[first].data() - text.data());
            const std::size_t to = static_cast<std::size_t>(lines[i].data() - text.data()) + lines[i].size();
            keep(text.substr(from, to - from));
        }
    }
    return hive;
}

std::string HiveFile::Write() const {
    std::string out = "REGEDIT4\n";
    // A kept line that ends in a backslash is followed by a blank line, so that it never takes the
    // next line as its continuation.
    auto appendKept = [&](const std::string& line) {
        out += line;
        out.push_back('\n');
        const std::string_view trimmed = TrimRight(line);
        if (!trimmed.empty() && trimmed.back() == '\\') out.push_back('\n');
    };
    auto appendNode = [&](const Node& node) {
        for (const Item& item : node.items) {
            if (item.isKept) {
                appendKept(item.kept);
            } else {
                AppendValue(out, node.values[item.value]);
            }
        }
        for (const std::string& line : node.tail) appendKept(line);
    };
    appendNode(nodes_[0]);
    ForEachKey([&](std::size_t node, std::size_t, const std::string& path) {
        const Node& key = nodes_[node];
        if (!key.items.empty() || !key.tail.empty() || key.children.empty()) {
            out += "\n[" + path + "]\n";
            appendNode(key);
        }
    });
    out.push_back('\n');
    return out;
}

std::vector<std::string> HiveFile::KeptLines() const {
    std::vector<std::string> kept;
    auto collect = [&](const Node& node) {
        for (const Item& item : node.items) {
            if (item.isKept) kept.push_back(item.kept);
        }
        kept.insert(kept.end(), node.tail.begin(), node.tail.end());
    };
    collect(nodes_[0]);
    ForEachKey([&](std::size_t node, std::size_t, const std::string&) { collect(nodes_[node]); });
    return kept;
}

void HiveFile::ForEachKey(const std::function<void(std::size_t, std::size_t, const std::string&)>& visit) const {
    struct Frame {
        std::size_t node;
        std::size_t nextChild;
        std::size_t pathLength;
    };
    std::vector<Frame> stack{{0, 0, 0}};
    std::string path;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& parent = nodes_[frame.node];
        if (frame.nextChild == parent.children.size()) {
            stack.pop_back();
            continue;
        }
        std::size_t child = parent.children[frame.nextChild++];
        path.resize(frame.pathLength);
        if (!path.empty()) path.push_back('\\');
        path += nodes_[child].name;
        std::size_t depth = stack.size() - 1;
        stack.push_back({child, 0, path.size()});
        visit(child, depth, path);
    }
}

std::vector<std::string> HiveFile::KeyPaths() const {
    std::vector<std::string> paths;
    ForEachKey([&](std::size_t, std::size_t, const std::string& path) { paths.push_back(path); });
    return paths;
}

bool HiveFile::operator==(const HiveFile& other) const {
    auto order = [](const HiveFile& hive) {
        std::vector<std::pair<std::size_t, std::size_t>> visits;
        hive.ForEachKey([&](std::size_t node, std::size_t depth, const std::string&) { visits.emplace_back(node, depth); });
        return visits;
    };
    auto mine = order(*this);
    auto theirs = order(other);
    auto same = [](const Node& a, const Node& b) {
        return a.name == b.name && a.values == b.values && a.items == b.items && a.tail == b.tail;
    };
    if (mine.size() != theirs.size() || !same(nodes_[0], other.nodes_[0])) return false;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (mine[i].second != theirs[i].second || !same(nodes_[mine[i].first], other.nodes_[theirs[i].first])) return false;
    }
    return true;
}

std::optional<std::size_t> HiveFile::FindNode(std::string_view path) const {
    std::size_t node = 0;
    for (std::string_view name : NamesOf(path)) {
        auto found = childAt_.find(ChildKey(node, name));
        if (found == childAt_.end()) return std::nullopt;
        node = found->second;
    }
    if (node == 0) return std::nullopt;
    return node;
}

std::optional<std::size_t> HiveFile::AddNode(std::string_view path, bool* added) {
    if (!IsKeyPath(path)) return std::nullopt;
    std::size_t node = 0;
    bool created = false;
    for (std::string_view name : NamesOf(path)) {
        std::string child = ChildKey(node, name);
        auto found = childAt_.find(child);
        created = found == childAt_.end();
        if (created) {
            if (nodes_.size() > kMostKeys) return std::nullopt;
            std::size_t next = nodes_.size();
            nodes_.push_back(Node{std::string(name), {}, {}, {}, {}});
            nodes_[node].children.push_back(next);
            childAt_.emplace(std::move(child), next);
            node = next;
        } else {
            node = found->second;
        }
    }
    if (added != nullptr) *added = created;
    return node;
}

bool HiveFile::SetValueAt(std::size_t node, std::string_view name, RegistryType type, std::string_view data, bool* changed) {
    if (!IsValueName(name)) return false;
    std::vector<HiveValue>& values = nodes_[node].values;
    auto [found, isNew] = valueAt_.try_emplace(ValueKey(node, name), values.size());
    bool differs = true;
    if (isNew) {
        nodes_[node].items.push_back(Item{values.size(), {}, false});
        values.push_back(HiveValue{std::string(name), type, std::string(data)});
    } else {
        HiveValue& value = values[found->second];
        differs = value.type != type || value.data != data;
        value.type = type;
        value.data = data;
    }
    if (changed != nullptr) *changed = differs;
    return true;
}

bool HiveFile::HasKey(std::string_view path) const { return FindNode(path).has_value(); }

const HiveValue* HiveFile::FindValue(std::string_view path, std::string_view name) const {
    std::optional<std::size_t> node = FindNode(path);
    if (!node) return nullptr;
    auto found = valueAt_.find(ValueKey(*node, name));
    return found == valueAt_.end() ? nullptr : &nodes_[*node].values[found->second];
}

const std::vector<HiveValue>* HiveFile::ValuesOf(std::string_view path) const {
    std::optional<std::size_t> node = FindNode(path);
    return node ? &nodes_[*node].values : nullptr;
}

bool HiveFile::AddKey(std::string_view path, bool* added) { return AddNode(path, added).has_value(); }

bool HiveFile::SetValue(std::string_view path, std::string_view name, RegistryType type, std::string_view data, bool* changed) {
    if (!IsValueName(name)) return false;
    bool keyAdded = false;
    std::optional<std::size_t> node = AddNode(path, &keyAdded);
    if (!node || !SetValueAt(*node, name, type, data, changed)) return false;
    if (changed != nullptr) *changed = *changed || keyAdded;
    return true;
}

}  // namespace quillora
