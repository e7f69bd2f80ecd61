#include "Palette.h"

#include <algorithm>
#include <array>
#include <map>

namespace quillora::tools {
namespace {

constexpr std::size_t kPaletteSize = 256;

std::uint32_t Key(Colour c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

Colour FromKey(std::uint32_t key) { return Rgb(key); }

int ChannelOf(std::uint32_t key, int channel) { return static_cast<int>((key >> (16 - 8 * channel)) & 0xFF); }

struct Entry {
    std::uint32_t key;
    std::uint64_t count;
};

using Box = std::vector<Entry>;

// The channel (0 red, 1 green, 2 blue) with the widest spread in the box, and that spread.
std::pair<int, int> WidestChannel(const Box& box) {
    std::pair<int, int> best{0, -1};
    for (int channel = 0; channel < 3; ++channel) {
        int low = 255;
        int high = 0;
        for (const auto& entry : box) {
            low = std::min(low, ChannelOf(entry.key, channel));
            high = std::max(high, ChannelOf(entry.key, channel));
        }
        if (high - low > best.second) best = {channel, high - low};
    }
    return best;
}

Colour Average(const Box& box) {
    std::array<std::uint64_t, 3> sums{};
    std::uint64_t total = 0;
    for (const auto& entry : box) {
        for (int channel = 0; channel < 3; ++channel)
            sums[static_cast<std::size_t>(channel)] += static_cast<std::uint64_t>(ChannelOf(entry.key, channel)) * entry.count;
        total += entry.count;
    }
    auto average = [&](int channel) {
        return static_cast<std::uint8_t>((sums[static_cast<std::size_t>(channel)] + total / 2) / total);
    };
    return Colour{average(0), average(1), average(2), 255};
}

std::vector<Colour> MedianCut(std::vector<Entry> entries, std::size_t wanted) {
    std::vector<Box> boxes{std::move(entries)};
    while (boxes.size() < wanted) {
        std::size_t chosen = boxes.size();
        int widest = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            const int spread = WidestChannel(boxes[i]).second;
            if (chosen == boxes.size() || spread > widest) {
                chosen = i;
                widest = spread;
            }
        }
        if (chosen == boxes.size()) break;
        Box& box = boxes[chosen];
        const int channel = WidestChannel(box).first;
        std::sort(box.begin(), box.end(), [channel](const Entry& a, const Entry& b) {
            const int ca = ChannelOf(a.key, channel);
            const int cb = ChannelOf(b.key, channel);
            return ca != cb ? ca < cb : a.key < b.key;
        });
        std::uint64_t total = 0;
        for (const auto& entry : box) total += entry.count;
        std::uint64_t running = 0;
        std::size_t split = 1;
        for (std::size_t i = 0; i + 1 < box.size(); ++i) {
            running += box[i].count;
            split = i + 1;
            if (running * 2 >= total) break;
        }
        Box upper(box.begin() + static_cast<std::ptrdiff_t>(split), box.end());
        box.resize(split);
        boxes.push_back(std::move(upper));
    }
    std::vector<Colour> colours;
    for (const auto& box : boxes) colours.push_back(Average(box));
    return colours;
}

}  // namespace

IndexedImage Quantize(const Canvas& canvas, const std::vector<Colour>& fixed) {
    std::map<std::uint32_t, std::uint64_t> histogram;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) ++histogram[Key(canvas.Get(x, y))];

    std::vector<Colour> palette;
    for (Colour colour : fixed) palette.push_back(Colour{colour.r, colour.g, colour.b, 255});
    std::vector<Entry> others;
    for (const auto& [colourKey, count] : histogram) {
        const std::uint32_t key = colourKey;  // a plain variable, so that the lambda below may capture it
        const bool isFixed = std::any_of(fixed.begin(), fixed.end(), [key](Colour c) { return Key(c) == key; });
        if (!isFixed) others.push_back({key, count});
    }
    const std::size_t room = kPaletteSize - palette.size();
    if (others.size() <= room) {
        for (const auto& entry : others) palette.push_back(FromKey(entry.key));
    } else {
        for (Colour colour : MedianCut(std::move(others), room)) palette.push_back(colour);
    }

    IndexedImage image;
    image.width = canvas.Width();
    image.height = canvas.Height();
    std::map<std::uint32_t, std::uint8_t> lookup;
    for (const auto& [key, count] : histogram) {
        (void)count;
        std::size_t best = 0;
        int bestDistance = -1;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const int dr = ChannelOf(key, 0) - palette[i].r;
            const int dg = ChannelOf(key, 1) - palette[i].g;
            const int db = ChannelOf(key, 2) - palette[i].b;
            const int distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        lookup[key] = static_cast<std::uint8_t>(best);
    }
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) image.indices.push_back(lookup[Key(canvas.Get(x, y))]);
    palette.resize(kPaletteSize, Colour{0, 0, 0, 255});
    image.palette = std::move(palette);
    return image;
}

}  // namespace quillora::tools
