#pragma once

#include "kovrel_version.h"

// The window's own texts: its captions and what only the window says. The headlines and causes
// it shares with the converter are the core's (platform/messages.h).
namespace kovrel::ui::texts {

inline constexpr const char* kCaption = "Kovrel - v" KOVREL_VERSION_TEXT;
inline constexpr const char* kFrameEnterprises = "Ticari Kazançlara İlişkin Bildirim";
inline constexpr const char* kFrameNewRecord = "Yeni Teşebbüs veya Ortaklık Kaydı";
inline constexpr const char* kLabelFile = "XML dosya adı:";
inline constexpr const char* kLabelDrive = "ebyn klasörünün bulunduğu sürücü:";
inline constexpr const char* kLabelEnterprise = "Teşebbüs veya Ortaklığın Unvanı:";
inline constexpr const char* kLabelNote = "ÖNEMLİ NOT:";
inline constexpr const char* kLabelTitle = "Unvan:";
inline constexpr const char* kLabelActivity = "Faaliyet Konusu:";
inline constexpr const char* kLabelAttachment = "Verilen Ek:";
inline constexpr const char* kLabelShare = "Pay Oranı:";
inline constexpr const char* kLabelProfit = "Kar:";
inline constexpr const char* kLabelLoss = "Zarar:";
inline constexpr const char* kLabelWithheldTax = "Kesilen Gelir Vergisi:";
inline constexpr const char* kBalanceSheet = "Bilanço";
inline constexpr const char* kBusinessSummary = "İşletme";
inline constexpr const char* kButton = "İşlemi &Başlat";
inline constexpr const char* kOptionAdd = "Varolan dosyaya ekleme yap.";
inline constexpr const char* kOptionCreate = "Dosyayı sıfırdan oluştur.";

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
inline constexpr const char* kOk = "Tamam";
inline constexpr const char* kCancel = "İptal";

// No drive holds an ebyn folder and there is no drive C to fall back to.
inline constexpr const char* kNoDrive =
    "Hiçbir sürücüde ebyn klasörü bulunamadı ve C: sürücüsü yok.";
// Below "XML dosya okunurken hata oluştu." when the declaration does not parse.
inline constexpr const char* kCreatedAnew =
    "Pencere dosyayı sıfırdan oluşturmaya hazırlandı: “İşlemi Başlat” düğmesine bastığınızda "
    "dosya yeniden oluşturulur; okunamayan dosya önceki sürümler arasında saklanır.";

}  // namespace kovrel::ui::texts
