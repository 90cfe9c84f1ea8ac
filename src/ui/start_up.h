#pragma once

#include <string>
#include <string_view>

namespace kovrel::ui {

// The note about kuruş differences after the change to the new Turkish lira, shown in lblDESC.
inline constexpr const char* kYtlNote =
    "YTL çevriminden dolayı Bilanço ve Gelir Tablosunda kuruş farklılıkları olmaktadır. Bundan "
    "dolayı "
    "grup toplamları transfer edilmemiştir. Bilançodaki Aktifteki Hazır Değerler, Pasifteki Kısa "
    "Vadeli Yabancı Kaynaklar ve "
    "Gelir Tablosundaki Brüt Satışlar kısmında \"?\" alanlarını SİLEREK Enter' a basın. EBYN "
    "programı grup hesapları otomatik olarak hesaplayacaktır. "
    "Aktif ve Pasif toplamları kontrol ediniz, fark var ise farkı herhangi bir hesaba ilave edip "
    "farkı kapatın.";

inline constexpr const char* kDrivePrompt =
    "Dosyanın olduğu sürücüyü aşağıdaki kutuya yazıp tamam düğmesine basınız.";
inline constexpr const char* kDriveDefaultAnswer = "A";
// Our own: no drive holds an ebyn folder and there is no drive C to fall back to.
inline constexpr const char* kNoDrive =
    "Hiçbir sürücüde ebyn klasörü bulunamadı ve C: sürücüsü yok.";

// The info file's path from the command line: trimmed of spaces, and without one pair of
// double quotes around it (drag and drop and "Open with" quote paths that contain spaces).
std::string infoFilePathFromCommandLine(std::string_view commandLine);

// The info file's path from the input box's answer: its first character names the drive.
// Empty for an empty answer.
std::string infoFilePathFromAnswer(std::string_view answer);

}  // namespace kovrel::ui
