#pragma once

#include <cstdint>
#include <optional>

#include "engine/TextBuffer.h"

namespace quillora {

// The rules of the site's index page: the page "index" plus the template's extension, in the
// folder of the new article page. Links go right after the first "<!--INSERT INDEX HERE-->",
// newest first; a page that holds only the plain words "INSERT INDEX HERE" has every one of
// them turned into that comment on the first run.
namespace IndexPage {

// Where the index page of a page saved at savedPagePath lies.
TextBuffer IndexPathFor(const TextBuffer& savedPagePath, const TextBuffer& templatePath);
// The link block that goes into the index page.
TextBuffer LinkTextFor(const TextBuffer& savedPagePath, std::int32_t articleNumber, const TextBuffer& articleTitle);
// The index page with linkText inserted, or nothing when it holds no marker at all. Linear in
// the size of the page.
std::optional<TextBuffer> InsertIndexLink(const TextBuffer& page, const TextBuffer& linkText);

}  // namespace IndexPage
}  // namespace quillora
