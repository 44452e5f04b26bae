// Stand-ins for the outside world of a conversion job, for the portable tests: files kept in
// memory and an "FFmpeg" whose behaviour each test sets per source file.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/paths.h"
#include "common/text.h"
#include "conversion/conversion_job.h"

namespace corvana::test {

// Files in memory; folders are known by name. Paths compare ignoring ASCII case, as on Windows.
class MemoryFiles : public JobFiles {
public:
    void Put(const std::wstring& path, std::string bytes) {
        std::lock_guard lock(m_);
        files_[Key(path)] = {path, std::move(bytes)};
    }
    void AddFolder(const std::wstring& path) {
        std::lock_guard lock(m_);
        folders_.insert(Key(path));
    }
    // Names (as written) of every file, sorted.
    std::vector<std::wstring> Names() const {
        std::lock_guard lock(m_);
        std::vector<std::wstring> names;
        for (const auto& [key, file] : files_) names.push_back(file.first);
        return names;
    }
    std::string Read(const std::wstring& path) const {
        std::lock_guard lock(m_);
        const auto it = files_.find(Key(path));
        return it == files_.end() ? std::string("<missing>") : it->second.second;
    }
    std::vector<std::wstring> CreatedFolders() const {
        std::lock_guard lock(m_);
        return created_;
    }
    void FailFolder(const std::wstring& path) {
        std::lock_guard lock(m_);
        failingFolders_.insert(Key(path));
    }

    bool FileExists(const std::wstring& path) const override {
        std::lock_guard lock(m_);
        return files_.count(Key(path)) != 0;
    }
    int64_t FileSize(const std::wstring& path) const override {
        std::lock_guard lock(m_);
        const auto it = files_.find(Key(path));
        return it == files_.end() ? -1 : static_cast<int64_t>(it->second.second.size());
    }
    bool SameFile(const std::wstring& a, const std::wstring& b) const override {
        std::lock_guard lock(m_);
        return files_.count(Key(a)) != 0 && Key(a) == Key(b);
    }
    std::optional<std::wstring> Rename(const std::wstring& from, const std::wstring& to, bool replace) override {
        std::lock_guard lock(m_);
        const auto it = files_.find(Key(from));
        if (it == files_.end()) return L"not found";
        if (folders_.count(Key(to))) return L"a folder has that name";
        if (!replace && files_.count(Key(to))) return L"exists";
        auto bytes = std::move(it->second.second);
        files_.erase(it);
        files_[Key(to)] = {to, std::move(bytes)};
        return std::nullopt;
    }
    void Delete(const std::wstring& path) override {
        std::lock_guard lock(m_);
        files_.erase(Key(path));
    }
    std::optional<std::wstring> CreateFolder(const std::wstring& folder) override {
        std::lock_guard lock(m_);
        if (failingFolders_.count(Key(folder))) return L"Access is denied.";
        if (folders_.insert(Key(folder)).second) created_.push_back(folder);
        return std::nullopt;
    }
    std::vector<std::wstring> FileNamesIn(const std::wstring& folder) const override {
        std::lock_guard lock(m_);
        std::vector<std::wstring> names;
        for (const auto& [key, file] : files_)
            if (Key(FolderOf(file.first)) == Key(folder)) names.push_back(FileNamePart(file.first));
        return names;
    }

private:
    static std::wstring Key(const std::wstring& path) { return AsciiLowerCase(path); }
    mutable std::mutex m_;
    std::map<std::wstring, std::pair<std::wstring, std::string>> files_;
    std::set<std::wstring> folders_, failingFolders_;
    std::vector<std::wstring> created_;
};

// What the stand-in FFmpeg does with one source.
enum class FakeBehaviour {
    Converts,           // writes the output and ends with exit status 0
    Fails,              // reports invalid data and ends with exit status 1, writing nothing
    WritesEmpty,        // writes an empty output and ends with exit status 0
    HangsUntilStopped,  // writes part of its output, then runs until stopped and quits tidily with
                        // exit status 0, as FFmpeg does on "q" (or when it is taken for hung)
    IgnoresQuit,        // as HangsUntilStopped, but deaf to "q": it is ended outright (exit status 1)
    WaitsForGate,       // waits until the test opens the gate, then converts
    GrowsQuietly,       // prints nothing for 3 s while its output grows, then converts
    Throws,             // writes part of its output and throws, as a broken runner might
    RefusesPictures,    // fails as a muxer that takes no such picture when asked to copy one, else converts
};

// An "FFmpeg" over MemoryFiles. A command's input and output are its first and last quoted
// texts; what it does is the behaviour the test set for the input, Converts unless set. Probes
// (no output) describe a 44.1 kHz stream.
class FakeFFmpeg : public ProcessRunner {
public:
    explicit FakeFFmpeg(MemoryFiles& files) : files_(files) {}

    // Sources compare ignoring ASCII case, as the files do.
    void SetBehaviour(const std::wstring& source, FakeBehaviour behaviour) {
        std::lock_guard lock(m_);
        behaviours_[AsciiLowerCase(source)] = behaviour;
    }

    Outcome Run(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                const std::function<bool()>& shouldEnd) override {
        std::vector<std::wstring> quoted;
        for (size_t i = commandLine.find(L'"'); i != std::wstring::npos; i = commandLine.find(L'"', i)) {
            const size_t end = commandLine.find(L'"', i + 1);
            quoted.push_back(commandLine.substr(i + 1, end - i - 1));
            i = end + 1;
        }
        FakeBehaviour behaviour = FakeBehaviour::Converts;
        {
            std::lock_guard lock(m_);
            commands_.push_back(commandLine);
            ++running_;
            peak_ = std::max(peak_, running_);
            const auto it = behaviours_.find(AsciiLowerCase(quoted.front()));
            if (it != behaviours_.end()) behaviour = it->second;
        }
        struct Leave {
            FakeFFmpeg* self;
            ~Leave() {
                std::lock_guard lock(self->m_);
                --self->running_;
                self->changed_.notify_all();
            }
        } leave{this};
        changed_.notify_all();
        const std::wstring& input = quoted.front();
        if (quoted.size() == 1) {
            onOutput("  Stream #0:0: Audio: pcm_s16le, 44100 Hz, stereo, s16, 1411 kb/s\n");
            return {1, L""};
        }
        const std::wstring& output = quoted.back();
        onOutput("Input #0, wav, from 'x':\n  Duration: 00:00:10.00, bitrate: 1411 kb/s\n");
        switch (behaviour) {
            case FakeBehaviour::WaitsForGate: {
                std::unique_lock lock(m_);
                while (!gateOpen_ && !shouldEnd()) changed_.wait_for(lock, std::chrono::milliseconds(1));
                break;
            }
            case FakeBehaviour::HangsUntilStopped:
            case FakeBehaviour::IgnoresQuit:
                files_.Put(output, "partial");
                onOutput("size=1kB time=00:00:05.00 bitrate=1kbits/s\r");
                while (!shouldEnd()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return {behaviour == FakeBehaviour::IgnoresQuit ? 1u : 0u, L""};
            case FakeBehaviour::GrowsQuietly:
                for (int i = 1; i <= 60 && !shouldEnd(); ++i) {
                    files_.Put(output, std::string(static_cast<size_t>(i), 'q'));
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                break;
            case FakeBehaviour::Throws: files_.Put(output, "partial"); throw std::runtime_error("out of memory");
            case FakeBehaviour::Fails: onOutput("x: Invalid data found when processing input\n"); return {1, L""};
            case FakeBehaviour::RefusesPictures:
                if (commandLine.find(L"-c:v copy") != std::wstring::npos) {
                    files_.Put(output, "");
                    onOutput("Could not write header for output file #0 (incorrect codec parameters ?)\n");
                    return {1, L""};
                }
                break;
            case FakeBehaviour::Converts:
            case FakeBehaviour::WritesEmpty: break;
        }
        onOutput("size=1kB time=00:00:05.00 bitrate=1kbits/s\r");
        files_.Put(output, behaviour == FakeBehaviour::WritesEmpty ? "" : "converted " + EncodeUtf8(input));
        onOutput("size=2kB time=00:00:10.00 bitrate=1kbits/s\n");
        return {0, L""};
    }
    std::wstring Decode(std::string_view bytes) const override { return std::wstring(bytes.begin(), bytes.end()); }
    bool IsRunning(uint32_t processId) const override {
        std::lock_guard lock(m_);
        return runningProcesses_.count(processId) != 0;
    }
    // Processes that IsRunning reports as running; no other.
    void SetRunningProcesses(std::set<uint32_t> ids) {
        std::lock_guard lock(m_);
        runningProcesses_ = std::move(ids);
    }

    void OpenGate() {
        std::lock_guard lock(m_);
        gateOpen_ = true;
        changed_.notify_all();
    }
    // Waits (at most 10 s) until this many programs run at once.
    bool WaitForRunning(int count) {
        std::unique_lock lock(m_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return running_ == count; });
    }
    int Peak() const {
        std::lock_guard lock(m_);
        return peak_;
    }
    std::vector<std::wstring> Commands() const {
        std::lock_guard lock(m_);
        return commands_;
    }

private:
    MemoryFiles& files_;
    mutable std::mutex m_;
    std::condition_variable changed_;
    std::vector<std::wstring> commands_;
    int running_ = 0, peak_ = 0;
    bool gateOpen_ = false;
    std::map<std::wstring, FakeBehaviour> behaviours_;
    std::set<uint32_t> runningProcesses_;
};

}  // namespace corvana::test
