// Builds an article page from a template and an article of `scale` MiB each, the article
// holding 20,000 addresses and 20,000 line breaks per MiB; next to it, a memcpy of the
// page's size in the same run. Compare the two and the growth from one scale to the next.
#include <benchmark/benchmark.h>

#include <cstring>
#include <optional>
#include <string>

#include "engine/ArticlePageBuilder.h"

namespace quillora {
namespace {

constexpr std::size_t kMiB = 1 << 20;
const TextBuffer kDate("Thursday, January 01, 1970");

std::string MakeTemplate(std::size_t size) {
    std::string page = "<html><head><title>INSERT TITLE HERE</title></head><body>INSERT DATE HERE<p>INSERT ARTICLE HERE</p>";
    while (page.size() < size) page += "<div class=\"filler\">Lorem ipsum dolor sit amet http://t.example/</div>\r\n";
    return page;
}

// 20,000 addresses and 20,000 line breaks in every MiB.
std::string MakeArticle(std::size_t mebibytes) {
    std::string article;
    const std::size_t lines = 20000 * mebibytes;
    const std::size_t lineSize = mebibytes * kMiB / lines;
    std::string line = "word word http://www.example.com/a/b?c=1, more text";
    line.resize(lineSize - 2, 'x');
    line += "\r\n";
    for (std::size_t i = 0; i < lines; ++i) article += line;
    return article;
}

void BuildArticlePage(benchmark::State& state) {
    const auto scale = static_cast<std::size_t>(state.range(0));
    const TextBuffer page(MakeTemplate(scale * kMiB));
    const TextBuffer article(MakeArticle(scale));
    const TextBuffer title("A title");
    std::size_t outputSize = 0;
    for (auto _ : state) {
        std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(page, article, title, kDate);
        if (!built) state.SkipWithError("not built");
        outputSize = built ? built->Bytes().size() : 0;
        benchmark::DoNotOptimize(built);
    }
    state.counters["output_MiB"] = static_cast<double>(outputSize) / kMiB;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputSize));
}
BENCHMARK(BuildArticlePage)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The article alone: line breaks and addresses converted.
void ConvertArticleText(benchmark::State& state) {
    const auto scale = static_cast<std::size_t>(state.range(0));
    const TextBuffer article(MakeArticle(scale));
    std::size_t outputSize = 0;
    for (auto _ : state) {
        TextBuffer converted = ArticlePageBuilder::ConvertArticleText(article);
        outputSize = converted.Bytes().size();
        benchmark::DoNotOptimize(converted);
    }
    state.counters["output_MiB"] = static_cast<double>(outputSize) / kMiB;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputSize));
}
BENCHMARK(ConvertArticleText)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The floor: copying as many bytes as the page above holds.
void MemcpyOfOutputSize(benchmark::State& state) {
    const auto scale = static_cast<std::size_t>(state.range(0));
    const std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(
        TextBuffer(MakeTemplate(scale * kMiB)), TextBuffer(MakeArticle(scale)), TextBuffer("A title"), kDate);
    const std::string source(built ? built->Bytes() : std::string_view());
    std::string target(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(MemcpyOfOutputSize)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillora
