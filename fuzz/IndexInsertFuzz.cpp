// Inserts an index link into arbitrary index page bytes and checks the result against the
// rules: the page as the rules build it, exactly one link block right after the first comment
// marker and nothing else changed (apart from plain markers turned into comments when the page
// had no comment marker), nothing at all when the page has no marker, and a second link going
// in front of the first. The link text itself is checked against the path and format rules.
//
// Input: one byte for the code page, then the index page, the title, the saved page's path
// and the article number in decimal, separated by zero bytes.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceText.h"
#include "engine/CodePage.h"
#include "engine/IndexPage.h"
#include "engine/TextBuffer.h"

namespace quillora::fuzz {
namespace {

const std::string kPlainMarker = "INSERT INDEX HERE";
const std::string kCommentMarker = "<!--INSERT INDEX HERE-->";

std::int32_t NumberOf(const std::string& digits) {
    long long value = std::strtoll(digits.c_str(), nullptr, 10);
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// The page with the link, as the rules build it; nothing when it holds no marker.
std::optional<std::string> Insert(const ReferenceText& model, std::string page, const std::string& link,
                                  std::int32_t* plainConverted) {
    *plainConverted = 0;
    std::int32_t at = model.FindFrom(page, kCommentMarker, 0);
    if (at == -1) {
        *plainConverted = model.ReplaceAll(page, kPlainMarker, kCommentMarker);
        if (*plainConverted == 0) return std::nullopt;
        at = model.FindFrom(page, kCommentMarker, 0);
    }
    const std::int64_t insertAt = static_cast<std::int64_t>(at) + 24;
    return ReferenceText::Left(page, insertAt) + link +
           ReferenceText::Right(page, static_cast<std::int64_t>(page.size()) - insertAt);
}

void Run(ModelPage codePage, const std::string& page, const std::string& title, const std::string& savedPath,
         std::int32_t number) {
    const ReferenceText model(codePage);
    const std::string inputs = std::string(NameOf(codePage)) + "\npage " + Show(page) + "\ntitle " + Show(title) +
                               "\npath " + Show(savedPath) + "\nnumber " + std::to_string(number);

    // The link: the lowercased file name after the last separator, the number, the title.
    const std::string link(IndexPage::LinkTextFor(TextBuffer(savedPath), number, TextBuffer(title)).Bytes());
    const std::int32_t slash = model.FindLast(savedPath, '/');
    std::string fileName = slash < 0 ? savedPath : savedPath.substr(static_cast<std::size_t>(slash) + 1);
    model.ToLower(fileName);
    const std::string expectedLink =
        "\r\n\r\n<a href=\"" + fileName + "\">" + std::to_string(number) + ". " + title + "</a><br><br>";
    Expect(link == expectedLink, "link text", inputs + "\nexpected " + Show(expectedLink) + "\nactual   " + Show(link));

    const std::optional<TextBuffer> actual = IndexPage::InsertIndexLink(TextBuffer(page), TextBuffer(link));
    std::int32_t converted = 0;
    const std::optional<std::string> expected = Insert(model, page, link, &converted);
    Expect(actual.has_value() == expected.has_value(), "refused exactly when no marker is there", inputs);
    if (!actual) return;
    const std::string result(actual->Bytes());
    Expect(result == *expected, "page", inputs + "\nexpected " + Show(*expected) + "\nactual   " + Show(result));

    // One link block and the conversion, nothing more.
    Expect(result.size() == page.size() + link.size() + 7 * static_cast<std::size_t>(converted), "length", inputs);
    // The link follows the first comment marker of the page as written; taking it out again
    // gives the page back (with its plain markers in comment form when there was no comment).
    const std::int32_t marker = model.FindFrom(result, kCommentMarker, 0);
    Expect(marker != -1, "a comment marker in the written page", inputs);
    const auto insertAt = static_cast<std::size_t>(marker) + kCommentMarker.size();
    Expect(result.compare(insertAt, link.size(), link) == 0, "the link right after the first comment marker", inputs);
    std::string without = result;
    without.erase(insertAt, link.size());
    std::string convertedPage = page;
    if (converted > 0) model.ReplaceAll(convertedPage, kPlainMarker, kCommentMarker);
    Expect(without == convertedPage, "nothing but the link changed", inputs);
    if (converted > 0) {
        Expect(model.FindFrom(page, kCommentMarker, 0) == -1, "plain markers converted only without a comment", inputs);
    }

    // The next link goes in front of this one, and needs no further conversion.
    const std::string second = "\r\n\r\n<a href=\"next.html\">2. Next</a><br><br>";
    const std::optional<TextBuffer> again = IndexPage::InsertIndexLink(*actual, TextBuffer(second));
    Expect(again.has_value(), "a written page takes the next link", inputs);
    Expect(std::string(again->Bytes()) == result.substr(0, insertAt) + second + result.substr(insertAt),
           "newest link first", inputs);
}

}  // namespace
}  // namespace quillora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    using namespace quillora;
    const fuzz::ModelPage page = fuzz::PageFromByte(data[0]);
    ScopedCodePage codePage(fuzz::EnginePage(page));
    auto parts = fuzz::Split(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 4);
    fuzz::Run(page, parts[0], parts[1], parts[2], parts[3].empty() ? 1 : fuzz::NumberOf(parts[3]));
    return 0;
}
