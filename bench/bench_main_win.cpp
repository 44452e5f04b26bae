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
// Usage: corvana_bench.exe TREE_FOLDER [ROUNDS] [load|run|starts|library|both]  (every part without it)
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "app/main_win.h"
#include "bench_timing.h"
#include "engine_phases_win.h"
#include "conversion/console_runner_win.h"
#include "conversion/conversion_engine.h"
#include "conversion/conversion_run_win.h"
#include "support/flac_pictures.h"
#include "support/tone_wav.h"
#include "win/command_ids.h"
#include "win/system_win.h"

using namespace corvana;
using corvana::bench::Median;
using corvana::bench::Now;

namespace {

bench::Targets targets;

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

// ffmpeg.exe started the plain way: same command line, output thrown away, waited for. The
// benchmark is a windowed program, as Corvana is, so a child started without flags gets a console
// of its own, as it would from Corvana.
void RunDirect(const std::wstring& ffmpeg, const std::wstring& commandLine, const std::wstring& workDir,
               DWORD flags = 0) {
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
    if (CreateProcessW(ffmpeg.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr, workDir.c_str(), &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(nul);
}

// Calls start(0) ... start(count - 1) on `atOnce` threads, each taking the next number as it is
// free; returns the seconds until all have returned.
double RunAtOnce(unsigned atOnce, int count, const std::function<void(int)>& start) {
    std::atomic<int> next{0};
    const double t = Now();
    std::vector<std::thread> starters;
    for (unsigned k = 0; k < atOnce; ++k)
        starters.emplace_back([&] {
            for (int i; (i = next++) < count;) start(i);
        });
    for (std::thread& starter : starters) starter.join();
    return Now() - t;
}

// One press of "Convert" until the run has ended, the program's own loop handling the messages,
// while another thread asks the window for an answer every 20 ms and samples the working set.
struct RunFigures {
    double seconds = 0, slowestAnswer = 0, baseMemory = 0, peakMemory = 0;
    // The window's own work: each batch of the engine's reports (rows, bar, next jobs), "Convert"
    // itself (the run's start), and every message that took over 20 ms: how long, which, and
    // when (seconds into the run).
    std::vector<double> reportBatches;
    double clickTook = 0;
    struct Slow {
        double took;
        UINT id;
        double at;
        std::wstring window;  // the class of the window it was for
    };
    std::vector<Slow> slowest;
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
    figures.clickTook = Now() - t;
    // The run has ended when the button reads "Convert" again, as for Corvana.exe itself below; the
    // window's tidying after it (the bar's going) is left to the next pump.
    while (form.ConversionRunning()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (form.ConversionRunning() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double dispatched = Now();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            const double took = Now() - dispatched;
            if (msg.message == WM_APP_CONVERSION) figures.reportBatches.push_back(took);
            if (took > 0.02) {
                wchar_t name[64] = L"";
                if (msg.hwnd) GetClassNameW(msg.hwnd, name, std::size(name));
                figures.slowest.push_back({took, msg.message, dispatched - t, name});
            }
        }
    }
    figures.seconds = Now() - t;
    Pump();  // the window's answers still count while it tidies up
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

// A control of a window (of any process) by its identifier, at any depth.
HWND FindControl(HWND window, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Corvana.exe itself, as a user runs it: started with the files on its command line; once they
// are all in its list, the target folder is typed and "Convert" clicked from here, and the run is
// timed until the button reads "Convert" again. Zero when the program did not get that far.
double RunProgram(const std::wstring& exe, const std::vector<std::wstring>& files, const std::wstring& target) {
    std::wstring line = L"\"" + exe + L"\"";
    for (const std::wstring& file : files) line += L" \"" + file + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, FolderOf(exe).c_str(), &si, &pi))
        return 0;
    struct Found {
        DWORD process;
        HWND window;
    } found{pi.dwProcessId, nullptr};
    HWND button = nullptr, list = nullptr, edit = nullptr;
    const double start = Now();
    const auto waitFor = [&](const auto& ready) {
        while (!ready() && Now() - start < 60) Sleep(20);
        return ready();
    };
    const bool ready = waitFor([&] {
        if (!found.window)
            EnumWindows(
                [](HWND window, LPARAM param) {
                    auto* f = reinterpret_cast<Found*>(param);
                    DWORD process = 0;
                    GetWindowThreadProcessId(window, &process);
                    if (process != f->process || !FindControl(window, IDC_ConvertButton)) return TRUE;
                    f->window = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&found));
        if (!found.window) return false;
        button = FindControl(found.window, IDC_ConvertButton);
        list = FindControl(found.window, IDC_FileList);
        edit = FindControl(found.window, IDC_TargetFolderEdit);
        return list && edit && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(files.size());
    });
    double seconds = 0;
    if (ready) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
        const auto buttonText = [&] {
            wchar_t text[32] = L"";
            SendMessageTimeoutW(button, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 60000,
                                nullptr);
            return std::wstring(text);
        };
        const double clicked = Now();
        SendMessageW(button, BM_CLICK, 0, 0);
        if (buttonText() == L"Stop") {
            while (buttonText() != L"Convert") Sleep(20);
            seconds = Now() - clicked;
        }
        PostMessageW(found.window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return seconds;
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
    wprintf(L"  second run, everything skipped  %9.1f ms  (%zu rows Skipped; %.3f of the first run, %ls)\n",
            Median(secondRuns) * 1000, skipped, Median(secondRuns) / Median(firstRuns),
            targets.Check(L"library: second run / first run", Median(secondRuns) / Median(firstRuns), 0.05).c_str());
    wprintf(L"  peak working set                %9.1f MB\n", Median(peaks) / 1048576);
    wprintf(
        L"  200 x 0.5 s FLAC with a cover: keeping it %.1f ms, dropping it (-vn) %.1f ms; ratio %.3f (median of "
        L"per-round ratios %.3f, %ls)\n",
        Median(withCovers) * 1000, Median(withoutCovers) * 1000, Median(withCovers) / Median(withoutCovers),
        Median(coverRatios),
        targets.Check(L"library: keeping covers / dropping them", Median(coverRatios), 1.03).c_str());
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
        fwprintf(stderr,
                 L"usage: corvana_bench.exe TREE_FOLDER [ROUNDS] [load|run|starts|library|both] [OTHER_FFMPEG]\n");
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
        wprintf(L"  ratio load / walk                       %8.2f   (median of per-round ratios %.2f, %ls)\n",
                Median(loads) / Median(walks), Median(loadRatios),
                targets.Check(L"folder load / bare walk", Median(loadRatios), 1.15).c_str());

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

        // Files named one by one, as the command line, Send To and the file dialog give them.
        form.Files().ScanFolder(tree);
        const std::vector<std::wstring> named(form.Files().ScanList().begin(), form.Files().ScanList().begin() + 2000);
        std::vector<double> adds;
        for (int r = 0; r < rounds; ++r) {
            Pump();
            const double t = Now();
            form.Files().AddPaths(named);
            UpdateWindow(form.Files().Handle());
            adds.push_back(Now() - t);
            form.Files().Rows().Clear();
            form.Files().Refresh();
        }
        wprintf(L"  2,000 files named one by one (AddPaths)  %8.1f ms\n", Median(adds) * 1000);
    }

    // ---- 2. Runs over 200 short files and over 8 long ones ----
    const std::wstring sources = MakeFolder(home, L"sources");
    const std::wstring directFolder = MakeFolder(home, L"direct");
    const std::wstring converted = MakeFolder(home, L"converted");
    const std::wstring engineFolder = MakeFolder(home, L"engine alone");
    SetWindowTextW(form.Options().TargetFolderEdit(), converted.c_str());
    if (all || part == L"run")
        wprintf(L"Conversion runs: %u jobs at once (Automatic), %d rounds (medians)\n", EffectiveConcurrency(0),
                rounds);

    // How a child is started: the same short conversion started from this windowed process with
    // each way of giving (or not giving) it a console, and the program's own way (pipes for its
    // input and output, suspended until it is in the job that ends it with the program), one by
    // one and as many at once as "Automatic" runs jobs; the ways take turns.
    if (all || part == L"run" || part == L"starts") {
        const std::wstring tone = sources + L"\\tone start.wav";
        std::ofstream(std::filesystem::path(tone), std::ios::binary) << test::ToneWav(0.5, 44100, 2);
        const auto command = [&](int i) {
            return L"ffmpeg.exe -hide_banner -y -vn -i \"" + tone + L"\" \"" + directFolder + L"\\start " +
                   std::to_wstring(i) + L".mp3\"";
        };
        const auto direct = [&](DWORD flags) {
            return [&, flags](int i) { RunDirect(ffmpeg, command(i), home, flags); };
        };
        const auto programWay = [&](int i) { RunProcess(ffmpeg, command(i), home, [](std::string_view) {}); };
        const unsigned jobs = EffectiveConcurrency(0);
        struct Way {
            std::wstring name;
            std::function<void(int)> start;
            unsigned atOnce;
            std::vector<double> perStart;
        };
        std::vector<Way> ways = {
            {L"a console of its own (no flag)", direct(0), 1, {}},
            {L"CREATE_NO_WINDOW", direct(CREATE_NO_WINDOW), 1, {}},
            {L"DETACHED_PROCESS", direct(DETACHED_PROCESS), 1, {}},
            {L"the program's way", programWay, 1, {}},
            {L"DETACHED_PROCESS, " + std::to_wstring(jobs) + L" at once", direct(DETACHED_PROCESS), jobs, {}},
            {L"the program's way, " + std::to_wstring(jobs) + L" at once", programWay, jobs, {}},
            {L"the program's way, " + std::to_wstring(jobs + 1) + L" at once", programWay, jobs + 1, {}}};
        const int starts = 30;
        for (int r = 0; r < rounds; ++r)
            for (size_t w = 0; w < ways.size(); ++w) {
                Way& way = ways[(w + static_cast<size_t>(r)) % ways.size()];
                way.perStart.push_back(RunAtOnce(way.atOnce, starts, way.start) / starts);
            }
        wprintf(L"  one 0.5 s WAV to MP3 started %d times, wall time per start (medians of %d rounds)\n", starts,
                rounds);
        for (const Way& way : ways)
            wprintf(L"    %-36ls %7.1f ms  (%.2f of the first)\n", way.name.c_str(), Median(way.perStart) * 1000,
                    Median(way.perStart) / Median(ways[0].perStart));
        // FFmpeg looks at a pipe on its standard input for keys between any two packets; with
        // -nostdin it does not. A three-minute file started the program's way, both ways in turn.
        const std::wstring longTone = sources + L"\\tone stdin.wav", longOut = directFolder + L"\\stdin.mp3";
        std::ofstream(std::filesystem::path(longTone), std::ios::binary) << test::ToneWav(180, 44100, 2);
        std::vector<double> withPipe, withoutPipe;
        for (int r = 0; r < rounds * 3; ++r)
            for (const bool pipe : {r % 2 == 0, r % 2 != 0}) {
                const double t = Now();
                RunProcess(ffmpeg,
                           std::wstring(L"ffmpeg.exe -hide_banner") + (pipe ? L"" : L" -nostdin") + L" -y -vn -i \"" +
                               longTone + L"\" \"" + longOut + L"\"",
                           home, [](std::string_view) {});
                (pipe ? withPipe : withoutPipe).push_back(Now() - t);
            }
        wprintf(
            L"  one 3-minute WAV to MP3 the program's way: keys looked for on the input pipe %.1f ms, -nostdin "
            L"%.1f ms (%.3f; medians of %d)\n",
            Median(withPipe) * 1000, Median(withoutPipe) * 1000, Median(withoutPipe) / Median(withPipe), rounds * 3);
        RemoveFiles(directFolder);
        DeleteFileW(tone.c_str());
        DeleteFileW(longTone.c_str());
        fflush(stdout);
    }

    struct Batch {
        const wchar_t* name;
        int count;
        int seconds;
        double floorTarget;  // the run's time at most this many times the direct floor's
        // Runs a round, each with its floor just before or just after it in turn: a run of a few
        // seconds meets more of the shared machine's passing disturbances in its figure.
        int pairs;
    };
    for (const Batch batch : {Batch{L"short", 200, 0, 1.10, 1}, Batch{L"long", 8, 180, 1.05, 3}}) {
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
        }

        form.Files().AddPaths(files);
        struct Binary {
            Binary(std::wstring n, std::wstring p) : name(std::move(n)), path(std::move(p)) {}
            std::wstring name, path;
            std::vector<double> directTimes, parallelTimes, runTimes, ratios, floorRatios, slowestAnswers, peakMemory;
            double baseMemory = 0;
            size_t ok = 0;
            // The engine alone, its jobs' phases over every round, and the window's share.
            std::vector<double> engineTimes, reportBatches, programTimes;
            bench::EnginePhases phases;
            std::vector<double> clicks;
            std::vector<RunFigures::Slow> slowMessages;
        };
        std::vector<Binary> binaries{{L"this build's ffmpeg.exe", buildDir + L"\\ffmpeg.exe"}};
        if (!otherFFmpeg.empty()) binaries.push_back({L"the other ffmpeg.exe", otherFFmpeg});
        for (int r = 0; r < rounds; ++r)
            for (Binary& binary : binaries) {
                placeFFmpeg(binary.path);
                // The same commands started directly, as the program starts them (without a console):
                // one by one, then as many at once as "Automatic" runs jobs (the floor a run of several
                // jobs can reach on this machine).
                const auto direct = [&](unsigned atOnce) {
                    RemoveFiles(directFolder);
                    return RunAtOnce(atOnce, batch.count, [&](int i) {
                        const std::wstring out =
                            directFolder + L"\\" + batch.name + L" " + std::to_wstring(i) + L".mp3";
                        RunDirect(ffmpeg,
                                  L"ffmpeg.exe -hide_banner -y -vn -i \"" + files[static_cast<size_t>(i)] + L"\" \"" +
                                      out + L"\"",
                                  home, DETACHED_PROCESS);  // as the program starts it
                    });
                };
                binary.directTimes.push_back(direct(1));
                for (int k = 0; k < batch.pairs; ++k) {
                    const bool floorFirst = (r + k) % 2 == 0;
                    double floor = floorFirst ? direct(EffectiveConcurrency(0)) : 0;
                    RemoveFiles(converted);
                    const RunFigures run = TimedRun(form);
                    if (!floorFirst) floor = direct(EffectiveConcurrency(0));
                    binary.parallelTimes.push_back(floor);
                    binary.baseMemory = run.baseMemory;
                    binary.runTimes.push_back(run.seconds);
                    binary.slowestAnswers.push_back(run.slowestAnswer);
                    binary.peakMemory.push_back(run.peakMemory);
                    binary.ratios.push_back(run.seconds / binary.directTimes.back());
                    binary.floorRatios.push_back(run.seconds / floor);
                    binary.ok = 0;
                    for (size_t i = 0; i < form.Files().Rows().Count(); ++i)
                        binary.ok += form.Files().Rows().At(i).result == L"OK";
                    binary.reportBatches.insert(binary.reportBatches.end(), run.reportBatches.begin(),
                                                run.reportBatches.end());
                    binary.clicks.push_back(run.clickTook);
                    binary.slowMessages.insert(binary.slowMessages.end(), run.slowest.begin(), run.slowest.end());
                }

                RemoveFiles(converted);
                if (batch.count > 8)
                    if (const double program = RunProgram(exe, files, converted); program > 0)
                        binary.programTimes.push_back(program);

                RemoveFiles(engineFolder);
                const bench::EnginePhases phases =
                    bench::TimeEnginePhases(home, files, engineFolder, EffectiveConcurrency(0));
                binary.engineTimes.push_back(phases.seconds);
                binary.phases.Append(phases);
            }
        wprintf(L"  %d files of %g s, WAV to MP3", batch.count, seconds);
        if (batch.pairs > 1) wprintf(L" (the run and its floor %d times a round)", batch.pairs);
        wprintf(L"\n");
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
            const std::wstring what =
                std::wstring(batch.name) + L" files" + (binaries.size() > 1 ? L" with " + binary.name : std::wstring());
            wprintf(L"    ratio run / direct N at a time   %9.3f   (median of per-run ratios %.3f, %ls)\n", c / p,
                    Median(binary.floorRatios),
                    targets.Check(what + L": run / direct N at a time", Median(binary.floorRatios), batch.floorTarget)
                        .c_str());
            wprintf(L"    ratio run / direct one by one    %9.3f   (median of per-run ratios %.3f)\n", c / d,
                    Median(binary.ratios));
            const double worstAnswer = *std::max_element(binary.slowestAnswers.begin(), binary.slowestAnswers.end());
            wprintf(L"    slowest answer of the window     %9.1f ms  (worst run %.1f ms, %ls)\n",
                    Median(binary.slowestAnswers) * 1000, worstAnswer * 1000,
                    targets.Check(what + L": the window's slowest answer in any run, ms", worstAnswer * 1000, 50, true)
                        .c_str());
            wprintf(L"    working set before the run       %9.1f MB, peak during it %.1f MB\n",
                    binary.baseMemory / 1048576, Median(binary.peakMemory) / 1048576);
            if (!binary.programTimes.empty()) {
                const double program = Median(binary.programTimes);
                wprintf(
                    L"    Corvana.exe itself (Convert)     %9.1f ms  (%.1f ms per file; %.3f of the floor; %zu of %d "
                    L"rounds)\n",
                    program * 1000, program * 1000 / batch.count, program / p, binary.programTimes.size(), rounds);
            } else if (batch.count > 8) {
                wprintf(
                    L"    Corvana.exe itself (Convert)     did not get to convert (its window or list never came)\n");
            }
            const double e = Median(binary.engineTimes);
            const bench::EnginePhases& phases = binary.phases;
            wprintf(L"    the engine alone (no window)     %9.1f ms  (%.1f ms per file; %.3f of the floor)\n", e * 1000,
                    e * 1000 / batch.count, e / p);
            wprintf(
                L"    a job's phases in it (medians)   FFmpeg started until it printed %.1f ms, then until it had "
                L"ended %.1f ms, then named %.1f ms; its report until the owner took it %.1f ms, then until the next "
                L"job's thread ran %.1f ms (the owner took %.2f ms a batch), then until it started FFmpeg %.1f ms\n",
                Median(phases.untilFirstOutput) * 1000, Median(phases.converting) * 1000, Median(phases.naming) * 1000,
                Median(phases.untilTaken) * 1000, Median(phases.untilThreadRuns) * 1000, Median(phases.taking) * 1000,
                Median(phases.checking) * 1000);
            if (!binary.reportBatches.empty()) {
                wprintf(
                    L"    the window's share of the run    %zu batches of reports, %.2f ms each (median), longest %.1f "
                    L"ms; \"Convert\" took %.1f ms (median); %zu messages over 20 ms",
                    binary.reportBatches.size(), Median(binary.reportBatches) * 1000,
                    *std::max_element(binary.reportBatches.begin(), binary.reportBatches.end()) * 1000,
                    Median(binary.clicks) * 1000, binary.slowMessages.size());
                std::vector<RunFigures::Slow> slow = binary.slowMessages;
                std::sort(slow.begin(), slow.end(), [](const auto& a, const auto& b) { return a.took > b.took; });
                for (size_t i = 0; i < slow.size() && i < 4; ++i)
                    wprintf(L"%ls0x%04X (%ls) %.1f ms at %.1f s", i ? L", " : L", the longest: ", slow[i].id,
                            slow[i].window.c_str(), slow[i].took * 1000, slow[i].at);
                wprintf(L"\n");
            }
        }
        if (binaries.size() == 2) {
            std::vector<double> directRatios, runRatios;
            for (size_t r = 0; r < binaries[0].directTimes.size(); ++r)
                directRatios.push_back(binaries[1].directTimes[r] / binaries[0].directTimes[r]);
            for (size_t r = 0; r < binaries[0].runTimes.size(); ++r)
                runRatios.push_back(binaries[1].runTimes[r] / binaries[0].runTimes[r]);
            wprintf(
                L"   the other ffmpeg.exe against this build's (medians of per-round ratios): directly %.3f, "
                L"Corvana's run %.3f\n",
                Median(directRatios), Median(runRatios));
        }
        fflush(stdout);
        placeFFmpeg(binaries.front().path);
        RemoveFiles(directFolder);
        RemoveFiles(converted);
        RemoveFiles(engineFolder);
    }

    if (all || part == L"library") Library(form, home, rounds);
    targets.PrintSummary();

    form.Files().Rows().Clear();
    for (const auto& f : {sources, directFolder, converted, engineFolder}) {
        RemoveFiles(f);
        RemoveDirectoryW(f.c_str());
    }
    DeleteFileW(ffmpeg.c_str());
    return 0;
}
