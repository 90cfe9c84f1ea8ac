#pragma once

// The system's own texts, shared by the window and the command line.
namespace kovrel::conversion::messages {

inline constexpr const char* kTitle = "KOVREL";
inline constexpr const char* kWarningTitle = "Uyarı";
inline constexpr const char* kInfoFileMissing = "bilgi dosyası bulunamadı.";
inline constexpr const char* kXmlReadFailed = "XML dosya okunurken hata oluştu.";
inline constexpr const char* kAppendTargetMissing = "Ekleme yapılacak dosya bulunamadı!";
inline constexpr const char* kRunFailed = "XML dosyası oluşturulurken hata oluştu!";
inline constexpr const char* kDuplicateTitle =
    "Yazmış olduğunuz ünvan XML dosya içerisinde daha önceden tanımlanmış lütfen ünvanı "
    "değiştirip tekrar deneyin.";
inline constexpr const char* kNewRecordEntry = "Yeni Kayıt";

}  // namespace kovrel::conversion::messages
