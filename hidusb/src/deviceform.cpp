// The mouse keeps its configuration in a 6,912-byte form of its own: the
// 124 setting bytes as they are (the DPI codes, LED blocks, button functions
// and the two reserved bytes included), then the key records and macro
// blocks run-length coded. Those are mostly zero, so every realistic image
// fits; an image whose records and macros hold more than about 6,700
// non-zero bytes does not, and the mouse refuses it.
//
// Layout:
//   0-1   magic 'Q' 'Z'
//   2     form version (1)
//   3     0
//   4-127 image bytes 0..123
//   128-129 length of the coded records, little-endian
//   130.. coded image bytes 124..10427
//   6910-6911 sum of bytes 0..6909, little-endian
// Coding: a byte t < 0x80 is followed by t + 1 literal bytes; t >= 0x80
// stands for (t & 0x7F) + 1 zero bytes.

#include "sim_internal.h"

#include <cstring>

namespace hidsim {
namespace detail {

namespace {

constexpr int kFixed = 124;
constexpr int kHeader = 4;
constexpr int kLengthAt = kHeader + kFixed;           // 128
constexpr int kCodedAt = kLengthAt + 2;               // 130
constexpr int kSumAt = kFormSize - 2;                 // 6910
constexpr int kCodedMax = kSumAt - kCodedAt;          // 6780
constexpr int kRecords = kImageSize - kFixed;         // 10304

unsigned formSum(const u8 *form)
{
    unsigned sum = 0;
    for (int i = 0; i < kSumAt; ++i)
        sum += form[i];
    return sum & 0xFFFF;
}

// Returns the coded length, or -1 when it exceeds max.
int rleEncode(const u8 *in, int n, u8 *out, int max)
{
    int o = 0;
    int i = 0;
    while (i < n) {
        int zeros = 0;
        while (i + zeros < n && in[i + zeros] == 0 && zeros < 128)
            ++zeros;
        if (zeros >= 3 || (zeros > 0 && i + zeros == n)) {
            if (o + 1 > max)
                return -1;
            out[o++] = u8(0x80 | (zeros - 1));
            i += zeros;
            continue;
        }
        // Literal run: up to the next run of three zeros.
        int start = i;
        int len = 0;
        while (i < n && len < 128) {
            if (in[i] == 0 && i + 2 < n && in[i + 1] == 0 && in[i + 2] == 0)
                break;
            ++i;
            ++len;
        }
        if (o + 1 + len > max)
            return -1;
        out[o++] = u8(len - 1);
        std::memcpy(out + o, in + start, size_t(len));
        o += len;
    }
    return o;
}

bool rleDecode(const u8 *in, int n, u8 *out, int outLen)
{
    int i = 0;
    int o = 0;
    while (i < n) {
        const u8 t = in[i++];
        if (t & 0x80) {
            const int zeros = (t & 0x7F) + 1;
            if (o + zeros > outLen)
                return false;
            std::memset(out + o, 0, size_t(zeros));
            o += zeros;
        } else {
            const int len = t + 1;
            if (i + len > n || o + len > outLen)
                return false;
            std::memcpy(out + o, in + i, size_t(len));
            i += len;
            o += len;
        }
    }
    return o == outLen;
}

void putDpi(u8 *level, int dpi, u8 r, u8 g, u8 b)
{
    // Sensors 3395 and 3950: units of 50 DPI, bits 8 and 9 in the flag byte.
    const int code = dpi / 50 - 1;
    const u8 high = u8((code >> 8) & 3);
    level[0] = u8(code & 0xFF);
    level[1] = u8(code & 0xFF);
    level[2] = u8((high << 2) | (high << 6));
    level[3] = r;
    level[4] = g;
    level[5] = b;
}

} // namespace

bool encodeForm(const u8 *image, u8 *form)
{
    u8 coded[kCodedMax];
    const int len = rleEncode(image + kFixed, kRecords, coded, kCodedMax);
    if (len < 0)
        return false;
    std::memset(form, 0, kFormSize);
    form[0] = 'Q';
    form[1] = 'Z';
    form[2] = 1;
    std::memcpy(form + kHeader, image, kFixed);
    form[kLengthAt] = u8(len & 0xFF);
    form[kLengthAt + 1] = u8(len >> 8);
    std::memcpy(form + kCodedAt, coded, size_t(len));
    const unsigned sum = formSum(form);
    form[kSumAt] = u8(sum & 0xFF);
    form[kSumAt + 1] = u8(sum >> 8);
    return true;
}

bool decodeForm(const u8 *form, u8 *image)
{
    if (form[0] != 'Q' || form[1] != 'Z' || form[2] != 1)
        return false;
    if (formSum(form) != unsigned(form[kSumAt] | (form[kSumAt + 1] << 8)))
        return false;
    const int len = form[kLengthAt] | (form[kLengthAt + 1] << 8);
    if (len > kCodedMax)
        return false;
    u8 out[kImageSize];
    std::memcpy(out, form + kHeader, kFixed);
    if (!rleDecode(form + kCodedAt, len, out + kFixed, kRecords))
        return false;
    std::memcpy(image, out, kImageSize);
    return true;
}

Bytes factoryImage(int mid)
{
    Bytes img(kImageSize, 0);
    u8 *p = img.data();
    p[0] = mid == 2 ? 0x40 : 0x01;   // 8000 Hz on the 8K model, else 1000 Hz
    p[1] = 4;                         // four levels in use
    p[2] = 1;                         // the second one active
    p[5] = 1;                         // lift-off 1 mm
    p[6] = 8;                         // debounce 8 ms
    p[8] = 6;                         // lighting off after 60 s idle
    p[12] = 1;
    p[13] = 6;                        // sleep after 60 s
    static const int dpis1[8] = {400, 800, 1600, 3200, 6400, 12000, 20000, 26000};
    static const int dpis2[8] = {400, 800, 1600, 3200, 6400, 12800, 25600, 30000};
    static const u8 colours[8][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0},
                                     {255, 0, 255}, {0, 255, 255}, {255, 128, 0}, {255, 255, 255}};
    for (int i = 0; i < 8; ++i)
        putDpi(p + 15 + 6 * i, mid == 2 ? dpis2[i] : dpis1[i], colours[i][0], colours[i][1], colours[i][2]);
    p[63] = 1; p[64] = 3; p[65] = 2; p[66] = 1;                 // DPI indicator
    p[67] = 1; p[68] = 0; p[69] = 150; p[70] = 255;             // light bar
    p[71] = 2; p[72] = 3; p[73] = 1;
    static const u8 buttons[6][3] = {{0x01, 0x01, 0x00}, {0x01, 0x02, 0x00}, {0x01, 0x04, 0x00},
                                     {0x01, 0x08, 0x00}, {0x01, 0x10, 0x00}, {0x02, 0x01, 0x00}};
    for (int k = 0; k < 6; ++k)
        std::memcpy(p + 74 + 3 * k, buttons[k], 3);
    if (mid == 2) {
        p[74 + 15] = 0x05; p[74 + 16] = 0x00; p[74 + 17] = 0xCD;  // button 6: play/pause
        // The keys of a key function live in the button's key record: a
        // press and a release of the consumer usage, 10 ms each.
        u8 *keys = p + 124 + 52 * 5;
        keys[0] = 2;
        for (int e = 0; e < 2; ++e) {
            u8 *event = keys + 4 + 8 * e;
            event[0] = u8(e);     // press, then release
            event[1] = 2;         // consumer usage
            event[2] = 0xCD;
            event[4] = 10;
        }
    }
    p[122] = 0x5A;                    // firmware's own bytes, carried as they are
    p[123] = u8(0xA0 | (mid & 0x0F));
    return img;
}

Bytes factoryForm(int mid)
{
    const Bytes img = factoryImage(mid);
    Bytes form(kFormSize, 0);
    encodeForm(img.data(), form.data());
    return form;
}

} // namespace detail
} // namespace hidsim
