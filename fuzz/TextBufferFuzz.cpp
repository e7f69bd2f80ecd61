// Runs random sequences of TextBuffer operations, under the code page that the first byte
// picks, and compares every result and the buffer after every step with the plain model.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceText.h"
#include "engine/CodePage.h"
#include "engine/TextBuffer.h"

namespace quillora::fuzz {
namespace {

constexpr std::size_t kLargestText = 1 << 12;  // keeps repeated growth from slowing the run down

std::string UpToZero(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

class Session {
public:
    Session(ModelPage codePage, FuzzedDataProvider& in) : codePage_(codePage), model_(codePage), in_(in) {}

    void Run() {
        std::string initial = in_.ConsumeRandomLengthString(512);
        buffer_ = TextBuffer(std::string_view(initial));
        text_ = UpToZero(initial);
        Compare("construction from bytes");
        for (int step = 0; step < 48 && in_.remaining_bytes() > 0; ++step) Step();
    }

private:
    void Step() {
        switch (in_.ConsumeIntegralInRange<int>(0, 11)) {
        case 0: CheckFind(); break;
        case 1: CheckFindFrom(); break;
        case 2: CheckFindLast(); break;
        case 3: CheckReplaceAll(); break;
        case 4: CheckCut(Cut::Left); break;
        case 5: CheckCut(Cut::Right); break;
        case 6: CheckCut(Cut::Mid); break;
        case 7: CheckToLower(); break;
        case 8: CheckFormat(); break;
        case 9: CheckAppend(); break;
        case 10: CheckCopiesAreIndependent(); break;
        default: CheckEquals(); break;
        }
    }

    void Compare(const char* operation) {
        if (buffer_.Bytes().find('\0') != std::string_view::npos) Fail(operation, "the buffer holds a zero byte");
        if (buffer_.Length() != static_cast<std::int32_t>(buffer_.Bytes().size())) Fail(operation, "Length disagrees");
        if (buffer_.Bytes() != text_) {
            Fail(operation, std::string(NameOf(codePage_)) + "\nexpected " + Show(text_) + "\nactual   " + Show(buffer_.Bytes()));
        }
    }

    void CompareNumbers(const char* operation, std::int64_t expected, std::int64_t actual, const std::string& detail) {
        if (expected != actual) {
            Fail(operation, std::string(NameOf(codePage_)) + " " + detail + "\nexpected " + std::to_string(expected) +
                                " actual " + std::to_string(actual));
        }
    }

    // Half the time a piece of the text itself, so that searches find something.
    std::string Pattern(bool mayBeEmpty) {
        std::string pattern;
        if (!text_.empty() && in_.ConsumeBool()) {
            auto first = in_.ConsumeIntegralInRange<std::size_t>(0, text_.size() - 1);
            auto count = in_.ConsumeIntegralInRange<std::size_t>(1, 8);
            pattern = text_.substr(first, count);
        } else {
            pattern = UpToZero(in_.ConsumeRandomLengthString(12));
        }
        if (pattern.empty() && !mayBeEmpty) pattern = "a";
        return pattern;
    }

    std::string Piece() { return UpToZero(in_.ConsumeRandomLengthString(24)); }

    void CheckFind() {
        std::string pattern = Pattern(false);
        CompareNumbers("Find", model_.FindFrom(text_, pattern, 0), buffer_.Find(TextBuffer(pattern)),
                       "text " + Show(text_) + " pattern " + Show(pattern));
    }

    // Starts on a character boundary, as every caller's start is, or at or beyond the end.
    void CheckFindFrom() {
        std::string pattern = Pattern(false);
        std::vector<bool> starts = model_.Starts(text_);
        std::int64_t start;
        if (in_.ConsumeBool()) {
            std::vector<std::int32_t> boundaries;
            for (std::size_t i = 0; i < starts.size(); ++i) {
                if (starts[i]) boundaries.push_back(static_cast<std::int32_t>(i));
            }
            start = boundaries[in_.ConsumeIntegralInRange<std::size_t>(0, boundaries.size() - 1)];
        } else {
            start = static_cast<std::int64_t>(text_.size()) + in_.ConsumeIntegralInRange<int>(0, 3);
        }
        CompareNumbers("FindFrom", model_.FindFrom(text_, pattern, start),
                       buffer_.FindFrom(TextBuffer(pattern), static_cast<std::int32_t>(start)),
                       "text " + Show(text_) + " pattern " + Show(pattern) + " start " + std::to_string(start));
    }

    void CheckFindLast() {
        char byte = text_.empty() || in_.ConsumeBool()
                        ? static_cast<char>(in_.ConsumeIntegral<std::uint8_t>())
                        : text_[in_.ConsumeIntegralInRange<std::size_t>(0, text_.size() - 1)];
        if (byte == '\0') byte = '\\';
        CompareNumbers("FindLast", model_.FindLast(text_, byte), buffer_.FindLast(byte),
                       "text " + Show(text_) + " byte " + Show(std::string(1, byte)));
    }

    void CheckReplaceAll() {
        std::string oldText = Pattern(true);
        std::string newText = Piece();
        if (text_.size() > kLargestText && newText.size() > oldText.size()) return;
        const std::string before = text_;
        std::int32_t expected = model_.ReplaceAll(text_, oldText, newText);
        std::int32_t actual = buffer_.ReplaceAll(TextBuffer(oldText), TextBuffer(newText));
        CompareNumbers("ReplaceAll count", expected, actual,
                       "text " + Show(before) + " old " + Show(oldText) + " new " + Show(newText));
        Compare("ReplaceAll");
    }

    enum class Cut { Left, Right, Mid };

    std::int32_t Count() {
        const auto length = static_cast<std::int32_t>(text_.size());
        switch (in_.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: return std::numeric_limits<std::int32_t>::min();
        case 1: return std::numeric_limits<std::int32_t>::max();
        case 2: return length;
        default: return in_.ConsumeIntegralInRange<std::int32_t>(-3, length + 3);
        }
    }

    void CheckCut(Cut cut) {
        std::int32_t first = Count();
        std::int32_t count = Count();
        std::string expected;
        TextBuffer actual;
        const char* name = "Left";
        switch (cut) {
        case Cut::Left:
            expected = ReferenceText::Left(text_, count);
            actual = buffer_.Left(count);
            break;
        case Cut::Right:
            name = "Right";
            expected = ReferenceText::Right(text_, count);
            actual = buffer_.Right(count);
            break;
        case Cut::Mid:
            name = "Mid";
            expected = ReferenceText::Mid(text_, first, count);
            actual = buffer_.Mid(first, count);
            break;
        }
        if (actual.Bytes() != expected) {
            Fail(name, "text " + Show(text_) + " first " + std::to_string(first) + " count " + std::to_string(count) +
                           "\nexpected " + Show(expected) + "\nactual   " + Show(actual.Bytes()));
        }
        Compare(name);  // the source is never changed by a cut
        if (in_.ConsumeBool()) {
            buffer_ = actual;
            text_ = expected;
        }
    }

    void CheckToLower() {
        const std::string before = text_;
        model_.ToLower(text_);
        buffer_.ToLower();
        if (buffer_.Bytes() != text_) {
            Fail("ToLower", std::string(NameOf(codePage_)) + " of " + Show(before) + "\nexpected " + Show(text_) +
                                "\nactual   " + Show(buffer_.Bytes()));
        }
    }

    // A format of literal bytes and conversions, checked against snprintf piece by piece.
    void CheckFormat() {
        std::string format;
        std::string expected;
        std::vector<std::string> texts;  // kept alive for the FormatValues
        struct Value {
            bool isText;
            std::size_t text;
            std::int32_t number;
        };
        std::vector<Value> values;
        const int pieces = in_.ConsumeIntegralInRange<int>(0, 6);
        for (int p = 0; p < pieces; ++p) {
            switch (in_.ConsumeIntegralInRange<int>(0, 5)) {
            case 0: {  // literal bytes, '%' written as "%%"
                std::string literal = Piece();
                for (char c : literal) {
                    format += c;
                    if (c == '%') format += '%';
                    expected += c;
                }
                break;
            }
            case 1: case 2: {  // %s with an optional '-' and width
                std::string spec = in_.ConsumeBool() ? "%-" : "%";
                if (in_.ConsumeBool()) spec += std::to_string(in_.ConsumeIntegralInRange<int>(1, 40));
                spec += 's';
                texts.push_back(text_.empty() || in_.ConsumeBool() ? Piece() : text_.substr(0, 16));
                values.push_back({true, texts.size() - 1, 0});
                format += spec;
                expected += Printf(spec, texts.back().c_str());
                break;
            }
            default: {  // %d, %04d and their relatives
                static const char* const specs[] = {"%d", "%04d", "%04d", "%4d", "%-4d", "%-04d", "%012d", "%1d"};
                std::string spec = specs[in_.ConsumeIntegralInRange<int>(0, 7)];
                auto number = in_.ConsumeIntegral<std::int32_t>();
                values.push_back({false, 0, number});
                format += spec;
                expected += Printf(spec, number);
                break;
            }
            }
        }
        const bool source = in_.ConsumeBool();  // format the buffer's own text as a value too
        if (source) {
            format += "|%s";
            expected += "|" + text_;
        }
        if (expected.size() > kLargestText) return;

        std::vector<FormatValue> list;
        for (const Value& value : values) {
            if (value.isText) list.emplace_back(texts[value.text].c_str());
            else list.emplace_back(value.number);
        }
        // Half the time the buffer is formatted in place while a value still looks at its bytes.
        const bool inPlace = in_.ConsumeBool();
        if (source) list.emplace_back(buffer_);
        TextBuffer formatted;
        Apply(inPlace ? buffer_ : formatted, TextBuffer(format), list);
        if (!inPlace) buffer_ = formatted;
        if (buffer_.Bytes() != expected) {
            Fail("Format", "format " + Show(format) + "\nexpected " + Show(expected) + "\nactual   " + Show(buffer_.Bytes()));
        }
        text_ = expected;
        Compare("Format");
    }

    // Format takes an initializer list; the count of values here is small and known.
    static void Apply(TextBuffer& out, const TextBuffer& format, const std::vector<FormatValue>& v) {
        switch (v.size()) {
        case 0: out.Format(format, {}); break;
        case 1: out.Format(format, {v[0]}); break;
        case 2: out.Format(format, {v[0], v[1]}); break;
        case 3: out.Format(format, {v[0], v[1], v[2]}); break;
        case 4: out.Format(format, {v[0], v[1], v[2], v[3]}); break;
        case 5: out.Format(format, {v[0], v[1], v[2], v[3], v[4]}); break;
        case 6: out.Format(format, {v[0], v[1], v[2], v[3], v[4], v[5]}); break;
        default: out.Format(format, {v[0], v[1], v[2], v[3], v[4], v[5], v[6]}); break;
        }
    }

    template <typename T>
    static std::string Printf(const std::string& spec, T value) {
        int size = std::snprintf(nullptr, 0, spec.c_str(), value);
        std::string out(static_cast<std::size_t>(size) + 1, '\0');
        std::snprintf(out.data(), out.size(), spec.c_str(), value);
        out.resize(static_cast<std::size_t>(size));
        return out;
    }

    // Bytes that may hold zeros are cut at the first one, whether built or appended.
    void CheckAppend() {
        std::string tail = in_.ConsumeRandomLengthString(32);
        if (text_.size() > kLargestText) return;
        if (in_.ConsumeBool()) {
            buffer_.Append(std::string_view(tail));
        } else {
            buffer_.Append(TextBuffer(std::string_view(tail)));
        }
        text_ += UpToZero(tail);
        Compare("Append");
    }

    void CheckCopiesAreIndependent() {
        TextBuffer copy = buffer_;
        copy.ReplaceAll(TextBuffer(Pattern(false)), TextBuffer(Piece()));
        copy.ToLower();
        copy.Append("x");
        Compare("a change to a copy");
        TextBuffer assigned;
        assigned = copy;
        assigned.Clear();
        if (copy.IsEmpty()) Fail("assignment", "clearing an assigned copy emptied its source");
    }

    void CheckEquals() {
        std::string other = in_.ConsumeBool() ? text_ : Pattern(true);
        if (buffer_.Equals(TextBuffer(other)) != (other == text_)) {
            Fail("Equals", Show(text_) + " against " + Show(other));
        }
    }

    ModelPage codePage_;
    ReferenceText model_;
    FuzzedDataProvider& in_;
    TextBuffer buffer_;
    std::string text_;
};

}  // namespace
}  // namespace quillora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    using namespace quillora;
    const fuzz::ModelPage page = fuzz::PageFromByte(data[0]);
    ScopedCodePage codePage(fuzz::EnginePage(page));
    FuzzedDataProvider in(data + 1, size - 1);
    fuzz::Session(page, in).Run();
    return 0;
}
