#ifndef FIRMWAREIMAGE_H
#define FIRMWAREIMAGE_H

// Firmware images shipped in the program folder's "bin" folder, and the
// search for the image that fits a device and is new for it.
//
// Header of an image file (the first 728 bytes; the whole file is what the
// updater receives, and it takes the image's length from the header alone,
// so a file must hold at least the body its header declares):
//   16  u32 LE  version: minor = low byte, major = the whole value >> 8
//   20  u8      device code: kMouseDeviceCode (210), kReceiverDeviceCode (211)
//   21  u8      CID
//   22  u8      MID
//   24  u32 LE  length of the body, the firmware after the header
//   87  64      model name, local 8-bit text up to the first NUL
//   279 64      USB id text (contains the VID and PID texts), same form

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

constexpr int kFirmwareHeaderSize = 728;

struct FirmwareHeader {
    bool valid = false;        // false for a file shorter than the header
    quint32 version = 0;
    quint8 deviceCode = 0;
    quint8 cid = 0;
    quint8 mid = 0;
    quint32 bodyLength = 0;    // what the header declares follows it
    QString modelName;
    QString usbIdText;
};

// Takes the header from a file's bytes. A file shorter than the header gives
// an invalid header, which fits no device.
FirmwareHeader parseFirmwareHeader(const QByteArray &bytes);

// Whether a file of `fileSize` bytes with this header is a whole image: it
// declares a body, and holds every byte of it after the header. The
// updater is handed only a pointer, so an image shorter than its header
// declares would be read past its end, and one without a body is refused
// before anything is written.
bool isWholeImage(const FirmwareHeader &header, qint64 fileSize);

// "v" + (version >> 8) in decimal + "." + low byte as two upper-case hex
// digits: 0x105 gives v1.05, 0x010203 gives v258.03.
QString firmwareVersionText(quint32 version);

// A version text without any "v": the form two versions are compared in.
QString firmwareComparisonText(const QString &versionText);

// A comparison text read as a decimal number with "." as the decimal point,
// whatever the locale; a text that is not wholly such a number reads 0
// ("1.0A" reads 0).
double firmwareComparisonNumber(const QString &comparisonText);
// True when the comparison text is wholly such a decimal number.
bool isDecimalComparisonText(const QString &comparisonText);

// The image folder: programDir() + "/bin".
QString firmwareFolder();

// How one search treats the folder's images.
enum class FirmwareSearchMode {
    ChooseForUpdate,   // keeps the chosen image; stops at an equal number
    AnswerOnly,        // keeps nothing; no device version means no answer
    RepairTwin         // keeps the chosen image; no numeric stop
};

// Walks the image folder in name order (case ignored) for images whose
// device code, CID, MID and model name equal the arguments. An image whose
// version text equals the device's is passed over; any other fitting image
// counts as new (an older one too: the shipped image is authoritative) and
// the last one wins. An empty device version makes every fitting image new.
// The two modes that stop at an equal number do so only where both texts
// are decimal numbers (1.05 and 1.5), so that all modes agree on the
// versions devices report. A file that cannot be opened is skipped, and so
// is a file no longer than its header (no firmware in it). An empty model
// name fits no image. Only the headers are read, and the chosen
// file whole.
// `chosen`, when given, receives the chosen image's bytes (and is emptied
// first); the bytes are shared, so a run that holds a copy keeps its image
// whatever a later search chooses.
bool searchFirmwareImages(FirmwareSearchMode mode, quint8 deviceCode, const QString &deviceVersion,
                          const QString &modelName, quint8 cid, quint8 mid, QList<QByteArray> *chosen);

// The files of the image folder in name order (case ignored), as a search
// sees them: each one's header, whether it is a whole image, and the bytes
// of every whole one. What the update's plans choose from, so that they
// depend on the images they are given alone.
struct ShelfImage {
    QString path;
    FirmwareHeader header;
    bool whole = false;
    QByteArray bytes;
};
using FirmwareShelf = QList<ShelfImage>;
FirmwareShelf readFirmwareShelf();
// The search above on a shelf: the index of the chosen image, -1 for none.
int chooseFirmwareImage(const FirmwareShelf &shelf, FirmwareSearchMode mode, quint8 deviceCode,
                        const QString &deviceVersion, const QString &modelName, quint8 cid, quint8 mid);
// The chosen image's bytes; empty for none.
QByteArray shelfImageFor(const FirmwareShelf &shelf, FirmwareSearchMode mode, quint8 deviceCode,
                         const QString &deviceVersion, const QString &modelName, quint8 cid, quint8 mid);
// brokenFirmwareImageFits on a shelf.
bool brokenImageOnShelf(const FirmwareShelf &shelf, quint8 deviceCode, const QString &modelName, quint8 cid,
                        quint8 mid, const QString &deviceVersion);

// Whether the folder holds a file that fits the device (device code, CID,
// MID and model name) and holds another version than `deviceVersion` (any,
// when it is empty) but is not a whole image: what a search passes over
// when it finds nothing to offer, so that the user learns the file cannot
// be used rather than that the device is up to date.
bool brokenFirmwareImageFits(quint8 deviceCode, const QString &modelName, quint8 cid, quint8 mid,
                             const QString &deviceVersion);

// The image chosen by the last FormSetting::isNewFirmwareInBin: empty or one
// element holding the whole file. The update run hands element 0 to the
// updater.
extern QList<QByteArray> g_firmwareImageList;
// The same for the update and repair dialog's own search.
extern QList<QByteArray> g_repairImageList;
// Config.ini Option/CID as a number, stored by the checks of updatedecision.h.
extern int g_updateCid;

#endif // FIRMWAREIMAGE_H
