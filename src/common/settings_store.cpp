#include "common/settings_store.h"

#include "common/text.h"

namespace corvana {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

const IniStore::Entry* FindEntry(const IniStore::Section& section, std::wstring_view key) {
    for (const auto& e : section.entries)
        if (EqualsIgnoreAsciiCase(e.name, key)) return &e;
    return nullptr;
}

}  // namespace

IniStore::Section* IniStore::FindSection(std::wstring_view name) {
    for (auto& s : sections_)
        if (EqualsIgnoreAsciiCase(s.name, name)) return &s;
    return nullptr;
}

const IniStore::Section* IniStore::FindSection(std::wstring_view name) const {
    return const_cast<IniStore*>(this)->FindSection(name);
}

bool IniStore::Load(std::string_view fileBytes) {
    sections_.clear();
    if (fileBytes.substr(0, kBom.size()) == kBom) fileBytes.remove_prefix(kBom.size());
    const auto text = DecodeUtf8(fileBytes);
    if (!text) return false;

    Section* current = nullptr;
    for (const std::wstring& raw : SplitLines(*text)) {
        const std::wstring line = TrimControl(raw);
        if (line.empty() || line[0] == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            const std::wstring name = TrimControl(std::wstring_view(line).substr(1, line.size() - 2));
            current = FindSection(name);
            if (!current) current = &sections_.emplace_back(Section{name, {}});
            continue;
        }
        if (!current) continue;  // lines before the first section header are ignored
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) {
            current->entries.push_back(Entry{line, std::nullopt});
        } else {
            current->entries.push_back(Entry{TrimControl(std::wstring_view(line).substr(0, eq)),
                                             TrimControl(std::wstring_view(line).substr(eq + 1))});
        }
    }
    return true;
}

std::wstring IniStore::ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const {
    if (const Section* s = FindSection(section))
        if (const Entry* e = FindEntry(*s, key); e && e->value) return *e->value;
    return std::wstring(def);
}

void IniStore::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    Section* s = FindSection(section);
    if (!s) s = &sections_.emplace_back(Section{std::wstring(section), {}});
    if (auto* e = const_cast<Entry*>(FindEntry(*s, key))) {
        e->value = std::wstring(value);
        return;
    }
    s->entries.push_back(Entry{std::wstring(key), std::wstring(value)});
}

std::string IniStore::Serialize() const {
    std::wstring text;
    for (const auto& s : sections_) {
        text += L"[" + s.name + L"]\r\n";
        for (const auto& e : s.entries) {
            text += e.name;
            if (e.value) text += L"=" + *e.value;
            text += L"\r\n";
        }
        text += L"\r\n";
    }
    return std::string(kBom) + EncodeUtf8(text);
}

}  // namespace corvana
