#include "keyhooklayer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>

#include <vector>

namespace {

struct HookEntry {
    quintptr id;
    LowLevelKeyProc proc;
};

// The chain, latest hook first. Handles are ids that are never reused, so a
// stale handle can never remove a newer hook.
std::vector<HookEntry> s_chain;
quintptr s_nextId = 1;

// One key on its way down the chain. A procedure may run a nested event
// loop (a notice opened from a key callback), so keys nest: each keeps its
// own copy of the chain as it was when the key arrived.
struct Dispatch {
    std::vector<HookEntry> snapshot;
    size_t running = 0;   // index in snapshot of the procedure that runs
    Dispatch *outer = nullptr;
};
Dispatch *s_current = nullptr;

bool isLive(quintptr id)
{
    for (const HookEntry &e : s_chain) {
        if (e.id == id)
            return true;
    }
    return false;
}

qintptr runFrom(Dispatch &d, size_t index, int code, quintptr message, const LowLevelKeyRecord *record)
{
    for (; index < d.snapshot.size(); ++index) {
        if (!isLive(d.snapshot[index].id))
            continue;
        d.running = index;
        return d.snapshot[index].proc(code, message, record);
    }
    return 0;
}

class KeyEventFilter : public QObject
{
public:
    explicit KeyEventFilter(QObject *parent)
        : QObject(parent)
        , m_x11KeyCodes(QGuiApplication::platformName() == QLatin1String("xcb")
                        || QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key event is sent to its window once and then on to the focused
        // widget and up its parents, and the filter sees every one of those
        // sends: taking it only at the window hands each key over once, and
        // before any widget has seen it.
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWindowType()
            && !s_chain.empty())
            deliverKeyEventToHooks(*static_cast<QKeyEvent *>(event), m_x11KeyCodes);
        return false;
    }

private:
    const bool m_x11KeyCodes;
};

QPointer<KeyEventFilter> s_filter;

// Positions of a US keyboard by X11 key code (evdev code + 8). Keypad keys
// carry their Num Lock code and their cursor code.
struct KeyPosition {
    quint8 keyCode;
    quint8 vk;
    quint8 cursorVk;   // keypad keys without Num Lock; 0 for other keys
};

const KeyPosition kUsPositions[] = {
    {9, 0x1B, 0},    {10, 0x31, 0},   {11, 0x32, 0},   {12, 0x33, 0},   {13, 0x34, 0},   {14, 0x35, 0},
    {15, 0x36, 0},   {16, 0x37, 0},   {17, 0x38, 0},   {18, 0x39, 0},   {19, 0x30, 0},   {20, 0xBD, 0},
    {21, 0xBB, 0},   {22, 0x08, 0},   {23, 0x09, 0},   {24, 'Q', 0},    {25, 'W', 0},    {26, 'E', 0},
    {27, 'R', 0},    {28, 'T', 0},    {29, 'Y', 0},    {30, 'U', 0},    {31, 'I', 0},    {32, 'O', 0},
    {33, 'P', 0},    {34, 0xDB, 0},   {35, 0xDD, 0},   {36, 0x0D, 0},   {37, 0xA2, 0},   {38, 'A', 0},
    {39, 'S', 0},    {40, 'D', 0},    {41, 'F', 0},    {42, 'G', 0},    {43, 'H', 0},    {44, 'J', 0},
    {45, 'K', 0},    {46, 'L', 0},    {47, 0xBA, 0},   {48, 0xDE, 0},   {49, 0xC0, 0},   {50, 0xA0, 0},
    {51, 0xDC, 0},   {52, 'Z', 0},    {53, 'X', 0},    {54, 'C', 0},    {55, 'V', 0},    {56, 'B', 0},
    {57, 'N', 0},    {58, 'M', 0},    {59, 0xBC, 0},   {60, 0xBE, 0},   {61, 0xBF, 0},   {62, 0xA1, 0},
    {63, 0x6A, 0},   {64, 0xA4, 0},   {65, 0x20, 0},   {66, 0x14, 0},   {67, 0x70, 0},   {68, 0x71, 0},
    {69, 0x72, 0},   {70, 0x73, 0},   {71, 0x74, 0},   {72, 0x75, 0},   {73, 0x76, 0},   {74, 0x77, 0},
    {75, 0x78, 0},   {76, 0x79, 0},   {77, 0x90, 0},   {78, 0x91, 0},
    // Keypad: 7 8 9 - 4 5 6 + 1 2 3 0 .
    {79, 0x67, 0x24}, {80, 0x68, 0x26}, {81, 0x69, 0x21}, {82, 0x6D, 0},    {83, 0x64, 0x25},
    {84, 0x65, 0x0C}, {85, 0x66, 0x27}, {86, 0x6B, 0},    {87, 0x61, 0x23}, {88, 0x62, 0x28},
    {89, 0x63, 0x22}, {90, 0x60, 0x2D}, {91, 0x6E, 0x2E},
    {94, 0xE2, 0},   {95, 0x7A, 0},   {96, 0x7B, 0},   {104, 0x0D, 0},  {105, 0xA3, 0},  {106, 0x6F, 0},
    {107, 0x2C, 0},  {108, 0xA5, 0},  {110, 0x24, 0},  {111, 0x26, 0},  {112, 0x21, 0},  {113, 0x25, 0},
    {114, 0x27, 0},  {115, 0x23, 0},  {116, 0x28, 0},  {117, 0x22, 0},  {118, 0x2D, 0},  {119, 0x2E, 0},
    {127, 0x13, 0},  {133, 0x5B, 0},  {134, 0x5C, 0},  {135, 0x5D, 0},
    // F13 to F24
    {191, 0x7C, 0},  {192, 0x7D, 0},  {193, 0x7E, 0},  {194, 0x7F, 0},  {195, 0x80, 0},  {196, 0x81, 0},
    {197, 0x82, 0},  {198, 0x83, 0},  {199, 0x84, 0},  {200, 0x85, 0},  {201, 0x86, 0},  {202, 0x87, 0},
};

bool isAltKey(quint32 vk)
{
    return vk == 0x12 || vk == 0xA4 || vk == 0xA5;
}

} // namespace

LowLevelKeyHook installLowLevelKeyHook(LowLevelKeyProc proc)
{
    if (!proc)
        return nullptr;
    installLowLevelKeyEventFilter();
    const quintptr id = s_nextId++;
    s_chain.insert(s_chain.begin(), HookEntry{id, proc});
    return reinterpret_cast<LowLevelKeyHook>(id);
}

bool removeLowLevelKeyHook(LowLevelKeyHook hook)
{
    const quintptr id = reinterpret_cast<quintptr>(hook);
    for (auto it = s_chain.begin(); it != s_chain.end(); ++it) {
        if (it->id == id) {
            s_chain.erase(it);
            return true;
        }
    }
    return false;
}

qintptr callNextLowLevelKeyHook(LowLevelKeyHook, int code, quintptr message, const LowLevelKeyRecord *record)
{
    if (!s_current)
        return 0;
    return runFrom(*s_current, s_current->running + 1, code, message, record);
}

bool lowLevelKeyForegroundIsOurs()
{
    return QGuiApplication::focusWindow() != nullptr;
}

void installLowLevelKeyEventFilter()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || s_filter)
        return;
    s_filter = new KeyEventFilter(app);
    app->installEventFilter(s_filter);
}

qintptr dispatchLowLevelKey(int code, quintptr message, const LowLevelKeyRecord &record)
{
    Dispatch d;
    d.snapshot = s_chain;
    d.outer = s_current;
    s_current = &d;
    struct Restore {
        Dispatch &d;
        ~Restore() { s_current = d.outer; }
    } restore{d};
    return runFrom(d, 0, code, message, &record);
}

void deliverKeyEventToHooks(const QKeyEvent &event, bool x11KeyCodes)
{
    quintptr message = 0;
    LowLevelKeyRecord record;
    if (lowLevelKeyFromEvent(event, x11KeyCodes, &message, &record))
        dispatchLowLevelKey(kKeyHookAction, message, record);
}

bool lowLevelKeyFromEvent(const QKeyEvent &event, bool x11KeyCodes, quintptr *message, LowLevelKeyRecord *record)
{
    const bool press = event.type() == QEvent::KeyPress;
    // X11 repeats a held key as release + press pairs; a held key on the
    // platform the procedures are written for repeats key-downs only.
    if (!press && event.isAutoRepeat())
        return false;

    quint32 vk = 0;
    if (x11KeyCodes && event.nativeScanCode() != 0)
        vk = virtualKeyFromX11KeyCode(event.nativeScanCode(), event.key());
    if (vk == 0)
        vk = virtualKeyFromQtKey(event.key(), event.modifiers());

    const bool altHeld = event.modifiers() & Qt::AltModifier;
    if (press)
        *message = (altHeld || isAltKey(vk) || vk == 0x79) ? kKeyMsgSysDown : kKeyMsgDown;
    else
        *message = (altHeld && !isAltKey(vk)) ? kKeyMsgSysUp : kKeyMsgUp;
    record->vkCode = vk;
    record->scanCode = event.nativeScanCode();
    record->time = event.timestamp();
    return true;
}

quint32 virtualKeyFromX11KeyCode(quint32 keyCode, int qtKey)
{
    for (const KeyPosition &p : kUsPositions) {
        if (p.keyCode != keyCode)
            continue;
        if (p.cursorVk == 0)
            return p.vk;
        // A keypad key types its digit or point with Num Lock on and is a
        // cursor key (or Clear, for the 5) with it off.
        const bool numeric = (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || qtKey == Qt::Key_Period
                             || qtKey == Qt::Key_Comma;
        return numeric ? p.vk : p.cursorVk;
    }
    return 0;
}

quint32 virtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 0x60 + quint32(qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 0x6E;
        case Qt::Key_Slash: return 0x6F;
        default: break;   // keypad Enter and cursor keys read as the main keys
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return quint32(qtKey);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return quint32(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + quint32(qtKey - Qt::Key_F1);

    static const struct {
        int key;
        quint32 vk;
    } table[] = {
        {Qt::Key_Escape, 0x1B},    {Qt::Key_Tab, 0x09},        {Qt::Key_Backtab, 0x09},
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Return, 0x0D},     {Qt::Key_Enter, 0x0D},
        {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},     {Qt::Key_Pause, 0x13},
        {Qt::Key_Print, 0x2C},     {Qt::Key_SysReq, 0x2C},     {Qt::Key_Clear, 0x0C},
        {Qt::Key_Home, 0x24},      {Qt::Key_End, 0x23},        {Qt::Key_Left, 0x25},
        {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},      {Qt::Key_Down, 0x28},
        {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22},   {Qt::Key_Shift, 0xA0},
        {Qt::Key_Control, 0xA2},   {Qt::Key_Alt, 0xA4},        {Qt::Key_AltGr, 0xA5},
        {Qt::Key_Meta, 0x5B},      {Qt::Key_Super_L, 0x5B},    {Qt::Key_Super_R, 0x5C},
        {Qt::Key_Menu, 0x5D},      {Qt::Key_CapsLock, 0x14},   {Qt::Key_NumLock, 0x90},
        {Qt::Key_ScrollLock, 0x91}, {Qt::Key_Space, 0x20},
        // Punctuation by its US key, shifted or not.
        {Qt::Key_Minus, 0xBD},     {Qt::Key_Underscore, 0xBD}, {Qt::Key_Equal, 0xBB},
        {Qt::Key_Plus, 0xBB},      {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},
        {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Backslash, 0xDC},
        {Qt::Key_Bar, 0xDC},       {Qt::Key_Semicolon, 0xBA},  {Qt::Key_Colon, 0xBA},
        {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},  {Qt::Key_QuoteLeft, 0xC0},
        {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_Comma, 0xBC},     {Qt::Key_Less, 0xBC},
        {Qt::Key_Period, 0xBE},    {Qt::Key_Greater, 0xBE},    {Qt::Key_Slash, 0xBF},
        {Qt::Key_Question, 0xBF},
        // Shifted digits.
        {Qt::Key_Exclam, 0x31},    {Qt::Key_At, 0x32},         {Qt::Key_NumberSign, 0x33},
        {Qt::Key_Dollar, 0x34},    {Qt::Key_Percent, 0x35},    {Qt::Key_AsciiCircum, 0x36},
        {Qt::Key_Ampersand, 0x37}, {Qt::Key_Asterisk, 0x38},   {Qt::Key_ParenLeft, 0x39},
        {Qt::Key_ParenRight, 0x30},
    };
    for (const auto &entry : table) {
        if (entry.key == qtKey)
            return entry.vk;
    }
    return kVirtualKeyUnknown;
}
