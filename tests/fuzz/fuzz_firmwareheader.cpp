// The firmware folder search over a folder of image files made from the
// input: a few files (names in any case, other endings, folders, short
// files, bare headers, headers of this and other devices and models, bodies
// shorter than their headers declare), then one device version asked of the
// three searches. Each answer is checked against the search rules worked out
// here from the files as they were written: the chosen image is a whole file
// of the folder (its body as long as its header declares, and not empty)
// whose header fits the device, of
// another version than the device's, and the last such in name order up to
// the first image of an equal decimal version (the update dialog's search
// does not stop there).
#include "firmwareimage.h"
#include "formsetting.h"
#include "fuzzsupport.h"
#include "updaterepair.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The input read front to back; zeros once it is used up.
struct Input {
    const uint8_t *data;
    size_t size;
    size_t at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
};

const char *const kModels[] = {"ABC", "abc", "ABCD", "AB", "", "QZR-4K",
                               "QQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQ"};
const int kModelCount = int(sizeof kModels / sizeof *kModels);

struct Image {
    QString name;
    bool folder = false;   // a folder of that name, not a file
    QByteArray bytes;
    quint32 version = 0;
    quint8 code = 0, cid = 0, mid = 0;
    QString model;
    quint32 declaredBody = 0;   // the body length its header gives
};

QString versionText(quint32 version)
{
    return "v" + QString::number(version >> 8) + "." + QString::asprintf("%02X", unsigned(version & 0xFF));
}

QString comparisonText(QString text)
{
    return text.remove(QLatin1Char('v'));
}

bool isDecimal(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    return decimal.match(text).hasMatch();
}

// A decimal text without the zeros that do not change its value: two
// decimal texts are equal numbers when these are equal.
QString canonical(const QString &text)
{
    QString whole = text.section('.', 0, 0), fraction = text.section('.', 1);
    while (whole.startsWith('0'))
        whole.remove(0, 1);
    while (fraction.endsWith('0'))
        fraction.chop(1);
    return (whole.isEmpty() ? "0" : whole) + (fraction.isEmpty() ? "" : "." + fraction);
}

Image makeImage(Input &in, int index)
{
    Image image;
    QString stem;
    const int letters = 1 + in.next() % 3;
    const uint8_t cases = in.next();
    for (int i = 0; i < letters; ++i)
        stem += QChar((cases >> i & 1 ? 'A' : 'a') + in.next() % 3);
    const char *const endings[] = {".bin", ".BIN", ".Bin", ".bin", ".bin.old", ".bi", ".txt", ".bin"};
    const uint8_t ending = in.next();
    image.name = stem + QString::number(index) + endings[ending % 8];
    image.folder = ending % 8 == 7;

    const uint8_t kind = in.next();
    image.code = kind % 3 == 0 ? 210 : kind % 3 == 1 ? 211 : in.next();
    image.cid = kind & 4 ? 0x22 : 0x21;
    image.mid = kind & 8 ? 2 : 1;
    image.version = in.next() | quint32(in.next()) << 8;
    if (kind & 16)
        image.version |= quint32(in.next()) << 16 | quint32(in.next()) << 24;
    image.model = kModels[in.next() % kModelCount];

    const uint8_t length = in.next();
    const int size = length & 0x80 ? (length & 0x7F) * 5 : 728 + (length & 0x3F);
    image.bytes = QByteArray(size, char(in.next()));
    QByteArray header(728, char(in.next()));
    // The body the header declares: what the file holds after the header,
    // half of it, nothing, or more than it holds.
    const quint32 held = quint32(std::max(0, size - 728));
    const uint8_t body = in.next();
    image.declaredBody = body % 4 == 0 ? 0 : body % 4 == 1 ? held : body % 4 == 2 ? held / 2 : held + 1 + body / 4;
    for (int i = 0; i < 4; ++i) {
        header[16 + i] = char(image.version >> (8 * i));
        header[24 + i] = char(image.declaredBody >> (8 * i));
    }
    header[20] = char(image.code);
    header[21] = char(image.cid);
    header[22] = char(image.mid);
    const QByteArray model = image.model.toLatin1();
    header.replace(87, model.size(), model);
    if (model.size() < 64)
        header[87 + model.size()] = 0;
    image.bytes.replace(0, std::min(size, 728), header.left(size));
    return image;
}

// The device's version text: none, an image's version written in one of
// the ways devices and callers write it, or any short text.
QString deviceVersion(Input &in, const std::vector<Image> &images)
{
    const uint8_t kind = in.next();
    quint32 version = in.next() | quint32(in.next()) << 8;
    if (!images.empty() && kind & 8)
        version = images[in.next() % images.size()].version;
    const QString major = QString::number(version >> 8);
    const QString minor = QString::asprintf("%02X", unsigned(version & 0xFF));
    switch (kind % 8) {
    case 0: return QString();
    case 1: return "v" + major + "." + minor;
    case 2: return major + "." + minor;
    case 3: return "v0" + major + "." + minor;
    case 4: return "v" + major + "." + minor + "0";
    case 5: return "v" + major + ".v" + minor;
    case 6: return "V" + major + "." + minor;
    default: {
        QString text;
        const int length = in.next() % 9;
        for (int i = 0; i < length; ++i)
            text += QChar("0123456789.vA"[in.next() % 13]);
        return text;
    }
    }
}

// The index of the image a search chooses, -1 for none.
int expectedChoice(const std::vector<Image> &images, quint8 code, const QString &version, const QString &model,
                   quint8 cid, quint8 mid, bool numericStop)
{
    std::vector<int> listed;
    for (int i = 0; i < int(images.size()); ++i) {
        if (!images[size_t(i)].folder && images[size_t(i)].name.endsWith(".bin", Qt::CaseInsensitive))
            listed.push_back(i);
    }
    std::sort(listed.begin(), listed.end(), [&images](int a, int b) {
        return images[size_t(a)].name.toLower() < images[size_t(b)].name.toLower();
    });
    // A device whose model the configuration does not name has no image.
    if (model.isEmpty())
        return -1;
    const QString device = comparisonText(version);
    int chosen = -1;
    for (int i : listed) {
        const Image &image = images[size_t(i)];
        // A file no longer than its header holds no firmware, nor one whose
        // body is empty or shorter than its header declares.
        if (image.bytes.size() <= 728 || image.declaredBody == 0
            || quint32(image.bytes.size() - 728) < image.declaredBody || image.code != code || image.cid != cid || image.mid != mid
            || image.model != model)
            continue;
        const QString text = comparisonText(versionText(image.version));
        if (!device.isEmpty() && text == device)
            continue;
        if (!device.isEmpty() && numericStop && isDecimal(text) && isDecimal(device)
            && canonical(text) == canonical(device))
            return chosen;
        chosen = i;
    }
    return chosen;
}

void expect(bool holds, const char *what, const std::vector<Image> &images, const QString &version)
{
    if (holds)
        return;
    std::fprintf(stderr, "%s; device version '%s'; images:\n", what, qPrintable(version));
    for (const Image &i : images)
        std::fprintf(stderr, "  %s%s %d bytes: code %d cid %d mid %d %s model '%s'\n", qPrintable(i.name),
                     i.folder ? " (folder)" : "", int(i.bytes.size()), i.code, i.cid, i.mid,
                     qPrintable(versionText(i.version)), qPrintable(i.model));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString bin = fuzzProgramFolder("bin") + "/bin";
    QDir(bin).removeRecursively();
    QDir().mkpath(bin);

    Input in{data, size};
    const uint8_t query = in.next();
    std::vector<Image> images;
    const int count = in.next() % 9;
    for (int i = 0; i < count; ++i) {
        images.push_back(makeImage(in, i));
        const Image &image = images.back();
        if (image.folder ? !QDir().mkpath(bin + "/" + image.name)
                         : !writeFuzzFile(bin + "/" + image.name,
                                          reinterpret_cast<const uint8_t *>(image.bytes.constData()),
                                          size_t(image.bytes.size())))
            return 0;
    }
    const quint8 code = query & 1 ? 211 : 210;
    const quint8 cid = query & 2 ? 0x22 : 0x21;
    const quint8 mid = query & 4 ? 2 : 1;
    const QString model = kModels[(query >> 3) % kModelCount];
    const QString version = deviceVersion(in, images);

    const QList<QByteArray> stale{QByteArray("stale")};
    const auto chosenList = [&images](int i) {
        return i < 0 ? QList<QByteArray>() : QList<QByteArray>{images[size_t(i)].bytes};
    };

    const int update = expectedChoice(images, code, version, model, cid, mid, true);
    g_firmwareImageList = stale;
    expect(FormSetting::isNewFirmwareInBin(code, version, model, cid, mid) == (update >= 0),
           "update search: wrong answer", images, version);
    expect(g_firmwareImageList == chosenList(update), "update search: wrong image kept", images, version);

    // A version of nothing but "v" is no version either.
    g_firmwareImageList = stale;
    expect(FormSetting::isNewFirmwareAvailable(code, version, model, cid, mid)
               == (!comparisonText(version).isEmpty() && update >= 0),
           "answer-only search: wrong answer", images, version);
    expect(g_firmwareImageList == stale, "answer-only search: kept an image", images, version);

    const int repair = expectedChoice(images, code, version, model, cid, mid, false);
    g_repairImageList = stale;
    expect(UpDateRepair::isNewFirmwareInBin(code, version, model, cid, mid) == (repair >= 0),
           "update dialog search: wrong answer", images, version);
    expect(g_repairImageList == chosenList(repair), "update dialog search: wrong image kept", images, version);
    return 0;
}
