#include "platform/windows_api.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/console.h"

// The C runtime's standard streams write UTF-8 bytes to a console, which shows them in its own
// code page (857, 437 or 65001 alike garble them), and in text mode turn "\r\n" into "\r\r\n".
// These buffers go to the system handles directly.
namespace kovrel::platform {
namespace {

constexpr UINT kLatin5CodePage = 28599;  // ISO-8859-9

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;  // not a lead byte
}

// The text of bytes for the console. A UTF-8 sequence cut off at the end stays in bytes for the
// next piece unless final; a byte that does not start a valid sequence is taken as ISO-8859-9.
std::wstring consoleText(std::string& bytes, bool final) {
    std::wstring text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(bytes[i]));
        const std::size_t available = std::min(length, bytes.size() - i);
        if (length > available && !final &&
            std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(i + 1), bytes.end(),
                        [](char c) { return isContinuation(static_cast<unsigned char>(c)); })) {
            break;
        }
        wchar_t wide[2];
        int count = length == available
                        ? ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                                static_cast<int>(length), wide, 2)
                        : 0;
        if (count > 0) {
            i += length;
        } else {
            count = ::MultiByteToWideChar(kLatin5CodePage, 0, bytes.data() + i, 1, wide, 1);
            ++i;
        }
        text.append(wide, static_cast<std::size_t>(std::max(count, 0)));
    }
    bytes.erase(0, i);
    return text;
}

bool writeToConsole(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        std::size_t chunk = std::min<std::size_t>(text.size(), 8192);
        // A surrogate pair is written whole.
        if (chunk < text.size() && text[chunk - 1] >= 0xD800 && text[chunk - 1] <= 0xDBFF)
            --chunk;
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(chunk), &written, nullptr) ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

bool writeToFile(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class StandardStreamBuffer final : public std::streambuf {
  public:
    explicit StandardStreamBuffer(DWORD handleId) : handleId_(handleId) {
        setp(buffer_, buffer_ + sizeof buffer_);
    }
    ~StandardStreamBuffer() override { flush(true); }
    StandardStreamBuffer(const StandardStreamBuffer&) = delete;
    StandardStreamBuffer& operator=(const StandardStreamBuffer&) = delete;

  protected:
    int_type overflow(int_type c) override {
        if (!flush(false))
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return flush(false) ? 0 : -1; }

  private:
    // The handle is looked up on each write: a program may have been given another one.
    bool flush(bool final) {
        pending_.append(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        setp(buffer_, buffer_ + sizeof buffer_);
        const HANDLE handle = ::GetStdHandle(handleId_);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            pending_.clear();
            return false;
        }
        DWORD mode = 0;
        if (::GetConsoleMode(handle, &mode))
            return writeToConsole(handle, consoleText(pending_, final));
        const bool written = writeToFile(handle, pending_);
        pending_.clear();
        return written;
    }

    DWORD handleId_;
    char buffer_[65536];
    std::string pending_;  // bytes not yet written, a cut-off UTF-8 sequence between writes
};

}  // namespace

std::streambuf* standardStream(StandardStream stream) {
    static StandardStreamBuffer output(STD_OUTPUT_HANDLE);
    static StandardStreamBuffer error(STD_ERROR_HANDLE);
    return stream == StandardStream::Output ? &output : &error;
}

}  // namespace kovrel::platform
