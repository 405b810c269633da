#include "quantize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_map>

namespace skinart {
namespace {

constexpr int kRefinePasses = 4;

struct Entry {
    uint32_t rgb;
    uint64_t count;
};

int channel(uint32_t rgb, int c) { return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF); }

uint32_t packRgb(double r, double g, double b) {
    auto q = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
    return (q(r) << 16) | (q(g) << 8) | q(b);
}

struct Box {
    std::vector<Entry> entries;
    uint64_t weight = 0;

    // weighted squared error around the mean, summed over the channels
    double error() const {
        double total = 0;
        for (int c = 0; c < 3; ++c) {
            double sum = 0, sq = 0;
            for (const Entry& e : entries) {
                sum += double(channel(e.rgb, c)) * e.count;
                sq += double(channel(e.rgb, c)) * channel(e.rgb, c) * e.count;
            }
            total += sq - sum * sum / double(weight);
        }
        return total;
    }

    int widestChannel() const {
        int best = 0, bestRange = -1;
        for (int c = 0; c < 3; ++c) {
            int lo = 255, hi = 0;
            for (const Entry& e : entries) {
                lo = std::min(lo, channel(e.rgb, c));
                hi = std::max(hi, channel(e.rgb, c));
            }
            if (hi - lo > bestRange) {
                bestRange = hi - lo;
                best = c;
            }
        }
        return best;
    }

    uint32_t mean() const {
        std::array<double, 3> sum{};
        for (const Entry& e : entries)
            for (int c = 0; c < 3; ++c) sum[c] += double(channel(e.rgb, c)) * e.count;
        return packRgb(sum[0] / weight, sum[1] / weight, sum[2] / weight);
    }
};

std::pair<Box, Box> split(Box box) {
    const int c = box.widestChannel();
    std::sort(box.entries.begin(), box.entries.end(), [c](const Entry& a, const Entry& b) {
        return channel(a.rgb, c) != channel(b.rgb, c) ? channel(a.rgb, c) < channel(b.rgb, c)
                                                      : a.rgb < b.rgb;
    });
    uint64_t acc = 0;
    size_t cut = 1;
    for (; cut < box.entries.size(); ++cut) {
        acc += box.entries[cut - 1].count;
        if (acc * 2 >= box.weight) break;
    }
    cut = std::clamp<size_t>(cut, 1, box.entries.size() - 1);
    Box a, b;
    a.entries.reserve(cut);
    b.entries.reserve(box.entries.size() - cut);
    for (size_t i = 0; i < box.entries.size(); ++i) (i < cut ? a : b).entries.push_back(box.entries[i]);
    for (const Entry& e : a.entries) a.weight += e.count;
    b.weight = box.weight - a.weight;
    return {a, b};
}

std::vector<uint32_t> medianCut(const std::vector<Entry>& histogram, size_t maxColours) {
    std::vector<Box> boxes(1);
    boxes[0].entries = histogram;
    for (const Entry& e : histogram) boxes[0].weight += e.count;
    while (boxes.size() < maxColours) {
        int worst = -1;
        double worstError = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].entries.size() < 2) continue;
            const double err = boxes[i].error();
            if (err > worstError) {
                worstError = err;
                worst = static_cast<int>(i);
            }
        }
        if (worst < 0) break;
        auto halves = split(boxes[worst]);
        boxes[worst] = std::move(halves.first);
        boxes.push_back(std::move(halves.second));
    }
    std::vector<uint32_t> palette;
    for (const Box& b : boxes) palette.push_back(b.mean());
    return palette;
}

void refine(std::vector<uint32_t>& palette, const std::vector<Entry>& histogram) {
    for (int pass = 0; pass < kRefinePasses; ++pass) {
        std::vector<std::array<double, 4>> sums(palette.size(), {0, 0, 0, 0});
        for (const Entry& e : histogram) {
            auto& s = sums[nearestIndex(palette, e.rgb)];
            for (int c = 0; c < 3; ++c) s[c] += double(channel(e.rgb, c)) * e.count;
            s[3] += double(e.count);
        }
        for (size_t i = 0; i < palette.size(); ++i)
            if (sums[i][3] > 0)
                palette[i] = packRgb(sums[i][0] / sums[i][3], sums[i][1] / sums[i][3],
                                     sums[i][2] / sums[i][3]);
    }
}

}  // namespace

std::vector<uint32_t> buildPalette(const std::vector<uint32_t>& pixels, size_t maxColours) {
    std::map<uint32_t, uint64_t> counts;  // ordered: deterministic histogram
    for (uint32_t p : pixels) ++counts[p & 0xFFFFFF];
    std::vector<Entry> histogram;
    for (const auto& kv : counts) histogram.push_back({kv.first, kv.second});

    std::vector<uint32_t> palette;
    if (histogram.size() <= maxColours) {
        for (const Entry& e : histogram) palette.push_back(e.rgb);
        return palette;
    }
    palette = medianCut(histogram, maxColours);
    refine(palette, histogram);
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}

uint8_t nearestIndex(const std::vector<uint32_t>& palette, uint32_t rgb) {
    size_t best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int c = 0; c < 3; ++c) {
            const long diff = channel(palette[i], c) - channel(rgb, c);
            d += diff * diff;
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

std::vector<uint8_t> mapToPalette(const std::vector<uint32_t>& pixels,
                                  const std::vector<uint32_t>& palette) {
    std::unordered_map<uint32_t, uint8_t> memo;
    std::vector<uint8_t> out;
    out.reserve(pixels.size());
    for (uint32_t p : pixels) {
        const uint32_t rgb = p & 0xFFFFFF;
        auto it = memo.find(rgb);
        if (it == memo.end()) it = memo.emplace(rgb, nearestIndex(palette, rgb)).first;
        out.push_back(it->second);
    }
    return out;
}

std::vector<uint32_t> blackAndWhitePalette() { return {0x000000, 0xFFFFFF}; }

}  // namespace skinart
