// Writes the planner's default reminder sound, "daybrook1.wav": two soft
// bell strikes, a fifth apart, fading out within a second and a half.
// The file in resources/sounds/ was made by this program; rebuild it with
//   cmake --build build --target make_chime && build/resources/make_chime resources/sounds/daybrook1.wav
// It needs nothing beyond the standard library; a test checks that the
// file in the resources is still what it writes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int sampleRate = 22050;
constexpr double seconds = 1.4;
constexpr double pi = 3.14159265358979323846;

struct Strike
{
    double at;        // seconds from the start
    double frequency; // of the fundamental, Hz
    double loudness;
};

// A bell: the fundamental with two soft partials, a 4 ms attack and an
// exponential fade; the upper partials fade faster, as on a real bell.
double bell(const Strike &s, double t)
{
    const double x = t - s.at;
    if (x < 0)
        return 0;
    const double attack = x < 0.004 ? x / 0.004 : 1.0;
    const double f = s.frequency;
    const double tone = std::sin(2 * pi * f * x) * std::exp(-x / 0.45)
        + 0.30 * std::sin(2 * pi * 2.0 * f * x) * std::exp(-x / 0.20)
        + 0.10 * std::sin(2 * pi * 3.01 * f * x) * std::exp(-x / 0.10);
    return s.loudness * attack * tone;
}

void put16(std::vector<unsigned char> &out, int value)
{
    out.push_back(static_cast<unsigned char>(value & 0xff));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xff));
}

void put32(std::vector<unsigned char> &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xff));
}

void putTag(std::vector<unsigned char> &out, const char *tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(tag[i]));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_chime OUTPUT.wav\n");
        return 2;
    }
    const Strike strikes[] = {{0.00, 987.77, 0.55}, {0.30, 659.26, 0.60}}; // B5, then E5
    const int count = static_cast<int>(sampleRate * seconds);

    std::vector<unsigned char> data;
    data.reserve(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / sampleRate;
        double v = 0;
        for (const Strike &s : strikes)
            v += bell(s, t);
        // The last 50 ms fade to silence, so the end never clicks.
        const double tail = (seconds - t) / 0.05;
        if (tail < 1)
            v *= tail;
        const long sample = std::lround(v * 0.5 * 32767);
        put16(data, static_cast<int>(sample < -32767 ? -32767 : sample > 32767 ? 32767 : sample));
    }

    std::vector<unsigned char> file;
    putTag(file, "RIFF");
    put32(file, static_cast<std::uint32_t>(36 + data.size()));
    putTag(file, "WAVE");
    putTag(file, "fmt ");
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 1); // mono
    put32(file, sampleRate);
    put32(file, sampleRate * 2);
    put16(file, 2);  // bytes per frame
    put16(file, 16); // bits per sample
    putTag(file, "data");
    put32(file, static_cast<std::uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "make_chime: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "make_chime: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
