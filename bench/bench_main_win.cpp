// Figures for the file list and the conversion run, measured in one process under the same
// conditions as their floors:
//  1. loading a tree of 100,000 supported files with AddFolderContents, against a bare
//     FindFirstFileW/FindNextFileW walk of the same tree; then scrolling the loaded list (the list
//     commands on such a list are measured by bench/list.sh);
//  2. runs of "Convert" with the default settings (as many jobs at once as there are logical
//     processors) over 200 short files and over 8 three-minute files, against starting ffmpeg.exe
//     directly on the same files one by one and as many at once as the run takes; during the runs, the slowest answer
//     of the window to a message sent from another thread, and the peak memory of the process.
//  3. a music library of 1,000 FLAC tracks with covers and tags in 50 album folders, converted with
//     the folder structure kept and converted files skipped, then again (all skipped); and the cost
//     of keeping covers on 200 short files.
// Usage: corvana_bench.exe TREE_FOLDER [ROUNDS] [load|run|library|both]  (every part without it)
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <string>
#include <vector>

#include "app/main_win.h"
#include "bench_timing.h"
#include "conversion/console_runner_win.h"
#include "conversion/conversion_engine.h"
#include "support/flac_pictures.h"
#include "support/tone_wav.h"
#include "win/command_ids.h"
#include "win/system_win.h"

using namespace corvana;
using corvana::bench::Median;
using corvana::bench::Now;

namespace {

size_t BareWalk(const std::wstring& folder) {
    size_t files = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
                files += BareWalk(folder + L"\\" + fd.cFileName);
        } else {
            ++files;
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return files;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring MakeFolder(const std::wstring& parent, const std::wstring& name) {
    const std::wstring path = parent + L"\\" + name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void RemoveFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// ffmpeg.exe started the plain way: same command line, output thrown away, waited for.
void RunDirect(const std::wstring& ffmpeg, const std::wstring& commandLine, const std::wstring& workDir) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = nul;
    si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    if (CreateProcessW(ffmpeg.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, workDir.c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(nul);
}

// One press of "Convert" until the run has ended, the program's own loop handling the messages,
// while another thread asks the window for an answer every 20 ms and samples the working set.
struct RunFigures {
    double seconds = 0, slowestAnswer = 0, baseMemory = 0, peakMemory = 0;
};

double WorkingSet() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    return static_cast<double>(memory.WorkingSetSize);
}

RunFigures TimedRun(MainWindow& form) {
    RunFigures figures;
    figures.baseMemory = figures.peakMemory = WorkingSet();
    std::atomic<bool> done{false};
    const HWND window = form.Handle();
    std::thread asker([&] {
        while (!done) {
            const double sent = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            figures.slowestAnswer = std::max(figures.slowestAnswer, Now() - sent);
            figures.peakMemory = std::max(figures.peakMemory, WorkingSet());
            Sleep(20);
        }
    });
    const double t = Now();
    SendMessageW(form.ConvertButton(), BM_CLICK, 0, 0);
    while (form.ConversionRunning()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    figures.seconds = Now() - t;
    done = true;
    asker.join();
    return figures;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = folder + L"\\" + fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(path.c_str());
            else if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
                RemoveTree(path);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

// ---- 3. A music library ----
// 50 album folders of 20 tagged 10-s FLAC tracks with a 100 KB cover, converted to MP3 with "Keep
// Folder Structure" and "Skip Converted Files" on, then once more (everything skipped); and the
// cost of covers: 200 short FLAC files with covers converted keeping them, against the same run
// with "-vn" as the user's parameters (the job then drops them as it did before covers were kept).
void Library(MainWindow& form, const std::wstring& home, int rounds) {
    const std::wstring work = MakeFolder(home, L"library work");
    std::string cover = test::kOnePixelPng;
    cover.resize(100 * 1024, '\x5A');
    // A tagged FLAC track of a tone with the cover, as bytes to write out as many times as needed.
    const auto makeTrack = [&](double seconds, const std::wstring& tags) {
        const std::wstring wav = work + L"\\tone.wav", track = work + L"\\track.flac";
        std::ofstream(std::filesystem::path(wav), std::ios::binary) << test::ToneWav(seconds, 44100, 2);
        RunDirect(home + L"\\ffmpeg.exe", L"ffmpeg.exe -y -i \"" + wav + L"\" " + tags + L" \"" + track + L"\"", home);
        std::ifstream in(std::filesystem::path(track), std::ios::binary);
        const std::string flac((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return test::WithFlacPictures(flac, {{3, "image/png", cover}});
    };
    const auto writeCopies = [](const std::string& bytes, const std::wstring& folder, int count,
                                const std::wstring& suffix) {
        for (int i = 1; i <= count; ++i)
            std::ofstream(std::filesystem::path(folder + L"\\" + std::to_wstring(i) + suffix), std::ios::binary)
                << bytes;
    };
    const std::string albumTrack =
        makeTrack(10, L"-metadata title=Title -metadata artist=Artist -metadata album=Album -metadata track=1");
    const std::string shortTrack = makeTrack(0.5, L"-metadata title=Short");
    if (albumTrack.empty() || shortTrack.empty()) {
        wprintf(L"Library: ffmpeg.exe made no FLAC file to copy\n");
        return;
    }
    const std::wstring library = MakeFolder(work, L"Library");
    for (int album = 0; album < 50; ++album)
        writeCopies(albumTrack,
                    MakeFolder(MakeFolder(library, L"Artist " + std::to_wstring(album / 5)),
                               L"Album " + std::to_wstring(album)),
                    20, L" Track.flac");
    const std::wstring shortFolder = MakeFolder(work, L"short");
    writeCopies(shortTrack, shortFolder, 200, L".flac");

    const std::wstring target = work + L"\\converted";
    SetWindowTextW(form.Options().TargetFolderEdit(), target.c_str());
    const bool keep = form.IsMenuChecked(CMD_KeepFolderStructure), skip = form.IsMenuChecked(CMD_SkipConvertedFiles);
    if (!keep) form.RunCommand(CMD_KeepFolderStructure);
    if (!skip) form.RunCommand(CMD_SkipConvertedFiles);
    const auto countResults = [&](const wchar_t* text) {
        size_t n = 0;
        for (size_t i = 0; i < form.Files().Rows().Count(); ++i) n += form.Files().Rows().At(i).result == text;
        return n;
    };

    std::vector<double> firstRuns, secondRuns, peaks, withCovers, withoutCovers, coverRatios;
    size_t ok = 0, skipped = 0;
    for (int r = 0; r < rounds; ++r) {
        RemoveTree(target);
        form.Files().Rows().Clear();
        form.Files().Refresh();
        form.Files().AddFolderContents(library);
        const RunFigures first = TimedRun(form);
        ok = countResults(L"OK");
        for (size_t i = 0, shown = 0; i < form.Files().Rows().Count() && shown < 3; ++i)
            if (const FileItem& row = form.Files().Rows().At(i); row.result != L"OK") {
                wprintf(L"  not converted: %ls (%ls)\n", row.caption.c_str(), row.result.c_str());
                ++shown;
            }
        const RunFigures second = TimedRun(form);
        skipped = countResults(L"Skipped");
        firstRuns.push_back(first.seconds);
        secondRuns.push_back(second.seconds);
        peaks.push_back(std::max(first.peakMemory, second.peakMemory));
    }
    // Covers or not, in turn, so that both see the same machine.
    form.RunCommand(CMD_SkipConvertedFiles);
    form.Files().Rows().Clear();
    form.Files().Refresh();
    form.Files().AddFolderContents(shortFolder);
    for (int r = 0; r < rounds; ++r) {
        // Which goes first alternates, so that neither always meets the other's leftovers.
        for (const bool covers : {r % 2 == 0, r % 2 != 0}) {
            form.Options().SaveParameters(covers ? L"" : L"-vn");
            RemoveTree(target);
            (covers ? withCovers : withoutCovers).push_back(TimedRun(form).seconds);
        }
        coverRatios.push_back(withCovers.back() / withoutCovers.back());
    }
    form.Options().SaveParameters(L"");
    const size_t files = 50 * 20;
    wprintf(
        L"Music library: 50 albums x 20 tracks of 10 s FLAC with a 100 KB cover, to MP3, %u jobs at once, %d "
        L"rounds (medians)\n",
        EffectiveConcurrency(0), rounds);
    wprintf(L"  first run                       %9.1f ms  (%.1f ms per file; %zu rows OK)\n", Median(firstRuns) * 1000,
            Median(firstRuns) * 1000 / files, ok);
    wprintf(
        L"  second run, everything skipped  %9.1f ms  (%zu rows Skipped; %.3f of the first run, target at most "
        L"0.05)\n",
        Median(secondRuns) * 1000, skipped, Median(secondRuns) / Median(firstRuns));
    wprintf(L"  peak working set                %9.1f MB\n", Median(peaks) / 1048576);
    wprintf(
        L"  200 x 0.5 s FLAC with a cover: keeping it %.1f ms, dropping it (-vn) %.1f ms; ratio %.3f (median of "
        L"per-round ratios %.3f; target at most 1.03)\n",
        Median(withCovers) * 1000, Median(withoutCovers) * 1000, Median(withCovers) / Median(withoutCovers),
        Median(coverRatios));
    fflush(stdout);
    if (keep != form.IsMenuChecked(CMD_KeepFolderStructure)) form.RunCommand(CMD_KeepFolderStructure);
    if (skip != form.IsMenuChecked(CMD_SkipConvertedFiles)) form.RunCommand(CMD_SkipConvertedFiles);
    form.Files().Rows().Clear();
    form.Files().Refresh();
    RemoveTree(work);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: corvana_bench.exe TREE_FOLDER [ROUNDS] [load|run|both] [OTHER_FFMPEG]\n");
        return 2;
    }
    const std::wstring tree = argv[1];
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    const std::wstring part = argc > 3 ? argv[3] : L"";
    // Another ffmpeg.exe to run the conversion rounds with too, each round with both in turn.
    const std::wstring otherFFmpeg = argc > 4 ? argv[4] : L"";
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    // A program copy with ffmpeg.exe beside it, in a folder of its own.
    const std::wstring buildDir = FolderOf(ModulePath());
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring home = MakeFolder(temp, L"corvana-bench-" + std::to_wstring(GetCurrentProcessId()));
    const std::wstring exe = home + L"\\Corvana.exe", ffmpeg = home + L"\\ffmpeg.exe";
    CopyFileW((buildDir + L"\\Corvana.exe").c_str(), exe.c_str(), FALSE);
    const auto placeFFmpeg = [&](const std::wstring& source) {
        DeleteFileW(ffmpeg.c_str());
        if (!CreateHardLinkW(ffmpeg.c_str(), source.c_str(), nullptr)) CopyFileW(source.c_str(), ffmpeg.c_str(), FALSE);
    };
    placeFFmpeg(buildDir + L"\\ffmpeg.exe");

    MainWindow form(exe, L"\"" + exe + L"\"");
    form.Create();
    form.Show(SW_SHOWNOACTIVATE);
    Pump();

    const bool all = part.empty() || part == L"both";

    // ---- 1. Loading the tree ----
    if (all || part == L"load") {
        std::vector<double> walks, loads, scans, loadRatios;
        size_t files = 0;
        BareWalk(tree);  // warm the file system's caches for both
        for (int r = 0; r < rounds; ++r) {
            double t = Now();
            files = BareWalk(tree);
            walks.push_back(Now() - t);

            t = Now();
            form.Files().ScanFolder(tree);
            scans.push_back(Now() - t);

            form.Files().Rows().Clear();
            form.Files().Refresh();
            Pump();
            t = Now();
            form.Files().AddFolderContents(tree);
            UpdateWindow(form.Files().Handle());
            loads.push_back(Now() - t);
            loadRatios.push_back(loads.back() / walks.back());
        }
        const size_t rows = form.Files().Rows().Count();
        wprintf(L"Folder load: %zu files in the tree, %zu rows in the list, %d rounds (medians)\n", files, rows,
                rounds);
        wprintf(L"  bare FindFirstFileW/FindNextFileW walk  %8.1f ms\n", Median(walks) * 1000);
        wprintf(L"  ScanFolder alone                        %8.1f ms\n", Median(scans) * 1000);
        wprintf(L"  AddFolderContents (scan + rows + view) %8.1f ms\n", Median(loads) * 1000);
        wprintf(
            L"  ratio load / walk                       %8.2f   (median of per-round ratios %.2f; target under 1.5)\n",
            Median(loads) / Median(walks), Median(loadRatios));

        // Scrolling the loaded list: one page down and a repaint, many times.
        {
            const int pages = 200;
            const double t = Now();
            for (int i = 0; i < pages; ++i) {
                SendMessageW(form.Files().Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
                UpdateWindow(form.Files().Handle());
            }
            SendMessageW(form.Files().Handle(), WM_VSCROLL, SB_BOTTOM, 0);
            UpdateWindow(form.Files().Handle());
            wprintf(L"  scrolling: %.2f ms per page (repainted), %d pages\n", (Now() - t) * 1000 / (pages + 1), pages);
        }
        form.Files().Rows().Clear();
        form.Files().Refresh();
    }

    // ---- 2. Runs over 200 short files and over 8 long ones ----
    const std::wstring sources = MakeFolder(home, L"sources");
    const std::wstring directFolder = MakeFolder(home, L"direct");
    const std::wstring converted = MakeFolder(home, L"converted");
    SetWindowTextW(form.Options().TargetFolderEdit(), converted.c_str());
    if (all || part == L"run")
        wprintf(L"Conversion runs: %u jobs at once (Automatic), %d rounds (medians)\n", EffectiveConcurrency(0),
                rounds);

    struct Batch {
        const wchar_t* name;
        int count;
        int seconds;
    };
    for (const Batch batch : {Batch{L"short", 200, 0}, Batch{L"long", 8, 180}}) {
        if (!all && part != L"run") break;
        const std::wstring tone = sources + L"\\tone " + batch.name + L".wav";
        const double seconds = batch.seconds ? batch.seconds : 0.5;
        std::ofstream(std::filesystem::path(tone), std::ios::binary) << test::ToneWav(seconds, 44100, 2);
        std::vector<std::wstring> files;
        form.Files().Rows().Clear();
        form.Files().Refresh();
        for (int i = 0; i < batch.count; ++i) {
            files.push_back(sources + L"\\" + batch.name + L" " + std::to_wstring(i) + L".wav");
            CopyFileW(tone.c_str(), files.back().c_str(), FALSE);
            form.Files().AddFile(files.back());
        }

        struct Binary {
            Binary(std::wstring n, std::wstring p) : name(std::move(n)), path(std::move(p)) {}
            std::wstring name, path;
            std::vector<double> directTimes, parallelTimes, runTimes, ratios, floorRatios, slowestAnswers, peakMemory;
            double baseMemory = 0;
            size_t ok = 0;
        };
        std::vector<Binary> binaries{{L"this build's ffmpeg.exe", buildDir + L"\\ffmpeg.exe"}};
        if (!otherFFmpeg.empty()) binaries.push_back({L"the other ffmpeg.exe", otherFFmpeg});
        for (int r = 0; r < rounds; ++r)
            for (Binary& binary : binaries) {
                placeFFmpeg(binary.path);
                // The same commands started directly: one by one, then as many at once as
                // "Automatic" runs jobs (the floor a run of several jobs can reach on this machine).
                const auto direct = [&](unsigned atOnce) {
                    RemoveFiles(directFolder);
                    std::atomic<int> next{0};
                    const double start = Now();
                    std::vector<std::thread> starters;
                    for (unsigned k = 0; k < atOnce; ++k)
                        starters.emplace_back([&] {
                            for (int i; (i = next++) < batch.count;) {
                                const std::wstring out =
                                    directFolder + L"\\" + batch.name + L" " + std::to_wstring(i) + L".mp3";
                                RunDirect(ffmpeg,
                                          L"ffmpeg.exe -hide_banner -y -vn -i \"" + files[static_cast<size_t>(i)] +
                                              L"\" \"" + out + L"\"",
                                          home);
                            }
                        });
                    for (std::thread& starter : starters) starter.join();
                    return Now() - start;
                };
                binary.directTimes.push_back(direct(1));
                binary.parallelTimes.push_back(direct(EffectiveConcurrency(0)));

                RemoveFiles(converted);
                const RunFigures run = TimedRun(form);
                binary.baseMemory = run.baseMemory;
                binary.runTimes.push_back(run.seconds);
                binary.slowestAnswers.push_back(run.slowestAnswer);
                binary.peakMemory.push_back(run.peakMemory);
                binary.ratios.push_back(binary.runTimes.back() / binary.directTimes.back());
                binary.floorRatios.push_back(binary.runTimes.back() / binary.parallelTimes.back());
                binary.ok = 0;
                for (size_t i = 0; i < form.Files().Rows().Count(); ++i)
                    binary.ok += form.Files().Rows().At(i).result == L"OK";
            }
        wprintf(L"  %d files of %g s, WAV to MP3\n", batch.count, seconds);
        for (const Binary& binary : binaries) {
            const double d = Median(binary.directTimes), c = Median(binary.runTimes);
            wprintf(L"   with %ls: %zu rows OK\n", binary.name.c_str(), binary.ok);
            wprintf(L"    ffmpeg.exe directly, one by one  %9.1f ms  (%.1f ms per file)\n", d * 1000,
                    d * 1000 / batch.count);
            const double p = Median(binary.parallelTimes);
            wprintf(L"    ffmpeg.exe directly, %u at a time %9.1f ms  (%.1f ms per file)\n", EffectiveConcurrency(0),
                    p * 1000, p * 1000 / batch.count);
            wprintf(L"    Corvana's run (Convert)          %9.1f ms  (%.1f ms per file)\n", c * 1000,
                    c * 1000 / batch.count);
            wprintf(L"    ratio run / direct N at a time   %9.3f   (median of per-round ratios %.3f; the floor)\n",
                    c / p, Median(binary.floorRatios));
            wprintf(
                L"    ratio run / direct               %9.3f   (median of per-round ratios %.3f; target at most "
                L"0.55)\n",
                c / d, Median(binary.ratios));
            wprintf(L"    slowest answer of the window     %9.1f ms  (worst round %.1f ms; target under 100)\n",
                    Median(binary.slowestAnswers) * 1000,
                    *std::max_element(binary.slowestAnswers.begin(), binary.slowestAnswers.end()) * 1000);
            wprintf(L"    working set before the run       %9.1f MB, peak during it %.1f MB\n",
                    binary.baseMemory / 1048576, Median(binary.peakMemory) / 1048576);
        }
        if (binaries.size() == 2) {
            std::vector<double> directRatios, runRatios;
            for (size_t r = 0; r < binaries[0].runTimes.size(); ++r) {
                directRatios.push_back(binaries[1].directTimes[r] / binaries[0].directTimes[r]);
                runRatios.push_back(binaries[1].runTimes[r] / binaries[0].runTimes[r]);
            }
            wprintf(
                L"   the other ffmpeg.exe against this build's (medians of per-round ratios): directly %.3f, "
                L"Corvana's run %.3f\n",
                Median(directRatios), Median(runRatios));
        }
        fflush(stdout);
        placeFFmpeg(binaries.front().path);
        RemoveFiles(directFolder);
        RemoveFiles(converted);
    }

    if (all || part == L"library") Library(form, home, rounds);

    form.Files().Rows().Clear();
    for (const auto& f : {sources, directFolder, converted}) {
        RemoveFiles(f);
        RemoveDirectoryW(f.c_str());
    }
    DeleteFileW(ffmpeg.c_str());
    return 0;
}
