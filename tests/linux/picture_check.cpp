// Looks for the stars and the globe in a screenshot (binary PPM): the sky is exactly black, a
// star with its twinkle marks is a small patch of lit pixels, and the globe is one large one.
//
// Usage: picture_check FILE.ppm LEAST_STARS LEAST_GLOBE_PIXELS
// Prints what it found and exits with 0 when there is enough of both, 1 otherwise.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int largestStarPatch = 40;  // a star and its marks are 17 pixels; neighbours may touch

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// The next number of the header, past blanks and # comments (ImageMagick writes one).
bool ReadHeaderNumber(std::FILE* file, int* value) {
    int c = std::fgetc(file);
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF) c = std::fgetc(file);
        c = std::fgetc(file);
    }
    std::ungetc(c, file);
    return std::fscanf(file, "%d", value) == 1;
}

bool ReadPpm(const char* path, Picture* picture) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    int maxValue = 0;
    const bool headerRead = std::fgetc(file) == 'P' && std::fgetc(file) == '6' &&
                            ReadHeaderNumber(file, &picture->width) && ReadHeaderNumber(file, &picture->height) &&
                            ReadHeaderNumber(file, &maxValue) && maxValue == 255 && std::fgetc(file) != EOF;
    bool complete = false;
    if (headerRead) {
        picture->rgb.resize(static_cast<std::size_t>(picture->width) * picture->height * 3);
        complete = std::fread(picture->rgb.data(), 1, picture->rgb.size(), file) == picture->rgb.size();
    }
    std::fclose(file);
    return complete;
}

bool Lit(const Picture& p, int i) { return p.rgb[3 * i] != 0 || p.rgb[3 * i + 1] != 0 || p.rgb[3 * i + 2] != 0; }

// The size of the patch of lit pixels (touching sideways or corner to corner) that holds start.
int TakePatch(const Picture& p, int start, std::vector<bool>& taken) {
    std::vector<int> pending{start};
    taken[start] = true;
    int size = 0;
    while (!pending.empty()) {
        const int i = pending.back();
        pending.pop_back();
        ++size;
        const int x = i % p.width;
        const int y = i / p.width;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
                const int n = ny * p.width + nx;
                if (taken[n] || !Lit(p, n)) continue;
                taken[n] = true;
                pending.push_back(n);
            }
    }
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    Picture picture;
    if (argc != 4 || !ReadPpm(argv[1], &picture)) {
        std::fprintf(stderr, "usage: picture_check FILE.ppm LEAST_STARS LEAST_GLOBE_PIXELS (a binary PPM)\n");
        return 2;
    }
    const int leastStars = std::atoi(argv[2]);
    const int leastGlobe = std::atoi(argv[3]);
    std::vector<bool> taken(static_cast<std::size_t>(picture.width) * picture.height, false);
    int stars = 0;
    int globe = 0;
    for (int i = 0; i < picture.width * picture.height; ++i) {
        if (taken[i] || !Lit(picture, i)) continue;
        const int size = TakePatch(picture, i, taken);
        if (size <= largestStarPatch) ++stars;
        if (size > globe) globe = size;
    }
    std::printf("%dx%d: %d stars (at least %d expected), globe of %d pixels (at least %d expected)\n", picture.width,
                picture.height, stars, leastStars, globe, leastGlobe);
    return stars >= leastStars && globe >= leastGlobe ? 0 : 1;
}
