// Builds an article page from arbitrary template, text and title bytes and checks the result
// against the rules: the page step by step as the rules describe it, the length that the
// counts predict, every address wrapped exactly once, the template's own bytes kept in order,
// and no page exactly when the article marker is missing.
//
// Input: one byte of options (code page; the date text: empty, or one that holds markers and
// ends in a lead byte, which must never be searched), then the template, the text and the
// title, separated by zero bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceText.h"
#include "engine/ArticlePageBuilder.h"
#include "engine/CodePage.h"
#include "engine/TextBuffer.h"

namespace quillora::fuzz {
namespace {

const std::string kArticleMarker = "INSERT ARTICLE HERE";
const std::string kTitleMarker = "INSERT TITLE HERE";
const std::string kDateMarker = "INSERT DATE HERE";
std::string Link(const std::string& address) {
    return "<a href=\"" + address + "\" target=\"_blank\">" + address + "</a>";
}

bool IsTerminator(char byte) { return static_cast<signed char>(byte) <= 32 || byte == '<' || byte == ','; }

struct Conversion {
    std::string withBreaks;  // the text after the line-break step
    std::int32_t breaks = 0;
    std::vector<std::string> addresses;
    std::string converted;  // after the link step
};

// The text conversion exactly as the rules walk it: build the head, join the rest, search on
// from the end of the head.
Conversion Convert(const ReferenceText& model, const std::string& text) {
    Conversion c;
    c.withBreaks = text;
    c.breaks = model.ReplaceAll(c.withBreaks, "\r\n", "<br>\r\n");
    std::string t = c.withBreaks;
    for (std::int32_t m = model.FindFrom(t, "http://", 0); m != -1;) {
        const auto end = static_cast<std::int64_t>(t.size());
        std::int64_t i = m;
        while (i < end && !IsTerminator(t[static_cast<std::size_t>(i)])) ++i;
        std::string address = ReferenceText::Mid(t, m, i - m);
        std::string head = ReferenceText::Left(t, m) + Link(address);
        t = head + ReferenceText::Right(t, end - i);
        c.addresses.push_back(address);
        m = model.FindFrom(t, "http://", static_cast<std::int64_t>(head.size()));
    }
    c.converted = t;
    return c;
}

void Run(ModelPage codePage, const std::string& date, const std::string& page, const std::string& text,
         const std::string& title) {
    const ReferenceText model(codePage);
    const std::string inputs = std::string(NameOf(codePage)) + "\ntemplate " + Show(page) + "\ntext " + Show(text) +
                               "\ntitle " + Show(title) + "\ndate " + Show(date);

    const std::optional<TextBuffer> built =
        ArticlePageBuilder::BuildArticlePage(TextBuffer(page), TextBuffer(text), TextBuffer(title), TextBuffer(date));

    // Refused exactly when the template lacks the article marker.
    const bool hasMarker = model.FindFrom(page, kArticleMarker, 0) != -1;
    Expect(built.has_value() == hasMarker, "result", inputs);
    if (!built) return;
    const std::string actual(built->Bytes());

    // The page, step by step.
    const Conversion conversion = Convert(model, text);
    std::string expected = page;
    const std::int32_t articles = model.ReplaceAll(expected, kArticleMarker, conversion.converted);
    const std::string withArticles = expected;
    const std::int32_t titles = model.ReplaceAll(expected, kTitleMarker, title);
    const std::int32_t dates = model.ReplaceAll(expected, kDateMarker, date);
    Expect(actual == expected, "page", inputs + "\nexpected " + Show(expected) + "\nactual   " + Show(actual));

    // The length that the counts predict.
    std::int64_t textLength = static_cast<std::int64_t>(text.size()) + 4 * static_cast<std::int64_t>(conversion.breaks);
    for (const std::string& address : conversion.addresses) textLength += static_cast<std::int64_t>(address.size()) + 31;
    const std::int64_t length = static_cast<std::int64_t>(page.size()) + articles * (textLength - 19) +
                                titles * (static_cast<std::int64_t>(title.size()) - 17) +
                                dates * (static_cast<std::int64_t>(date.size()) - 16);
    Expect(static_cast<std::int64_t>(actual.size()) == length, "length", inputs);

    // Every address wrapped exactly once: unwrapping the links, left to right, gives back the text
    // with its line breaks converted, and nothing else.
    const std::string convertedText(ArticlePageBuilder::ConvertArticleText(TextBuffer(text)).Bytes());
    std::string unwrapped;
    std::size_t cursor = 0;
    for (const std::string& address : conversion.addresses) {
        const std::string link = Link(address);
        std::size_t at = convertedText.find(link, cursor);
        Expect(at != std::string::npos, "an address was not wrapped", inputs + "\naddress " + Show(address));
        unwrapped += convertedText.substr(cursor, at - cursor) + address;
        cursor = at + link.size();
    }
    unwrapped += convertedText.substr(cursor);
    Expect(unwrapped == conversion.withBreaks, "the links are exactly the wrapped addresses", inputs);

    // Without title or date markers in the merged page, the page is the template's own pieces,
    // unchanged and in order, with the converted text wherever the article marker stood.
    if (titles == 0 && dates == 0) {
        std::string joined;
        std::size_t from = 0;
        for (std::int32_t at = model.FindFrom(page, kArticleMarker, 0); at != -1;
             at = model.FindFrom(page, kArticleMarker, static_cast<std::int64_t>(at) + 19)) {
            joined += page.substr(from, static_cast<std::size_t>(at) - from) + convertedText;
            from = static_cast<std::size_t>(at) + kArticleMarker.size();
        }
        joined += page.substr(from);
        Expect(actual == joined && withArticles == joined, "the template's own bytes", inputs);
    }
}

}  // namespace
}  // namespace quillora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    using namespace quillora;
    const fuzz::ModelPage page = fuzz::PageFromByte(data[0]);
    const std::string date = (data[0] & 0x80) != 0   ? ""
                             : (data[0] & 0x40) != 0 ? "INSERT DATE HERE INSERT TITLE HERE\x82"
                                                     : "Friday, April 01, 2005";
    ScopedCodePage codePage(fuzz::EnginePage(page));
    auto parts = fuzz::Split(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 3);
    fuzz::Run(page, date, parts[0], parts[1], parts[2]);
    return 0;
}
