#include "adapters/posix/HiveFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillora {
namespace {

const std::string kLu = "HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU";

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(HiveFileTest, WritesTheRegeditForm) {
    HiveFile hive;
    ASSERT_TRUE(hive.AddKey("HKEY_CURRENT_USER\\Software\\Empty"));
    std::string raw;
    for (char byte = 0; byte < 30; ++byte) raw.push_back(byte);
    ASSERT_TRUE(hive.SetValue(kLu, "Text", RegistryType::Sz, std::string("a \"quoted\" C:\\path\0", 19)));
    ASSERT_TRUE(hive.SetValue(kLu, "Number", RegistryType::Dword, std::string("\x2a\0\0\0", 4)));
    ASSERT_TRUE(hive.SetValue(kLu, "", RegistryType::Sz, std::string("default\0", 8)));
    ASSERT_TRUE(hive.SetValue(kLu, "Lines", RegistryType::Sz, std::string("one\r\ntwo\0", 9)));
    ASSERT_TRUE(hive.SetValue(kLu, "Expand", RegistryType::ExpandSz, std::string("%HOME%\0", 7)));
    ASSERT_TRUE(hive.SetValue(kLu, "Raw", RegistryType::Binary, raw));
    ASSERT_TRUE(hive.SetValue(kLu, "Short", RegistryType::Dword, "\x01\x02"));
    ASSERT_TRUE(hive.SetValue(kLu, "Multi", static_cast<RegistryType>(7), std::string("a\0\0", 3)));

    // Keys that hold no value and have a child are implied by the child's header.
    EXPECT_EQ(hive.Write(),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Empty]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n"
              "\"Text\"=\"a \\\"quoted\\\" C:\\\\path\"\n"
              "\"Number\"=dword:0000002a\n"
              "@=\"default\"\n"
              "\"Lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,00\n"
              "\"Expand\"=hex(2):25,48,4f,4d,45,25,00\n"
              "\"Raw\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
              "  16,17,18,19,1a,1b,1c,1d\n"
              "\"Short\"=hex(4):01,02\n"
              "\"Multi\"=hex(7):61,00,00\n"
              "\n");
    EXPECT_EQ(HiveFile().Write(), "REGEDIT4\n\n");
}

TEST(HiveFileTest, ReadsWhatPeopleAndRegeditWrite) {
    struct Case {
        const char* what;
        std::string text;
        std::string name;
        RegistryType type;
        std::string data;
    };
    const std::string head = "REGEDIT4\r\n\r\n[" + kLu + "]\r\n";
    const Case cases[] = {
        {"CRLF lines", head + "\"Counter\"=dword:0000002a\r\n", "Counter", RegistryType::Dword, std::string("\x2a\0\0\0", 4)},
        {"LF lines, no final line end", "REGEDIT4\n[" + kLu + "]\n\"Counter\"=dword:2a", "Counter", RegistryType::Dword,
         std::string("\x2a\0\0\0", 4)},
        {"byte order mark, comments, indents and blanks around =",
         "\xEF\xBB\xBFREGEDIT4\n; written by hand\n  [" + kLu + "]  \n  \"Template\" = \"/t.html\"  \n", "Template",
         RegistryType::Sz, std::string("/t.html\0", 8)},
        {"wrapped hex lines", head + "\"Raw\"=hex:01,02,\\\r\n  03,04\r\n", "Raw", RegistryType::Binary, "\x01\x02\x03\x04"},
        {"wrapped right after the colon", head + "\"Raw\"=hex:\\\n  0a", "Raw", RegistryType::Binary, "\x0a"},
        {"capitals in the forms", head + "\"Path\"=HEX(2):41,00\r\n\"N\"=DWORD:0000002A\r\n", "Path", RegistryType::ExpandSz,
         std::string("A\0", 2)},
        {"one-digit hex bytes", head + "\"Raw\"=hex:1,a,ff", "Raw", RegistryType::Binary, "\x01\x0a\xff"},
        {"empty hex", head + "\"Raw\"=hex:", "Raw", RegistryType::Binary, ""},
        {"other types by number", head + "\"Q\"=hex(b):01,00,00,00,00,00,00,00", "Q", static_cast<RegistryType>(0xb),
         std::string("\1\0\0\0\0\0\0\0", 8)},
        {"a backslash before another byte stands for itself", head + "\"P\"=\"C:\\docs\\t.html\"", "P", RegistryType::Sz,
         std::string("C:\\docs\\t.html\0", 15)},
        {"the default value", head + "@=\"x\"", "", RegistryType::Sz, std::string("x\0", 2)},
        {"names hold = [ ] ; and escapes", head + "\"a=[b]; \\\"c\\\\\"=\"v\"", "a=[b]; \"c\\", RegistryType::Sz,
         std::string("v\0", 2)},
        {"a later line replaces an earlier value", head + "\"N\"=dword:1\n\"n\"=dword:2\n", "N", RegistryType::Dword,
         std::string("\2\0\0\0", 4)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const HiveFile hive = HiveFile::Parse(test.text);
        const HiveValue* value = hive.FindValue(kLu, test.name);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->name, test.name);
        EXPECT_EQ(value->type, test.type);
        EXPECT_EQ(value->data, test.data);
    }
}

TEST(HiveFileTest, BlankTextIsAnEmptyHive) {
    for (const char* text : {"", "\n\r\n  ", "REGEDIT4", "REGEDIT4\r\n\r\n; nothing yet\r\n"}) {
        EXPECT_TRUE(HiveFile::Parse(text).KeyPaths().empty()) << text;
    }
}

TEST(HiveFileTest, NamesCompareWithoutRegardToCaseAndKeepTheirFirstCase) {
    HiveFile hive = HiveFile::Parse(
        "REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\tessaline]\n\"Counter\"=dword:1\n"
        "[hkey_current_user\\software\\TESSALINE\\Quillora]\n[HKEY_CURRENT_USER\\Software\\Tessaline]\n\"COUNTER\"=dword:2\n");
    EXPECT_EQ(hive.KeyPaths(), (std::vector<std::string>{"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\SOFTWARE",
                                                           "HKEY_CURRENT_USER\\SOFTWARE\\tessaline",
                                                           "HKEY_CURRENT_USER\\SOFTWARE\\tessaline\\Quillora"}));
    const std::vector<HiveValue>* values = hive.ValuesOf("hkey_current_user\\Software\\TESSALINE");
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->size(), 1u);
    EXPECT_EQ(values->front().name, "Counter");
    EXPECT_EQ(values->front().data, std::string("\2\0\0\0", 4));

    bool added = true;
    EXPECT_TRUE(hive.AddKey("HKEY_CURRENT_USER\\software\\TESSALINE\\quillora", &added));
    EXPECT_FALSE(added);
    EXPECT_TRUE(hive.AddKey("HKEY_CURRENT_USER\\software\\TESSALINE\\quillora\\LU", &added));
    EXPECT_TRUE(added);
    EXPECT_EQ(hive.KeyPaths().back(), "HKEY_CURRENT_USER\\SOFTWARE\\tessaline\\Quillora\\LU");
}

TEST(HiveFileTest, SetValueTellsWhetherAnythingChanged) {
    HiveFile hive;
    bool changed = false;
    EXPECT_TRUE(hive.SetValue(kLu, "N", RegistryType::Dword, std::string("\1\0\0\0", 4), &changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(hive.SetValue(kLu, "n", RegistryType::Dword, std::string("\1\0\0\0", 4), &changed));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(hive.SetValue(kLu, "n", RegistryType::Binary, std::string("\1\0\0\0", 4), &changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(hive.SetValue(kLu + "\\New", "n", RegistryType::Binary, std::string("\1\0\0\0", 4), &changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(hive.SetValue(kLu + "\\New2", "n", RegistryType::Binary, "", &changed));
    EXPECT_TRUE(changed);  // a new key with an empty value is still a change
    EXPECT_FALSE(hive.SetValue(kLu, "line\nbreak", RegistryType::Sz, "x"));
    EXPECT_FALSE(hive.SetValue(kLu, std::string("zero\0name", 9), RegistryType::Sz, "x"));
    EXPECT_FALSE(hive.SetValue("HKEY_NOWHERE\\x", "n", RegistryType::Sz, "x"));
}

TEST(HiveFileTest, KeyPathsHaveLimits) {
    const std::string name255(255, 'k');
    struct Case {
        const char* what;
        std::string path;
        bool valid;
    };
    const Case cases[] = {
        {"a root alone", "HKEY_CURRENT_USER", true},
        {"another root, any case", "hkey_local_machine\\Software", true},
        {"names of 255 bytes", "HKEY_CURRENT_USER\\" + name255, true},
        {"a name of 256 bytes", "HKEY_CURRENT_USER\\" + name255 + "k", false},
        {"512 levels", "HKEY_CURRENT_USER" + Repeated("\\k", 512), true},
        {"513 levels", "HKEY_CURRENT_USER" + Repeated("\\k", 513), false},
        {"odd bytes", "HKEY_CURRENT_USER\\a]b[c=d\"e \xC3\xA9\x80\xFF", true},
        {"an unknown root", "HKEY_SOMEWHERE\\x", false},
        {"empty", "", false},
        {"an empty name", "HKEY_CURRENT_USER\\\\x", false},
        {"a trailing backslash", "HKEY_CURRENT_USER\\x\\", false},
        {"a line break", "HKEY_CURRENT_USER\\a\nb", false},
        {"a carriage return", "HKEY_CURRENT_USER\\a\rb", false},
        {"a zero byte", std::string("HKEY_CURRENT_USER\\a\0b", 21), false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(HiveFile::IsKeyPath(test.path), test.valid);
        HiveFile hive;
        EXPECT_EQ(hive.AddKey(test.path), test.valid);
        EXPECT_EQ(hive.HasKey(test.path), test.valid);
    }
}

TEST(HiveFileTest, AHiveHoldsAtMostSoManyKeys) {
    std::string text = "REGEDIT4\n";  // HKEY_CURRENT_USER and its subkeys
    for (std::size_t i = 1; i < HiveFile::kMostKeys; ++i) text += "[HKEY_CURRENT_USER\\k" + std::to_string(i) + "]\n";
    HiveFile full = HiveFile::Parse(text);
    EXPECT_EQ(full.KeyPaths().size(), HiveFile::kMostKeys);
    EXPECT_FALSE(full.AddKey("HKEY_CURRENT_USER\\one more"));
    EXPECT_TRUE(full.AddKey("HKEY_CURRENT_USER\\k1"));  // existing keys can still be had
    EXPECT_TRUE(full.SetValue("HKEY_CURRENT_USER\\k1", "n", RegistryType::Sz, "x"));
    // A header past the limit is a line not understood, kept with what follows it.
    const HiveFile past = HiveFile::Parse(text + "[HKEY_CURRENT_USER\\one more]\n\"a\"=\"b\"\n");
    EXPECT_EQ(past.KeyPaths().size(), HiveFile::kMostKeys);
    EXPECT_EQ(past.KeptLines(), (std::vector<std::string>{"[HKEY_CURRENT_USER\\one more]", "\"a\"=\"b\""}));
}

// Every line that is not understood is kept as it is, and the lines around it still count.
TEST(HiveFileTest, KeepsEveryLineItDoesNotUnderstand) {
    const std::string head = "REGEDIT4\n[" + kLu + "]\n";
    const std::string counter = "\"Counter\"=dword:00000029\n";
    struct Case {
        const char* what;
        std::string text;
        std::string kept;
    };
    const Case cases[] = {
        {"another first line", "REGEDIT5\n[" + kLu + "]\n" + counter, "REGEDIT5"},
        {"the UTF-16 export's header", "Windows Registry Editor Version 5.00\r\n\r\n[" + kLu + "]\r\n" + counter,
         "Windows Registry Editor Version 5.00\r"},
        {"a value before any key", "REGEDIT4\n\"a\"=\"b\"\n[" + kLu + "]\n" + counter, "\"a\"=\"b\""},
        {"a comment", head + "; the issue counter\n" + counter, "; the issue counter"},
        {"regedit's value deletion", head + "\"a\"=-\n" + counter, "\"a\"=-"},
        {"a name without its closing quote", head + "\"Template=\"x\"\n" + counter, "\"Template=\"x\""},
        {"a text without its closing quote", head + "\"Template\"=\"/home/ann/te\n" + counter, "\"Template\"=\"/home/ann/te"},
        {"an escaped closing quote", head + "\"Template\"=\"C:\\\"\n" + counter, "\"Template\"=\"C:\\\""},
        {"no =", head + "\"Template\" \"x\"\n" + counter, "\"Template\" \"x\""},
        {"bare text", head + "\"Template\"=x\n" + counter, "\"Template\"=x"},
        {"text behind a closing quote", head + "\"Template\"=\"x\" y\n" + counter, "\"Template\"=\"x\" y"},
        {"a comment behind a value", head + "\"N\"=dword:00000029 ; last issue\n" + counter, "\"N\"=dword:00000029 ; last issue"},
        {"nine dword digits", head + "\"N\"=dword:000000001\n" + counter, "\"N\"=dword:000000001"},
        {"no dword digits", head + "\"N\"=dword:\n" + counter, "\"N\"=dword:"},
        {"a dword that is no number", head + "\"N\"=dword:12g4\n" + counter, "\"N\"=dword:12g4"},
        {"a three-digit hex byte", head + "\"R\"=hex:123\n" + counter, "\"R\"=hex:123"},
        {"an empty hex byte", head + "\"R\"=hex:01,,02\n" + counter, "\"R\"=hex:01,,02"},
        {"a hex type that is no number", head + "\"R\"=hex(zz):01\n" + counter, "\"R\"=hex(zz):01"},
        {"a hex type without its colon", head + "\"R\"=hex(2)01\n" + counter, "\"R\"=hex(2)01"},
        {"a wrapped bad line, whole", head + "\"R\"=hex:01,\\\n  zz\n" + counter, "\"R\"=hex:01,\\\n  zz"},
        {"a stray line", head + "garbage\n" + counter, "garbage"},
        {"a zero byte in a name", head + std::string("\"a\0b\"=\"x\"\n", 10) + counter, std::string("\"a\0b\"=\"x\"", 9)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const HiveFile hive = HiveFile::Parse(test.text);
        EXPECT_EQ(hive.KeptLines(), std::vector<std::string>{test.kept});
        const HiveValue* value = hive.FindValue(kLu, "Counter");
        ASSERT_NE(value, nullptr) << "the good line after it was not read";
        EXPECT_EQ(value->data, std::string("\x29\0\0\0", 4));
        const std::string written = hive.Write();
        EXPECT_NE(written.find(test.kept + "\n"), std::string::npos) << written;
        EXPECT_TRUE(HiveFile::Parse(written) == hive) << written;
    }
}

// A header that is not understood hides the lines up to the next good header: their key is
// unknown. They stay behind it, and nothing written later comes under it.
TEST(HiveFileTest, LinesBehindAHeaderNotUnderstoodNeverComeUnderAKey) {
    struct Case {
        const char* what;
        std::string header;
    };
    const Case cases[] = {
        {"a header without its bracket", "[" + kLu},
        {"text behind a header", "[" + kLu + "] more"},
        {"an unknown root", "[HKEY_SOMEWHERE\\x]"},
        {"an empty key name", "[HKEY_CURRENT_USER\\\\x]"},
        {"a key name of 256 bytes", "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]"},
        {"513 levels", "[HKEY_CURRENT_USER" + Repeated("\\k", 513) + "]"},
        {"regedit's key deletion", "[-" + kLu + "]"},
        {"a truncated header", "[HKEY_CURRENT_USER\\Software\\Tessa"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        HiveFile hive = HiveFile::Parse("REGEDIT4\n\n[" + kLu + "]\n\"Terms\"=dword:00000001\n" + test.header +
                                        "\n\"Counter\"=dword:00000029\n\n[HKEY_CURRENT_USER\\Other]\n\"x\"=\"y\"\n");
        EXPECT_EQ(hive.KeptLines(), (std::vector<std::string>{test.header, "\"Counter\"=dword:00000029"}));
        EXPECT_EQ(hive.FindValue(kLu, "Counter"), nullptr);
        ASSERT_NE(hive.FindValue("HKEY_CURRENT_USER\\Other", "x"), nullptr);
        EXPECT_TRUE(hive.SetValue(kLu, "Index", RegistryType::Dword, std::string("\1\0\0\0", 4)));
        EXPECT_EQ(hive.Write(), "REGEDIT4\n\n[" + kLu + "]\n\"Terms\"=dword:00000001\n\"Index\"=dword:00000001\n" +
                                    test.header + "\n\"Counter\"=dword:00000029\n\n[HKEY_CURRENT_USER\\Other]\n\"x\"=\"y\"\n\n");
    }
}

// Writing what was read, and reading it again, gives the same hive with the same kept lines:
// checked on many texts made by damaging valid ones at random (the same texts on every run).
TEST(HiveFileTest, ParseWriteParseGivesTheSameHive) {
    const std::vector<std::string> seeds = {
        "REGEDIT4\n\n[" + kLu + "]\n\"Terms\"=dword:00000001\n\"Template\"=\"/home/ann/t.html\"\n\"Index\"=dword:00000001\n"
        "@=\"\"\n\"Raw\"=hex:00,ff,\\\n  10\n\"Path\"=hex(2):25,00\n\"Lines\"=hex(1):61,0d,0a,00\n; a comment\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n[hkey_current_user\\a\\B]\r\n\"x\"=\"\\\\q\\\"\"\r\n[HKEY_LOCAL_MACHINE\\C]\r\n"
        "[HKEY_CURRENT_USER\\A\\b\\c]\r\n\"y\"=hex(7):61,00,00\r\n",
    };
    const std::string alphabet = "\"\\[]=@;,:-\r\n 0123456789abcdefx()\xC3\xA9\x80\xFF";
    std::mt19937 random(20240611);
    int withKeptLines = 0;
    int tried = 0;
    for (const std::string& seed : seeds) {
        for (int round = 0; round < 3000; ++round) {
            std::string text = seed;
            int damage = 1 + static_cast<int>(random() % 4);
            for (int d = 0; d < damage && !text.empty(); ++d) {
                std::size_t at = random() % text.size();
                switch (random() % 4) {
                    case 0: text[at] = alphabet[random() % alphabet.size()]; break;
                    case 1: text.insert(at, 1, alphabet[random() % alphabet.size()]); break;
                    case 2: text.erase(at, 1 + random() % 3); break;
                    default: text.resize(at); break;
                }
            }
            ++tried;
            const HiveFile first = HiveFile::Parse(text);
            if (first.KeptLines().size() > 1) ++withKeptLines;
            const std::string written = first.Write();
            const HiveFile second = HiveFile::Parse(written);
            ASSERT_TRUE(second == first) << "written:\n" << written << "\nfrom:\n" << text;
            ASSERT_EQ(second.Write(), written) << "from:\n" << text;
        }
    }
    // Enough of the damaged texts hold lines not understood for the check to mean something.
    EXPECT_GT(withKeptLines, tried / 10);
}

TEST(HiveFileTest, EqualityLooksAtNamesTypesDataAndOrder) {
    HiveFile a;
    a.SetValue(kLu, "N", RegistryType::Dword, std::string("\1\0\0\0", 4));
    HiveFile b = a;
    EXPECT_TRUE(a == b);
    b.SetValue(kLu, "N", RegistryType::Binary, std::string("\1\0\0\0", 4));
    EXPECT_FALSE(a == b);
    HiveFile c = a;
    c.SetValue(kLu, "M", RegistryType::Dword, std::string("\1\0\0\0", 4));
    EXPECT_FALSE(a == c);
    HiveFile d;
    d.AddKey("HKEY_CURRENT_USER\\Software\\tessaline\\Quillora\\LU");  // another case
    d.SetValue(kLu, "N", RegistryType::Dword, std::string("\1\0\0\0", 4));
    EXPECT_FALSE(a == d);
    const std::string head = "REGEDIT4\n[" + kLu + "]\n";
    EXPECT_TRUE(HiveFile::Parse(head + "; a\n") == HiveFile::Parse(head + "; a\n"));
    EXPECT_FALSE(HiveFile::Parse(head + "; a\n") == HiveFile::Parse(head + "; b\n"));
    EXPECT_FALSE(HiveFile::Parse(head + "; a\n\"N\"=\"\"\n") == HiveFile::Parse(head + "\"N\"=\"\"\n; a\n"));
}

}  // namespace
}  // namespace quillora
