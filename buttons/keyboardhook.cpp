#include "keyboardhook.h"

namespace {

// One service's process-wide state.
struct HookState {
    void **handle;
    KeyHookCallback *callback;
    LowLevelKeyProc proc;
    // The page hook's release with Alt held keeps the key as the last one
    // seen; the dialogs take it as a plain release.
    bool sysUpKeepsKey;
    quint32 lastKeyCode = 0;   // last key taken as the start of a press; 0 after a release
    bool repeatFlag = false;
    bool keyDownFlag = false;
};

HookState s_page{&g_keyHookHandle, &g_keyHookCallback, &KeyboardHook::KeyboardHookProc, true};
HookState s_addKey{&g_addKeyHookHandle, &g_addKeyHookCallback, &AddKeyHook::AddKeyHookProc, false};
HookState s_groupKey{&g_groupKeyHookHandle, &g_groupKeyHookCallback, &GroupKeyHook::GroupKeyHookProc, false};

HookState &stateOf(KeyHookKind kind)
{
    switch (kind) {
    case KeyHookKind::AddKey: return s_addKey;
    case KeyHookKind::GroupKey: return s_groupKey;
    case KeyHookKind::Page: break;
    }
    return s_page;
}

qintptr runProc(HookState &s, int nCode, quintptr message, const LowLevelKeyRecord *record)
{
    // Other codes carry no key to read: they only pass on, like keys that
    // arrive while another program is in front.
    if (nCode == kKeyHookAction && record && lowLevelKeyForegroundIsOurs()) {
        const quint32 vk = record->vkCode;
        if (vk == s.lastKeyCode) {
            s.repeatFlag = true;
        } else {
            s.repeatFlag = false;
            s.lastKeyCode = vk;
        }
        if (message == kKeyMsgDown || message == kKeyMsgSysDown) {
            s.keyDownFlag = true;
        } else if (message == kKeyMsgUp || (message == kKeyMsgSysUp && !s.sysUpKeepsKey)) {
            s.keyDownFlag = false;
            s.lastKeyCode = 0;
            s.repeatFlag = false;
        } else if (message == kKeyMsgSysUp) {
            s.keyDownFlag = false;
        }
        // A copy: the callback may rebind the service (stop recording and
        // start something else) while it runs.
        const KeyHookCallback callback = *s.callback;
        if (callback)
            callback(int(vk), s.keyDownFlag, s.repeatFlag);
    }
    return callNextLowLevelKeyHook(*s.handle, nCode, message, record);
}

void removeHook(HookState &s)
{
    if (*s.handle) {
        removeLowLevelKeyHook(*s.handle);
        *s.handle = nullptr;
    }
}

} // namespace

void KeyHookService::install()
{
    HookState &s = stateOf(m_kind);
    removeHook(s);
    *s.handle = installLowLevelKeyHook(s.proc);
    m_installed = *s.handle;
}

void KeyHookService::remove()
{
    removeHook(stateOf(m_kind));
}

void KeyHookService::release()
{
    HookState &s = stateOf(m_kind);
    if (m_installed && *s.handle == m_installed)
        removeHook(s);
    m_installed = nullptr;
    if (!*s.handle)
        *s.callback = nullptr;
}

qintptr KeyboardHook::KeyboardHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam)
{
    return runProc(s_page, nCode, wParam, lParam);
}

qintptr AddKeyHook::AddKeyHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam)
{
    return runProc(s_addKey, nCode, wParam, lParam);
}

qintptr GroupKeyHook::GroupKeyHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam)
{
    return runProc(s_groupKey, nCode, wParam, lParam);
}

void resetKeyHooks()
{
    for (HookState *s : {&s_page, &s_addKey, &s_groupKey}) {
        removeHook(*s);
        *s->callback = nullptr;
        s->lastKeyCode = 0;
        s->repeatFlag = false;
        s->keyDownFlag = false;
    }
}
