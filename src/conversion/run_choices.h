#pragma once

#include <optional>
#include <string>
#include <vector>

// What a run is asked to do, as plain values: the window maps its controls to them and the
// converter its options, each in one place.
namespace kovrel::conversion {

enum class Mode { AddToExisting, CreateNew };

// What the entry fields of a new commercial earnings record hold (UTF-8, as typed).
struct NewEnterpriseFields {
    std::string title;
    std::string activity;
    std::string share;
    std::string profit;
    std::string loss;
    std::string withheldTax;
};

// The enterprise an income tax run writes for.
struct EnterpriseChoice {
    enum class Kind {
        None,       // no enterprise: rows carry no title
        NewRecord,  // a new commercial earnings record from the entry fields
        Existing,   // an enterprise already in the file, by its title
    };
    Kind kind = Kind::None;
    std::string title;  // for Existing

    static EnterpriseChoice newRecord() { return {Kind::NewRecord, {}}; }
    static EnterpriseChoice existing(std::string title) {
        return {Kind::Existing, std::move(title)};
    }
    bool operator==(const EnterpriseChoice&) const = default;
};

// The enterprises an existing income tax declaration lists.
struct EnterpriseListing {
    bool hasSection = false;          // the file has a ticariKazanclar element
    std::vector<std::string> titles;  // first child's text of each ticariKazanc
};

// The choice both front ends start from: a new record when the run creates the file or there is
// no file (listing null); the first enterprise the file lists; no enterprise when the file has
// no list of them; nothing (the user must choose) when its list is empty.
std::optional<EnterpriseChoice> defaultEnterprise(Mode mode, const EnterpriseListing* listing);

struct RunChoices {
    std::string driveText;  // the drive letter, as the drive box shows it
    Mode mode = Mode::AddToExisting;
    EnterpriseChoice enterprise;
    NewEnterpriseFields fields;
    bool dryRun = false;  // build the declaration but create and write nothing
};

}  // namespace kovrel::conversion
