// Arbitrary bytes with their length mapped as a picture and as a filmstrip,
// then blended, drawn and read at places and rectangles taken from the
// input: refused headers must report, accepted ones must stay in bounds.
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/Pic/ZR_Vid.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Parameters from the front of the input, little-endian 16-bit each.
struct Params {
    const uint8_t *p;
    size_t n;
    int next()
    {
        if (n < 2) {
            n = 0;
            return 0;
        }
        const int v = (int16_t)(p[0] | p[1] << 8);
        p += 2;
        n -= 2;
        return v;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr size_t PARAM_BYTES = 24;
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    Params params{data + 1, size - 1 < PARAM_BYTES ? size - 1 : PARAM_BYTES};
    const size_t used = 1 + params.n;
    int v[12];
    for (int &x : v)
        x = params.next();

    // The body, optionally behind the right magic so that random inputs reach
    // the size checks; an exactly sized copy, so any over-read is caught.
    std::vector<uint8_t> body;
    if (mode & 1)
        body.insert(body.end(), {'Z', 'R', (uint8_t)(mode & 2 ? 'V' : 'I'), 'F'});
    body.insert(body.end(), data + used, data + size);
    std::vector<uint8_t> exact(body);

    ZR_Pic<ZR_Pix_A32> dst;
    dst.resize(40 + (v[0] & 15), 30 + (v[1] & 15));

    ZR_Pic_Base<ZR_Pix_A32> pic;
    if (pic.map(exact.data(), exact.size())) {
        ZR_Pic_Base<ZR_Pix_A32>::blend(pic, dst, v[2], v[3], {v[4], v[5], v[6], v[7]});
        ZR_Pic_Base<ZR_Pix_A32>::blend(pic, dst, v[3] % 64, v[2] % 64,
                                       {v[8], v[9], v[8] + (v[10] & 255), v[9] + (v[11] & 255)});
    }
    ZR_Vid vid;
    if (vid.map(exact.data(), exact.size())) {
        const int frame = v[11] % 4 == 0 ? vid.frame_count - 1 : v[11];
        vid.draw(frame, dst, v[2], v[3], {v[4], v[5], v[6], v[7]});
        vid.draw(v[10] & 3, dst, v[3] % 64, v[2] % 64, {v[8], v[9], v[8] + 64, v[9] + 64});
        static volatile int sink;
        (void)sink;
        sink = vid.pixel(frame, v[4], v[5]).alpha;
        // Every pixel of every accepted frame can be read (bounded work).
        const long long area = (long long)vid.width * vid.height;
        for (int f = 0; f < vid.frame_count && f < 4 && area > 0 && area <= 4096; ++f)
            for (int y = 0; y < vid.height; ++y)
                for (int x = 0; x < vid.width; ++x)
                    sink = vid.pixel(f, x, y).alpha;
    }
    // The destination blends onto itself wrapped, too.
    ZR_Pic_Base<ZR_Pix_A32>::blend(dst, dst, v[6] % 100, v[7] % 100, {v[4], v[5], v[6], v[7]});
    return 0;
}
