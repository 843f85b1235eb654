// The sensor definition file and the product texts behind the button codes:
// any bytes as "driver_sensor.h" through the reader, every line of them
// also as a "DPIRange" list, a "KeyParam<n>" list and a key-combination
// text; then every DPI and key lookup, both ways, over what was read.
#include "buttoncodes.h"
#include "fuzzsupport.h"
#include "keytables.h"
#include "sensorcodes.h"

namespace {

// Model names the definitions speak of ("SENSOR_<model>_DPI..."), and the
// two ten-bit sensors.
QStringList sensorModels()
{
    QStringList models = {"3395", "3950", ""};
    for (const QString &name : g_sensorDefineNames) {
        const int at = name.indexOf(QLatin1String("SENSOR_"));
        const int end = name.indexOf(QLatin1String("_DPI"), at + 7);
        if (at >= 0 && end > at && models.size() < 4)
            models << name.mid(at + 7, end - at - 7);
    }
    return models;
}

void exerciseDpi(const DpiRangeTable &table, const QVector<int> &dpis)
{
    setDpiRanges(table);
    const DpiRangeTable current = currentDpiRanges();
    for (int dpi : dpis) {
        const DpiSnap s = snapToDpiRange(dpi, current);
        dpiStepUp(s.dpi, current);
        dpiStepDown(s.dpi, current);
        for (u8 flags : {0x00, 0x22}) {
            const DpiLevelCode c = encodeDpiLevel(s.dpi, flags);
            decodeDpiLevel(c.code, c.flags);
        }
        fixedDpiOfCode(int(DpiButtonValue(dpi) & 0xFF));
    }
}

void exerciseKeys(const QString &line, int seed)
{
    std::optional<KeyParamRecord> record = SplitKeyCombination(line);
    if (record) {
        for (int slot = 0; slot < kKeyEventSlots; ++slot) {
            const KeyEvent e = keyEventAt(*record, slot);
            KeyCodeToName(e.code, e.kind);
            DeviceKeyToKeyName(e.code, e.kind);
        }
    }
    const KeyParamDefault d = keyParamDefault(line.split(QLatin1Char(',')));
    if (const ConsumerKey *key = consumerKeyOf(d.usageLow))
        KeyParamRecordInit(u8(key->usage >> 8), key->low);
    u8 block[sizeof(MacroRecord)] = {};
    for (const QString &token : combinationTokens(line)) {
        KeyNameToMacroEvent(token, seed % (kMacroEventSlots + 2) - 1, block);
        for (int kind : {0, 1, 2, 4})
            KeyNameToCode(token, kind);
        const QStringList hex = KeyNameToHexCode(token);
        if (hex.size() == 2)
            KeyNameToCode(hex[0], hex[1].toInt());
        KeyNameToComboCode(token, seed % 5 - 1, seed % 4, KeyParamRecord{});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = fuzzProgramFolder(QString());
    if (!writeFuzzFile(dir + "/driver_sensor.h", data, size))
        return 0;
    loadSensorDefines();

    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> lines = bytes.split('\n');
    QVector<int> dpis = {-1, 50, 1200, 25600, 60000, INT_MAX, INT_MIN};
    for (int i = 0; i + 4 <= int(size) && dpis.size() < 12; i += 4)
        dpis << int(uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16 |
                    uint32_t(data[i + 3]) << 24);

    for (const QString &model : sensorModels()) {
        g_sensorName = model;
        sensorHasCodeTable();
        for (int code = 0; code < 256; code += 17)
            decodeDpiLevel(u8(code), u8(code * 7));
        for (int i = 0; i < lines.size() && i < 4; ++i)
            exerciseDpi(parseDpiRanges(QString::fromUtf8(lines[i]).split(QLatin1Char(','))), dpis);
    }
    for (int i = 0; i < lines.size() && i < 64; ++i)
        exerciseKeys(QString::fromUtf8(lines[i]).trimmed(), i);
    for (int i = 0; i < int(size) && i < 64; ++i) {
        KeyCodeToName(data[i], data[i] & 7);
        DeviceKeyToKeyName(data[i] | (i << 8), data[i] & 7);
    }
    return 0;
}
