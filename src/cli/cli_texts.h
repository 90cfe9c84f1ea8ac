#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The converter's own texts: its help and what it says about the options it was given. The
// headlines and causes it shares with the window are the core's (platform/messages.h).
namespace kovrel::cli::texts {

inline constexpr const char* kHelp =
    "Kullanım: kovrel-convert [seçenekler] BİLGİ_DOSYASI\n"
    "Muhasebe programının verdiği beyanname bilgi dosyasını (beyan.txt), e-Beyanname\n"
    "programının ebyn klasöründeki XML beyanname dosyasına aktarır: Kovrel penceresinde\n"
    "“İşlemi Başlat” düğmesine basmakla aynı işi yapar.\n"
    "\n"
    "Seçenekler:\n"
    "  --drive X            ebyn klasörünün bulunduğu sürücü (varsayılan: ebyn klasörü\n"
    "                       olan ilk sürücü)\n"
    "  --mode add|create    var olan dosyaya ekle (add) ya da dosyayı sıfırdan oluştur\n"
    "                       (create); varsayılan: dosya varsa add, yoksa create\n"
    "  --new                gelir vergisi: yeni bir ticari kazanç kaydı yaz\n"
    "  --enterprise UNVAN   gelir vergisi: dosyada olan bir işletme için yaz\n"
    "  --title METİN        yeni kayıt: unvan (varsayılan: bilgi dosyasının 10. satırı)\n"
    "  --activity METİN     yeni kayıt: faaliyet konusu (varsayılan: 11. satır)\n"
    "  --share METİN        yeni kayıt: pay oranı\n"
    "  --profit TUTAR       yeni kayıt: kâr (1.234,56 gibi yazılabilir)\n"
    "  --loss TUTAR         yeni kayıt: zarar (1.234,56 gibi yazılabilir)\n"
    "  --withheld-tax METİN yeni kayıt: kesilen gelir vergisi\n"
    "  --dry-run            dosyayı kaydetmeden beyannameyi standart çıktıya yaz\n"
    "  --versions           bu beyannamenin saklanan önceki sürümlerini listele\n"
    "  --restore NUMARA     listedeki bir sürümü geri koy (yerine konan dosya da saklanır)\n"
    "  --help               bu yardımı göster\n"
    "  --version            sürümü göster\n"
    "\n"
    "Çıkış durumu: 0 kaydedildi, 1 işlem yapılamadı, 2 hatalı kullanım ya da bilgi\n"
    "dosyası veya beyanname okunamadı, 3 yeni unvan dosyada zaten var.\n";

inline constexpr const char* kSeeHelp = "Yardım için: kovrel-convert --help";
inline constexpr const char* kNoInfoFile = "bilgi dosyası verilmedi.";
inline constexpr const char* kTwoInfoFiles =
    "birden fazla bilgi dosyası verildi. Boşluk içeren bir yolu çift tırnak içine alın.";
inline constexpr const char* kNewAndEnterprise = "--new ile --enterprise birlikte kullanılamaz.";
inline constexpr const char* kEnterpriseNeedsAdd =
    "--enterprise için --mode add gerekir: yeni oluşturulan dosyada işletme olmaz.";
inline constexpr const char* kNotIncomeTax =
    "--new ve --enterprise yalnızca gelir vergisi beyannameleri içindir.";
inline constexpr const char* kNoEbynDrive =
    "hiçbir sürücüde ebyn klasörü yok; sürücüyü --drive ile belirtin.";
inline constexpr const char* kNoEnterpriseYet =
    "dosyada henüz işletme yok; yeni kayıt için --new, dosyadaki bir işletme için "
    "--enterprise UNVAN verin.";
inline constexpr const char* kVersionsAndRestore =
    "--versions ile --restore birlikte kullanılamaz.";
inline constexpr const char* kNoEnterprises = "(işletme yok)";
inline constexpr const char* kUnreadableVersion = "(okunamadı)";
inline constexpr const char* kHowToRestore =
    "Birini geri koymak için: kovrel-convert --restore NUMARA BİLGİ_DOSYASI";

// Below "XML dosya okunurken hata oluştu." when the declaration does not parse.
inline constexpr const char* kCreateAnew =
    "Dosyayı sıfırdan oluşturmak için komutu --mode create ile yeniden çalıştırın; okunamayan "
    "dosya önceki sürümler arasında saklanır (--versions).";

std::string unknownOption(std::string_view option);
std::string needsValue(std::string_view option);
std::string badMode(std::string_view value);
std::string badDrive(std::string_view value);
std::string noSuchDrive(char letter);
std::string noVersions(std::string_view declaration);
std::string versionsOf(std::string_view declaration, std::string_view folder);
// "  1  06.12.2026 14:03:27  3,5 KB  Şahin Kırtasiye, İkinci Şube"
std::string versionLine(std::size_t number, std::string_view name, std::uint64_t size,
                        std::string_view enterprises);
std::string noSuchVersion(std::string_view asked, std::size_t kept);
std::string noSuchEnterprise(std::string_view title, const std::vector<std::string>& listed);

}  // namespace kovrel::cli::texts
