// A stand-in for the maker's web service on a loopback port (tests/maker/standin/maker_service.py,
// a Linux program started from here through Wine), steered and read through files in a folder of
// its own. It answers both schemes on the same port, like the real host.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/win_test_support.h"

namespace corvana::test {

// The Linux path of a Windows path (Wine's own mapping).
std::string UnixPathOf(const std::wstring& windowsPath);
// Starts a Linux program without waiting for it; false when Wine cannot.
bool SpawnUnixProgram(const std::vector<std::string>& argv);

class MakerStandIn {
public:
    struct Request {
        std::string scheme;  // "tls" or "plain"
        std::string method, path, contentType;
        std::string body;  // the raw bytes as received
    };

    MakerStandIn();
    ~MakerStandIn();
    MakerStandIn(const MakerStandIn&) = delete;
    MakerStandIn& operator=(const MakerStandIn&) = delete;

    bool Running() const { return port_ != 0; }
    int Port() const { return port_; }
    bool CanSpeakTls() const;
    // "127.0.0.1:PORT/php/check2.php": an endpoint (host and path without a scheme).
    std::wstring Endpoint(const wchar_t* path = L"/php/check2.php") const;

    // key=value lines (see the service's description); replaces the previous behaviour.
    void SetBehaviour(const std::string& lines);
    // The exact bytes of the next replies.
    void SetBody(const std::string& bytes);
    std::vector<Request> Requests() const;
    void ClearRequests();
    // The certificate the service answers TLS with (PEM), empty when it has none.
    std::string CertificatePem() const;

private:
    TempFolder folder_{L"maker"};
    int port_ = 0;
};

// "a=b&c=d" split into decoded "name=value" lines ("+" and %XX undone).
std::vector<std::wstring> DecodeFormBody(const std::string& body);

}  // namespace corvana::test
