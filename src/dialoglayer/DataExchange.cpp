#include "DataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

void CDataExchange::Fail(int controlId) {
    m_failed = true;
    if (HWND control = Control(controlId)) {
        SetFocus(control);
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
    MessageBeep(MB_ICONEXCLAMATION);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(length + 1);
    const int copied = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? copied : 0);
}

void ExchangeCheck(CDataExchange& dx, int id, int& value) {
    if (dx.Saving() && dx.Failed())
        return;
    if (dx.Saving())
        value = IsDlgButtonChecked(dx.Dialog(), id) == BST_CHECKED ? 1 : 0;
    else
        CheckDlgButton(dx.Dialog(), id, value ? BST_CHECKED : BST_UNCHECKED);
}

void ExchangeInt(CDataExchange& dx, int id, int& value) {
    if (dx.Saving() && dx.Failed())
        return;
    if (!dx.Saving()) {
        SetDlgItemTextA(dx.Dialog(), id, std::to_string(value).c_str());
        return;
    }
    const std::string text = WindowText(dx.Control(id));
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(begin, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
        dx.Fail(id);
        return;
    }
    value = static_cast<int>(number);
}

void ExchangeText(CDataExchange& dx, int id, std::string& value) {
    if (dx.Saving() && dx.Failed())
        return;
    if (dx.Saving())
        value = WindowText(dx.Control(id));
    else
        SetDlgItemTextA(dx.Dialog(), id, value.c_str());
}
