#include "platform/messages.h"

#include <cstdio>
#include <new>

namespace kovrel::messages {
namespace {

std::string quoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

// "14. satır": Turkish writes ordinals with a point.
std::string nth(std::size_t number) {
    return std::to_string(number) + ".";
}

}  // namespace

std::string sizeText(std::uint64_t bytes) {
    const char* unit = "KB";
    double value = static_cast<double>(bytes) / 1024;
    if (value >= 1024) {
        value /= 1024;
        unit = "MB";
    }
    if (value >= 1024) {
        value /= 1024;
        unit = "GB";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    std::string result = text;
    if (const auto point = result.find('.'); point != std::string::npos)
        result[point] = ',';
    return result;
}

namespace {

constexpr const char* kGetItAgain = "Bilgi dosyasını muhasebe programından yeniden alın.";

const char* failed(FileOperation operation) {
    switch (operation) {
        case FileOperation::Open:
            return " açılamadı: ";
        case FileOperation::Read:
            return " okunamadı: ";
        case FileOperation::CreateFolder:
            return " klasörü oluşturulamadı: ";
        case FileOperation::Write:
            return " kaydedilemedi: ";
    }
    return ": ";
}

std::string problemText(FileProblem problem, std::string_view systemText) {
    switch (problem) {
        case FileProblem::NotFound:
            return "böyle bir dosya ya da klasör yok.";
        case FileProblem::AccessDenied:
            return "erişim izniniz yok. Dosyanın ya da klasörün izinlerini denetleyin.";
        case FileProblem::ReadOnly:
            return "dosya salt okunur. Dosyanın Özellikler penceresinden “Salt okunur” işaretini "
                   "kaldırıp tekrar deneyin.";
        case FileProblem::DiskFull:
            return "diskte yer kalmadı. Diskte yer açıp tekrar deneyin.";
        case FileProblem::TooLarge:
            return "dosya, diskin ya da sistemin bir dosyaya izin verdiği büyüklüğü aşıyor.";
        case FileProblem::InUse:
            return "dosya başka bir program tarafından açık tutuluyor (örneğin e-Beyanname "
                   "programı). O programı kapatıp tekrar deneyin.";
        case FileProblem::PathTooLong:
            return "dosya yolu çok uzun.";
        case FileProblem::Other:
            break;
    }
    return std::string(systemText) + ".";
}

}  // namespace

std::string causeOf(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Error& e) {
        return e.what();
    } catch (const std::bad_alloc&) {
        return "Bellek yetmedi. Açık programlardan birkaçını kapatıp tekrar deneyin.";
    } catch (...) {
        return "Beklenmeyen bir hata oluştu.";
    }
}

std::string fileFailure(FileOperation operation, std::string_view path, FileProblem problem,
                        std::string_view systemText) {
    return quoted(path) + failed(operation) + problemText(problem, systemText);
}

std::string diskFull(std::string_view path, std::uint64_t neededBytes, std::uint64_t freeBytes) {
    return quoted(path) + failed(FileOperation::Write) + "diskte yer kalmadı. Dosya için " +
           sizeText(neededBytes) + " gerekiyor, diskte " + sizeText(freeBytes) +
           " boş yer var. Diskte yer açıp tekrar deneyin.";
}

std::string infoFileNotFound(std::string_view path) {
    std::string text = quoted(path) + " yolunda bir dosya yok.";
    if (path.find('"') != std::string_view::npos)
        text += " Yolda tırnak işareti var: tırnaklar yalnızca yolun başında ve sonunda olabilir.";
    else if (path.find(' ') != std::string_view::npos)
        text += " Yol boşluk içeriyorsa komut satırında yolun tamamını çift tırnak içine alın.";
    return text;
}

std::string parseFailure(ParseProblem problem, int line) {
    const std::string at = line > 0 ? nth(static_cast<std::size_t>(line)) + " satırda " : "";
    switch (problem) {
        case ParseProblem::EndsEarly:
            return "Dosya yarıda kesilmiş: " + at + "açık kalan öğeler kapanmadan dosya bitiyor.";
        case ParseProblem::TagMismatch:
            return "Dosyada " + at + "bir kapanış etiketi, açık olan öğeye uymuyor.";
        case ParseProblem::BadCharacter:
            return "Dosyada " + at + "XML dosyasında bulunamayacak bir karakter var.";
        case ParseProblem::NotXml:
            return "Dosya bir XML dosyası değil.";
        case ParseProblem::Encoding:
            return "Dosyanın karakter kodlaması okunamıyor" +
                   (line > 0 ? " (" + nth(static_cast<std::size_t>(line)) + " satır)." : ".");
        case ParseProblem::DocumentType:
            return "Dosyada bir belge türü tanımı (DOCTYPE) var; güvenlik için böyle dosyalar "
                   "okunmaz.";
        case ParseProblem::Namespace:
            return "Dosyadaki bir ad alanı (xmlns) adı, dosya geri kaydedilirse bozulacak bir "
                   "karakter içeriyor.";
        case ParseProblem::TooLarge:
            return "Dosyada " + at + "okunabilecek en büyük uzunluğu aşan bir değer var.";
        case ParseProblem::TooDeep:
            return "Dosyada " + at + "okunabilecek en büyük derinlikten daha iç içe öğeler var.";
        case ParseProblem::Other:
            break;
    }
    return "Dosya " + at + "XML kurallarına uymuyor.";
}

std::string declarationUnreadable(std::string_view path, std::string_view cause) {
    return "Beyanname dosyası " + quoted(path) + " okunamadı. " + std::string(cause);
}

std::string declarationLacks(std::string_view elementPath) {
    return "Beyanname dosyasında " + quoted(elementPath) + " öğesi yok.";
}

std::string recordWithoutTitle() {
    return "Beyanname dosyasındaki bir ticari kazanç kaydının (ticariKazanc) unvanın okunacağı bir "
           "alt öğesi yok.";
}

std::string valueTooLong(std::size_t bytes, std::size_t limit) {
    return "Bir değer " + std::to_string(bytes) + " bayt; beyanname dosyası en çok " +
           std::to_string(limit) + " baytlık değer tutabilir.";
}

std::string cannotEncode(std::string_view encoding) {
    return "Beyanname dosyası kendi karakter kodlamasıyla (" + std::string(encoding) +
           ") yazılamıyor.";
}

std::string infoFileEncoding(std::string_view path, InfoEncoding encoding) {
    if (encoding == InfoEncoding::Binary)
        return quoted(path) + " bir metin dosyası değil. " + kGetItAgain;
    const char* as = encoding == InfoEncoding::Utf8           ? "UTF-8"
                     : encoding == InfoEncoding::Utf8WithMark ? "bayt sırası işaretli UTF-8"
                                                              : "UTF-16";
    return quoted(path) + " DOS Türkçe (kod sayfası 857) metni değil, " + as +
           " olarak kaydedilmiş. " + kGetItAgain +
           " Dosyayı bir metin düzenleyicide açıp yeniden kaydetmeyin.";
}

std::string infoFileEmpty(std::string_view path) {
    return quoted(path) + " boş. " + kGetItAgain;
}

std::string infoFileTooShort(std::string_view path, std::size_t lines, std::size_t needed) {
    return quoted(path) + " " + std::to_string(lines) + " satır; başlığı için en az " +
           std::to_string(needed) + " satır gerekiyor. " + kGetItAgain;
}

std::string headerLineTooShort(std::string_view path, std::size_t line, std::size_t fields,
                               std::size_t needed) {
    return quoted(path) + ", " + nth(line) + " satır: " + std::to_string(fields) + " alan var; " +
           std::to_string(needed) + " alan gerekiyor. " + kGetItAgain;
}

std::string infoFileNotReadToEnd(std::string_view path) {
    return quoted(path) + " sonuna kadar okunamadı.";
}

std::string atInfoLine(std::string_view path, std::size_t line, std::string_view cause) {
    return "Bilgi dosyası " + quoted(path) + ", " + nth(line) + " satır: " + std::string(cause);
}

std::string recordTooShort(std::string_view code, std::size_t fields, std::size_t needed) {
    return quoted(code) + " kaydında " + std::to_string(fields) + " alan var; " +
           std::to_string(needed) + " alan gerekiyor.";
}

std::string unusableInFileName(PathPart part, std::string_view value) {
    const char* what = part == PathPart::TaxNumber         ? "Vergi numarası"
                       : part == PathPart::TaxOffice       ? "Vergi dairesi kodu"
                       : part == PathPart::DeclarationType ? "Beyanname türü"
                                                           : "Dönem";
    return std::string(what) + " " + quoted(value) +
           " bir dosya adında kullanılamaz. Bilgi dosyasının başlığını denetleyin.";
}

std::string noDriveChosen() {
    return "Sürücü seçilmemiş.";
}

}  // namespace kovrel::messages
