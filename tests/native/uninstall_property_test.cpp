// Whatever a log found on disk says, the uninstall touches only what the installation it belongs
// to owns. Thousands of logs are drawn from a fixed seed: records of every type, naming the
// installation's own things and everything around them, in every spelling Windows resolves
// ("..", ".", "/", doubled separators, trailing dots and spaces, letter case), with damaged
// records and headers among them, in folders that others can or cannot write. After each run
// every change on the machine must be one the installation's owner could have made.
#include <gtest/gtest.h>

#include <random>

#include "common/Names.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

const std::u16string kApps = u"C:\\Apps";
const std::u16string kProduct = u"C:\\Apps\\Co\\Pr";
const std::u16string kLog = kProduct + u"\\uninstall.log";
const std::u16string kSystem = u"C:\\Windows\\System32";
const std::u16string kDesktop = u"C:\\Users\\admin\\Desktop";
const std::u16string kPrograms = u"C:\\Users\\admin\\Start Menu\\Programs";
const std::u16string kData = u"C:\\Users\\Public\\Documents\\Vantrel";
const std::u16string kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::u16string kUninstallList = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::u16string lower(std::u16string s) {
    for (auto& c : s) c = asciiLower(c);
    return s;
}

bool below(const std::u16string& path, const std::u16string& folder) {
    std::u16string p = lower(path), f = lower(folder);
    return p == f || p.starts_with(f + u"\\");
}

// An installation of product Pr by company Co, and everything a log could try to reach beside it.
struct World {
    FakeMachine m;

    World() {
        for (const char16_t* f :
             {u"C:\\Apps", u"C:\\Apps\\Co", u"C:\\Apps\\Co\\Pr", u"C:\\Apps\\Co\\Pr\\driver",
              u"C:\\Apps\\Co\\Other", u"C:\\Data", u"C:\\Windows\\System32\\drivers",
              u"C:\\Program Files\\Browser"}) {
            m.files.addFolder(f);
        }
        for (const char16_t* f :
             {u"C:\\Apps\\Co\\Pr\\Panel.exe", u"C:\\Apps\\Co\\Pr\\PrService.exe",
              u"C:\\Apps\\Co\\Pr\\own.dll", u"C:\\Apps\\Co\\Pr\\driver\\Uninstall.bat",
              u"C:\\Apps\\Co\\secret.txt", u"C:\\Apps\\Co\\Other\\x.dll",
              u"C:\\Windows\\System32\\victim.dll", u"C:\\Windows\\System32\\PrModule.dll",
              u"C:\\Windows\\System32\\drivers\\disk.sys", u"C:\\Data\\keep.txt",
              u"C:\\Program Files\\Browser\\browser.exe"}) {
            m.files.addFile(f, {1, 2, 3});
        }
        m.files.addFolder(kDesktop + u"\\Empty");
        for (const char16_t* f : {u"\\Co", u"\\Co\\Pr", u"\\Other"}) {
            m.files.addFolder(kPrograms + f);
        }
        link(kPrograms + u"\\Co\\Pr\\Panel", kProduct + u"\\Panel.exe");
        link(kPrograms + u"\\Other\\Tool", u"C:\\Apps\\Co\\Other\\x.dll");
        link(kDesktop + u"\\Panel", kProduct + u"\\Panel.exe");
        link(kDesktop + u"\\Browser", u"C:\\Program Files\\Browser\\browser.exe");
        m.files.addFolder(kData);
        m.files.addFile(kData + u"\\PanelConfig.ini", {4});
        m.files.addLink(kData + u"\\sys", kSystem);

        auto& r = m.registry;
        r.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5");
        r.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Victim");
        r.addKey(RegistryRoot::CurrentUser, u"Software\\Victim");
        r.addKey(RegistryRoot::LocalMachine, kUninstallList + u"\\Pr");
        r.addKey(RegistryRoot::LocalMachine, kUninstallList + u"\\OtherProduct");
        menu(u"Panel", kProduct + u"\\Panel.exe");
        menu(u"OtherApp", u"C:\\Program Files\\Browser\\browser.exe");
        run(u"Panel", u"\"" + kProduct + u"\\Panel.exe\" -h");
        run(u"OneDrive", u"\"C:\\Users\\admin\\OneDrive.exe\" /background");
        run(u"Browser", u"\"C:\\Program Files\\Browser\\browser.exe\" -h");

        m.services.add(u"PrService", platform::kServiceRunning).binaryPath =
            u"\"" + kProduct + u"\\PrService.exe\"";
        m.services.add(u"WinDefend", platform::kServiceRunning).binaryPath =
            u"\"C:\\Program Files\\Windows Defender\\MsMpEng.exe\"";
        m.services.add(u"Panel", platform::kServiceRunning).binaryPath =
            u"C:\\Program Files\\Browser\\browser.exe";

        fake::FakeProcesses::Behaviour running;
        running.runsForMs = fake::FakeProcesses::kHangs;
        running.windows = 1;
        m.processes.addRunning(kProduct + u"\\Panel.exe", running);
        m.processes.addRunning(u"C:\\Program Files\\Browser\\browser.exe", running);
    }
    void link(const std::u16string& at, const std::u16string& target) {
        m.files.addFile(at + u".lnk");
        m.shell.saveLink(target.c_str(), (at + u".lnk").c_str());
    }
    void menu(const std::u16string& name, const std::u16string& program) {
        std::u16string key = u"DesktopBackground\\Shell\\" + name;
        m.registry.addKey(RegistryRoot::ClassesRoot, key + u"\\command");
        m.registry.putValue(RegistryRoot::ClassesRoot, key, u"Icon",
                            fake::FakeRegistry::stringValue(program));
    }
    void run(const std::u16string& name, const std::u16string& command) {
        m.registry.putValue(RegistryRoot::CurrentUser, kRunKey, name,
                            fake::FakeRegistry::stringValue(command));
    }
};

// What the owner of the installation could have changed: its own files and folders, its
// shortcuts, its registry entries, its services and programs, the shared data folder, and
// (the one thing outside its folders a believed log may name) files directly in the system
// folder.
bool ownedFile(const std::u16string& path, const fake::FakeFileSystem::Node& node) {
    std::u16string p = lower(path);
    if (below(p, kProduct) || p == lower(u"C:\\Apps\\Co")) return true;
    if (below(p, kData)) return true;
    if (below(p, kPrograms + u"\\Co\\Pr") || p == lower(kPrograms + u"\\Co")) return true;
    if (p == lower(kDesktop + u"\\Panel.lnk")) return true;
    return !node.isDirectory && isDirectlyInFolder(path, kSystem);
}

bool ownedKey(const std::u16string& key) {
    std::u16string k = lower(key);
    return k == lower(u"HKLM\\SOFTWARE\\KorvelServerV5") ||
           k == lower(u"HKLM\\" + kUninstallList + u"\\Pr") ||
           below(k, lower(u"HKCR\\DesktopBackground\\Shell\\Panel"));
}

void expectOnlyOwnedChanges(const MachineSnapshot& before, World& w, bool believed,
                            const std::string& what) {
    MachineSnapshot after = w.m.snapshot();
    if (!believed) {
        EXPECT_TRUE(after == before) << what << describeDifference(before, after);
        return;
    }
    for (const auto& [name, node] : before.files) {
        auto it = after.files.find(name);
        if (it == after.files.end() || !(it->second == node)) {
            EXPECT_TRUE(ownedFile(name, node)) << what << " changed " << utf16ToUtf8(name);
        }
    }
    for (const auto& [name, node] : after.files) {
        EXPECT_TRUE(before.files.count(name)) << what << " added " << utf16ToUtf8(name);
    }
    for (const auto& [key, values] : before.registry) {
        auto it = after.registry.find(key);
        if (it == after.registry.end()) {
            EXPECT_TRUE(ownedKey(key)) << what << " deleted key " << utf16ToUtf8(key);
            continue;
        }
        for (const auto& [value, data] : values) {
            bool kept = it->second.count(value) && it->second.at(value) == data;
            bool ownRun = lower(key) == lower(u"HKCU\\" + kRunKey) && lower(value) == u"panel";
            EXPECT_TRUE(kept || ownedKey(key) || ownRun)
                << what << " changed " << utf16ToUtf8(key) << " " << utf16ToUtf8(value);
        }
    }
    EXPECT_EQ(after.registry.size() <= before.registry.size(), true) << what;
    for (const char16_t* victim : {u"WinDefend", u"Panel"}) {
        auto* s = w.m.services.find(victim);
        ASSERT_NE(s, nullptr) << what << " deleted service " << utf16ToUtf8(victim);
        EXPECT_EQ(s->state, platform::kServiceRunning) << what << " " << utf16ToUtf8(victim);
    }
    EXPECT_EQ(w.m.processes.runningWithImage(u"C:\\Program Files\\Browser\\browser.exe"), 1)
        << what;
}

// --- Drawing logs ---------------------------------------------------------------------------

struct Draw {
    std::mt19937 rng;
    explicit Draw(unsigned seed) : rng(seed) {}
    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }
    bool chance(int percent) { return int(below(100)) < percent; }

    std::u16string folder() {
        static const std::u16string folders[] = {kProduct,
                                                 kProduct + u"\\driver",
                                                 u"C:\\Apps\\Co",
                                                 u"C:\\Apps\\Co\\Other",
                                                 kSystem,
                                                 kSystem + u"\\drivers",
                                                 u"C:\\Data",
                                                 kDesktop,
                                                 kPrograms,
                                                 kPrograms + u"\\Co",
                                                 kPrograms + u"\\Co\\Pr",
                                                 kPrograms + u"\\Other",
                                                 kData,
                                                 kData + u"\\sys",
                                                 u"C:\\Program Files\\Browser",
                                                 u"c:\\apps\\co\\pr"};
        return pick(folders);
    }
    std::u16string name() {
        static const std::u16string names[] = {u"Panel.exe",
                                               u"PrService.exe",
                                               u"own.dll",
                                               u"Uninstall.bat",
                                               u"secret.txt",
                                               u"x.dll",
                                               u"victim.dll",
                                               u"PrModule.dll",
                                               u"disk.sys",
                                               u"keep.txt",
                                               u"browser.exe",
                                               u"WinDefend.exe",
                                               u"Panel",
                                               u"Browser",
                                               u"Tool",
                                               u"Empty",
                                               u"Co",
                                               u"Pr",
                                               u"Other",
                                               u"..",
                                               u".",
                                               u"PanelConfig.ini",
                                               u"uninstall.log",
                                               u"OneDrive.exe",
                                               u"sys"};
        return pick(names);
    }
    std::u16string separator() {
        static const std::u16string seps[] = {u"\\",   u"\\",     u"\\",    u"\\",        u"/",
                                              u"\\\\", u"\\..\\", u"\\.\\", u"\\..\\..\\"};
        return pick(seps);
    }
    std::u16string path() {
        std::u16string p = folder();
        for (std::size_t n = 1 + below(3); n > 0; --n) p += separator() + name();
        static const std::u16string endings[] = {u"", u"", u"", u"", u".", u" ", u"::$DATA"};
        p += pick(endings);
        if (chance(10)) {
            for (auto& c : p) {
                if (c >= u'a' && c <= u'z' && chance(30)) c = char16_t(c - 32);
            }
        }
        return p;
    }
    std::u16string command() {
        std::u16string p = path();
        return chance(70) ? u"\"" + p + u"\" -h" : p + u" -h";
    }
    std::u16string entryName() {
        static const std::u16string names[] = {
            u"Panel",   u"OtherApp",   u"Pr", u"OtherProduct",        u"pr",
            u"Panel.x", u"..\\Victim", u"",   u"Pr\\..\\OtherProduct"};
        return pick(names);
    }

    void record(UninstallLog& log) {
        static const std::uint8_t types[] = {LOG_FILE,
                                             LOG_REGISTRY_KEY,
                                             LOG_DRIVER_SCRIPT,
                                             LOG_SERVICE,
                                             LOG_DESKTOP_SHORTCUT,
                                             LOG_START_MENU_SHORTCUT,
                                             LOG_DESKTOP_MENU,
                                             LOG_SYSTEM_FILE,
                                             LOG_SERVICE_STARTED,
                                             LOG_FOLDER,
                                             LOG_UNINSTALL_ENTRY,
                                             LOG_RUN_ENTRY,
                                             21,
                                             255};
        std::uint8_t type = pick(types);
        if (chance(5)) {  // damaged data: any bytes
            std::vector<std::uint8_t> junk(below(12));
            for (auto& b : junk) b = std::uint8_t(below(256));
            appendRecord(log, type, junk.data(), junk.size());
            return;
        }
        switch (type) {
            case LOG_REGISTRY_KEY: {
                static const std::uint32_t roots[] = {0x80000002u, 0x80000002u, 0x80000001u,
                                                      0x80000000u, 0x80000003u, 7};
                static const std::u16string keys[] = {u"SOFTWARE\\KorvelServerV5",
                                                      u"software\\korvelserverv5",
                                                      u"SOFTWARE\\Victim",
                                                      u"Software\\Victim",
                                                      u"SOFTWARE\\KorvelServerV5\\..\\Victim",
                                                      u"SOFTWARE/Victim",
                                                      kUninstallList + u"\\OtherProduct",
                                                      u"DesktopBackground\\Shell\\OtherApp"};
                appendRegistryKey(log, pick(roots), pick(keys));
                return;
            }
            case LOG_DESKTOP_MENU:
            case LOG_UNINSTALL_ENTRY:
            case LOG_SERVICE_STARTED:
                appendText(log, type, entryName());
                return;
            case LOG_RUN_ENTRY:
                appendText(log, type, command());
                return;
            case LOG_DRIVER_SCRIPT:
                appendText(log, type, chance(10) ? u"" : path());
                return;
            default:
                appendText(log, type, path());
                return;
        }
    }

    // Mostly the installation's own header; now and then one that names another folder.
    void header(UninstallLog& log) {
        static const std::u16string roots[] = {kApps,          kApps,          kApps,
                                               kApps,          u"c:\\apps",    u"C:\\Apps\\",
                                               u"C:\\Windows", u"C:\\Apps\\Co"};
        static const std::u16string companies[] = {u"Co",  u"Co", u"Co",     u"co",
                                                   u"Co.", u"..", u"Co\\Pr", u"System32"};
        static const std::u16string products[] = {u"Pr",  u"Pr",     u"Pr",      u"PR",
                                                  u"Pr ", u"..\\Pr", u"drivers", u""};
        bool own = chance(70);
        copyText(log.root, own ? kApps : pick(roots));
        copyText(log.company, own ? u"Co" : pick(companies));
        copyText(log.product, own ? u"Pr" : pick(products));
    }
};

// Whether the header names the folder the log lies in, spelt as the policy accepts.
bool headerNamesItsFolder(const UninstallLog& log) {
    return isPlainName(viewOf(log.company)) && isPlainName(viewOf(log.product)) &&
           sameIgnoringAsciiCase(std::u16string(viewOf(log.root)) + u"\\" +
                                     std::u16string(viewOf(log.company)) + u"\\" +
                                     std::u16string(viewOf(log.product)),
                                 kProduct);
}

}  // namespace

TEST(UninstallProperty, AFoundLogTouchesNothingItsInstallationDoesNotOwn) {
    constexpr int kLogs = 4000;
    Draw draw(20240611);
    int believed = 0, changedSomething = 0;
    for (int i = 0; i < kLogs; ++i) {
        World w;
        UninstallLog log;
        draw.header(log);
        for (std::size_t n = 1 + draw.below(12); n > 0; --n) draw.record(log);
        ASSERT_TRUE(saveLog(log, kLog.c_str()));
        // Now and then the folder or the log can be written by others.
        int open = int(draw.below(10));
        if (open == 0) w.m.security.openToUsers(kApps);
        if (open == 1) w.m.security.openToUsers(kLog);
        bool expectBelieved = open > 1 && headerNamesItsFolder(log);
        MachineSnapshot before = w.m.snapshot();
        runUninstallJob(kLog);
        std::string what = "log " + std::to_string(i) + ":";
        expectOnlyOwnedChanges(before, w, expectBelieved, what);
        believed += expectBelieved;
        changedSomething += !(w.m.snapshot() == before);
        if (HasFailure()) {
            for (LogRecord* r = log.first; r; r = r->next) {
                TextBuffer text;
                recordText(*r, text);
                ADD_FAILURE() << what << " record " << int(r->type) << " "
                              << utf16ToUtf8(viewOf(text));
            }
            break;
        }
    }
    // The draw reaches both kinds of log, and the believed ones do remove things.
    EXPECT_GT(believed, kLogs / 4);
    EXPECT_LT(believed, kLogs - kLogs / 10);
    EXPECT_GT(changedSomething, kLogs / 10);
    RecordProperty("logs", kLogs);
    RecordProperty("believed", believed);
}
