#pragma once
// Builds a dialog template in memory, so tests can run dialogs of their own
// with the program's dialog class.
#include <windows.h>

#include <string>
#include <vector>

class DialogTemplate {
public:
    enum : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

    DialogTemplate(const char* caption, short cx, short cy) : m_cx(cx), m_cy(cy), m_caption(caption) {}

    DialogTemplate& Add(WORD controlClass, WORD id, const char* text, DWORD style, short x, short y,
                        short cx, short cy) {
        m_items.push_back({controlClass, id, text, style | WS_CHILD | WS_VISIBLE, x, y, cx, cy});
        return *this;
    }

    // The template, valid while this object lives.
    const DLGTEMPLATE* Get() {
        m_data.clear();
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        PutDword(style);
        PutDword(0);
        Put(static_cast<WORD>(m_items.size()));
        Put(0), Put(0), Put(m_cx), Put(m_cy);
        Put(0); // no menu
        Put(0); // the standard dialog class
        PutText(m_caption);
        Put(8);
        PutText("MS Shell Dlg");
        for (const Item& item : m_items) {
            if (m_data.size() % 2)
                Put(0); // items start on a DWORD boundary
            PutDword(item.style);
            PutDword(0);
            Put(item.x), Put(item.y), Put(item.cx), Put(item.cy);
            Put(item.id);
            Put(0xFFFF);
            Put(item.controlClass);
            PutText(item.text);
            Put(0); // no creation data
        }
        return reinterpret_cast<const DLGTEMPLATE*>(m_data.data());
    }

private:
    struct Item {
        WORD controlClass;
        WORD id;
        std::string text;
        DWORD style;
        short x, y, cx, cy;
    };

    void Put(WORD word) { m_data.push_back(word); }
    void PutDword(DWORD value) {
        Put(LOWORD(value));
        Put(HIWORD(value));
    }
    void PutText(const std::string& text) {
        for (char c : text)
            Put(static_cast<unsigned char>(c));
        Put(0);
    }

    short m_cx, m_cy;
    std::string m_caption;
    std::vector<Item> m_items;
    std::vector<WORD> m_data; // WORD-aligned by construction
};
