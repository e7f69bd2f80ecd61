// Adds one article to an archive whose index page already lists `links` articles:
// - UpdateIndexPage: the whole update on a real file (existence check, read, insertion, atomic
//   replacement with its flush to disk), the index page put back to `links` articles between
//   iterations outside the timing;
// - InsertIndexLink: the insertion alone, in memory.
// Each reports the time per update and, counted by the operator new below, the peak of heap
// bytes held at once during one update (peak_heap_bytes) and that peak divided by the size of
// the index page (peak_per_index_byte). Both grow no faster than the index page when the time
// per index byte and peak_per_index_byte stay level from one size to the next.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <stdlib.h>
#include <string>
#include <utility>

#include "create/ArticleForm.h"
#include "create/IndexUpdater.h"
#include "engine/IndexPage.h"
#include "platform/MessageBoxes.h"
#include "adapters/posix/PosixFileSystem.h"
#include "storage/FileIo.h"

namespace {

std::atomic<std::size_t> heapNow{0};
std::atomic<std::size_t> heapPeak{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    std::size_t now = heapNow.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return block;
}

void Release(void* block) {
    if (block == nullptr) return;
    heapNow.fetch_sub(malloc_usable_size(block));
    std::free(block);
}

// The peak from now on is measured against what is held now.
std::size_t StartPeak() {
    std::size_t now = heapNow.load();
    heapPeak.store(now);
    return now;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

namespace quillora {
namespace {

class SilentBoxes : public MessageBoxes {
public:
    MessageAnswer Show(const MessageRequest&) override { return MessageAnswer::Ok; }
};

class BenchForm : public ArticleForm {
public:
    bool ReadFields() override { return true; }
    void ShowFields() override {}
};

std::string MakeIndexPage(std::int64_t links) {
    std::string page = "<html><head><title>Archive</title></head><body>\r\n<h1>Articles</h1>\r\n<!--INSERT INDEX HERE-->";
    for (std::int64_t number = links; number >= 1; --number) {
        char link[160];
        std::snprintf(link, sizeof link, "\r\n\r\n<a href=\"article%04lld.html\">%lld. Monthly letter number %lld</a><br><br>",
                      static_cast<long long>(number), static_cast<long long>(number), static_cast<long long>(number));
        page += link;
    }
    page += "\r\n</body></html>\r\n";
    return page;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ReportPeak(benchmark::State& state, std::size_t peak, std::size_t indexSize) {
    state.counters["index_bytes"] = static_cast<double>(indexSize);
    state.counters["peak_heap_bytes"] = static_cast<double>(peak);
    state.counters["peak_per_index_byte"] = static_cast<double>(peak) / static_cast<double>(indexSize);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * indexSize));
}

void UpdateIndexPage(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillora-index-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::filesystem::path folder = pattern;
    const std::string indexPath = (folder / "index.html").string();
    const std::string original = MakeIndexPage(state.range(0));

    TextBuffer caption("Quillora");
    SilentBoxes boxes;
    Messages messages(boxes, caption);
    PosixFileSystem files;
    FileIo fileIo(files, messages);
    BenchForm form;
    form.templatePath = "/templates/template.html";
    form.articleNumber = static_cast<std::int32_t>(state.range(0) + 1);
    form.articleTitle = "Monthly letter, the newest";
    IndexUpdater updater(form, fileIo, files, messages);
    const TextBuffer savedPage((folder / "article-new.html").string());

    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteFile(indexPath, original);
        {
            TextBuffer released = std::move(form.pageBuffer);  // frees the former page
        }
        form.pageBuffer.Clear();
        const std::size_t base = StartPeak();
        state.ResumeTiming();

        if (!updater.UpdateIndexPage(savedPage)) state.SkipWithError("index page not updated");

        state.PauseTiming();
        peak = std::max(peak, heapPeak.load() - base);
        state.ResumeTiming();
    }
    ReportPeak(state, peak, original.size());
    std::filesystem::remove_all(folder);
}
BENCHMARK(UpdateIndexPage)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void InsertIndexLink(benchmark::State& state) {
    const TextBuffer page(MakeIndexPage(state.range(0)));
    const TextBuffer link = IndexPage::LinkTextFor("/site/article-new.html", 1, "Monthly letter, the newest");
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t base = StartPeak();
        auto updated = IndexPage::InsertIndexLink(page, link);
        benchmark::DoNotOptimize(updated);
        peak = std::max(peak, heapPeak.load() - base);
    }
    ReportPeak(state, peak, static_cast<std::size_t>(page.Length()));
}
BENCHMARK(InsertIndexLink)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillora
