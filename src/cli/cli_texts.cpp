#include "cli/cli_texts.h"

namespace kovrel::cli::texts {
namespace {

std::string quoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

}  // namespace

std::string unknownOption(std::string_view option) {
    return "bilinmeyen seçenek: " + std::string(option);
}

std::string needsValue(std::string_view option) {
    return std::string(option) + " bir değer ister.";
}

std::string badMode(std::string_view value) {
    return "--mode add ya da create olabilir, " + quoted(value) + " olamaz.";
}

std::string badDrive(std::string_view value) {
    return "--drive bir sürücü harfi ister, " + quoted(value) + " sürücü harfi değil.";
}

std::string noSuchDrive(char letter) {
    return std::string(1, letter) + ": sürücüsü yok.";
}

std::string noSuchEnterprise(std::string_view title, const std::vector<std::string>& listed) {
    std::string text =
        "dosyada " + quoted(title) + " unvanlı bir işletme yok. Dosyadaki işletmeler:";
    if (listed.empty())
        text += " (yok)";
    for (const auto& t : listed)
        text += "\n  " + t;
    return text;
}

}  // namespace kovrel::cli::texts
