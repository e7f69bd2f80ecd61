// The settings hive's text form, both ways. The first byte picks:
//   even: the rest is a hive text. What Parse makes of it, written and parsed again, gives the
//         same keys, values and kept lines, and writing that again gives the same text.
//   odd:  the rest drives AddKey and SetValue with arbitrary names, types and data; the hive
//         written and parsed again holds exactly the keys and values set (names compared
//         without regard to case, the first spelling kept).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ReferenceText.h"
#include "adapters/posix/HiveFile.h"

namespace quillora::fuzz {
namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// The two hives hold the same keys in the same order, with the same values, through the
// public look-ups as well as through operator==.
void ExpectSameContent(const HiveFile& expected, const HiveFile& actual, const std::string& detail) {
    Expect(actual == expected, "operator== after writing and parsing", detail);
    const std::vector<std::string> paths = expected.KeyPaths();
    Expect(actual.KeyPaths() == paths, "key paths", detail);
    for (const std::string& path : paths) {
        const std::vector<HiveValue>* values = expected.ValuesOf(path);
        const std::vector<HiveValue>* again = actual.ValuesOf(path);
        Expect(values != nullptr && again != nullptr && *values == *again, "values of a key", detail + "\nkey " + Show(path));
        for (const HiveValue& value : *values) {
            const HiveValue* found = actual.FindValue(Lowered(path), Lowered(value.name));
            Expect(found != nullptr && *found == value, "a value found by its name in other letter case",
                   detail + "\nkey " + Show(path) + " value " + Show(value.name));
        }
    }
}

void ParseWriteParse(std::string_view text) {
    const HiveFile parsed = HiveFile::Parse(text);
    const std::string written = parsed.Write();
    const std::string detail = "text " + Show(text) + "\nwritten " + Show(written);
    const HiveFile again = HiveFile::Parse(written);
    ExpectSameContent(parsed, again, detail);
    Expect(again.KeptLines() == parsed.KeptLines(), "the same lines kept", detail);
    Expect(again.Write() == written, "writing again gives the same text", detail);
}

std::string Bytes(FuzzedDataProvider& in, std::size_t most) { return in.ConsumeRandomLengthString(most); }

// A key path below HKEY_CURRENT_USER from a short list of names, so that keys are shared,
// nested and met again in other letter case.
std::string KeyPath(FuzzedDataProvider& in) {
    static const char* const names[] = {"Software", "SOFTWARE", "Tessaline", "Quillora", "LU", "lu", "a b", "[x]", "x\"y", "\t"};
    std::string path = in.ConsumeBool() ? "HKEY_CURRENT_USER" : "hkey_current_user";
    const int depth = in.ConsumeIntegralInRange<int>(1, 5);
    for (int level = 0; level < depth; ++level) {
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
            std::string name = Bytes(in, 12);
            if (!name.empty()) path += "\\" + name;  // any bytes: AddKey decides whether the path is valid
        } else {
            path += "\\";
            path += names[in.ConsumeIntegralInRange<std::size_t>(0, std::size(names) - 1)];
        }
    }
    return path;
}

void BuildWriteParse(FuzzedDataProvider& in) {
    HiveFile hive;
    // What was set, by lowercased key path and lowercased value name.
    std::map<std::pair<std::string, std::string>, std::pair<RegistryType, std::string>> model;
    std::vector<std::string> keys;
    for (int op = 0; op < 40 && in.remaining_bytes() > 0; ++op) {
        const std::string path = KeyPath(in);
        if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
            const bool added = hive.AddKey(path);
            Expect(added == HiveFile::IsKeyPath(path), "AddKey accepts exactly the valid key paths", Show(path));
            if (added) keys.push_back(Lowered(path));
            continue;
        }
        static const std::uint32_t types[] = {0, 1, 2, 3, 4, 7, 11, 0xFFFFFFFF};
        const auto type = static_cast<RegistryType>(types[in.ConsumeIntegralInRange<std::size_t>(0, std::size(types) - 1)]);
        std::string name = in.ConsumeBool() ? std::string(in.PickValueInArray({"Counter", "COUNTER", "Template", "", "@", "a\\\"b"}))
                                            : Bytes(in, 16);
        std::string data = Bytes(in, 64);
        if (type == RegistryType::Sz && in.ConsumeBool()) data.push_back('\0');  // the usual form of a text
        const bool set = hive.SetValue(path, name, type, data);
        Expect(set == (HiveFile::IsKeyPath(path) && HiveFile::IsValueName(name)), "SetValue accepts valid names",
               Show(path) + " " + Show(name));
        if (set) {
            keys.push_back(Lowered(path));
            model[{Lowered(path), Lowered(name)}] = {type, data};
        }
    }

    const std::string written = hive.Write();
    const HiveFile again = HiveFile::Parse(written);
    Expect(again.KeptLines().empty(), "a built hive's text is understood whole", "written " + Show(written));
    ExpectSameContent(hive, again, "written " + Show(written));
    for (const std::string& key : keys) Expect(again.HasKey(key), "every key added is there", Show(key));
    for (const auto& [where, value] : model) {
        const HiveValue* found = again.FindValue(where.first, where.second);
        Expect(found != nullptr && found->type == value.first && found->data == value.second, "the last value set",
               "key " + Show(where.first) + " value " + Show(where.second) + "\nwritten " + Show(written));
    }
}

}  // namespace
}  // namespace quillora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] % 2 == 0) {
        quillora::fuzz::ParseWriteParse(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    } else {
        FuzzedDataProvider in(data + 1, size - 1);
        quillora::fuzz::BuildWriteParse(in);
    }
    return 0;
}
