#include "win32/dialog_template.h"

#include <cstring>

namespace ib::win32 {
namespace {

// Appends the fields of a template in order, padding as DLGTEMPLATEEX asks.
class TemplateWriter {
public:
    void word(std::uint16_t value) { append(&value, sizeof value); }
    void dword(std::uint32_t value) { append(&value, sizeof value); }
    void coordinate(int value) { word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    void rect(const DialogRect& rect) {
        for (int value : {rect.x, rect.y, rect.width, rect.height}) coordinate(value);
    }
    void string(const std::wstring& text) {
        for (wchar_t c : text) word(static_cast<std::uint16_t>(c));
        word(0);
    }
    // A resource number: 0xFFFF, then the number.
    void ordinal(std::uint16_t number) {
        word(0xFFFF);
        word(number);
    }
    void text(const TemplateText& text) {
        if (const auto* number = std::get_if<std::uint16_t>(&text))
            ordinal(*number);
        else
            string(std::get<std::wstring>(text));
    }
    void byte(std::uint8_t value) { append(&value, sizeof value); }
    void alignToDword() {
        while (m_bytes.size() % 4 != 0) m_bytes.push_back(0);
    }
    std::vector<std::uint32_t> words() const {
        std::vector<std::uint32_t> aligned((m_bytes.size() + 3) / 4);
        std::memcpy(aligned.data(), m_bytes.data(), m_bytes.size());
        return aligned;
    }

private:
    void append(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }

    std::vector<std::uint8_t> m_bytes;
};

void writeHeader(TemplateWriter& out, const TemplateDialog& dialog) {
    out.word(1);       // dlgVer
    out.word(0xFFFF);  // signature: the extended template
    out.dword(0);      // helpID
    out.dword(dialog.exStyle);
    out.dword(dialog.style | DS_SETFONT);
    out.word(static_cast<std::uint16_t>(dialog.items.size()));
    out.rect(dialog.rect);
    out.word(0);  // no menu
    out.word(0);  // the predefined dialog class
    out.string(dialog.title);
    out.word(dialog.fontPoints);
    out.word(FW_NORMAL);
    out.byte(0);  // not italic
    out.byte(DEFAULT_CHARSET);
    out.string(dialog.fontName);
}

void writeItem(TemplateWriter& out, const TemplateItem& item) {
    out.alignToDword();
    out.dword(0);  // helpID
    out.dword(item.exStyle);
    out.dword(item.style | WS_CHILD);
    out.rect(item.rect);
    out.dword(static_cast<std::uint32_t>(item.id));
    out.string(item.windowClass);
    out.text(item.text);
    out.word(0);  // no creation data
}

}  // namespace

std::vector<std::uint32_t> buildDialogTemplate(const TemplateDialog& dialog) {
    TemplateWriter out;
    writeHeader(out, dialog);
    for (const TemplateItem& item : dialog.items) writeItem(out, item);
    return out.words();
}

}  // namespace ib::win32
