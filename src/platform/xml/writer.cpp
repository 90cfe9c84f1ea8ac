// Saving a Document: the library's formatted output with CR LF line ends, in pieces.
#include <libxml/xmlsave.h>

#include <exception>

#include "platform/messages.h"
#include "platform/xml/document.h"
#include "platform/xml/libxml_glue.h"

namespace kovrel::platform::xml {
namespace {

// Turns the library's LF line ends into CR LF on the way out and passes the bytes on in large
// pieces. The library calls it from C: what the sink throws is kept and thrown again once the
// library has returned.
class CrLfOutput {
  public:
    explicit CrLfOutput(const std::function<void(std::string_view)>& sink) : sink_(sink) {
        buffer_.reserve(kChunk + kChunk / 8);
    }

    static int write(void* context, const char* bytes, int length) {
        auto* self = static_cast<CrLfOutput*>(context);
        return self->append(std::string_view(bytes, static_cast<std::size_t>(length))) ? length
                                                                                       : -1;
    }

    bool flush() noexcept {
        if (failure_)
            return false;
        try {
            if (!buffer_.empty())
                sink_(buffer_);
        } catch (...) {
            failure_ = std::current_exception();
        }
        buffer_.clear();
        return !failure_;
    }

    void rethrowFailure() const {
        if (failure_)
            std::rethrow_exception(failure_);
    }

  private:
    static constexpr std::size_t kChunk = 1 << 16;

    bool append(std::string_view bytes) noexcept {
        if (failure_)
            return false;
        try {
            while (!bytes.empty()) {
                const auto lineEnd = bytes.find('\n');
                if (lineEnd == std::string_view::npos) {
                    buffer_.append(bytes);
                    break;
                }
                buffer_.append(bytes.substr(0, lineEnd));
                buffer_.append("\r\n");
                bytes.remove_prefix(lineEnd + 1);
            }
        } catch (...) {
            failure_ = std::current_exception();
            return false;
        }
        return buffer_.size() < kChunk || flush();
    }

    const std::function<void(std::string_view)>& sink_;
    std::string buffer_;
    std::exception_ptr failure_;
};

}  // namespace

void Document::write(const std::function<void(std::string_view)>& sink) const {
    if (!doc_)
        return;
    const char* encoding = doc_->encoding ? asChars(doc_->encoding) : "UTF-8";
    const QuietLibrary quiet;
    CrLfOutput output(sink);
    xmlSaveCtxt* save = xmlSaveToIO(&CrLfOutput::write, nullptr, &output, encoding,
                                    XML_SAVE_FORMAT | XML_SAVE_AS_XML);
    if (!save)
        throw Error(messages::cannotEncode(encoding));
    const long started = xmlSaveDoc(save, doc_);
    const int closed = xmlSaveClose(save);
    const bool flushed = output.flush();
    output.rethrowFailure();
    if (started < 0 || closed < 0 || !flushed)
        throw Error(messages::cannotEncode(encoding));
}

std::string Document::serialize() const {
    std::string out;
    write([&out](std::string_view piece) { out.append(piece); });
    return out;
}

}  // namespace kovrel::platform::xml
