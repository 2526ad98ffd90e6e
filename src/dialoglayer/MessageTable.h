#pragma once
// Message tables: one static table per window class lists the messages,
// commands and control notifications it handles; DispatchMessageTable walks it.
#include <windows.h>

#include <cstddef>

template <class T> struct MessageEntry {
    enum class Kind { Message, Command, Control, ControlRange };
    Kind kind;
    UINT message; // Kind::Message: the window message
    UINT id;      // the command or control id (the first of a range)
    UINT code;    // Kind::Control, Kind::ControlRange: the notification code
    UINT lastId;  // Kind::ControlRange: the last id of the range
    LRESULT (T::*onMessage)(WPARAM, LPARAM);
    void (T::*onCommand)();
    void (T::*onControlInRange)(UINT id);
};

// A window message with its parameters; the handler's result is the message's.
template <class T> constexpr MessageEntry<T> OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {MessageEntry<T>::Kind::Message, message, 0, 0, 0, handler, nullptr, nullptr};
}

// A WM_COMMAND from a menu (code 0) or an accelerator (code 1).
template <class T> constexpr MessageEntry<T> OnCommand(UINT id, void (T::*handler)()) {
    return {MessageEntry<T>::Kind::Command, WM_COMMAND, id, 0, 0, nullptr, handler, nullptr};
}

// A WM_COMMAND notification with the given code from the given control.
template <class T> constexpr MessageEntry<T> OnControl(UINT code, UINT id, void (T::*handler)()) {
    return {MessageEntry<T>::Kind::Control, WM_COMMAND, id, code, 0, nullptr, handler, nullptr};
}

// A WM_COMMAND notification with the given code from any control of a range;
// the handler is told which.
template <class T>
constexpr MessageEntry<T> OnControlRange(UINT code, UINT firstId, UINT lastId,
                                         void (T::*handler)(UINT)) {
    return {MessageEntry<T>::Kind::ControlRange, WM_COMMAND, firstId, code, lastId,
            nullptr,                             nullptr,    handler};
}

// Calls the first entry that matches. Returns false when none does.
template <class T, size_t N>
bool DispatchMessageTable(T* self, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam,
                          LPARAM lParam, LRESULT& result) {
    using Kind = typename MessageEntry<T>::Kind;
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    for (const MessageEntry<T>& entry : table) {
        if (entry.message != message)
            continue;
        switch (entry.kind) {
        case Kind::Message:
            result = (self->*entry.onMessage)(wParam, lParam);
            return true;
        case Kind::Command:
            if (entry.id != id || code > 1)
                continue;
            break;
        case Kind::Control:
            if (entry.id != id || entry.code != code)
                continue;
            break;
        case Kind::ControlRange:
            if (id < entry.id || id > entry.lastId || entry.code != code)
                continue;
            (self->*entry.onControlInRange)(id);
            result = 0;
            return true;
        }
        (self->*entry.onCommand)();
        result = 0;
        return true;
    }
    return false;
}
