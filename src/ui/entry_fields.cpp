#include <algorithm>

#include "textconv/normalize_amount.h"
#include "ui/form_main.h"

namespace kovrel::ui {
namespace {

constexpr int kEnter = 13;

// Offsets of the caret: the toolkit counts characters, the amount rule counts UTF-8 bytes.
int byteOffset(const std::string& utf8, long characters) {
    std::size_t at = 0;
    for (long seen = 0; at < utf8.size() && seen < characters; ++seen) {
        ++at;
        while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80)
            ++at;
    }
    return static_cast<int>(at);
}

// A caret beyond the end of the text (the amount rule may move it there) stays beyond it.
long characterOffset(const std::string& utf8, int bytes) {
    const int size = static_cast<int>(utf8.size());
    long characters = std::max(0, bytes - size);
    for (int i = 0; i < bytes && i < size; ++i) {
        if ((static_cast<unsigned char>(utf8[static_cast<std::size_t>(i)]) & 0xC0) != 0x80)
            ++characters;
    }
    return characters;
}

}  // namespace

void FormMain::onEnter(int keyAscii, wxWindow* next) {
    if (keyAscii == kEnter)
        moveFocus(next);
}

void FormMain::txtUnvan_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtFaaliyetK);
}
void FormMain::txtFaaliyetK_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtPayOrani);
}
void FormMain::txtPayOrani_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtKar);
}
void FormMain::txtKar_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtZarar);
}
void FormMain::txtZarar_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtKGV);
}
void FormMain::txtKGV_KeyPress(int keyAscii) {
    onEnter(keyAscii, txtUnvan);
}

void FormMain::txtKar_Change() {
    normalizeWhileTyping(txtKar);
}
void FormMain::txtZarar_Change() {
    normalizeWhileTyping(txtZarar);
}

void FormMain::normalizeWhileTyping(wxTextCtrl* field) {
    const std::string text = field->GetValue().utf8_string();
    long from = 0;
    long to = 0;
    field->GetSelection(&from, &to);

    const auto normal = textconv::normalizeAmount(text, byteOffset(text, from));
    if (normal.text == text)
        return;
    const wxString value = wxString::FromUTF8(normal.text);
    // Setting the text runs this handler again, which finds the text already normal.
    field->SetValue(value);
    const long caret = characterOffset(normal.text, normal.caret) - 1;
    field->SetInsertionPoint(std::clamp(caret, 0L, static_cast<long>(value.length())));
}

}  // namespace kovrel::ui
