#ifndef KEYBOARDHOOK_H
#define KEYBOARDHOOK_H

// The three keyboard hook services. Each hands every key pressed while a
// window of the program is in front to one callback, as (virtual-key code,
// key down, repeat), and never swallows a key:
//
//   KeyboardHook  the button page: its key fields and macro recording;
//                 handle g_keyHookHandle, callback g_keyHookCallback
//   AddKeyHook    the single-key dialog addKey;
//                 handle g_addKeyHookHandle, callback g_addKeyHookCallback
//   GroupKeyHook  the key-combination dialog GroupKey;
//                 handle g_groupKeyHookHandle, callback g_groupKeyHookCallback
//
// Each service keeps its own handle, key state and callback; every object
// of one service controls the same single hook. The caller binds the
// callback right after installing (bindKeyHookCallback() below gives a
// binding that never reaches a destroyed object).
//
// Down and repeat: a key going down reports (vk, true, false), each repeat
// of a held key (vk, true, true), its release (vk, false, false). Keys
// pressed while Alt is held, Alt itself and F10 come as the system-key
// messages; a key-down among them counts as down for every service. Their
// release differs: the page hook reports (vk, false, repeat) and keeps the
// key as the last one seen, so an immediate new press of it reports repeat;
// the dialog hooks, which ask the user for a key, take it as any release.

#include "globals.h"
#include "keyhooklayer.h"

#include <QPointer>

enum class KeyHookKind { Page, AddKey, GroupKey };

class KeyHookService
{
public:
    virtual ~KeyHookService() = default;
    // Installs the service's procedure. A hook the service still has is
    // removed first, so a key never arrives twice.
    void install();
    // Removes the service's hook; without one it does nothing.
    void remove();
    // The end of a dialog: removes the hook if it is still the one this
    // object installed, and unbinds the service's callback once the service
    // has no hook left, so no key can reach a dialog that is gone.
    void release();

protected:
    explicit KeyHookService(KeyHookKind kind) : m_kind(kind) {}

private:
    KeyHookKind m_kind;
    LowLevelKeyHook m_installed = nullptr;
};

class KeyboardHook : public KeyHookService
{
public:
    KeyboardHook() : KeyHookService(KeyHookKind::Page) {}
    void InstallKeyboardHook() { install(); }
    void RemoveKeyboardHook() { remove(); }
    static qintptr KeyboardHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam);
};

class AddKeyHook : public KeyHookService
{
public:
    AddKeyHook() : KeyHookService(KeyHookKind::AddKey) {}
    void InstallAddKeyHook() { install(); }
    void RemoveAddKeyHook() { remove(); }
    static qintptr AddKeyHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam);
};

class GroupKeyHook : public KeyHookService
{
public:
    GroupKeyHook() : KeyHookService(KeyHookKind::GroupKey) {}
    void InstallGroupKeyHook() { install(); }
    void RemoveGroupKeyHook() { remove(); }
    static qintptr GroupKeyHookProc(int nCode, quintptr wParam, const LowLevelKeyRecord *lParam);
};

// A callback that calls `slot` of `object` while the object lives and does
// nothing after it is destroyed.
template <class T>
KeyHookCallback bindKeyHookCallback(T *object, void (T::*slot)(int, bool, bool))
{
    QPointer<T> guard(object);
    return [guard, slot](int keyCode, bool downOrUp, bool aotu) {
        if (T *target = guard.data())
            (target->*slot)(keyCode, downOrUp, aotu);
    };
}

// Removes every service's hook, unbinds the callbacks and clears the key
// state (for tests).
void resetKeyHooks();

#endif // KEYBOARDHOOK_H
