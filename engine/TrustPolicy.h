// What an uninstall.log found on disk may make the elevated installer do. Such a log is a file
// like any other: before it is acted on at all it must be believed, and then each record may
// touch only what this installer itself would have made for the installation the log belongs
// to. The rollback undoes the worker's own log in memory and asks none of this.
#pragma once

#include <cstdint>
#include <string>

#include "engine/UninstallLog.h"
#include "package/ProductIdentity.h"

// What a found log is believed to be, and the places its records are judged against.
struct FoundLogTrust {
    // The header names the folder the log lies in (root\company\product, each name plain), and
    // nobody but the system's own principals and the account running the installer can have
    // written that folder or the log in it. A log that is not believed is not acted on at all:
    // the earlier installation counts as absent, apart from what the product key proves.
    bool believed = false;
    // The log passes every test above but names another product than the one asked for: it is
    // not believed, and nothing it names is touched.
    bool otherProduct = false;
    // Why a log is not believed, for the log of the run that found it; none when it is.
    const char* doubt = nullptr;
    ProductIdentity identity;          // the product the log names (engine/LogIdentity.h)
    TextBuffer productKeyPath{};       // SOFTWARE\<its settings key>
    TextBuffer productFolder{};        // root\company\product
    TextBuffer productName{};          // the header's product
    std::u16string systemFolder;       // empty when the system has none to tell
    TextBuffer company{};              // the header's company
    std::u16string menuCompany;        // Programs\company
    std::u16string menuProduct;        // Programs\company\product
    std::u16string commonMenuCompany;  // every user's Programs\company
    std::u16string commonMenuProduct;  // every user's Programs\company\product
    std::u16string desktopFolder;      // the desktop
};

// Judges the log loaded from `logPath`. With `product`, the log must also belong to that
// product (same settings key): an installer removes only earlier installations of what it
// installs. Without, the log's own identity is taken, as the product's own uninstaller does.
FoundLogTrust judgeFoundLog(const UninstallLog& log, const char16_t* logPath,
                            const ProductIdentity* product = nullptr);

// One row of the policy: a record type, what its record may touch, and how that is checked.
struct TrustRule {
    std::uint8_t type;
    const char* mayTouch;
    const char* checked;
    bool (*allows)(const LogRecord& record, const FoundLogTrust& trust);
};

// The whole policy, one row per record type this installer writes. A record of any other type
// is never acted on.
extern const TrustRule kTrustPolicy[];
extern const std::size_t kTrustPolicySize;

// Whether the record of a found log may be undone: the log is believed and the record's row
// allows it.
bool mayUndo(const LogRecord& record, const FoundLogTrust& trust);
