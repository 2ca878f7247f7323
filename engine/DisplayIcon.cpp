#include "engine/DisplayIcon.h"

#include <vector>

#include "engine/ProgramShutdown.h"
#include "engine/WorkerRun.h"
#include "package/IconResource.h"
#include "package/PeResources.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"

namespace {

// setup.exe's icon group, and the type names FindResourceW takes for numbered types.
constexpr int kSetupIcon = 107;
constexpr char16_t kGroupIconType[] = u"#14";
constexpr char16_t kIconType[] = u"#3";

bool carriesIcon(const FileNode* file) {
    if (!file || !file->contents || !isExePath(file->name) || viewOf(file->name).size() <= 4) {
        return false;
    }
    std::vector<pe::Resource> resources;
    std::string reason;
    if (!pe::readResources({file->contents, file->size}, resources, reason)) return false;
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, pe::ResourceId::of(pe::kGroupIconType))) return true;
    }
    return false;
}

const FileNode* programWithIcon(const InstallConfig& c) {
    if (carriesIcon(c.mainApp)) return c.mainApp;
    for (const NamedFile* lists : {c.startMenuShortcuts, c.desktopShortcuts}) {
        for (const NamedFile* e = lists; e; e = e->next) {
            if (carriesIcon(e->file)) return e->file;
        }
    }
    for (const FileRef* lists : {c.launchAfterInstall, c.runEntries}) {
        for (const FileRef* r = lists; r; r = r->next) {
            if (carriesIcon(r->file)) return r->file;
        }
    }
    return nullptr;
}

// A copy of one of the executable's own resources.
bool ownResource(int id, const char16_t* type, std::vector<std::uint8_t>& bytes) {
    platform::ResourceView view;
    if (!platform::os().resources || !platform::resources().lock(id, type, view)) return false;
    bytes.assign(view.data, view.data + view.size);
    platform::resources().release(view);
    return true;
}

// Setup's own icon as an .ico file.
bool setupIconFile(std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> group;
    std::vector<pe::IconImage> images;
    std::string reason;
    if (!ownResource(kSetupIcon, kGroupIconType, group) ||
        !pe::readIconGroup(group, images, reason) || images.empty() ||
        images.size() > pe::kMaxIconImages) {
        return false;
    }
    for (pe::IconImage& image : images) {
        if (!ownResource(image.id, kIconType, image.data)) return false;
    }
    file = pe::iconFileOf(images);
    return true;
}

}  // namespace

bool displayIconOf(WorkerRun& run, TextBuffer& icon) {
    if (const FileNode* program = programWithIcon(run.config)) return targetOf(program, icon);
    std::vector<std::uint8_t> file;
    TextBuffer name;
    if (!copyText(name, viewOf(run.config.product)) || !appendText(name, u".ico") ||
        !joinPath(icon, viewOf(run.tree().targetPath), viewOf(name)) ||
        platform::files().exists(icon) || !setupIconFile(file)) {
        return false;
    }
    appendText(run.log, LOG_FILE, viewOf(icon));
    if (platform::files().writeFile(icon, file.data(), file.size()) !=
        platform::WriteResult::Written) {
        platform::files().deleteFile(icon);
        dropLastRecord(run.log);
        return false;
    }
    return true;
}
