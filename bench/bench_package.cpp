// Loading and extracting a package the size of the real one (27 MB, 52 files, 14 folders),
// each against the plain cost of moving the same bytes: a memcpy for the load, writing the
// same files directly for the extraction. The ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "package/Package.h"
#include "package/PackageWriter.h"
#include "platform/FileSystem.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

constexpr std::size_t kFiles = 52;
constexpr std::uint64_t kContentBytes = 27394646;

const char16_t* const kFolders[] = {
    u"driver",
    u"driver\\USB",
    u"driver\\USB\\x86",
    u"driver\\USB\\amd64",
    u"driver\\USB\\x86\\inf",
    u"driver\\USB\\amd64\\inf",
    u"driver\\HID",
    u"driver\\HID\\x86",
    u"driver\\HID\\amd64",
    u"driver\\HID\\x86\\inf",
    u"driver\\HID\\amd64\\inf",
    u"driver\\tools",
    u"driver\\tools\\x86",
    u"driver\\tools\\amd64",
};

struct SyntheticPackage {
    std::vector<std::u16string> paths;
    std::vector<std::vector<std::uint8_t>> contents;
    std::vector<std::uint8_t> blob;

    SyntheticPackage() {
        // Five root programs carry most of the bytes, as in the real product; the driver
        // folders hold many small files.
        const std::uint64_t big[] = {9800000, 2100000, 6400000, 7900000, 4000};
        std::uint64_t left = kContentBytes;
        for (int i = 0; i < 5; ++i) {
            paths.push_back(u"Program" + std::u16string(1, char16_t(u'A' + i)) + u".exe");
            sizes.push_back(big[i]);
            left -= big[i];
        }
        for (std::size_t i = 5; i < kFiles; ++i) {
            const char16_t* folder = kFolders[(i - 5) % std::size(kFolders)];
            paths.push_back(std::u16string(folder) + u"\\file" + char16_t(u'a' + i % 26) +
                            char16_t(u'a' + i / 26) + u".bin");
            std::uint64_t size = i + 1 == kFiles ? left : left / (kFiles - i) / 2;
            sizes.push_back(size);
            left -= size;
        }
        std::uint32_t state = 12345;
        PackageInput input;
        input.rootName = u"KorvelServerV6";
        for (std::size_t i = 0; i < kFiles; ++i) {
            std::vector<std::uint8_t> bytes(sizes[i]);
            for (auto& b : bytes) b = std::uint8_t((state = state * 1103515245 + 12345) >> 16);
            contents.push_back(std::move(bytes));
        }
        for (std::size_t i = 0; i < kFiles; ++i) {
            input.files.push_back(PackageFile{paths[i], contents[i]});
        }
        PackageFault fault;
        if (!writePackage(input, blob, fault)) {
            std::fprintf(stderr, "synthetic package refused: %s\n", fault.reason.c_str());
            std::abort();
        }
    }

private:
    std::vector<std::uint64_t> sizes;
};

const SyntheticPackage& package() {
    static const SyntheticPackage p;
    return p;
}

void BM_LoadPackage(benchmark::State& state) {
    const auto& blob = package().blob;
    for (auto _ : state) {
        auto config = new InstallConfig;
        bool ok = loadPackage(blob.data(), blob.size(), *config);
        benchmark::DoNotOptimize(ok);
        releaseInstallConfig(config);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * blob.size()));
}
BENCHMARK(BM_LoadPackage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MemcpyPackage(benchmark::State& state) {
    const auto& blob = package().blob;
    std::vector<std::uint8_t> copy(blob.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), blob.data(), blob.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * blob.size()));
}
BENCHMARK(BM_MemcpyPackage)->Unit(benchmark::kMillisecond)->UseRealTime();

// A loaded package with its target folder set, kept for the whole benchmark.
struct Loaded {
    InstallConfig* config = new InstallConfig;
    explicit Loaded(const std::u16string& target) {
        const auto& blob = package().blob;
        if (!loadPackage(blob.data(), blob.size(), *config)) std::abort();
        copyText(config->fileTree->targetPath, target);
    }
    ~Loaded() { releaseInstallConfig(config); }
};

// The extraction exactly as the installation runs it.
bool extract(const PackageRoot& root) {
    createTargetFolders(root);
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        if (!targetPathOf(*f, path) || !writePackageFile(*f, path)) return false;
    }
    return true;
}

class PlatformFiles {
public:
    explicit PlatformFiles(platform::FileSystem* fs) : saved_(platform::os().files) {
        platform::os().files = fs;
    }
    ~PlatformFiles() { platform::os().files = saved_; }

private:
    platform::FileSystem* saved_;
};

const std::u16string kFakeTarget = u"C:\\Program Files\\KorvelServerV6";

void BM_ExtractToFakeFiles(benchmark::State& state) {
    fake::FakeFileSystem fs;
    PlatformFiles use(&fs);
    Loaded loaded(kFakeTarget);
    for (auto _ : state) {
        fake::faults().clear();
        if (!extract(*loaded.config->fileTree)) state.SkipWithError("extraction failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * kContentBytes));
}
BENCHMARK(BM_ExtractToFakeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteToFakeFiles(benchmark::State& state) {
    fake::FakeFileSystem fs;
    PlatformFiles use(&fs);
    fs.addFolder(kFakeTarget);
    for (const char16_t* folder : kFolders) fs.addFolder(kFakeTarget + u"\\" + folder);
    const auto& p = package();
    std::vector<std::u16string> targets;
    for (const auto& path : p.paths) targets.push_back(kFakeTarget + u"\\" + path);
    for (auto _ : state) {
        fake::faults().clear();
        for (std::size_t i = 0; i < kFiles; ++i) {
            fs.writeFile(targets[i].c_str(), p.contents[i].data(), p.contents[i].size());
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * kContentBytes));
}
BENCHMARK(BM_WriteToFakeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// A scratch folder on the real disk, removed afterwards.
struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/bench_package.XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

void BM_ExtractToTempDir(benchmark::State& state) {
    posix::PosixFileSystem fs;
    PlatformFiles use(&fs);
    TempDir dir;
    Loaded loaded(utf8ToUtf16(dir.path + "/KorvelServerV6"));
    for (auto _ : state) {
        if (!extract(*loaded.config->fileTree)) state.SkipWithError("extraction failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * kContentBytes));
}
BENCHMARK(BM_ExtractToTempDir)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// The same files written with plain open/write/close, the folders made beforehand.
void BM_WriteToTempDir(benchmark::State& state) {
    TempDir dir;
    std::string root = dir.path + "/KorvelServerV6";
    std::filesystem::create_directory(root);
    for (const char16_t* folder : kFolders) {
        std::filesystem::create_directory(root + "/" + posix::nativePath(folder));
    }
    const auto& p = package();
    std::vector<std::string> targets;
    for (const auto& path : p.paths)
        targets.push_back(root + "/" + posix::nativePath(path.c_str()));
    for (auto _ : state) {
        for (std::size_t i = 0; i < kFiles; ++i) {
            int fd = ::open(targets[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ssize_t n = fd < 0 ? -1 : ::write(fd, p.contents[i].data(), p.contents[i].size());
            if (fd < 0 || std::size_t(n) != p.contents[i].size()) state.SkipWithError("write");
            if (fd >= 0) ::close(fd);
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * kContentBytes));
}
BENCHMARK(BM_WriteToTempDir)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// Keeps each benchmark's times per iteration so the ratios can be printed after the table. On a
// busy machine wall time wanders; CPU time is printed beside it.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal, so logs stay plain text.
    RatioReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With --benchmark_repetitions the median, reported after the runs, has the last word.
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred) continue;
            std::string name = run.benchmark_name();
            times_[name.substr(0, name.find('/'))] = {run.GetAdjustedRealTime(),
                                                      run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char* label, const char* measured, const char* baseline) const {
        auto m = times_.find(measured), b = times_.find(baseline);
        if (m == times_.end() || b == times_.end() || b->second.real <= 0 || b->second.cpu <= 0) {
            return;
        }
        std::printf("%-42s %5.2fx wall (%.2f / %.2f ms), %5.2fx cpu (%.2f / %.2f ms)\n", label,
                    m->second.real / b->second.real, m->second.real, b->second.real,
                    m->second.cpu / b->second.cpu, m->second.cpu, b->second.cpu);
    }

private:
    struct Times {
        double real = 0, cpu = 0;
    };
    std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("synthetic package: %zu bytes, %zu files, %zu folders, %llu content bytes\n",
                package().blob.size(), kFiles, std::size(kFolders),
                static_cast<unsigned long long>(kContentBytes));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("load / memcpy of the same bytes:", "BM_LoadPackage", "BM_MemcpyPackage");
    reporter.printRatio("extract / plain writes (in-memory files):", "BM_ExtractToFakeFiles",
                        "BM_WriteToFakeFiles");
    reporter.printRatio("extract / plain writes (temp dir):", "BM_ExtractToTempDir",
                        "BM_WriteToTempDir");
    benchmark::Shutdown();
    return 0;
}
