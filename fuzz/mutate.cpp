// Writes mutated copies of seed files: bit flips, truncations, splices of two seeds, header
// fields set to extreme values and copied ranges.
//   fuzz_mutate SEED COUNT OUTDIR FILE...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

std::mt19937_64 rng;

size_t below(size_t n)
{
    return n ? size_t(rng() % n) : 0;
}

void flipBits(Bytes &b)
{
    const int flips = 1 + int(below(16));
    for (int i = 0; i < flips && !b.empty(); ++i)
        b[below(b.size())] ^= uint8_t(1u << below(8));
}

void truncate(Bytes &b)
{
    b.resize(below(b.size() + 1));
}

void splice(Bytes &b, const Bytes &other)
{
    // Either two whole files back to back (as concatenated rips are) or two cut pieces.
    if (rng() & 1) {
        b.insert(b.end(), other.begin(), other.end());
        return;
    }
    b.resize(below(b.size() + 1));
    const size_t from = below(other.size() + 1);
    b.insert(b.end(), other.begin() + long(from), other.end());
}

void putLittle(Bytes &b, size_t at, uint64_t value, int width)
{
    for (int i = 0; i < width && at + size_t(i) < b.size(); ++i)
        b[at + size_t(i)] = uint8_t(value >> (8 * i));
}

void extremeField(Bytes &b)
{
    static const uint64_t values[] = {0, 1, 2, 0x7F, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF,
                                      0x80000000, 0xFFFFFFFF, 0xFFFFFFFFFFFFFFFFull};
    const uint64_t value = values[below(std::size(values))];
    // RIFF WAVE: the format fields sit at fixed places; elsewhere pick a field in the header.
    static const size_t wavFields[][2] = {{4, 4}, {16, 4}, {20, 2}, {22, 2}, {24, 4},
                                          {28, 4}, {32, 2}, {34, 2}, {40, 4}};
    const bool wav = b.size() > 44 && b[0] == 'R' && b[1] == 'I' && b[2] == 'F' && b[3] == 'F';
    if (wav && (rng() & 1)) {
        const auto &f = wavFields[below(std::size(wavFields))];
        putLittle(b, f[0], value, int(f[1]));
        return;
    }
    static const int widths[] = {1, 2, 4, 8};
    putLittle(b, below(std::min<size_t>(b.size(), 512)), value, widths[below(4)]);
}

void copyRange(Bytes &b)
{
    if (b.size() < 2)
        return;
    const size_t from = below(b.size()), to = below(b.size());
    const size_t n = std::min({below(4096) + 1, b.size() - from, b.size() - to});
    std::copy(b.begin() + long(from), b.begin() + long(from + n), b.begin() + long(to));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SEED COUNT OUTDIR FILE...\n", argv[0]);
        return 2;
    }
    rng.seed(std::strtoull(argv[1], nullptr, 10));
    const int count = std::atoi(argv[2]);
    const std::string outDir = argv[3];
    std::vector<Bytes> seeds;
    std::vector<std::string> extensions; // probing also looks at the name, so cases keep it
    for (int i = 4; i < argc; ++i) {
        const std::string path = argv[i];
        const size_t dot = path.rfind('.');
        extensions.push_back(dot == std::string::npos ? std::string() : path.substr(dot));
        std::ifstream in(argv[i], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (int n = 0; n < count; ++n) {
        const size_t pick = below(seeds.size());
        Bytes b = seeds[pick];
        const int steps = 1 + int(below(3));
        for (int s = 0; s < steps; ++s) {
            switch (below(5)) {
            case 0: flipBits(b); break;
            case 1: truncate(b); break;
            case 2: splice(b, seeds[below(seeds.size())]); break;
            case 3: extremeField(b); break;
            default: copyRange(b); break;
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "/case%06d", n);
        std::ofstream out(outDir + name + extensions[pick], std::ios::binary);
        out.write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
    }
    return 0;
}
