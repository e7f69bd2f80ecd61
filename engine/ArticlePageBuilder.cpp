#include "engine/ArticlePageBuilder.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/CodePage.h"

namespace quillora {
namespace ArticlePageBuilder {
namespace {

constexpr std::string_view kArticleMarker = "INSERT ARTICLE HERE";
constexpr std::string_view kTitleMarker = "INSERT TITLE HERE";
constexpr std::string_view kDateMarker = "INSERT DATE HERE";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kAddressPrefix = "http://";
constexpr std::size_t kNone = std::string_view::npos;

// An address runs up to the first control character, space, non-ASCII byte, '<' or ','.
bool EndsAddress(char byte) {
    return static_cast<signed char>(byte) <= 32 || byte == '<' || byte == ',';
}

std::int32_t ToInt(std::size_t value) { return static_cast<std::int32_t>(value); }

// Which positions of a run of bytes start a character, asked in increasing order. Every pattern
// searched for here begins with an ASCII byte, and an ASCII byte starts a character in every
// code page but a double-byte one. There a position starts a character exactly when the run of
// lead bytes right before it, counted back to a position known to start one, is even. Each
// question counts back no further than the one before, so a whole text costs one walk.
class CharStarts {
public:
    // known: a position that starts a character; a run that begins with the second byte of a
    // character begun before it passes 1.
    CharStarts(const CodePage& page, std::string_view bytes, std::size_t known)
        : page_(&page), bytes_(bytes), known_(known) {}

    bool At(std::size_t at) {
        if (page_->Kind() != CodePageKind::DoubleByte) return true;
        if (at < known_) return false;  // the second byte of a character begun before the run
        std::size_t runStart = at;
        while (runStart > known_ && page_->IsLeadByte(bytes_[runStart - 1])) --runStart;
        const bool starts = (at - runStart) % 2 == 0;
        known_ = starts ? at : at + 1;
        return starts;
    }

private:
    const CodePage* page_;
    std::string_view bytes_;
    std::size_t known_;
};

// The occurrences of a pattern that begins with an ASCII byte in one text, found from the left
// on character starts, as Find and FindFrom find them.
class Occurrences {
public:
    Occurrences(const CodePage& page, std::string_view text, std::string_view pattern)
        : text_(text), pattern_(pattern), starts_(page, text, 0) {}

    // The first occurrence at or after from, or kNone; from never goes back.
    std::size_t From(std::size_t from) {
        while (from + pattern_.size() <= text_.size()) {
            const void* hit = std::memchr(text_.data() + from, pattern_.front(), text_.size() - pattern_.size() + 1 - from);
            if (hit == nullptr) return kNone;
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
            if (std::memcmp(text_.data() + at + 1, pattern_.data() + 1, pattern_.size() - 1) == 0 && starts_.At(at)) {
                return at;
            }
            from = at + 1;
        }
        return kNone;
    }

private:
    std::string_view text_;
    std::string_view pattern_;
    CharStarts starts_;
};

// A page as a row of cuts of texts, so that the markers can be replaced one after the other
// without copying the page in between. No piece is empty.
struct Piece {
    const TextBuffer* text;
    std::size_t first;
    std::size_t count;

    std::string_view Bytes() const { return text->Bytes().substr(first, count); }
};
using Pieces = std::vector<Piece>;

void Add(Pieces& pieces, const TextBuffer& text, std::size_t first, std::size_t count) {
    if (count > 0) pieces.push_back(Piece{&text, first, count});
}

void Add(Pieces& pieces, const Piece& piece, std::size_t first, std::size_t end) {
    Add(pieces, *piece.text, piece.first + first, end - first);
}

// A place in a row of pieces: the piece and the offset in it.
struct Place {
    std::size_t piece;
    std::size_t offset;
};

// Whether pattern is spelled from place on, over as many pieces as it takes; if so, end is the
// place right after it (the start of the next piece when it ends with a piece).
bool SpelledAt(const Pieces& pieces, Place place, std::string_view pattern, Place& end) {
    while (place.piece < pieces.size()) {
        const std::string_view bytes = pieces[place.piece].Bytes().substr(place.offset);
        const std::size_t n = std::min(bytes.size(), pattern.size());
        if (std::memcmp(bytes.data(), pattern.data(), n) != 0) return false;
        pattern.remove_prefix(n);
        if (pattern.empty()) {
            end = n < bytes.size() ? Place{place.piece, place.offset + n} : Place{place.piece + 1, 0};
            return true;
        }
        place = Place{place.piece + 1, 0};
    }
    return false;
}

// Replaces every occurrence of marker in the text that pieces spell by replacement, exactly as
// ReplaceAll does it on the joined text: occurrences begin on a character start of that text,
// are taken from the left without overlapping, and a replacement is never searched. An
// occurrence may run over the joins between pieces, and in a double-byte code page a piece may
// begin with the second byte of a character that the piece before it began. Returns the count.
std::int32_t ReplaceAll(const CodePage& page, Pieces& pieces, std::string_view marker, const TextBuffer& replacement) {
    Pieces result;
    result.reserve(pieces.size() + 2);
    std::int32_t count = 0;
    Place place{0, 0};
    bool beginsInCharacter = false;
    while (place.piece < pieces.size()) {
        const Piece& piece = pieces[place.piece];
        const std::string_view bytes = piece.Bytes();
        CharStarts starts(page, bytes, beginsInCharacter ? 1 : place.offset);
        Place next{place.piece + 1, 0};
        std::size_t copied = place.offset;
        std::size_t from = place.offset;
        while (const void* hit = std::memchr(bytes.data() + from, marker.front(), bytes.size() - from)) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
            from = at + 1;
            Place end{};
            if (!starts.At(at) || !SpelledAt(pieces, Place{place.piece, at}, marker, end)) continue;
            Add(result, piece, copied, at);
            Add(result, replacement, 0, replacement.Bytes().size());
            ++count;
            if (end.piece != place.piece) {  // the search goes on in a later piece
                next = end;
                copied = bytes.size();
                break;
            }
            copied = from = end.offset;
            starts = CharStarts(page, bytes, from);  // a marker is ASCII: a character starts after it
        }
        Add(result, piece, copied, bytes.size());
        beginsInCharacter = !starts.At(bytes.size());
        place = next;
    }
    pieces = std::move(result);
    return count;
}

TextBuffer Join(const Pieces& pieces) {
    std::size_t length = 0;
    for (const Piece& piece : pieces) length += piece.count;
    TextBuffer joined;
    joined.Reserve(ToInt(length));
    for (const Piece& piece : pieces) joined.AppendMid(*piece.text, ToInt(piece.first), ToInt(piece.count));
    return joined;
}

// The article text from the left as the conversion sees it: plain runs, line breaks and
// addresses, in order. One walk over the text as it is finds what converting the line breaks
// first and then linking the addresses finds: an address never holds a line break and ends at
// the '\r' of one as it would at the '<' put before it, the added bytes are ASCII and move no
// character start, and the search for the next address resumes right after the address, where
// it would resume after the link.
template <typename Visitor>
void WalkArticleText(const CodePage& page, std::string_view text, Visitor& visitor) {
    Occurrences lineBreaks(page, text, kLineBreak);
    Occurrences addresses(page, text, kAddressPrefix);
    std::size_t copied = 0;
    std::size_t lineBreak = lineBreaks.From(0);
    std::size_t address = addresses.From(0);
    while (lineBreak != kNone || address != kNone) {
        if (lineBreak < address) {
            visitor.Plain(copied, lineBreak - copied);
            visitor.LineBreak();
            copied = lineBreak + kLineBreak.size();
            lineBreak = lineBreaks.From(copied);
            continue;
        }
        std::size_t end = address + kAddressPrefix.size();
        while (end < text.size() && !EndsAddress(text[end])) ++end;
        visitor.Plain(copied, address - copied);
        visitor.Address(address, end - address);
        copied = end;
        address = addresses.From(end);
    }
    visitor.Plain(copied, text.size() - copied);
}

// The bytes that the conversion adds.
struct Additions {
    TextBuffer lineBreak{"<br>\r\n"};
    TextBuffer linkStart{"<a href=\""};
    TextBuffer linkMiddle{"\" target=\"_blank\">"};
    TextBuffer linkEnd{"</a>"};
};

// The length of the converted text, so that it can be written into memory of its final size.
struct ConvertedLength {
    void Plain(std::size_t, std::size_t count) { length += count; }
    void LineBreak() { length += added.lineBreak.Bytes().size(); }
    void Address(std::size_t, std::size_t count) {
        length += added.linkStart.Bytes().size() + added.linkMiddle.Bytes().size() + count +
                  added.linkEnd.Bytes().size() + count;
    }
    const Additions& added;
    std::size_t length = 0;
};

struct ConvertedText {
    void Plain(std::size_t first, std::size_t count) { text.AppendMid(source, ToInt(first), ToInt(count)); }
    void LineBreak() { text.Append(added.lineBreak); }
    void Address(std::size_t first, std::size_t count) {
        text.Append(added.linkStart).AppendMid(source, ToInt(first), ToInt(count)).Append(added.linkMiddle);
        text.AppendMid(source, ToInt(first), ToInt(count)).Append(added.linkEnd);
    }
    const Additions& added;
    const TextBuffer& source;
    TextBuffer text;
};

}  // namespace

TextBuffer ConvertArticleText(const TextBuffer& articleText) {
    const CodePage page = CodePage::Active();
    const Additions added;
    ConvertedLength length{added};
    WalkArticleText(page, articleText.Bytes(), length);
    ConvertedText converted{added, articleText, TextBuffer()};
    converted.text.Reserve(ToInt(length.length));
    WalkArticleText(page, articleText.Bytes(), converted);
    return std::move(converted.text);
}

// The markers are replaced one kind after the other, as three ReplaceAll calls on the page
// would, but over the pieces of the page: the page is copied once, at the end.
std::optional<TextBuffer> BuildArticlePage(const TextBuffer& templatePage, const TextBuffer& articleText,
                                           const TextBuffer& articleTitle, const TextBuffer& date) {
    const CodePage codePage = CodePage::Active();
    const TextBuffer converted = ConvertArticleText(articleText);
    Pieces page;
    Add(page, templatePage, 0, templatePage.Bytes().size());
    if (ReplaceAll(codePage, page, kArticleMarker, converted) == 0) return std::nullopt;
    ReplaceAll(codePage, page, kTitleMarker, articleTitle);
    ReplaceAll(codePage, page, kDateMarker, date);
    return Join(page);
}

}  // namespace ArticlePageBuilder
}  // namespace quillora
