#include "cli/cli_texts.h"

#include "platform/messages.h"

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

std::string noVersions(std::string_view declaration) {
    return quoted(declaration) + " için saklanan bir sürüm yok.";
}

std::string versionsOf(std::string_view declaration, std::string_view folder) {
    return quoted(declaration) + " için saklanan sürümler, en yenisi önce (" + quoted(folder) +
           " klasöründe):";
}

std::string versionLine(std::size_t number, std::string_view name, std::uint64_t size,
                        std::string_view enterprises) {
    // "2026-12-06_14-03-27.xml" is shown as "06.12.2026 14:03:27".
    const std::string time =
        std::string(name.substr(8, 2)) + "." + std::string(name.substr(5, 2)) + "." +
        std::string(name.substr(0, 4)) + " " + std::string(name.substr(11, 2)) + ":" +
        std::string(name.substr(14, 2)) + ":" + std::string(name.substr(17, 2));
    std::string line = std::to_string(number);
    line.insert(0, line.size() < 4 ? 4 - line.size() : 0, ' ');
    line += "  " + time + "  " + messages::sizeText(size);
    if (!enterprises.empty())
        line += "  " + std::string(enterprises);
    return line;
}

std::string noSuchVersion(std::string_view asked, std::size_t kept) {
    return quoted(asked) + " numaralı bir sürüm yok; saklanan sürümler 1 ile " +
           std::to_string(kept) + " arasında numaralı (--versions ile listelenir).";
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
