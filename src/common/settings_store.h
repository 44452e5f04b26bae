// The in-memory copy of settings.ini: ordered sections of ordered entries, names matched without
// regard to letter case, values kept exactly as written. Unknown sections and keys survive a save;
// comments and empty lines do not.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvana {

class IniStore {
public:
    struct Entry {
        std::wstring name;
        std::optional<std::wstring> value;  // empty for a line without "=": reads as absent
    };
    struct Section {
        std::wstring name;
        std::vector<Entry> entries;
    };

    // Replaces the content with the text of a file. Returns false (and leaves the store empty)
    // when the bytes are not valid UTF-8. A leading byte-order mark is skipped.
    bool Load(std::string_view fileBytes);

    std::wstring ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const;
    void WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value);

    // The whole file as written: byte-order mark, then each section, its entries and an empty line,
    // every line ending in CR LF.
    std::string Serialize() const;

    const std::vector<Section>& Sections() const { return sections_; }

private:
    Section* FindSection(std::wstring_view name);
    const Section* FindSection(std::wstring_view name) const;

    std::vector<Section> sections_;
};

}  // namespace corvana
