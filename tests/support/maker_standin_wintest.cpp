#include "support/maker_standin.h"

#include <sstream>

#include "common/text.h"

namespace corvana::test {

std::string UnixPathOf(const std::wstring& windowsPath) {
    using Proc = char*(CDECL*)(const wchar_t*);
    static const auto proc = reinterpret_cast<Proc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!proc) return {};
    char* path = proc(windowsPath.c_str());
    if (!path) return {};
    std::string result(path);
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

bool SpawnUnixProgram(const std::vector<std::string>& argv) {
    using Proc = LONG(CDECL*)(char* const*, int);
    static const auto proc = reinterpret_cast<Proc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!proc) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return proc(args.data(), 0) == 0;
}

MakerStandIn::MakerStandIn() {
    const std::string script = UnixPathOf(SourceDir() + L"\\tests\\maker\\standin\\maker_service.py");
    const std::string folder = UnixPathOf(folder_.Path());
    const char* python = PathExists(L"Z:\\usr\\bin\\python3") ? "/usr/bin/python3" : "python3";
    if (script.empty() || folder.empty() || !SpawnUnixProgram({python, script, folder, "1800"})) return;
    // The service makes its certificate before it listens; that takes a moment.
    PumpUntil([this] { return PathExists(folder_ / L"port"); }, 60000);
    port_ = atoi(ReadFileBytes(folder_ / L"port").c_str());
}

MakerStandIn::~MakerStandIn() {
    if (!port_) return;
    WriteFileBytes(folder_ / L"stop", "");
    // The service ends within a tenth of a second, its port closed; its folder goes with the TempFolder.
    for (int i = 0; i < 100 && !PathExists(folder_ / L"ended"); ++i) Sleep(50);
}

bool MakerStandIn::CanSpeakTls() const {
    return PathExists(folder_ / L"cert.pem");
}

std::wstring MakerStandIn::Endpoint(const wchar_t* path) const {
    return L"127.0.0.1:" + std::to_wstring(port_) + path;
}

void MakerStandIn::SetBehaviour(const std::string& lines) {
    WriteFileBytes(folder_ / L"behaviour", lines);
}

void MakerStandIn::SetBody(const std::string& bytes) {
    WriteFileBytes(folder_ / L"body", bytes);
}

void MakerStandIn::ClearRequests() {
    DeleteFileW((folder_ / L"requests.log").c_str());
}

std::string MakerStandIn::CertificatePem() const {
    return ReadFileBytes(folder_ / L"cert.pem");
}

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[++i];
        out.push_back(c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c);
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeComponent(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out.push_back(' ');
        } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

std::vector<MakerStandIn::Request> MakerStandIn::Requests() const {
    std::vector<Request> requests;
    std::istringstream log(ReadFileBytes(folder_ / L"requests.log"));
    std::string line;
    while (std::getline(log, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() != 5) continue;
        requests.push_back({fields[0], fields[1], fields[2], fields[3], Unescape(fields[4])});
    }
    return requests;
}

std::vector<std::wstring> DecodeFormBody(const std::string& body) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= body.size() && !body.empty()) {
        size_t amp = body.find('&', start);
        if (amp == std::string::npos) amp = body.size();
        const std::string pair = body.substr(start, amp - start);
        const size_t eq = pair.find('=');
        const std::string name = DecodeComponent(pair.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : DecodeComponent(pair.substr(eq + 1));
        lines.push_back(DecodeUtf8(name).value_or(L"?") + L"=" + DecodeUtf8(value).value_or(L"?"));
        start = amp + 1;
    }
    return lines;
}

}  // namespace corvana::test
